#include "SmallStore.h"

#include "data/Schema.h"
#include "data/files/CheckedFiles.h"
#include "data/store/Database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <QDir>
#include <QRandomGenerator>
#include <QTest>

using smallstore::fileBytes;
using store::Database;
using store::Dataset;
using store::StoreError;

namespace {

// Rows in each healthy table: enough that the larger files span many pages.
const QHash<QString, int> KnownRows{{"imprenta", 200}, {"cliente", 300}, {"detalle", 300},
                                    {"maquina", 5},    {"anticipos", 3}, {"formularios", 0}};

store::Session* newSession(const QString& folder, QObject* parent)
{
    auto* session = new store::Session(QStringLiteral("Prueba"), schema::tables(), schema::references(), parent);
    session->setFolderOverride(folder);
    return session;
}

void fillHealthy(const QString& folder)
{
    QObject owner;
    store::Session* session = newSession(folder, &owner);
    Database& db = session->database();
    store::Transaction t(db);
    const QString name = QStringLiteral("NOMBRE DE PRUEBA CON ALGO DE LARGO PARA LLENAR PAGINAS %1");
    for (const store::TableDef& def : schema::tables()) {
        for (int i = 0; i < KnownRows.value(def.tableName); ++i) {
            const QString text = name.arg(i);
            QString sql;
            if (def.tableName == QLatin1String("imprenta") || def.tableName == QLatin1String("cliente"))
                sql = QStringLiteral("INSERT INTO %1 (Cuit, %2) VALUES ('%3', '%4')")
                          .arg(db.qualifiedTable(def.tableName), def.tableName == QLatin1String("cliente")
                                                                     ? QStringLiteral("Razon_Social")
                                                                     : QStringLiteral("Nombre"))
                          .arg(20000000000LL + i)
                          .arg(text);
            else if (def.tableName == QLatin1String("anticipos"))
                sql = QStringLiteral("INSERT INTO %1 (Anio, Anticipo) VALUES ('2024', '%2')")
                          .arg(db.qualifiedTable(def.tableName))
                          .arg(i + 1, 2, 10, QLatin1Char('0'));
            else if (def.tableName == QLatin1String("detalle"))
                sql = QStringLiteral("INSERT INTO %1 (Cliente, Tipo_comprobante, NDesde) VALUES (%2, '%3', %2)")
                          .arg(db.qualifiedTable(def.tableName))
                          .arg(i + 1)
                          .arg(text);
            else
                sql = QStringLiteral("INSERT INTO %1 (Cliente_id, Marca) VALUES (%2, '%3')")
                          .arg(db.qualifiedTable(def.tableName))
                          .arg(i + 1)
                          .arg(text);
            db.exec(sql);
        }
    }
    t.commit();
}

void execOn(const QString& path, const QStringList& statements)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    for (const QString& sql : statements)
        QVERIFY2(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK, qPrintable(sql));
    sqlite3_close(db);
}

void overwrite(const QString& path, qint64 from, qint64 length)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray garbage(length, Qt::Uninitialized);
    QRandomGenerator random(42);
    for (char& c : garbage)
        c = char(random.bounded(256));
    f.seek(from);
    f.write(garbage);
}

// Turns a healthy table file into the named kind of damaged or foreign file.
void spoil(const QString& path, const store::TableDef& def, const QString& how)
{
    const int page = 4096;
    QFile file(path);
    const qint64 size = file.size();
    QVERIFY2(how == QLatin1String("missing") || size > 6 * page || def.tableName != QLatin1String("detalle"),
             "the fixture is too small to damage in the middle");
    const QString ours = QStringLiteral("PRAGMA application_id=%1; PRAGMA user_version=%2;")
                             .arg(Database::ApplicationId)
                             .arg(Database::SchemaVersion);
    if (how == QLatin1String("truncated")) {
        QVERIFY(file.resize(size / 2 + 123));
    } else if (how == QLatin1String("garbage pages")) {
        overwrite(path, (size / page / 2) * page, 2 * page);
    } else if (how == QLatin1String("garbage first page")) {
        overwrite(path, 100, page - 100);
    } else if (how == QLatin1String("text file")) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("\"20123456786\",\"ALFA S.A.\"\r\n\"20000000001\",\"BETA\"\r\n");
    } else if (how == QLatin1String("zero bytes")) {
        QVERIFY(file.resize(0));
    } else if (how == QLatin1String("missing")) {
        QVERIFY(file.remove());
    } else if (how == QLatin1String("folder")) {
        QVERIFY(file.remove());
        QVERIFY(QDir().mkdir(path));
    } else if (how == QLatin1String("other version")) {
        execOn(path, {QStringLiteral("PRAGMA user_version=7")});
    } else if (how == QLatin1String("other application")) {
        QVERIFY(file.remove());
        execOn(path, QStringList{def.createSql(QStringLiteral("main"))} << def.indexSql(QStringLiteral("main")));
    } else if (how == QLatin1String("other layout")) {
        store::TableDef other = def;
        other.fields.removeLast();
        other.indexes.clear();
        QVERIFY(file.remove());
        execOn(path, {ours, other.createSql(QStringLiteral("main"))});
    } else if (how == QLatin1String("index missing")) {
        QVERIFY(file.remove());
        execOn(path, {ours, def.createSql(QStringLiteral("main"))});
    } else if (how == QLatin1String("one byte short")) {
        QVERIFY(file.resize(size - 1));
    } else if (how == QLatin1String("planted check")) {
        QString create = def.createSql(QStringLiteral("main"));
        create.insert(create.size() - 1, QStringLiteral(", CHECK (length(\"%1\") < 3)").arg(def.fields[1].name));
        QVERIFY(file.remove());
        execOn(path, QStringList{ours, create} << def.indexSql(QStringLiteral("main")));
    } else if (how == QLatin1String("no primary key")) {
        QString create = def.createSql(QStringLiteral("main"));
        create.replace(QStringLiteral(" PRIMARY KEY AUTOINCREMENT"), QString());
        QVERIFY(file.remove());
        execOn(path, QStringList{ours, create} << def.indexSql(QStringLiteral("main")));
    } else if (how == QLatin1String("foreign with journal")) {
        // A file of another program, with the journal a crash of that program left beside it.
        QVERIFY(file.remove());
        execOn(path, {QStringLiteral("CREATE TABLE otra (x)"), QStringLiteral("INSERT INTO otra VALUES (1)")});
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "PRAGMA cache_size=1; BEGIN; "
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                              "INSERT INTO otra SELECT printf('%.200c', 'x') FROM n",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        const QByteArray crashed = fileBytes(path), journal = fileBytes(path + QStringLiteral("-journal"));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QVERIFY(journal.size() > 0);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(crashed);
        file.close();
        QFile j(path + QStringLiteral("-journal"));
        QVERIFY(j.open(QIODevice::WriteOnly | QIODevice::Truncate));
        j.write(journal);
    } else if (how == QLatin1String("foreign trigger")) {
        execOn(
            path,
            {QStringLiteral("CREATE TRIGGER borra AFTER INSERT ON %1 BEGIN DELETE FROM %1; END").arg(def.tableName)});
    } else {
        QFAIL("unknown damage");
    }
}

// What a file is, to show that nothing wrote to it.
QByteArray fingerprint(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return "missing";
    if (info.isDir())
        return "folder";
    return fileBytes(path);
}

}  // namespace

class TestTableFiles : public QObject {
    Q_OBJECT
private slots:
    void damagedFileLeftOut_data();
    void damagedFileLeftOut();
    void damageAfterASoundCheck_data();
    void damageAfterASoundCheck();
    void leftoverRecordCopyRemoved();
    void partialFolderNotRecreated();
    void unusableFolderIsAnError();
};

void TestTableFiles::damagedFileLeftOut_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("damage");
    for (const char* how :
         {"truncated", "garbage pages", "garbage first page", "text file", "zero bytes", "missing", "folder",
          "other version", "other application", "other layout", "index missing", "foreign trigger", "one byte short",
          "planted check", "no primary key", "foreign with journal"})
        QTest::addRow("detalle, %s", how) << "detalle" << how;
    // The first file is the connection's main file: the others must open without it.
    for (const char* how : {"truncated", "text file", "zero bytes", "missing"})
        QTest::addRow("imprenta, %s", how) << "imprenta" << how;
    QTest::newRow("cliente, garbage pages") << "cliente"
                                            << "garbage pages";
    QTest::newRow("cliente, unique index missing") << "cliente"
                                                   << "index missing";
}

void TestTableFiles::damagedFileLeftOut()
{
    QFETCH(QString, table);
    QFETCH(QString, damage);
    QTemporaryDir dir;
    fillHealthy(dir.path());
    const store::TableDef& def = schema::table(table);
    const QString path = dir.filePath(def.fileName);
    spoil(path, def, damage);
    if (QTest::currentTestFailed())
        return;
    const QByteArray before = fingerprint(path);

    try {
        Database::checkTableFile(path, def);
        QFAIL("the check passed");
    } catch (const StoreError& e) {
        QVERIFY2(e.text().contains(def.fileName), qPrintable(e.text()));
    }

    QObject owner;
    store::Session* session = newSession(dir.path(), &owner);
    for (const store::TableDef& other : schema::tables()) {
        Dataset view(session, other.tableName, other.tableName);
        if (other.tableName == table) {
            try {
                view.open();
                QFAIL("the damaged table opened");
            } catch (const StoreError& e) {
                QVERIFY2(e.text().contains(def.fileName), qPrintable(e.text()));
            }
            QVERIFY(!view.active());
        } else {
            view.open();
            QCOMPARE(view.recordCount(), KnownRows.value(other.tableName));
        }
    }
    // The healthy files still take writes.
    Dataset formularios(session, QStringLiteral("F"), QStringLiteral("formularios"));
    formularios.open();
    smallstore::addRow(formularios, {{"Tipo_comprobante", "FACTURA A"}, {"Cantidad", 3}});
    session->setActive(false);

    QCOMPARE(fingerprint(path), before);
    if (damage == QLatin1String("foreign with journal"))
        QVERIFY(!fileBytes(path + QStringLiteral("-journal")).isEmpty());  // not played onto a file not ours
    else
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
}

void TestTableFiles::damageAfterASoundCheck_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("pages overwritten") << "written";
    QTest::newRow("size and modification time kept") << "time kept";
    QTest::newRow("damage the file system did not see") << "unseen";
}

// A file that a full check found sound gets only the header and layout checks at the next
// open while it stands as it was then. Pages damaged since are found at open as long as the
// file system saw a write; damage it did not see is found where the rows are read, and by the
// full check of the repair.
void TestTableFiles::damageAfterASoundCheck()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    fillHealthy(dir.path());
    {
        QObject owner;
        newSession(dir.path(), &owner)->database();  // the filled files checked in full and kept
    }
    const store::TableDef& def = schema::table(QStringLiteral("detalle"));
    const QString path = dir.filePath(def.fileName);
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    spoil(path, def, QStringLiteral("garbage pages"));
    if (how != QLatin1String("written")) {
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
    QCOMPARE(QFileInfo(path).size(), qint64(before.st_size));
    if (how == QLatin1String("unseen")) {
        store::CheckedFiles record(dir.path());
        record.sound(path);
        record.save();
    }

    QObject owner;
    store::Session* session = newSession(dir.path(), &owner);
    Dataset byRow(session, QStringLiteral("D"), def.tableName);
    if (how != QLatin1String("unseen")) {
        QVERIFY_THROWS_EXCEPTION(StoreError, byRow.open());
        return;
    }
    byRow.open();
    Dataset byPeriod(session, QStringLiteral("P"), def.tableName);
    byPeriod.setIndexName(QStringLiteral("indx_detalle_periodo"));
    byPeriod.open();
    int damaged = 0;
    for (Dataset* view : {&byRow, &byPeriod}) {
        try {
            for (int i = 0; i < view->recordCount(); ++i)
                view->textAt(i, QStringLiteral("Tipo_comprobante"));
        } catch (const StoreError& e) {
            QCOMPARE(e.code(), int(store::TableDamaged));
            ++damaged;
        }
    }
    QVERIFY(damaged > 0);
    session->setActive(false);
    QVERIFY_THROWS_EXCEPTION(StoreError, Database::checkTableFile(path, def));
}

// A save of the record killed before its rename leaves a temporary copy; the next open clears it.
void TestTableFiles::leftoverRecordCopyRemoved()
{
    QTemporaryDir dir;
    fillHealthy(dir.path());
    const QString left = dir.filePath(store::CheckedFiles::FileName + QStringLiteral(".aB12cD"));
    QFile copy(left);
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.close();
    QObject owner;
    newSession(dir.path(), &owner)->database();
    QVERIFY(!QFile::exists(left));
    QVERIFY(QFile::exists(dir.filePath(store::CheckedFiles::FileName)));
}

void TestTableFiles::partialFolderNotRecreated()
{
    QTemporaryDir dir;
    fillHealthy(dir.path());
    for (const store::TableDef& def : schema::tables())
        if (def.tableName != QLatin1String("cliente"))
            QVERIFY(QFile::remove(dir.filePath(def.fileName)));
    QVERIFY(QFile::remove(dir.filePath(Database::pendingFilesTable().fileName)));
    QVERIFY(QDir(dir.filePath(QStringLiteral("ddjj"))).removeRecursively());

    QObject owner;
    store::Session* session = newSession(dir.path(), &owner);
    for (const store::TableDef& def : schema::tables()) {
        Dataset view(session, def.tableName, def.tableName);
        if (def.tableName == QLatin1String("cliente")) {
            view.open();
            QCOMPARE(view.recordCount(), KnownRows.value(def.tableName));
            continue;
        }
        try {
            view.open();
            QFAIL("a missing table opened");
        } catch (const StoreError& e) {
            QCOMPARE(e.code(), int(store::TableNotFound));
            QVERIFY2(e.text().contains(def.fileName), qPrintable(e.text()));
        }
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"back", "cliente.DB"}));
}

void TestTableFiles::unusableFolderIsAnError()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("datos")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QObject owner;
    for (const QString& folder : {blocker.fileName(), blocker.fileName() + QStringLiteral("/tablas")}) {
        store::Session* session = newSession(folder, &owner);
        QVERIFY_THROWS_EXCEPTION(StoreError, session->database());
        Dataset view(session, QStringLiteral("C"), QStringLiteral("cliente"));
        QVERIFY_THROWS_EXCEPTION(StoreError, view.open());
    }
}

QTEST_GUILESS_MAIN(TestTableFiles)
#include "tst_tablefiles.moc"
