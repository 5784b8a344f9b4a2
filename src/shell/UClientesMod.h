#pragma once

#include <QDialog>

// The client list, from which clients are looked up, changed and deleted.
class TFClienteMod : public QDialog {
    Q_OBJECT
public:
    explicit TFClienteMod(QWidget* parent = nullptr);
};

extern TFClienteMod* FClienteMod;
