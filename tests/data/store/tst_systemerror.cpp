#include "data/files/SystemError.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

// Why a file could not be written or read, in Spanish, whatever the system said.
class TestSystemError : public QObject {
    Q_OBJECT
private slots:
    void numbers_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << ENOENT << QStringLiteral("el archivo o la carpeta no existe");
        QTest::newRow("no permission") << EACCES << QStringLiteral("no hay permiso para usar el archivo o la carpeta");
        QTest::newRow("disk full") << ENOSPC << QStringLiteral("el disco está lleno");
        QTest::newRow("read-only disk") << EROFS << QStringLiteral("el disco es de solo lectura");
        QTest::newRow("something else") << EDOM << QStringLiteral("no se pudo completar la operación en el disco");
    }

    void numbers()
    {
        QFETCH(int, number);
        QFETCH(QString, reason);
        QCOMPARE(store::systemErrorReason(number), reason);
    }

    void files_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder of that name") << "carpeta"
                                               << "el nombre es el de una carpeta";
        QTest::newRow("in a folder that is not there") << "no/hay/carpeta.imp"
                                                       << "la carpeta no existe";
    }

    // The toolkit's own English texts ("Filename refers to a directory") never reach the user.
    void files()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("carpeta")));
        const QString path = dir.filePath(name);
        QSaveFile file(path);
        QVERIFY(!file.open(QIODevice::WriteOnly));
        QCOMPARE(store::fileErrorReason(file, path), reason);
    }
};

QTEST_GUILESS_MAIN(TestSystemError)
#include "tst_systemerror.moc"
