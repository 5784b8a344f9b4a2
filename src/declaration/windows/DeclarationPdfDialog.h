#pragma once

#include "PeriodListDialog.h"
#include "widgets/FormInstance.h"

#include <QUrl>
#include <functional>

// The filed periods, for the PDF of each one's form: opened in the desktop's viewer or saved
// where the user chooses, made again from the tables when it is missing.
class DeclarationPdfDialog : public PeriodListDialog {
    Q_OBJECT
public:
    explicit DeclarationPdfDialog(QWidget* parent = nullptr);

    QPushButton* BitBtn3;  // "Guardar…"
    void BitBtn3Click();

    // Hands a file to the desktop's viewer; tests put their own in its place.
    using Viewer = std::function<bool(const QUrl&)>;
    static void setViewer(Viewer viewer);

protected:
    void openPeriod() override;

private:
    QString currentPdf();
    QString m_saveFolder;  // where the last copy was saved
};

extern FormInstance<DeclarationPdfDialog> FDeclaracionPdf;
