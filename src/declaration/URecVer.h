#pragma once

#include <QDialog>

// Picks the filed period to amend.
class TFrecver : public QDialog {
    Q_OBJECT
public:
    explicit TFrecver(QWidget* parent = nullptr);
};

extern TFrecver* Frecver;
