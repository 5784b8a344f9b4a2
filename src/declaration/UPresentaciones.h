#pragma once

#include <QDialog>

// Files the open period: the declaration file, the stamp and the printout.
class TFPresentaciones : public QDialog {
    Q_OBJECT
public:
    explicit TFPresentaciones(QWidget* parent = nullptr);
};

extern TFPresentaciones* FPresentaciones;
