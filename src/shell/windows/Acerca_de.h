#pragma once

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

// The about box: the program's name and version and the authority it serves.
class TFAcerca : public FormDialog {
    Q_OBJECT
public:
    explicit TFAcerca(QWidget* parent = nullptr);
};

extern FormInstance<TFAcerca> FAcerca;
