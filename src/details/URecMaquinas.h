#pragma once

#include <QDialog>

// Voiding and adding cash-register rows of a filed period under amendment.
class TFAnulaMaquina : public QDialog {
    Q_OBJECT
public:
    explicit TFAnulaMaquina(QWidget* parent = nullptr);
};

extern TFAnulaMaquina* FAnulaMaquina;
