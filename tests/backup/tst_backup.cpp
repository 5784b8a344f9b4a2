// Backups and their restore: a copy taken while another connection writes is one state of the
// tables, a restore brings back every row and the declarations, and a backup that is not whole,
// not ours or newer than the program is refused before anything changes.

#include "../maintenance/TableFiles.h"
#include "OpenStore.h"
#include "SampleCuit.h"
#include "SamplePeriod.h"
#include "ScriptedPrompt.h"
#include "backup/Backup.h"
#include "backup/Manifest.h"
#include "backup/ZipFile.h"
#include "data/Schema.h"
#include "data/files/StagedFiles.h"
#include "data/store/StoreError.h"
#include "declaration/PeriodFiling.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

using fixture::cuitFor;
using fixture::OpenStore;

namespace {

using TableRows = QMap<QString, tablefiles::Rows>;
using Files = QMap<QString, QByteArray>;

TableRows rowsOf(const QString& folder)
{
    TableRows rows;
    for (const store::TableDef& def : schema::tables())
        rows.insert(def.fileName, tablefiles::tableRows(QDir(folder).filePath(def.fileName), def.tableName));
    return rows;
}

Files filesIn(const QString& folder)
{
    Files files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, tablefiles::bytes(QDir(folder).filePath(name)));
    return files;
}

Files tableBytes(const QString& folder)
{
    Files files;
    for (const store::TableDef& def : schema::tables())
        files.insert(def.fileName, tablefiles::bytes(QDir(folder).filePath(def.fileName)));
    return files;
}

// The agent, two clients, the period 03/2024 filed with its declaration in ddjj, and a file of
// the user's own beside it.
void fillAndFile(const QString& folder)
{
    OpenStore s(folder);
    fixture::fillOpenPeriod(s.modulo);
    ScriptedPrompt prompt;
    s.modulo.TAnticipos->insert();
    s.modulo.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    s.modulo.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
    QCOMPARE(filing::fileOpenPeriod(s.modulo, prompt, QDir(folder).filePath(QStringLiteral("ddjj"))).result,
             filing::Result::Filed);
    tablefiles::write(QDir(folder).filePath(QStringLiteral("ddjj/nota de envío.txt")), "presentada en mano\n");
}

QString digest(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// The entries of a backup by name, and its manifest.
struct Unpacked {
    Files entries;
    backup::Manifest manifest;
};

Unpacked unpack(const QString& zipFile)
{
    QTemporaryDir dir;
    QHash<QString, QString> placed;
    const QList<backup::zip::Listed> listed = backup::zip::list(zipFile, 1000);
    backup::zip::extract(
        zipFile, listed,
        [&](const QString& name) {
            const QString path = dir.filePath(QString::number(placed.size()));
            placed.insert(name, path);
            return path;
        },
        [](const QString&, const QByteArray&) {});
    Unpacked u;
    for (auto it = placed.cbegin(); it != placed.cend(); ++it)
        u.entries.insert(it.key(), tablefiles::bytes(it.value()));
    const QString fault = backup::parseManifest(u.entries.take(backup::ManifestName), &u.manifest);
    if (!fault.isEmpty())
        qFatal("the program's own backup has no manifest: %s", qPrintable(fault));
    return u;
}

// A zip of the entries with a manifest that lists them with the digests of digested (by default
// the entries themselves); manifestText, when given, is the manifest's whole text instead.
void pack(const QString& zipFile, const Files& entries, backup::Manifest manifest, bool withManifest = true,
          const std::optional<Files>& digested = {}, const std::optional<QByteArray>& manifestText = {})
{
    QList<backup::zip::Entry> list;
    manifest.files.clear();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        list << backup::zip::Entry{it.key(), {}, it.value()};
        manifest.files.append(
            {it.key(), it.value().size(), digest(digested.value_or(entries).value(it.key())).toLatin1()});
    }
    if (withManifest)
        list.prepend(
            backup::zip::Entry{backup::ManifestName, {}, manifestText.value_or(backup::manifestText(manifest))});
    backup::zip::write(zipFile, list);
}

// The central directory record of the entry name in a zip's bytes, given to change to alter it
// (its fixed part first, then the name): a zip that lies about an entry.
void patchCentralRecord(QByteArray& zipBytes, const QString& name, const std::function<void(char* record)>& change)
{
    const QByteArray utf8 = name.toUtf8();
    for (qsizetype at = zipBytes.indexOf("PK\x01\x02"); at >= 0; at = zipBytes.indexOf("PK\x01\x02", at + 4)) {
        const auto u16 = [&](int offset) {
            return int(quint8(zipBytes[at + offset])) | int(quint8(zipBytes[at + offset + 1])) << 8;
        };
        if (zipBytes.mid(at + 46, u16(28)) == utf8) {
            change(zipBytes.data() + at);
            return;
        }
    }
    qFatal("no central record for %s", qPrintable(name));
}

void putU32(char* at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char(value >> (8 * i) & 0xff);
}

// The peak of this process's resident memory, in kB, since the last reset.
qint64 peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Resets the peak to what is resident now; false where the system cannot.
bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

qint64 residentMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// A table file that is not the one its name says: our marks, another layout.
QByteArray foreignTable(const QString& scratch)
{
    tablefiles::exec(scratch, QStringLiteral("PRAGMA application_id=%1; PRAGMA user_version=%2; "
                                             "CREATE TABLE cliente (Id INTEGER, Nombre TEXT);"
                                             "INSERT INTO cliente VALUES (1, 'OTRO');")
                                  .arg(store::Database::ApplicationId)
                                  .arg(store::Database::SchemaVersion));
    return tablefiles::bytes(scratch);
}

enum class Fault {
    NotZip,
    Empty,
    CutInHalf,
    CutAtEnd,
    NoManifest,
    NoTable,
    DamagedTable,
    AlteredTable,
    ForeignTable,
    Newer,
    StrayEntry,
    Utf16Table,
    HugeManifest,
    ManyEntries,
    LyingSize,
    UnlistedEntry,
    WrongSize,
    FifoEntry,
    RepeatedEntry,
    NamedTwice,
    OddVersion,
    PendingEntry,
    LongName,
    ZipInside,
    NoRoom,
};

// The table of path, of the program's layout and rows, with its texts kept in UTF-16.
// A table of the program's layout whose texts are kept in UTF-16.
QByteArray utf16Table(const QString& path, const QString& scratch)
{
    QStringList statements;
    for (const QStringList& row :
         tablefiles::query(path, QStringLiteral("SELECT rowid, sql FROM sqlite_master WHERE sql IS NOT NULL AND name "
                                                "NOT LIKE 'sqlite_%' ORDER BY rowid")))
        statements << row.value(0);
    tablefiles::exec(scratch, QStringLiteral("PRAGMA encoding='UTF-16le'; PRAGMA application_id=%1; "
                                             "PRAGMA user_version=%2; %3;")
                                  .arg(store::Database::ApplicationId)
                                  .arg(store::Database::SchemaVersion)
                                  .arg(statements.join(QStringLiteral("; "))));
    return tablefiles::bytes(scratch);
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

class TestBackup : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString tables() const { return m_dir->filePath(QStringLiteral("tablas")); }
    QString copies() const { return m_dir->filePath(QStringLiteral("copias")); }
    QString in(const QString& relative) const { return QDir(tables()).filePath(relative); }
    QStringList zipsIn(const QString& folder) const
    {
        return QDir(folder).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name);
    }

    // Refused by the check before the question, both by a look at the backup and by a restore,
    // with the tables, their folder and back/ as they were.
    void expectRefused(const QString& bad, const QString& message, int code = store::BackupRefused)
    {
        const TableRows rows = rowsOf(tables());
        const Files bytes = tableBytes(tables());
        const Files ddjj = filesIn(in(QStringLiteral("ddjj")));
        const QStringList folder = QDir(tables()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const bool restoring : {false, true}) {
            ScriptedPrompt prompt;  // a question would fail the test: none is answered
            const qint64 resident = residentMemory();
            const bool peakKnown = resetPeakMemory();
            QElapsedTimer clock;
            clock.start();
            try {
                if (restoring)
                    backup::restoreBackup(tables(), bad, prompt);
                else
                    backup::readBackup(bad);
                QFAIL("the backup was taken");
            } catch (const store::StoreError& e) {
                QCOMPARE(e.code(), code);
                QVERIFY2(e.text().contains(message), qPrintable(e.text()));
            }
            QVERIFY(prompt.shown().isEmpty());
            // However large the zip says it inflates, a refusal is quick and takes little memory.
            QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
            if (peakKnown)
                QVERIFY2(peakMemory() - resident < 64 * 1024, qPrintable(QString::number(peakMemory() - resident)));
        }
        QCOMPARE(tableBytes(tables()), bytes);
        QCOMPARE(rowsOf(tables()), rows);
        QCOMPARE(filesIn(in(QStringLiteral("ddjj"))), ddjj);
        QCOMPARE(QDir(tables()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), folder);
        QVERIFY(zipsIn(in(QStringLiteral("back"))).isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("fuera.txt"))));
        QVERIFY(!QFileInfo::exists(QDir(tables()).filePath(QStringLiteral("../fuera.txt"))));
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_dir.reset(); }

    // A backup, then changes to every kind of thing it holds, then the restore: every row of every
    // table and every file of ddjj is the backup's again, and the changed state is kept in back/.
    void restoreRoundTrips()
    {
        fillAndFile(tables());
        const TableRows before = rowsOf(tables());
        const Files ddjjBefore = filesIn(in(QStringLiteral("ddjj")));
        const Files archiveBefore = filesIn(in(QStringLiteral("ddjj/archivo")));
        QCOMPARE(ddjjBefore.size(), 2);
        QCOMPARE(archiveBefore.size(), 1);

        const QString zipFile = backup::makeBackup(tables(), copies());
        QVERIFY2(QRegularExpression(QStringLiteral("^tarvenio-%1-\\d{8}-\\d{6}\\.zip$").arg(cuitFor(99999999)))
                     .match(QFileInfo(zipFile).fileName())
                     .hasMatch(),
                 qPrintable(zipFile));
        QCOMPARE(QFileInfo(zipFile).absolutePath(), QFileInfo(copies()).absoluteFilePath());
        const backup::Contents contents = backup::readBackup(zipFile);
        QCOMPARE(contents.agent, QStringLiteral("IMPRENTA DEL SOL"));
        QCOMPARE(contents.cuit, cuitFor(99999999));
        QCOMPARE(contents.lastPeriod, QStringLiteral("03/2024"));
        QCOMPARE(contents.version, backup::programVersion());
        QStringList declarations = ddjjBefore.keys();
        for (const QString& kept : archiveBefore.keys())
            declarations << QStringLiteral("archivo/") + kept;
        declarations.sort();
        QCOMPARE(contents.declarations, declarations);
        for (const auto& [table, count] : contents.rows)
            QCOMPARE(count, qint64(before.value(table).size()));
        // A second backup in the same second takes a name of its own.
        QVERIFY(backup::makeBackup(tables(), copies()) != zipFile);

        {
            OpenStore s(tables());
            TDModulo& m = s.modulo;
            m.TImprentas->edit();
            m.TImprentas->setText(QStringLiteral("Nombre"), QStringLiteral("OTRO NOMBRE"));
            m.TImprentas->post();
            m.TCliente->insert();
            m.TCliente->setText(QStringLiteral("Cuit"), cuitFor(33333333));
            m.TCliente->setText(QStringLiteral("Razon_Social"), QStringLiteral("NUEVO SA"));
            m.TCliente->post();
            s.db().exec(QStringLiteral("DELETE FROM %1").arg(s.db().qualifiedTable(QStringLiteral("maquina"))));
            s.db().exec(QStringLiteral("DELETE FROM %1").arg(s.db().qualifiedTable(QStringLiteral("anticipos"))));
        }
        const QString declaration = ddjjBefore.firstKey();
        tablefiles::write(in(QStringLiteral("ddjj/") + declaration), "cambiada\r\n");
        tablefiles::write(in(QStringLiteral("ddjj/posterior.txt")), "escrita después de la copia\n");
        QVERIFY(QFile::remove(in(QStringLiteral("ddjj/archivo/")) + archiveBefore.firstKey()));
        const TableRows changed = rowsOf(tables());
        QVERIFY(changed != before);

        ScriptedPrompt prompt;
        prompt.answer(PromptButton::Yes);
        const backup::RestoreOutcome outcome = backup::restoreBackup(tables(), zipFile, prompt);
        QVERIFY(outcome.restored);
        QCOMPARE(prompt.shown().size(), 1);
        QCOMPARE(prompt.last().caption, QStringLiteral("Imprentas"));
        QCOMPARE(prompt.last().buttons, PromptButtons::YesNo);
        for (const QString& expected : {QStringLiteral("IMPRENTA DEL SOL"), QStringLiteral("03/2024"),
                                        QStringLiteral("cliente.DB: 2"), QStringLiteral("otro agente")})
            QVERIFY2(prompt.last().text.contains(expected) != (expected == QLatin1String("otro agente")),
                     qPrintable(prompt.last().text));

        QCOMPARE(rowsOf(tables()), before);
        Files ddjjAfter = filesIn(in(QStringLiteral("ddjj")));
        // A file the backup does not hold is left where it is.
        QCOMPARE(ddjjAfter.take(QStringLiteral("posterior.txt")), QByteArray("escrita después de la copia\n"));
        QCOMPARE(ddjjAfter, ddjjBefore);
        QCOMPARE(filesIn(in(QStringLiteral("ddjj/archivo"))), archiveBefore);
        QVERIFY(!QFileInfo::exists(store::staged::folderFor(tables())));
        QVERIFY(!QFileInfo::exists(store::staged::markerFor(tables())));

        // The state the restore replaced is a safety copy of its own.
        QCOMPARE(QFileInfo(outcome.previous).absolutePath(),
                 QFileInfo(backup::safetyFolder(tables())).absoluteFilePath());
        QCOMPARE(backup::backupsBeside(tables()).first().reason, QStringLiteral("antes de una restauración"));
        const backup::Contents previous = backup::readBackup(outcome.previous);
        for (const auto& [table, count] : previous.rows)
            QCOMPARE(count, qint64(changed.value(table).size()));
        QCOMPARE(previous.agent, QStringLiteral("OTRO NOMBRE"));

        OpenStore reopened(tables());
        QCOMPARE(reopened.count(QStringLiteral("cliente")), qint64(2));
        QCOMPARE(reopened.periods(), qint64(1));
    }

    void answeredNoChangesNothing()
    {
        fillAndFile(tables());
        QVERIFY(QDir().mkpath(copies()));
        const QString zipFile = backup::makeBackup(tables(), copies() + QStringLiteral("/mia.zip"));
        QCOMPARE(QFileInfo(zipFile).fileName(), QStringLiteral("mia.zip"));
        {
            OpenStore s(tables());
            s.db().exec(QStringLiteral("DELETE FROM %1").arg(s.db().qualifiedTable(QStringLiteral("maquina"))));
        }
        const Files bytes = tableBytes(tables());
        ScriptedPrompt prompt;
        prompt.answer(PromptButton::No);
        QVERIFY(!backup::restoreBackup(tables(), zipFile, prompt).restored);
        QCOMPARE(tableBytes(tables()), bytes);
        QVERIFY(zipsIn(in(QStringLiteral("back"))).isEmpty());
        QVERIFY(!QFileInfo::exists(store::staged::folderFor(tables())));
    }

    // Backups made into ddjj are not taken into the next one, so each keeps the size of the
    // first; the kept declarations below ddjj/archivo are taken.
    void backupsInDdjjDoNotGrow()
    {
        fillAndFile(tables());
        QVERIFY(QDir().mkpath(in(QStringLiteral("ddjj/archivo"))));
        tablefiles::write(in(QStringLiteral("ddjj/archivo/20999999990202403.imp")), "presentada\r\n");
        QStringList zips;
        for (int i = 0; i < 3; ++i)
            zips << backup::makeBackup(tables(), in(QStringLiteral("ddjj")));
        QCOMPARE(QSet<QString>(zips.cbegin(), zips.cend()).size(), 3);
        for (const QString& zipFile : std::as_const(zips)) {
            QCOMPARE(QFileInfo(zipFile).size(), QFileInfo(zips.first()).size());
            const backup::Contents contents = backup::readBackup(zipFile);
            QVERIFY2(contents.declarations.contains(QStringLiteral("archivo/20999999990202403.imp")),
                     qPrintable(contents.declarations.join(QLatin1Char(','))));
            for (const QString& name : contents.declarations)
                QVERIFY2(!name.endsWith(QLatin1String(".zip")), qPrintable(name));
        }
    }

    // Before each kind of work a copy is made into back/auto, named for it; the newest 20 are kept
    // and listed, with their reasons, beside the backups made by hand.
    void safetyCopies()
    {
        fillAndFile(tables());
        const QString byHand = backup::makeBackup(tables(), backup::defaultFolder(tables()));
        const QList<backup::Work> works{backup::Work::Filing, backup::Work::Reissue, backup::Work::Amendment,
                                        backup::Work::Import, backup::Work::Repair,  backup::Work::Restore};
        // A copy a crash cut short, under its temporary name, goes with the next copy.
        const QString unfinished = QDir(backup::safetyFolder(tables()))
                                       .filePath(QStringLiteral("20240101-000000-000-presentacion.zip.Ab12Cd"));
        tablefiles::write(unfinished, "PK cortado");
        QStringList made;
        for (int i = 0; i < backup::KeptSafetyCopies + 4; ++i)
            made << backup::makeSafetyCopy(tables(), works[i % works.size()]);
        const QStringList kept =
            QDir(backup::safetyFolder(tables())).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name);
        QStringList newest;
        for (const QString& path : made.mid(4))
            newest << QFileInfo(path).fileName();
        QCOMPARE(kept, newest);
        QVERIFY(!QFileInfo::exists(unfinished));
        QVERIFY2(kept.last().endsWith(QLatin1String("-restauracion.zip")), qPrintable(kept.last()));
        QCOMPARE(backup::readBackup(made.last()).rows, backup::readBackup(byHand).rows);

        const QList<backup::Found> found = backup::backupsBeside(tables());
        QCOMPARE(found.size(), backup::KeptSafetyCopies + 1);
        QCOMPARE(found.first().file, made.last());
        QCOMPARE(found.first().reason, QStringLiteral("antes de una restauración"));
        QCOMPARE(found.value(1).reason, QStringLiteral("antes de una reparación"));
        const auto hand =
            std::find_if(found.cbegin(), found.cend(), [&](const backup::Found& f) { return f.file == byHand; });
        QVERIFY(hand != found.cend());
        QVERIFY(hand->reason.isEmpty());
    }

    // A safety copy of damaged tables is still made, keeping them as found: a repair is what
    // comes after it.
    void safetyCopyOfDamagedTables()
    {
        fillAndFile(tables());
        const QString table = in(QStringLiteral("detalle.DB"));
        tablefiles::garblePage(table, tablefiles::leaves(table, QStringLiteral("detalle")).first().page, 7);
        const QString copy = backup::makeSafetyCopy(tables(), backup::Work::Repair);
        QCOMPARE(unpack(copy).entries.value(QStringLiteral("detalle.DB")), tablefiles::bytes(table));
        // Listed as one a restore would refuse, beside the sound copy made before the filing.
        const QList<backup::Found> found = backup::backupsBeside(tables());
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[0].file, copy);
        QVERIFY(!found[0].restorable);
        QVERIFY(found[1].restorable);
    }

    // A taken name is never written over, and a destination whose folder is missing (a stick not
    // plugged in, a typing slip) is refused rather than made up on the local disk.
    void destinationRules_data()
    {
        QTest::addColumn<QString>("target");   // below the test's folder
        QTest::addColumn<QString>("written");  // the name written, empty when refused
        QTest::newRow("a zip name that is taken") << "copias/mia.zip"
                                                  << "copias/mia-2.zip";
        QTest::newRow("a zip name taken twice") << "copias/otra.zip"
                                                << "copias/otra-3.zip";
        QTest::newRow("a new folder in a folder that exists") << "copias/nueva"
                                                              << "copias/nueva/*";
        QTest::newRow("a zip in a new folder of one that exists") << "nueva/mia.zip"
                                                                  << "nueva/mia.zip";
        QTest::newRow("a zip below a missing folder") << "falta/mas/mia.zip"
                                                      << "";
        QTest::newRow("a folder below a missing one") << "falta/mas/abajo"
                                                      << "";
    }

    void destinationRules()
    {
        QFETCH(QString, target);
        QFETCH(QString, written);
        fillAndFile(tables());
        const QDir base(m_dir->path());
        QVERIFY(base.mkpath(QStringLiteral("copias")));
        const QMap<QString, QByteArray> taken{{QStringLiteral("copias/mia.zip"), "la copia de ayer"},
                                              {QStringLiteral("copias/otra.zip"), "una copia"},
                                              {QStringLiteral("copias/otra-2.zip"), "otra copia"}};
        for (auto it = taken.cbegin(); it != taken.cend(); ++it)
            tablefiles::write(base.filePath(it.key()), it.value());

        QString made;
        try {
            made = backup::makeBackup(tables(), base.filePath(target));
            QVERIFY2(!written.isEmpty(), qPrintable(made));
        } catch (const store::StoreError& e) {
            QVERIFY2(written.isEmpty(), qPrintable(e.text()));
            QCOMPARE(e.code(), int(store::FileError));
            QVERIFY2(e.text().contains(QStringLiteral("No existe la carpeta")), qPrintable(e.text()));
            QVERIFY(!QFileInfo::exists(base.filePath(QStringLiteral("falta"))));
        }
        if (!written.isEmpty()) {
            if (written.endsWith(QLatin1Char('*')))
                QCOMPARE(QFileInfo(made).absolutePath(),
                         QFileInfo(base.filePath(written.chopped(2))).absoluteFilePath());
            else
                QCOMPARE(made, base.filePath(written));
            QCOMPARE(backup::readBackup(made).cuit, cuitFor(99999999));
        }
        for (auto it = taken.cbegin(); it != taken.cend(); ++it)
            QCOMPARE(tablefiles::bytes(base.filePath(it.key())), it.value());
    }

    // Another connection commits a client and a form total together, over and over, while
    // backups are taken: each backup holds both rows of every pair or neither, passes SQLite's
    // integrity check, and restores to tables that open.
    void backupWhileWriting()
    {
        {
            OpenStore s(tables());
            fixture::fillOpenPeriod(s.modulo);
        }
        const qint64 clients = rowsOf(tables()).value(QStringLiteral("cliente.DB")).size();
        const qint64 forms = rowsOf(tables()).value(QStringLiteral("Formularios.db")).size();
        std::atomic<bool> stop = false;
        std::atomic<int> pairs = 0;
        std::thread writer([&] {
            store::Database db(tables(), schema::tables(), schema::references());
            for (int n = 0; !stop; ++n) {
                try {
                    store::Transaction t(db);
                    store::Statement client(db, QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social) VALUES (?, ?)")
                                                    .arg(db.qualifiedTable(QStringLiteral("cliente"))));
                    client.bind(1, cuitFor(20000000 + n));
                    client.bind(2, QStringLiteral("CLIENTE %1").arg(n));
                    client.step();
                    store::Statement form(db,
                                          QStringLiteral("INSERT INTO %1 (Tipo_comprobante, Cantidad) VALUES (?, ?)")
                                              .arg(db.qualifiedTable(QStringLiteral("formularios"))));
                    form.bind(1, QStringLiteral("F%1").arg(n));
                    form.bind(2, double(n));
                    form.step();
                    t.commit();
                    ++pairs;
                } catch (const store::StoreError&) {
                    // Held off by a backup's read: the pair is tried again under a new key.
                }
                // The program leaves gaps between its commits; a writer that never let go of its
                // locks would keep every reader out, SQLite's own included.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        const auto joined = qScopeGuard([&] {
            stop = true;
            writer.join();
        });
        const auto waitFor = [&](int count) { QTRY_VERIFY_WITH_TIMEOUT(pairs >= count, 20000); };
        QStringList zips;
        waitFor(5);
        for (int i = 0; i < 6; ++i) {
            try {
                zips << backup::makeBackup(tables(), copies());
            } catch (const store::StoreError& e) {
                QFAIL(qPrintable(e.text()));
            }
            waitFor(pairs + 3);
        }
        stop = true;

        QSet<qint64> seen;
        for (const QString& zipFile : std::as_const(zips)) {
            const backup::Contents contents = backup::readBackup(zipFile);
            QMap<QString, qint64> rows;
            for (const auto& [table, count] : contents.rows)
                rows.insert(table, count);
            QCOMPARE(rows.value(QStringLiteral("cliente.DB")) - clients,
                     rows.value(QStringLiteral("Formularios.db")) - forms);
            seen << rows.value(QStringLiteral("cliente.DB"));
        }
        QVERIFY2(seen.size() > 1, "every backup found the same rows: none was taken while writing");

        ScriptedPrompt prompt;
        prompt.answer(PromptButton::Yes);
        QVERIFY(backup::restoreBackup(tables(), zips.last(), prompt).restored);
        OpenStore s(tables());
        QCOMPARE(s.count(QStringLiteral("cliente")) - clients, s.count(QStringLiteral("formularios")) - forms);
        store::Statement check(s.db(), QStringLiteral("PRAGMA integrity_check"));
        QVERIFY(check.step());
        QCOMPARE(check.column(0).toString(), QStringLiteral("ok"));
    }

    void badBackupRefused_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a zip") << Fault::NotZip << "no es un archivo ZIP";
        QTest::newRow("empty") << Fault::Empty << "no es un archivo ZIP";
        QTest::newRow("cut in half") << Fault::CutInHalf << "está cortado";
        QTest::newRow("cut at its end") << Fault::CutAtEnd << "está cortado";
        QTest::newRow("no manifest") << Fault::NoManifest << "no tiene el manifiesto";
        QTest::newRow("a table missing") << Fault::NoTable << "le falta la tabla detalle.DB";
        QTest::newRow("a damaged table") << Fault::DamagedTable << "la tabla detalle.DB que contiene está dañada";
        QTest::newRow("a table altered after the copy")
            << Fault::AlteredTable << "el archivo detalle.DB que contiene está dañado";
        QTest::newRow("a table of another layout")
            << Fault::ForeignTable << "la tabla cliente.DB que contiene no es una tabla de este programa";
        QTest::newRow("a newer program's") << Fault::Newer << "versión 99.0 del programa, más nueva que esta";
        QTest::newRow("an entry outside the folders") << Fault::StrayEntry << "contiene ../fuera.txt";
        QTest::newRow("a table in UTF-16")
            << Fault::Utf16Table << "la tabla cliente.DB que contiene guarda sus textos en UTF-16LE";
        QTest::newRow("a manifest of 256 MB") << Fault::HugeManifest << "es más grande que el de cualquier copia";
        QTest::newRow("20000 empty entries") << Fault::ManyEntries << "contiene más de 10000 archivos";
        QTest::newRow("an entry larger than the zip says")
            << Fault::LyingSize << "ddjj/relleno.imp que contiene es más grande de lo que dice el ZIP";
        QTest::newRow("an entry the manifest does not name")
            << Fault::UnlistedEntry << "contiene ddjj/agregado.txt, que su manifiesto no nombra";
        QTest::newRow("an entry of another size than the manifest's")
            << Fault::WrongSize << "detalle.DB que contiene no tiene el tamaño que dice su manifiesto";
        QTest::newRow("a pipe") << Fault::FifoEntry << "contiene ddjj/tuberia, que no es un archivo";
        QTest::newRow("an entry twice") << Fault::RepeatedEntry << "contiene dos veces ddjj/doble.txt";
        QTest::newRow("a file named twice in the manifest") << Fault::NamedTwice << "nombra dos veces el archivo";
        QTest::newRow("a version that is none") << Fault::OddVersion << "versión del programa que no es tal: «1.3a»";
        QTest::newRow("a declaration still pending")
            << Fault::PendingEntry << "contiene ddjj/x.imp.pendiente, que no es parte";
        QTest::newRow("a name of 200 characters") << Fault::LongName << "ñññ, que no es parte";
        QTest::newRow("a backup inside") << Fault::ZipInside << "contiene ddjj/otra.zip, que no es parte";
        QTest::newRow("more than the disk holds") << Fault::NoRoom << "No hay lugar en el disco";
    }

    // Each refused by the check before the question, with the tables, their folder and back/ as
    // they were.
    void badBackupRefused()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, message);
        fillAndFile(tables());
        const QString good = backup::makeBackup(tables(), copies());
        const QString bad = m_dir->filePath(QStringLiteral("mala.zip"));
        Unpacked u = unpack(good);
        const QByteArray whole = tablefiles::bytes(good);
        switch (fault) {
        case Fault::NotZip:
            tablefiles::write(bad, QByteArray("esto no es una copia\n").repeated(200));
            break;
        case Fault::Empty:
            tablefiles::write(bad, {});
            break;
        case Fault::CutInHalf:
            tablefiles::write(bad, whole.left(whole.size() / 2));
            break;
        case Fault::CutAtEnd:
            tablefiles::write(bad, whole.chopped(10));
            break;
        case Fault::NoManifest:
            pack(bad, u.entries, u.manifest, false);
            break;
        case Fault::NoTable:
            u.entries.remove(QStringLiteral("detalle.DB"));
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::DamagedTable:
        case Fault::AlteredTable: {
            const QString scratch = m_dir->filePath(QStringLiteral("detalle.DB"));
            tablefiles::write(scratch, u.entries.value(QStringLiteral("detalle.DB")));
            const QList<tablefiles::Leaf> leaves = tablefiles::leaves(scratch, QStringLiteral("detalle"));
            QVERIFY(!leaves.isEmpty());
            tablefiles::garblePage(scratch, leaves.first().page, 5);
            Files altered = u.entries;
            altered.insert(QStringLiteral("detalle.DB"), tablefiles::bytes(scratch));
            // Altered: the manifest's digest is still that of the table as copied.
            pack(bad, altered, u.manifest, true, fault == Fault::AlteredTable ? u.entries : altered);
            break;
        }
        case Fault::ForeignTable:
            u.entries.insert(QStringLiteral("cliente.DB"), foreignTable(m_dir->filePath(QStringLiteral("otra.db"))));
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::Newer:
            u.manifest.version = QStringLiteral("99.0");
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::StrayEntry:
            u.entries.insert(QStringLiteral("../fuera.txt"), "fuera de la carpeta\n");
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::Utf16Table:
            u.entries.insert(QStringLiteral("cliente.DB"),
                             utf16Table(in(QStringLiteral("cliente.DB")), m_dir->filePath(QStringLiteral("utf16.db"))));
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::HugeManifest: {
            QByteArray text = backup::manifestText(u.manifest);
            text += QByteArray("agente: ") + QByteArray(256 << 20, 'x') + '\n';
            pack(bad, u.entries, u.manifest, true, {}, text);
            break;
        }
        case Fault::ManyEntries: {
            QList<backup::zip::Entry> list;
            for (int i = 0; i < 20000; ++i)
                list << backup::zip::Entry{QStringLiteral("ddjj/%1.txt").arg(i), {}, {}};
            backup::zip::write(bad, list);
            break;
        }
        case Fault::LyingSize: {
            // 64 MB of zeros that the zip and its manifest say are 1000 bytes.
            const QByteArray filler(64 << 20, '\0');
            u.entries.insert(QStringLiteral("ddjj/relleno.imp"), filler);
            QByteArray text = backup::manifestText([&] {
                backup::Manifest m = u.manifest;
                m.files.clear();
                for (auto it = u.entries.cbegin(); it != u.entries.cend(); ++it)
                    m.files.append({it.key(), it.key() == QLatin1String("ddjj/relleno.imp") ? 1000 : it.value().size(),
                                    digest(it.value()).toLatin1()});
                return m;
            }());
            pack(bad, u.entries, u.manifest, true, {}, text);
            QByteArray bytes = tablefiles::bytes(bad);
            patchCentralRecord(bytes, QStringLiteral("ddjj/relleno.imp"), [&](char* r) {
                putU32(r + 24, 1000);
                // The entry's own header says so too, where it gives a size.
                const quint32 local =
                    quint8(r[42]) | quint8(r[43]) << 8 | quint8(r[44]) << 16 | quint32(quint8(r[45])) << 24;
                if (bytes.mid(local + 22, 4) != QByteArray(4, '\0'))
                    putU32(bytes.data() + local + 22, 1000);
            });
            tablefiles::write(bad, bytes);
            break;
        }
        case Fault::UnlistedEntry: {
            const QByteArray text = backup::manifestText([&] {
                backup::Manifest m = u.manifest;
                m.files.clear();
                for (auto it = u.entries.cbegin(); it != u.entries.cend(); ++it)
                    m.files.append({it.key(), it.value().size(), digest(it.value()).toLatin1()});
                return m;
            }());
            u.entries.insert(QStringLiteral("ddjj/agregado.txt"), "agregada\n");
            pack(bad, u.entries, u.manifest, true, {}, text);
            break;
        }
        case Fault::WrongSize: {
            backup::Manifest m = u.manifest;
            m.files.clear();
            for (auto it = u.entries.cbegin(); it != u.entries.cend(); ++it)
                m.files.append({it.key(), it.value().size() + (it.key() == QLatin1String("detalle.DB") ? 4096 : 0),
                                digest(it.value()).toLatin1()});
            pack(bad, u.entries, u.manifest, true, {}, backup::manifestText(m));
            break;
        }
        case Fault::FifoEntry: {
            u.entries.insert(QStringLiteral("ddjj/tuberia"), {});
            pack(bad, u.entries, u.manifest);
            QByteArray bytes = tablefiles::bytes(bad);
            // The mode of a named pipe in the entry's outer attributes.
            patchCentralRecord(bytes, QStringLiteral("ddjj/tuberia"), [](char* r) { putU32(r + 38, 0010644u << 16); });
            tablefiles::write(bad, bytes);
            break;
        }
        case Fault::RepeatedEntry: {
            u.entries.insert(QStringLiteral("ddjj/doble.txt"), "una\n");
            QList<backup::zip::Entry> list{{backup::ManifestName, {}, {}}};
            backup::Manifest m = u.manifest;
            m.files.clear();
            for (auto it = u.entries.cbegin(); it != u.entries.cend(); ++it) {
                list << backup::zip::Entry{it.key(), {}, it.value()};
                m.files.append({it.key(), it.value().size(), digest(it.value()).toLatin1()});
            }
            list.first().bytes = backup::manifestText(m);
            list << backup::zip::Entry{QStringLiteral("ddjj/doble.txt"), {}, "otra\n"};
            backup::zip::write(bad, list);
            break;
        }
        case Fault::NamedTwice: {
            backup::Manifest m = u.manifest;
            m.files.clear();
            for (auto it = u.entries.cbegin(); it != u.entries.cend(); ++it)
                m.files.append({it.key(), it.value().size(), digest(it.value()).toLatin1()});
            m.files.append(m.files.first());
            pack(bad, u.entries, u.manifest, true, {}, backup::manifestText(m));
            break;
        }
        case Fault::OddVersion:
            u.manifest.version = QStringLiteral("1.3a");
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::PendingEntry:
            u.entries.insert(QStringLiteral("ddjj/x.imp.pendiente"), "a medio escribir\r\n");
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::LongName:
            u.entries.insert(QStringLiteral("ddjj/") + QString(200, QChar(0xf1)), "nombre largo\n");
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::ZipInside:
            u.entries.insert(QStringLiteral("ddjj/otra.zip"), whole);
            pack(bad, u.entries, u.manifest);
            break;
        case Fault::NoRoom: {
            u.entries.insert(QStringLiteral("ddjj/grande.pdf"), QByteArray(8 << 20, 'p'));
            pack(bad, u.entries, u.manifest);
            const backup::FreeSpaceReader previous =
                backup::setFreeSpaceReader([](const QString&) -> qint64 { return 12 << 20; });
            const auto restored = qScopeGuard([&] { backup::setFreeSpaceReader(previous); });
            expectRefused(bad, message, store::FileError);
            return;
        }
        }

        expectRefused(bad, message);
    }

    // A row the program would not take (too long, a line break, a NUL, a number or date that is
    // none, a key missing) refuses the backup, naming its table, row and field.
    void rowBreakingRulesRefused_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        const QString first = QStringLiteral(" WHERE rowid = (SELECT min(rowid) FROM %1)");
        QTest::newRow("a name past its width, with CR LF and a quote")
            << "cliente.DB"
            << "UPDATE cliente SET Razon_Social = 'O''Brien' || char(13, 10) || printf('%070d', 7)" +
                   first.arg(QStringLiteral("cliente"))
            << "la tabla cliente.DB tiene en su fila 1 un valor que el programa no admite: El campo Razón Social tiene "
               "más de 60 caracteres";
        QTest::newRow("a line break in a name")
            << "cliente.DB"
            << "UPDATE cliente SET Razon_Social = 'UNO' || char(13, 10) || 'DOS'" + first.arg(QStringLiteral("cliente"))
            << "El campo Razón Social tiene un salto de línea";
        QTest::newRow("a NUL in an address") << "cliente.DB"
                                             << "UPDATE cliente SET Domicilio = CAST('A' || char(0) || 'B' AS TEXT)" +
                                                    first.arg(QStringLiteral("cliente"))
                                             << "El campo Domicilio tiene caracteres nulos";
        QTest::newRow("a form number that is no number")
            << "detalle.DB"
            << "UPDATE detalle SET NHasta = 'mil'" + first.arg(QStringLiteral("detalle"))
            << "la tabla detalle.DB tiene en su fila 1 un valor que el programa no admite: El campo N° Hasta no "
               "tiene un número";
        QTest::newRow("a postal code past an int16")
            << "imprenta.db" << QStringLiteral("UPDATE imprenta SET Codigo_Postal = 70000")
            << "la tabla imprenta.db tiene en su fila 1 un valor que el programa no admite: El campo Código Postal";
        QTest::newRow("a date that is none")
            << "Maquina.DB"
            << "UPDATE maquina SET Fecha = '2024-02-31'" + first.arg(QStringLiteral("maquina"))
            << "El campo Fecha no tiene una fecha";
        QTest::newRow("a period without its year")
            << "Anticipos.db" << QStringLiteral("UPDATE anticipos SET Anio = NULL")
            << "la tabla Anticipos.db tiene en su fila 1 un valor que el programa no admite: Falta la clave Año";
    }

    void rowBreakingRulesRefused()
    {
        QFETCH(QString, table);
        QFETCH(QString, sql);
        QFETCH(QString, message);
        fillAndFile(tables());
        Unpacked u = unpack(backup::makeBackup(tables(), copies()));
        const QString scratch = m_dir->filePath(table);
        tablefiles::write(scratch, u.entries.value(table));
        tablefiles::exec(scratch, sql);
        u.entries.insert(table, tablefiles::bytes(scratch));
        const QString bad = m_dir->filePath(QStringLiteral("mala.zip"));
        pack(bad, u.entries, u.manifest);
        expectRefused(bad, message);
    }

    // A damaged table is what a restore is for: no backup is made of it, but the restore is, and
    // the damaged file is kept as found in the copy made before it.
    void restoreOverDamagedTable()
    {
        fillAndFile(tables());
        const TableRows before = rowsOf(tables());
        const QString zipFile = backup::makeBackup(tables(), copies());
        const QString table = in(QStringLiteral("detalle.DB"));
        tablefiles::garblePage(table, tablefiles::leaves(table, QStringLiteral("detalle")).first().page, 7);
        const QByteArray damaged = tablefiles::bytes(table);
        try {
            backup::makeBackup(tables(), copies());
            QFAIL("a backup of a damaged table was made");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.code(), int(store::TableDamaged));
        }

        ScriptedPrompt prompt;
        prompt.answer(PromptButton::Yes);
        const backup::RestoreOutcome outcome = backup::restoreBackup(tables(), zipFile, prompt);
        QVERIFY(outcome.restored);
        QCOMPARE(rowsOf(tables()), before);
        QCOMPARE(unpack(outcome.previous).entries.value(QStringLiteral("detalle.DB")), damaged);
        try {
            backup::readBackup(outcome.previous);
            QFAIL("the copy of damaged tables was taken for a backup");
        } catch (const store::StoreError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("tablas dañadas (detalle.DB)")), qPrintable(e.text()));
        }
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
