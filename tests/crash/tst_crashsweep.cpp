// Every piece of work that writes the tables, killed at each of its writes, syncs, renames and
// removals in turn: once the program opens the folder again, the work is there whole or not at
// all. Each work names the one thing it must leave; the sweep goes over every call.

#include "../maintenance/TableFiles.h"
#include "CrashSweep.h"
#include "ImportLines.h"
#include "OpenStore.h"
#include "SampleCuit.h"
#include "SamplePeriod.h"
#include "ScriptedPrompt.h"
#include "backup/Backup.h"
#include "data/Schema.h"
#include "data/files/CheckedFiles.h"
#include "data/files/FolderLock.h"
#include "declaration/PeriodFiling.h"
#include "details/PeriodRows.h"
#include "imports/ClientImport.h"
#include "imports/DetailImport.h"
#include "maintenance/TBDEUtil.h"
#include "maintenance/TableRepair.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using fixture::ClientLayout;
using fixture::cuitFor;
using fixture::DetailLayout;
using fixture::fileOf;
using fixture::numberedClientLine;
using fixture::numberedDetailLine;
using fixture::OpenStore;
using fixture::writeFile;

namespace {

const QString Anio = QStringLiteral("2024");
const QString Anticipo = QStringLiteral("03");
const QByteArray Earlier = "una presentación anterior del mismo período\r\n";

QString declarationOf(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("ddjj/") + cuitFor(99999999) + Anio + Anticipo +
                                 QStringLiteral(".imp"));
}

void copyFolder(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(path));
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!QFile::copy(path, target))
            qFatal("cannot copy %s", qPrintable(path));
    }
}

QByteArray clientFile(int first, int count)
{
    QStringList lines;
    for (int i = first; i < first + count; ++i)
        lines << numberedClientLine(5000 + i, i);
    return fileOf(lines);
}

// Lines of the first registered client; a client number past the two registered makes the last
// line fail.
QByteArray detailFile(int first, int count, bool lastFails = false)
{
    QStringList lines;
    for (int i = first; i < first + count; ++i) {
        const QString cuit = lastFails && i == first + count - 1 ? cuitFor(777) : cuitFor(10000001);
        lines << numberedDetailLine(cuit, QStringLiteral("CLIENTE 1 SA"), QStringLiteral("05/03/2024"), i);
    }
    return fileOf(lines);
}

// What the program finds in a folder once it opens it: every row of every table, whether the
// table files pass SQLite's own check, and every other file with its bytes (the repair's
// backups aside, and the lock file, which only says who last worked there).
QString state(const QString& folder)
{
    QStringList out;
    try {
        OpenStore s(folder);
        for (const store::TableDef& def : schema::tables()) {
            store::Statement rows(
                s.db(), QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(s.db().qualifiedTable(def.tableName)));
            out << def.tableName + QLatin1Char(':');
            while (rows.step()) {
                QStringList values;
                for (int c = 0; c < rows.columnCount(); ++c)
                    values << rows.column(c).toString();
                out << values.join(QLatin1Char('|'));
            }
        }
        store::Statement check(s.db(), QStringLiteral("PRAGMA integrity_check"));
        while (check.step())
            out << QStringLiteral("integrity: ") + check.column(0).toString();
    } catch (const std::exception& e) {
        out << QStringLiteral("no abre: ") + QString::fromUtf8(e.what());
    }
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        // The table files are looked at through their rows above. SQLite's own journals are
        // its business: one that is not hot, or the super-journal of a commit over several
        // tables cut short, is left behind by it and means nothing once the tables open. The
        // record of files found sound only spares a check; a stale one costs a full check.
        if (name.startsWith(QLatin1String("back/")) || name.endsWith(QLatin1String(".conf")) ||
            name == store::CheckedFiles::FileName || name == store::FolderLock::FileName ||
            name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive) || name.endsWith(QLatin1String("-journal")) ||
            name.contains(QLatin1String(".db-mj"), Qt::CaseInsensitive))
            continue;
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files << name + QLatin1Char(' ') +
                     QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex());
    }
    files.sort();
    return (out + files).join(QLatin1Char('\n'));
}

// The automatic copies a work makes before it begins appear whole or not at all: each one listed
// is a backup a restore takes, or one listed as holding damaged tables.
QString unfinishedCopy(const QString& folder)
{
    for (const backup::Found& copy : backup::backupsBeside(folder)) {
        if (copy.reason.isEmpty() || !copy.restorable)
            continue;
        try {
            backup::readBackup(copy.file);
        } catch (const std::exception& e) {
            return QStringLiteral("la copia automática %1 no está entera: %2")
                .arg(copy.file, QString::fromUtf8(e.what()));
        }
    }
    return {};
}

// The first differing line of two states, for the failure message.
QString difference(const QString& found, const QString& before, const QString& after)
{
    const QStringList f = found.split(QLatin1Char('\n')), b = before.split(QLatin1Char('\n')),
                      a = after.split(QLatin1Char('\n'));
    for (int i = 0; i < f.size(); ++i)
        if (f[i] != b.value(i) && f[i] != a.value(i))
            return QStringLiteral("\"%1\" no es de antes (\"%2\") ni de después (\"%3\")")
                .arg(f[i], b.value(i), a.value(i));
    return QStringLiteral("una mezcla de antes y después");
}

// The pending period row the generate form starts.
void newPeriod(TDModulo& m)
{
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), Anio);
    m.TAnticipos->setText(QStringLiteral("Anticipo"), Anticipo);
}

QString ddjj(const QString& folder) { return QDir(folder).filePath(QStringLiteral("ddjj")); }

// The work each child does, by name: 0 when it ended as the undisturbed work ends.
int runWork(const QString& name, const QString& folder, const QString& input)
{
    ScriptedPrompt prompt;
    if (name == QLatin1String("reparar")) {
        TBDEUtil util;
        tablerepair::RunOutcome run;
        tablerepair::repairAll(util, prompt, folder, run);
        return run.repaired == tablerepair::tableBases().size() - 1 ? 0 : 1;  // the damaged table loses rows
    }
    if (name == QLatin1String("primer-inicio")) {
        OpenStore s(folder);
        return 0;
    }
    if (name == QLatin1String("restaurar")) {
        // On closed tables, as the window and the order run it; the input is the backup.
        prompt.answer(PromptButton::Yes);
        return backup::restoreBackup(folder, input, prompt).restored ? 0 : 1;
    }
    OpenStore s(folder);
    TDModulo& m = s.modulo;
    if (name == QLatin1String("presentar")) {
        newPeriod(m);
        return filing::fileOpenPeriod(m, prompt, ddjj(folder)).result == filing::Result::Filed ? 0 : 1;
    }
    if (name == QLatin1String("regenerar") || name == QLatin1String("rectificativa")) {
        m.TAnticipos->first();
        const bool close = name == QLatin1String("rectificativa");
        return filing::fileFiledPeriod(m, prompt, ddjj(folder), close).result == filing::Result::Filed ? 0 : 1;
    }
    if (name == QLatin1String("importar-clientes"))
        return imports::importClients(m, m.prompt(), input, ClientLayout) > 0 ? 0 : 1;
    if (name.startsWith(QLatin1String("importar-detalles"))) {
        const bool fails = name.endsWith(QLatin1String("falla"));
        prompt.answer(PromptButton::Ok);
        if (fails)
            prompt.answer(PromptButton::No);
        const imports::DetailOutcome outcome = imports::importDetails(m, m.prompt(), input, DetailLayout);
        return (outcome.code == imports::RowTaken) != fails ? 0 : 1;
    }
    qFatal("no such work: %s", qPrintable(name));
}

}  // namespace

class TestCrashSweep : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString pristine() const { return m_dir->filePath(QStringLiteral("pristine")); }
    QString folder() const { return m_dir->filePath(QStringLiteral("tablas")); }
    QString input() const { return m_dir->filePath(QStringLiteral("entrada.txt")); }

    // The pristine folder: the agent, two clients, an open period of ten rows and two machines.
    TDModulo& makePristine(std::unique_ptr<OpenStore>& s)
    {
        s = std::make_unique<OpenStore>(pristine());
        fixture::fillOpenPeriod(s->modulo);
        return s->modulo;
    }

    // The pristine folder with detail lines imported into the open period.
    void makePristineWithImport(int first, int count)
    {
        std::unique_ptr<OpenStore> s;
        TDModulo& m = makePristine(s);
        ScriptedPrompt prompt;
        prompt.answer(PromptButton::Ok);
        writeFile(input(), detailFile(first, count));
        QCOMPARE(imports::importDetails(m, m.prompt(), input(), DetailLayout).code, int(imports::RowTaken));
    }

    void fileFirst(TDModulo& m)
    {
        ScriptedPrompt prompt;
        newPeriod(m);
        QCOMPARE(filing::fileOpenPeriod(m, prompt, ddjj(pristine())).result, filing::Result::Filed);
    }

    // Kills the work at every call and compares what the program then finds with the folder
    // before the work and after an undisturbed run: it must be one of the two.
    void sweepWholeOrNothing(const QString& name)
    {
        const QStringList arguments{QStringLiteral("--work"), name, folder(), input()};
        copyFolder(pristine(), folder());
        const QString before = state(folder());
        copyFolder(pristine(), folder());
        QCOMPARE(runWork(name, folder(), input()), 0);
        const QString after = state(folder());
        QVERIFY2(before != after, "the work changed nothing");

        crashsweep::Work work;
        work.reset = [&] { copyFolder(pristine(), folder()); };
        work.childArguments = arguments;
        work.halfDone = [&]() -> QString {
            const QString found = state(folder());
            if (found != before && found != after)
                return difference(found, before, after);
            return unfinishedCopy(folder());
        };
        report(crashsweep::sweep(work));
    }

    void report(const crashsweep::Figures& figures)
    {
        if (!figures.traceable)
            QSKIP("strace cannot trace processes here");
        qInfo("%s: %s", QTest::currentTestFunction(), qPrintable(figures.summary()));
        QVERIFY2(figures.failures.isEmpty(), qPrintable(figures.failures.join(QLatin1Char('\n'))));
        QVERIFY(figures.tried > 0);
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_dir.reset(); }

    // The open period filed over an earlier file of the same name.
    void presentar()
    {
        {
            std::unique_ptr<OpenStore> s;
            makePristine(s);
        }
        writeFile(declarationOf(pristine()), Earlier);
        sweepWholeOrNothing(QStringLiteral("presentar"));
    }

    // A filed period issued again over a file that is not its own.
    void regenerar()
    {
        {
            std::unique_ptr<OpenStore> s;
            fileFirst(makePristine(s));
        }
        writeFile(declarationOf(pristine()), Earlier);
        sweepWholeOrNothing(QStringLiteral("regenerar"));
    }

    // A voided row raised the amendment number; the re-issue closes the amendment.
    void rectificativa()
    {
        {
            std::unique_ptr<OpenStore> s;
            TDModulo& m = makePristine(s);
            fileFirst(m);
            ScriptedPrompt prompt;
            m.TAnticipos->first();
            filing::showPeriod(m, Anio, Anticipo);
            m.TVerDetalles->first();
            m.TVerDetalles->edit();
            m.TVerDetalles->setText(QStringLiteral("Anulado"), QStringLiteral("S"));
            QVERIFY(periodrows::postToFiledPeriod(m, prompt, *m.TVerDetalles));
            QVERIFY(periodrows::amendmentInPreparation(*m.TAnticipos));
        }
        writeFile(declarationOf(pristine()), Earlier);
        sweepWholeOrNothing(QStringLiteral("rectificativa"));
    }

    void importarClientes()
    {
        {
            std::unique_ptr<OpenStore> s;
            makePristine(s);
        }
        writeFile(input(), clientFile(1, 20));
        sweepWholeOrNothing(QStringLiteral("importar-clientes"));
    }

    // Beside rows of an earlier import, which stay.
    void importarDetalles()
    {
        makePristineWithImport(100, 3);
        writeFile(input(), detailFile(1, 20));
        sweepWholeOrNothing(QStringLiteral("importar-detalles"));
    }

    // A failing last line takes every imported row of the open period with it, those of the
    // earlier import too.
    void importarDetallesFalla()
    {
        makePristineWithImport(100, 3);
        writeFile(input(), detailFile(1, 20, true));
        sweepWholeOrNothing(QStringLiteral("importar-detalles-falla"));
    }

    // A backup of the filed period restored over tables and a declaration changed since: after
    // any kill the six tables and the files of ddjj are all those of before or all the backup's.
    void restaurar()
    {
        {
            std::unique_ptr<OpenStore> s;
            fileFirst(makePristine(s));
        }
        QFile::remove(input());
        QCOMPARE(backup::makeBackup(pristine(), input() + QStringLiteral(".zip")), input() + QStringLiteral(".zip"));
        QVERIFY(QFile::rename(input() + QStringLiteral(".zip"), input()));
        {
            OpenStore s(pristine());
            TDModulo& m = s.modulo;
            m.TCliente->insert();
            m.TCliente->setText(QStringLiteral("Cuit"), cuitFor(33333333));
            m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("POSTERIOR SA"));
            m.TCliente->post();
            s.db().exec(QStringLiteral("DELETE FROM %1").arg(s.db().qualifiedTable(QStringLiteral("maquina"))));
        }
        writeFile(declarationOf(pristine()), Earlier);
        sweepWholeOrNothing(QStringLiteral("restaurar"));
    }

    // A first start killed at any call: the next start opens the folder, all six tables there,
    // without a word to the clerk.
    void primerInicio()
    {
        crashsweep::Work work;
        work.reset = [&] { QDir(folder()).removeRecursively(); };
        work.childArguments = {QStringLiteral("--work"), QStringLiteral("primer-inicio"), folder(), input()};
        work.halfDone = [&]() -> QString {
            ScriptedPrompt prompt;
            try {
                OpenStore s(folder());
                for (const store::TableDef& def : schema::tables())
                    if (s.count(def.tableName) != 0)
                        return def.fileName + QStringLiteral(" no quedó vacía");
            } catch (const std::exception& e) {
                return QStringLiteral("no abre: ") + QString::fromUtf8(e.what());
            }
            if (!prompt.texts().isEmpty())
                return QStringLiteral("avisa: ") + prompt.texts().join(QStringLiteral(" / "));
            return {};
        };
        report(crashsweep::sweep(work));
    }

    // The repair of a folder with one damaged table: after any kill the table is the damaged
    // file as it was or the rebuilt one, its backup whole or absent, the other tables keep every
    // row, and running the repair again ends with every readable row.
    void reparar()
    {
        const store::TableDef& def = schema::table(QStringLiteral("detalle"));
        makePristineWithImport(1, 300);
        const QString table = QDir(pristine()).filePath(def.fileName);
        tablefiles::Rows expected = tablefiles::tableRows(table, def.tableName);
        const QList<tablefiles::Leaf> leaves = tablefiles::leaves(table, def.tableName);
        QVERIFY(leaves.size() > 3);
        tablefiles::garblePage(table, leaves[2].page, 9);
        for (qint64 id : leaves[2].rowids)
            expected.remove(id);
        const QByteArray damaged = tablefiles::bytes(table);
        QList<std::pair<store::TableDef, tablefiles::Rows>> others;
        for (const store::TableDef& other : schema::tables())
            if (other.tableName != def.tableName)
                others.append(
                    {other, tablefiles::tableRows(QDir(pristine()).filePath(other.fileName), other.tableName)});

        const QString file = QDir(folder()).filePath(def.fileName);
        const QString backup = QDir(folder()).filePath(QStringLiteral("back/Detalle_BK.db"));
        crashsweep::Work work;
        work.reset = [&] { copyFolder(pristine(), folder()); };
        work.childArguments = {QStringLiteral("--work"), QStringLiteral("reparar"), folder(), input()};
        work.halfDone = [&]() -> QString {
            if (tablefiles::bytes(file) != damaged && tablefiles::tableRows(file, def.tableName) != expected)
                return QStringLiteral("la tabla no es la dañada ni la reconstruida");
            if (QFileInfo::exists(backup) && tablefiles::bytes(backup) != damaged)
                return QStringLiteral("la copia de la tabla dañada está incompleta");
            for (const auto& [other, rows] : others)
                if (tablefiles::tableRows(QDir(folder()).filePath(other.fileName), other.tableName) != rows)
                    return other.fileName + QStringLiteral(" perdió filas");
            if (const QString copy = unfinishedCopy(folder()); !copy.isEmpty())
                return copy;
            ScriptedPrompt prompt;
            TBDEUtil util;
            tablerepair::RunOutcome run;
            tablerepair::repairAll(util, prompt, folder(), run);
            if (tablefiles::tableRows(file, def.tableName) != expected)
                return QStringLiteral("la reparación repetida no recuperó las filas legibles");
            return {};
        };
        report(crashsweep::sweep(work));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--work") == 0) {
        try {
            return runWork(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                           QString::fromLocal8Bit(argv[4]));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 3;
        }
    }
    TestCrashSweep test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsweep.moc"
