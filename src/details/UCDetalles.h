#pragma once

#include <QDialog>

// Entry of one printed-forms row.
class TFCDetalles : public QDialog {
    Q_OBJECT
public:
    explicit TFCDetalles(QWidget* parent = nullptr);
};

extern TFCDetalles* FCDetalles;
