#include "DeclarationPdfDialog.h"

#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/files/FileOps.h"
#include "declaration/DeclarationArchive.h"
#include "resources/Glyphs.h"
#include "widgets/DialogParts.h"
#include "widgets/StandardError.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

FormInstance<DeclarationPdfDialog> FDeclaracionPdf;

namespace {

bool desktopViewer(const QUrl& url) { return QDesktopServices::openUrl(url); }

DeclarationPdfDialog::Viewer& viewer()
{
    static DeclarationPdfDialog::Viewer open = desktopViewer;
    return open;
}

}  // namespace

DeclarationPdfDialog::DeclarationPdfDialog(QWidget* parent)
    : PeriodListDialog("FDeclaracionPdf", QStringLiteral("Declaración en PDF"), QStringLiteral("Abrir"),
                       QStringLiteral("Salir"), parent)
{
    BitBtn3 = parts::button("BitBtn3", QStringLiteral("Guardar…"), glyph::accept(), this);
    addButton(BitBtn3);
    connect(BitBtn3, &QPushButton::clicked, this, guarded(this, &DeclarationPdfDialog::BitBtn3Click));
}

void DeclarationPdfDialog::setViewer(Viewer open) { viewer() = open ? std::move(open) : Viewer(desktopViewer); }

QString DeclarationPdfDialog::currentPdf()
{
    store::Dataset* period = DModulo->TAnticipos;
    BusyScope busy(Prompt::current());
    return archive::pdfOfFiledPeriod(*DModulo, period->text(QStringLiteral("Anio")),
                                     period->text(QStringLiteral("Anticipo")));
}

void DeclarationPdfDialog::openPeriod()
{
    const QString pdf = currentPdf();
    if (!viewer()(QUrl::fromLocalFile(pdf)))
        Prompt::current().notice(QStringLiteral("No se pudo abrir un visor de PDF. La declaración está en %1.")
                                     .arg(QDir::toNativeSeparators(pdf)));
}

void DeclarationPdfDialog::BitBtn3Click()
{
    if (!hasPeriod())
        return;
    const QString pdf = currentPdf();
    const QString folder = m_saveFolder.isEmpty() ? QDir::homePath() : m_saveFolder;
    const QString chosen = Prompt::current().saveFileName(QStringLiteral("Guardar Declaración en PDF"),
                                                          QDir(folder).filePath(QFileInfo(pdf).fileName()),
                                                          QStringLiteral("Documentos PDF (*.pdf)"));
    if (chosen.isEmpty() || QFileInfo(chosen).absoluteFilePath() == QFileInfo(pdf).absoluteFilePath())
        return;
    store::files::copyFile(pdf, chosen);
    m_saveFolder = QFileInfo(chosen).absolutePath();
    Prompt::current().notice(
        QStringLiteral("La declaración quedó guardada en %1.").arg(QDir::toNativeSeparators(chosen)));
}
