#pragma once

#include "ClientImport.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Loads the client register from a fixed-column text file: only complete, valid and new
// clients are added; nothing already in the table changes. The column positions typed in last
// while the program runs.
class TFCargarcont : public QDialog {
    Q_OBJECT
public:
    explicit TFCargarcont(QWidget* parent = nullptr);

    import::ClientColumns columns() const;  // as the spinners stand

public slots:
    void FormActivate();
    void BitBtn1Click();  // "S&eleccionar"
    void BitBtn2Click();  // "&Cargar"
    void BitBtn3Click();  // "&Salir"
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* GroupBox1;
    QSpinBox* SE[15] = {};  // SE[1] to SE[14]: "Desde" and "Hasta" of each value, in row order
    QLineEdit* Edit1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QLabel* Label9;  // the progress

    QString m_fileName;  // the file last picked in the file dialog
    bool m_running = false;
};

extern TFCargarcont* FCargarcont;
