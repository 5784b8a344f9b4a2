#include "data/Schema.h"
#include "data/files/StagedFiles.h"
#include "data/store/Database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A first start makes the six tables together; a folder an older first start left half made is
// completed once, and only when nothing in it holds a row.
class TestFirstStart : public QObject {
    Q_OBJECT

private slots:
    void firstStartMakesAllSix()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("tablas"));
        store::Database db(folder, schema::tables(), schema::references());
        QVERIFY(db.takeStartNotice().isEmpty());
        for (const store::TableDef& def : schema::tables())
            QVERIFY2(db.hasTable(def.tableName), qPrintable(def.fileName));
        for (const char* name : {"ddjj", "back"})
            QVERIFY(QFileInfo(QDir(folder).filePath(QString::fromLatin1(name))).isDir());
        QVERIFY(!QFile::exists(store::staged::folderFor(folder)));
        QVERIFY(!QFile::exists(store::staged::markerFor(folder)));
    }

    void halfMade_data()
    {
        QTest::addColumn<QStringList>("emptyTables");  // made empty before the open
        QTest::addColumn<QStringList>("emptyFiles");   // files of no byte
        QTest::addColumn<bool>("withRow");             // the agent table holds a row
        QTest::addColumn<bool>("completed");
        QTest::newRow("three of six, as a killed first start left them")
            << QStringList{"imprenta.db", "cliente.DB", "detalle.DB"} << QStringList{} << false << true;
        QTest::newRow("one table and a file of no byte")
            << QStringList{"imprenta.db"} << QStringList{"Maquina.DB"} << false << true;
        QTest::newRow("a table with a row: the clerk's data, left alone")
            << QStringList{"cliente.DB"} << QStringList{} << true << false;
    }

    void halfMade()
    {
        QFETCH(QStringList, emptyTables);
        QFETCH(QStringList, emptyFiles);
        QFETCH(bool, withRow);
        QFETCH(bool, completed);
        QTemporaryDir dir;
        const QString folder = dir.path();
        for (const store::TableDef& def : schema::tables())
            if (emptyTables.contains(def.fileName))
                store::Database::createTableFile(QDir(folder).filePath(def.fileName), def);
        for (const QString& name : emptyFiles) {
            QFile file(QDir(folder).filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        if (withRow) {
            QTemporaryDir whole;
            {
                store::Database db(whole.path(), schema::tables(), schema::references());
                db.exec(QStringLiteral("INSERT INTO %1 (Nombre) VALUES ('IMPRENTA DEL SOL')")
                            .arg(db.qualifiedTable(QStringLiteral("imprenta"))));
            }
            QVERIFY(QFile::copy(whole.filePath(QStringLiteral("imprenta.db")),
                                QDir(folder).filePath(QStringLiteral("imprenta.db"))));
        }
        {
            store::Database db(folder, schema::tables(), schema::references());
            const QString notice = db.takeStartNotice();
            QCOMPARE(!notice.isEmpty(), completed);
            if (completed) {
                QVERIFY2(notice.contains(QStringLiteral("a medio crear")), qPrintable(notice));
                QVERIFY2(notice.contains(QStringLiteral("Anticipos.db")), qPrintable(notice));
                for (const store::TableDef& def : schema::tables())
                    QVERIFY2(db.hasTable(def.tableName), qPrintable(def.fileName));
            } else {
                QVERIFY(!db.hasTable(QStringLiteral("anticipos")));
                store::Statement rows(
                    db, QStringLiteral("SELECT Nombre FROM %1").arg(db.qualifiedTable(QStringLiteral("imprenta"))));
                QVERIFY(rows.step());
                QCOMPARE(rows.column(0).toString(), QStringLiteral("IMPRENTA DEL SOL"));
            }
        }
        // Told once: the next open finds the folder whole, or as it was.
        store::Database again(folder, schema::tables(), schema::references());
        QVERIFY(again.takeStartNotice().isEmpty());
        QCOMPARE(again.hasTable(QStringLiteral("anticipos")), completed);
    }
};

QTEST_GUILESS_MAIN(TestFirstStart)
#include "tst_firststart.moc"
