#pragma once

#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

class QGroupBox;
class QListWidget;
class QPushButton;

// Explains the error codes of the detail import in fixed lines.
class TAyCarga : public FormDialog {
    Q_OBJECT
public:
    explicit TAyCarga(QWidget* parent = nullptr);

    static QStringList lines();  // the 24 lines, leading blanks included

private:
    QGroupBox* GroupBox1;
    QListWidget* ListBox1;
    QPushButton* Button1;  // "&Ok"
};

extern FormInstance<TAyCarga> AyCarga;
