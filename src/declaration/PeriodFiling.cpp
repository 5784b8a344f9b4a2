#include "PeriodFiling.h"

#include "DeclarationCheck.h"
#include "DeclarationFile.h"
#include "Destination.h"
#include "FiledFiles.h"
#include "FilingCheck.h"
#include "backup/Backup.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/files/FileOps.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace filing {

namespace {

void setPeriodViews(TDModulo& m, const QString& filter)
{
    m.TVerDetalles->setFiltered(false);
    m.TVerMaquinas->setFiltered(false);
    for (store::Dataset* view : {m.TVerDetalles, m.TVerMaquinas}) {
        view->setFilter(filter);
        view->setFiltered(true);
    }
}

// The declaration of the current period row, written under a visible pending name beside its
// final one, and its copy for the archive below the tables likewise. The names are recorded
// before the change begins and again, with their targets, in the change; the files take their
// final names only once the change has committed. Until then an earlier file of either name
// stays as it was; a crash leaves records that tell the next start either to remove the pending
// files or to put them in place. Made before the change's transaction, so that it is undone after
// the transaction was rolled back.
class PendingDeclaration {
public:
    PendingDeclaration(TDModulo& m, const QString& target)
        : m_db(m.Session1_1->database()), m_tablesFolder(m.aliasFolder()),
          m_amendment(qRound64(m.TAnticipos->asFloat(QStringLiteral("Rectificativa"))))
    {
        m_file.target = target;
        m_file.temporary = target + QStringLiteral(".pendiente");
        m_kept.temporary =
            QDir(filed::archiveFolder(m_tablesFolder))
                .filePath(filed::archiveName(QFileInfo(target).fileName(), m_amendment) + QStringLiteral(".pendiente"));
        m_db.recordPendingIntent(m_file.temporary);
        m_db.recordPendingIntent(m_kept.temporary);
    }

    ~PendingDeclaration()
    {
        if (m_placed)
            return;
        for (const store::PendingFile& file : {m_file, m_kept}) {
            try {
                m_db.dropPendingFile(file.temporary);
            } catch (...) {
                // The record stays; the next start removes the file.
            }
        }
    }

    PendingDeclaration(const PendingDeclaration&) = delete;
    PendingDeclaration& operator=(const PendingDeclaration&) = delete;

    // Inside the change: recorded first, so a failed record leaves no file behind. The file
    // written is read back by the verifier: a file it would refuse is never filed. The pending
    // name is ours alone: a failure names the file the user asked for.
    void write(TDModulo& m, const QString& codigo)
    {
        m_db.recordPendingFile(m_file);
        declcheck::Report report;
        try {
            writeDeclarationFile(m, m_file.temporary, codigo);
            report = declcheck::checkFile(m_file.temporary, QFileInfo(m_file.target).fileName());
        } catch (const store::StoreError& e) {
            QString text = e.text();
            text.replace(QDir::toNativeSeparators(m_file.temporary), QDir::toNativeSeparators(m_file.target));
            throw store::StoreError(e.code(), text);
        }
        if (!report.ok())
            throw store::StoreError(store::ConversionError, refusal(report));
        keep();
    }

    // After the commit: the files take their names, each whatever comes of the other. Should
    // that fail, the filing is done all the same: the user is told, the record stays and the
    // next start finishes the work. The copy without a target was kept already.
    QString putInPlace(Prompt& prompt)
    {
        m_placed = true;
        for (const store::PendingFile& file : {m_file, m_kept}) {
            try {
                m_db.finishPendingFile(file);
            } catch (const store::StoreError& e) {
                prompt.notice(e.text() + QStringLiteral(" La presentación quedó registrada: el archivo tomará su "
                                                        "nombre la próxima vez que se abra el programa."));
            }
        }
        return m_file.target;
    }

private:
    static QString refusal(const declcheck::Report& report)
    {
        QStringList lines{
            QStringLiteral("No se generó la presentación: la declaración escrita no pasa la verificación, "
                           "y no se cambió nada.")};
        const int shown = 25;
        for (int i = 0; i < report.faults.size() && i < shown; ++i)
            lines << declcheck::faultText(report.faults[i]);
        if (report.faults.size() > shown || report.truncated)
            lines << QStringLiteral("… y más.");
        return lines.join(QLatin1Char('\n'));
    }

    // The copy for the archive, unless the same bytes are kept there already (the same filing
    // issued again).
    void keep()
    {
        const filed::ArchivePlace place =
            filed::archivePlace(m_tablesFolder, m_file.temporary, m_amendment, QFileInfo(m_file.target).fileName());
        if (place.kept)
            return;
        store::files::makeFolder(filed::archiveFolder(m_tablesFolder));
        m_kept.target = place.path;
        m_db.recordPendingFile(m_kept);
        store::files::copyToPending(m_file.temporary, m_kept.temporary);
    }

    store::Database& m_db;
    const QString m_tablesFolder;
    const qint64 m_amendment;
    store::PendingFile m_file, m_kept;
    bool m_placed = false;
};

// Closes the amendment in preparation of the current period row: Rec_pre takes Rectificativa.
void closeAmendment(TDModulo& m)
{
    store::Dataset* period = m.TAnticipos;
    period->edit();
    period->setValue(QStringLiteral("Rec_pre"), period->value(QStringLiteral("Rectificativa")));
    period->post();
}

const QString Success = QStringLiteral("La Presentación Fue Generada con Exito");

// The rows about to be written, checked before anything changes; false when the filing stops,
// each fault or warning told.
Result review(TDModulo& m, Prompt& prompt, Warnings warnings)
{
    filingcheck::Result found;
    {
        BusyScope busy(prompt);
        found = filingcheck::check(m);
    }
    if (!found.faults.isEmpty()) {
        prompt.error(filingcheck::faultsText(found));
        return Result::Faulty;
    }
    if (found.warnings.isEmpty())
        return Result::Filed;
    const QString text = filingcheck::warningsText(found);
    switch (warnings) {
    case Warnings::Ask:
        return prompt.box(text + QStringLiteral("\n\n¿Generar la presentación de todos modos?"),
                          QStringLiteral("Imprentas"), PromptButtons::YesNo, PromptIcon::Warning,
                          PromptButton::No) == PromptButton::Yes
                   ? Result::Filed
                   : Result::Warned;
    case Warnings::Accept:
        prompt.dialog(PromptIcon::Warning, text + QStringLiteral("\nSe genera de todos modos."), PromptButtons::Ok);
        return Result::Filed;
    case Warnings::Refuse:
        prompt.error(text + QStringLiteral("\nNo se generó la presentación."));
        return Result::Warned;
    }
    return Result::Warned;
}

}  // namespace

QString periodFilter(const QString& anio, const QString& anticipo)
{
    return QStringLiteral("anio='") + anio + QStringLiteral("'") + QStringLiteral(" and Anticipo='") + anticipo +
           QStringLiteral("'");
}

void showPeriod(TDModulo& m, const QString& anio, const QString& anticipo)
{
    setPeriodViews(m, periodFilter(anio, anticipo));
}

void showOpenPeriod(TDModulo& m) { setPeriodViews(m, QStringLiteral("anio=null and Anticipo=null")); }

bool acceptDestination(TDModulo& m, Prompt& prompt, const QString& destino, const std::function<void()>& afterPrompt)
{
    if (!destination::isDiskette(destino))
        return true;
    prompt.notice(QStringLiteral("Inserte un diskette"));
    if (afterPrompt)
        afterPrompt();
    // A drive never set up is not a full one: the clerk is told how to set it up.
    if (m.config && !m.config->driveConfigured(QLatin1Char('A'))) {
        prompt.notice(m.config->driveNotConfiguredText(QLatin1Char('A')));
        return false;
    }
    if (destination::disketteHasRoom(m.config))
        return true;
    prompt.notice(QStringLiteral("No hay suficiente espacio en el disco"));
    return false;
}

void prepareReport(TDModulo& m, const QString& anio, const QString& anticipo)
{
    m.QBorraForm->execSql();
    m.QInsertaForm->close();
    m.QInsertaForm->setParam(0, anio);
    m.QInsertaForm->setParam(1, anticipo);
    m.QInsertaForm->execSql();
    m.Qrep->close();
    m.Qrep->setParam(0, anio);
    m.Qrep->setParam(1, anticipo);
    m.Qrep->open();
}

Outcome fileOpenPeriod(TDModulo& m, Prompt& prompt, const QString& destino, Warnings warnings)
{
    store::Dataset* period = m.TAnticipos;
    if (!period->editing())
        throw store::StoreError(store::NotEditing, QStringLiteral("No hay un período nuevo para presentar."));
    // A cell typed into a grid and not stored would otherwise be stored after the filing, into
    // a row no longer open: the file and the tables would disagree.
    m.cancelPendingEdits(period);
    const QString anio = period->text(QStringLiteral("Anio"));
    const QString anticipo = period->text(QStringLiteral("Anticipo"));
    if (anio.isEmpty() || anticipo.isEmpty()) {
        prompt.notice(QStringLiteral("Cargar Anio y el Anticipo"));
        return {Result::MissingPeriod, {}, {}};
    }

    // "7" is the period "07": tested as it will be stored, so no period is filed twice.
    m.QAnt->close();
    m.QAnt->setParam(0, anio);
    m.QAnt->setParam(1, TDModulo::storedAnticipo(anticipo));
    m.QAnt->open();
    const bool filed = m.QAnt->recordCount() > 0 && m.QAnt->asInteger(QStringLiteral("exito")) == 1;
    m.QAnt->close();
    if (filed) {
        prompt.notice(QStringLiteral("Este Anticipo ya fue Presentado"));
        return {Result::AlreadyFiled, {}, {}};
    }
    showOpenPeriod(m);
    if (const Result checked = review(m, prompt, warnings); checked != Result::Filed)
        return {checked, {}, {}};
    // Asked before the change begins: no transaction waits on a person.
    if (!acceptDestination(m, prompt, destino))
        return {Result::NoRoom, {}, {}};

    Outcome outcome;
    {
        BusyScope busy(prompt);
        backup::makeSafetyCopy(m.aliasFolder(), backup::Work::Filing);
        PendingDeclaration file(m, declarationTarget(m, destino));
        store::Transaction change(m.Session1_1->database());
        try {
            period->post();
            const QString storedAnio = period->text(QStringLiteral("Anio"));
            const QString storedAnticipo = period->text(QStringLiteral("Anticipo"));
            outcome.codigo = CodigoControl(storedAnio, storedAnticipo, m.TImprentas->text(QStringLiteral("Cuit")));
            showOpenPeriod(m);
            file.write(m, outcome.codigo);
            for (store::Query* stamp : {m.QMod, m.QAntM}) {
                stamp->close();
                stamp->setParam(0, storedAnio);
                stamp->setParam(1, storedAnticipo);
                stamp->execSql();
            }
            m.TDetalles->refresh();
            m.TMaquinas->refresh();
            m.TDetalles->flushBuffers();
            m.TMaquinas->flushBuffers();
            prepareReport(m, storedAnio, storedAnticipo);
            change.commit();
            outcome.path = file.putInPlace(prompt);
        } catch (...) {
            m.Qrep->close();
            throw;
        }
    }
    prompt.notice(Success);
    return outcome;
}

Outcome fileFiledPeriod(TDModulo& m, Prompt& prompt, const QString& destino, bool closeTheAmendment, Warnings warnings)
{
    m.cancelPendingEdits();
    const QString anio = m.TAnticipos->text(QStringLiteral("Anio"));
    const QString anticipo = m.TAnticipos->text(QStringLiteral("Anticipo"));
    showPeriod(m, anio, anticipo);
    if (const Result checked = review(m, prompt, warnings); checked != Result::Filed)
        return {checked, {}, {}};
    Outcome outcome;
    outcome.codigo = CodigoControl(anio, anticipo, m.TImprentas->text(QStringLiteral("Cuit")));
    {
        BusyScope busy(prompt);
        const bool amendment = qRound64(m.TAnticipos->asFloat(QStringLiteral("Rectificativa"))) > 0;
        backup::makeSafetyCopy(m.aliasFolder(), amendment ? backup::Work::Amendment : backup::Work::Reissue);
        PendingDeclaration file(m, declarationTarget(m, destino));
        store::Transaction change(m.Session1_1->database());
        if (closeTheAmendment)
            closeAmendment(m);
        showPeriod(m, anio, anticipo);
        file.write(m, outcome.codigo);
        prepareReport(m, anio, anticipo);
        change.commit();
        outcome.path = file.putInPlace(prompt);
    }
    prompt.notice(Success);
    return outcome;
}

}  // namespace filing
