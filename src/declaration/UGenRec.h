#pragma once

#include <QDialog>

// Generates the amended declaration of a period.
class TFGenRec : public QDialog {
    Q_OBJECT
public:
    explicit TFGenRec(QWidget* parent = nullptr);
};

extern TFGenRec* FGenRec;
