#pragma once

#include <QDialog>

// Voiding and adding printed-forms rows of a filed period under amendment.
class TFAnular : public QDialog {
    Q_OBJECT
public:
    explicit TFAnular(QWidget* parent = nullptr);
};

extern TFAnular* FAnular;
