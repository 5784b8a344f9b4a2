#pragma once

#include <QDialog>

// One client's data, over the row its caller put into insert or edit state.
class TFClientes : public QDialog {
    Q_OBJECT
public:
    explicit TFClientes(QWidget* parent = nullptr);
};

extern TFClientes* FClientes;
