#pragma once

#include <QDialog>

// The filed periods, for issuing one again.
class TFVer : public QDialog {
    Q_OBJECT
public:
    explicit TFVer(QWidget* parent = nullptr);
};

extern TFVer* FVer;
