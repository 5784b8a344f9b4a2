#pragma once

#include "declaration/DeclarationCheck.h"

#include "widgets/FormDialog.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// What the verifier found in a declaration file: its summary, or every fault with its line and
// field. The window only shows it; it is opened anew for each file.
class VerifierDialog : public FormDialog {
    Q_OBJECT
public:
    VerifierDialog(const QString& path, const declcheck::Report& report, QWidget* parent = nullptr);

    // Asks for a declaration file, checks it and shows the outcome; nothing when no file is chosen.
    static void verifyChosenFile(const QString& folder, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* Edit1;       // the file
    QLabel* Label2;         // correct, or how many faults
    QPlainTextEdit* Memo1;  // the summary or the faults
    QPushButton* BitBtn1;   // "&Aceptar"
};
