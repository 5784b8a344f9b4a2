#pragma once

#include <QDialog>

// The about box: the program's name and version and the authority it serves.
class TFAcerca : public QDialog {
    Q_OBJECT
public:
    explicit TFAcerca(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

extern TFAcerca* FAcerca;
