// A backup that is not whole, not ours or newer than the program is refused by the check before
// the question, quickly and in little memory, with the tables, their folder and back/ as they
// were.

#include "BackupFixture.h"
#include "backup/Backup.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <functional>
#include <optional>

using namespace fixture;

namespace {

QString digest(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
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

class TestBackupRefusals : public QObject, private BackupFolder {
    Q_OBJECT

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
};

QTEST_GUILESS_MAIN(TestBackupRefusals)
#include "tst_backuprefusals.moc"
