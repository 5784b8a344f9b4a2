#pragma once

#include <QDialog>

// Describes the columns of the detail import file.
class TAyCarga : public QDialog {
    Q_OBJECT
public:
    explicit TAyCarga(QWidget* parent = nullptr);
};

extern TAyCarga* AyCarga;
