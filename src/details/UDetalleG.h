#pragma once

#include <QDialog>

// The workbench of the open period: its printed-forms and machine rows.
class TFDetalle : public QDialog {
    Q_OBJECT
public:
    explicit TFDetalle(QWidget* parent = nullptr);
};

extern TFDetalle* FDetalle;
