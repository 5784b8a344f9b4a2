#pragma once

#include <QDialog>

// Loads printed-forms rows from a fixed-column text file.
class TCargar : public QDialog {
    Q_OBJECT
public:
    explicit TCargar(QWidget* parent = nullptr);
};

extern TCargar* Cargar;
