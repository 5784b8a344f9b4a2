#pragma once

#include "maintenance/TableRepair.h"
#include "widgets/FormDialog.h"
#include "widgets/FormInstance.h"

#include <memory>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class TBDEUtil;

namespace store {
class Session;
}

// Verifies and rebuilds the six table files one after the other, keeping a backup of each, and
// tells whether all of them were rebuilt. The data module's views are closed while it is shown;
// it finds the tables through a store session of its own.
class TFReparacion : public FormDialog {
    Q_OBJECT
public:
    explicit TFReparacion(QWidget* parent = nullptr);
    ~TFReparacion() override;

    store::Session* Session1;

    // Whether a run since the dialog was last shown could not rebuild every table.
    bool runFailed() const { return m_ran && !m_run.complete(); }

public slots:
    void FormShow();
    void FormClose();
    void BitBtn1Click();  // "    &Reparar": the run over the six tables
    void BitBtn2Click();  // "        &Salir"

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void finishRun();
    void showReport(bool shown);

    QFrame* Panel1;
    QFrame* Panel2;
    QLabel* Memo1;  // idle
    QLabel* Memo2;  // working
    QLabel* Memo3;  // success
    QLabel* Memo4;  // failure
    QGroupBox* GroupBox1;
    QProgressBar* ProgressBar1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QComboBox* ComboBox1;     // hidden: the tables, in the order they are repaired
    QLineEdit* Edit1;         // hidden: the path of the table being repaired
    QPlainTextEdit* Informe;  // after a run: what became of each table

    std::unique_ptr<TBDEUtil> m_util;
    tablerepair::RunOutcome m_run;  // the current run
    bool m_ran = false;
};

extern FormInstance<TFReparacion> FReparacion;
