#pragma once

#include <QDialog>

// Entry of one cash-register row.
class TFGMaquina : public QDialog {
    Q_OBJECT
public:
    explicit TFGMaquina(QWidget* parent = nullptr);
};

extern TFGMaquina* FGMaquina;
