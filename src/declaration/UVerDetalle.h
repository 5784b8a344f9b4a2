#pragma once

#include <QDialog>

// The rows of one filed period.
class TFVerDetalles : public QDialog {
    Q_OBJECT
public:
    explicit TFVerDetalles(QWidget* parent = nullptr);
};

extern TFVerDetalles* FVerDetalles;
