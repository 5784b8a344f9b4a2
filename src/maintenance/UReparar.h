#pragma once

#include <QDialog>

// Verifies and rebuilds the six table files, keeping a backup of each.
class TFReparacion : public QDialog {
    Q_OBJECT
public:
    explicit TFReparacion(QWidget* parent = nullptr);
};

extern TFReparacion* FReparacion;
