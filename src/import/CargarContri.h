#pragma once

#include <QDialog>

// Loads the client register from a fixed-column text file.
class TFCargarcont : public QDialog {
    Q_OBJECT
public:
    explicit TFCargarcont(QWidget* parent = nullptr);
};

extern TFCargarcont* FCargarcont;
