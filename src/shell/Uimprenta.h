#pragma once

#include <QDialog>

// The agent's own data: the one row of the agent table.
class TFImprenta : public QDialog {
    Q_OBJECT
public:
    explicit TFImprenta(QWidget* parent = nullptr);
};

extern TFImprenta* FImprenta;
