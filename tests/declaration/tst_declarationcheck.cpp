#include "GoldenDeclarations.h"
#include "data/store/StoreError.h"
#include "declaration/ClientKeys.h"
#include "declaration/DeclarationCheck.h"
#include "declaration/DeclarationStream.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <set>

#include <sys/stat.h>

using declcheck::Fault;
using declcheck::Report;

namespace {

const QString Name = QStringLiteral("20123456786200503.imp");

// The file with its first `from` made `to`; a test whose piece is not there stops at once.
QByteArray changed(const QByteArray& file, const QByteArray& from, const QByteArray& to)
{
    const qsizetype at = file.indexOf(from);
    if (at < 0)
        qFatal("not in the sample: %s", from.constData());
    return QByteArray(file).replace(at, from.size(), to);
}

// The file with two of its lines, counted from 1, in each other's place.
QByteArray swapped(const QByteArray& file, int a, int b)
{
    QList<QByteArray> lines = file.split('\n');
    lines.swapItemsAt(a - 1, b - 1);
    return lines.join('\n');
}

// "line/position/field" for each fault, the way the rows below name them.
QStringList places(const Report& report)
{
    QStringList list;
    for (const Fault& f : report.faults)
        list << QStringLiteral("%1/%2/%3").arg(f.line).arg(f.position).arg(f.field);
    return list;
}

// Every fault in full, then the summary: what two readings of a file must agree on.
QStringList everything(const Report& report)
{
    QStringList list;
    for (const Fault& f : report.faults)
        list << declcheck::faultText(f);
    list << QStringLiteral("truncated %1").arg(report.truncated) << declcheck::reportText(report);
    return list;
}

// `count` printed-forms rows of the sample's period for the client `cuit`, with the flag `voided`.
QByteArray rows(int count, const QByteArray& cuit, const QByteArray& voided = "N")
{
    return ("'020','" + cuit + "','Distribuidora Sur','15/03/2005','Facturas A','500','1','500','','','0001','" +
            voided + "','N';\r\n")
        .repeated(count);
}

// The sample with `rows` in place of its printed-forms rows.
QByteArray withRows(const QByteArray& rows)
{
    const QByteArray& good = golden::PeriodWithRows;
    const qsizetype from = good.indexOf("'020'"), to = good.indexOf("'030'");
    return QByteArray(good).replace(from, to - from, rows);
}

}  // namespace

class TestDeclarationCheck : public QObject {
    Q_OBJECT

private slots:
    void acceptsTheWritersFiles_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        for (const golden::File& file : golden::files())
            QTest::newRow(file.scenario) << file.fileName << file.bytes;
    }

    void acceptsTheWritersFiles()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        const Report report = declcheck::checkBytes(bytes, fileName);
        QVERIFY2(report.ok(), qPrintable(declcheck::reportText(report)));
        QCOMPARE(report.summary.cuit, QStringLiteral("20123456786"));
        QCOMPARE(report.summary.nombre, QStringLiteral("Gráfica Ñandú S.R.L."));
    }

    void summary()
    {
        const Report report = declcheck::checkBytes(golden::PeriodWithRows, Name);
        const declcheck::Summary& s = report.summary;
        QCOMPARE(s.anio, QStringLiteral("2005"));
        QCOMPARE(s.anticipo, QStringLiteral("03"));
        QCOMPARE(s.rectificativa, QStringLiteral("0"));
        QCOMPARE(s.codigo, QStringLiteral("6853516860"));
        QCOMPARE(s.forms, 2);
        QCOMPARE(s.formsVoided, 1);
        QCOMPARE(s.machines, 2);
        QCOMPARE(s.machinesVoided, 1);
        QCOMPARE(s.clients, 3);
        const QString text = declcheck::reportText(report);
        QVERIFY2(text.contains(QStringLiteral("Formularios: 2 (1 anulado)")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Período: año 2005, anticipo 03")), qPrintable(text));

        const Report amended = declcheck::checkBytes(golden::FiledPeriod, QStringLiteral("20123456786200502.imp"));
        QCOMPARE(amended.summary.rectificativa, QStringLiteral("1"));
        QCOMPARE(amended.summary.forms, 1);
        QCOMPARE(amended.summary.formsVoided, 0);
    }

    // Each damaged copy is refused with the line and the field at fault, and nothing else.
    void namesEachFault_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("faults");  // line/position/field

        const QByteArray& good = golden::PeriodWithRows;
        const QByteArray line8 = "'030','30712345671','Distribuidora Sur','11/03/2005'";

        QTest::newRow("a byte of the verification line")
            << changed(good, "K8<EA\r\n", "K8<EB\r\n") << Name << QStringList{"2/0/verificación"};
        QTest::newRow("verification line too short")
            << changed(good, "K8<EA\r\n", "K8<E\r\n") << Name << QStringList{"2/0/verificación"};
        QTest::newRow("a missing closing quote")
            << changed(good, "'Distribuidora Sur','15/03", "'Distribuidora Sur,'15/03") << Name
            << QStringList{"5/3/Razon_Social"};
        QTest::newRow("a quote inside a value not doubled")
            << changed(good, "'O''Brien Hnos.','16", "'O'Brien Hnos.','16") << Name << QStringList{"6/3/Razon_Social"};
        QTest::newRow("a blank between fields")
            << changed(good, "'0001','N','N';", "'0001', 'N','N';") << Name << QStringList{"5/12/Anulado"};
        QTest::newRow("a field too many")
            << changed(good, "'0002','S','';", "'0002','S','','X';") << Name << QStringList{"6/14/"};
        QTest::newRow("a field missing") << changed(good, "'3000','Santa Fe';", "'3000';") << Name
                                         << QStringList{"11/8/Provincia"};
        QTest::newRow("text after the closing ;")
            << changed(good, "'S-0002','S';", "'S-0002','S'; ") << Name << QStringList{"8/0/"};
        QTest::newRow("LF without CR") << changed(good, "'S-0001','';\r\n", "'S-0001','';\n") << Name
                                       << QStringList{"7/0/"};
        QTest::newRow("every line with LF alone")
            << QByteArray(good).replace("\r\n", "\n") << Name << QStringList{"1/0/"};
        QTest::newRow("text after Eof") << good + "basura\r\n" << Name << QStringList{"13/0/"};
        QTest::newRow("an empty line after Eof") << good + "\r\n" << Name << QStringList{"13/0/"};
        QTest::newRow("an accent in UTF-8")
            << changed(good, "Gr\xE1", "Gr\xC3\xA1") << Name << QStringList{"4/3/Nombre"};
        QTest::newRow("a byte Windows-1252 does not have")
            << changed(good, "Imprenta del Centro','','','Rosario'", "Imprenta del Centro\x81','','','Rosario'") << Name
            << QStringList{"10/3/Razon_Social"};
        QTest::newRow("cut in the middle of a record")
            << good.left(good.indexOf(line8) + 30) << Name << QStringList{"8/0/", "8/3/Razon_Social", "8/0/"};
        QTest::newRow("cut after a whole line") << good.left(good.indexOf("'040'")) << Name << QStringList{"8/0/"};
        QTest::newRow("a file name that is not its own")
            << good << QStringLiteral("20123456786200504.imp") << QStringList{"0/0/nombre del archivo"};
        QTest::newRow("another header") << changed(good, "TARVENIOV1.2", "TARVENIOV1.1") << Name
                                        << QStringList{"1/0/encabezado"};
        QTest::newRow("a period that is no number")
            << changed(good, "'000','2005','03'", "'000','2005','3A'") << Name << QStringList{"3/3/Anticipo"};
        QTest::newRow("the agent's C.U.I.T. with a wrong check digit")
            << changed(good, "'010','20123456786'", "'010','20123456787'") << Name << QStringList{"4/2/Cuit"};
        QTest::newRow("a decimal point") << changed(good, "'1234,56'", "'1234.56'") << Name
                                         << QStringList{"8/7/Precio"};
        QTest::newRow("a trailing zero") << changed(good, "'1500'", "'1500,0'") << Name << QStringList{"7/7/Precio"};
        QTest::newRow("a machine's date in another form")
            << changed(good, "'11/03/2005'", "'2005-03-11'") << Name << QStringList{"8/4/Fecha"};
        QTest::newRow("a flag that is neither S nor N")
            << changed(good, "'0002','S','';", "'0002','X','';") << Name << QStringList{"6/12/Anulado"};
        QTest::newRow("a row of another period")
            << changed(good, "'500','','','0001'", "'500','2004','','0001'") << Name << QStringList{"5/9/Anio"};
        QTest::newRow("a form number with a fraction")
            << changed(good, "'100','1501','1600'", "'100','1501','1600,5'") << Name << QStringList{"6/8/NHasta"};
        QTest::newRow("a first form number below zero")
            << changed(good, "'500','1','500'", "'500','-1','500'") << Name << QStringList{"5/7/NDesde"};
        QTest::newRow("a booklet count with a fraction")
            << changed(good, "'500','1','500'", "'50,7','1','500'") << Name << QStringList{"5/6/CanTalonarios"};
        QTest::newRow("a booklet count in exponent form below one")
            << changed(good, "'500','1','500'", "'5E-6','1','500'") << Name << QStringList{"5/6/CanTalonarios"};
        QTest::newRow("a carriage return inside a field")
            << changed(good, "'Remitos R'", "'Remitos\rR'") << Name << QStringList{"6/5/Tipo_comprobante"};
        QTest::newRow("a text wider than its field") << changed(good, "'Remitos R'", "'" + QByteArray(61, 'R') + "'")
                                                     << Name << QStringList{"6/5/Tipo_comprobante"};
        QTest::newRow("a printed-forms row after the machines")
            << swapped(good, 6, 7) << Name << QStringList{"7/1/tipo"};
        QTest::newRow("clients out of C.U.I.T. order") << swapped(good, 9, 10) << Name << QStringList{"10/2/Cuit"};
        QTest::newRow("a client of a row left out")
            << changed(good,
                       "'040','30712345671','Distribuidora Sur','901-000001-1','Belgrano 55','Santa Fe','3000',"
                       "'Santa Fe';\r\n",
                       "")
            << Name << QStringList{"5/2/Cuit", "8/2/Cuit"};
        QTest::newRow("a record of an unknown type")
            << changed(good, "'040','30500010912'", "'050','30500010912'") << Name << QStringList{"10/1/tipo"};
        // The lines below move up one; the agent is not read where the period should be.
        QTest::newRow("the period record missing")
            << changed(good, "'000','2005','03','0';\r\n", "") << Name << QStringList{"3/1/tipo", "3/0/", "4/0/"};
        QTest::newRow("an empty file") << QByteArray() << Name << QStringList{"0/0/"};
    }

    void namesEachFault()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fileName);
        QFETCH(QStringList, faults);
        const Report report = declcheck::checkBytes(bytes, fileName);
        QVERIFY(!report.ok());
        QCOMPARE(places(report), faults);
        // Every fault reads with its line first, and its field when it has one.
        for (const Fault& f : report.faults) {
            const QString text = declcheck::faultText(f);
            if (f.line > 0)
                QVERIFY2(text.startsWith(QStringLiteral("Línea %1").arg(f.line)), qPrintable(text));
            if (f.position > 0 && !f.field.isEmpty())
                QVERIFY2(text.contains(QStringLiteral("campo %1 (%2)").arg(f.position).arg(f.field)), qPrintable(text));
        }
        QVERIFY(declcheck::reportText(report).startsWith(QStringLiteral("El archivo %1 no es").arg(fileName)));
    }

    // A file that is not a declaration at all gives a bounded list.
    void manyFaultsAreCut()
    {
        QByteArray junk;
        for (int i = 0; i < 5000; ++i)
            junk += "no es una declaración\r\n";
        const Report report = declcheck::checkBytes(junk, Name);
        QVERIFY(report.truncated);
        QVERIFY(report.faults.size() >= declcheck::MaxFaults);
        QVERIFY(report.faults.size() < declcheck::MaxFaults + 10);
        QVERIFY(declcheck::reportText(report).contains(QStringLiteral("se muestran los primeros")));
    }

    // Faults of every kind, those found on the way and those found at the end, share one limit:
    // the first ones by line are kept and the report says there were more.
    void everyFaultCountsForTheLimit_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("truncated");

        // A wrong header, a verification line too long, a line ending in LF alone and a file
        // name that is not its own: four faults besides the rows'.
        const auto mixed = [](int missing, int badFlags) {
            QByteArray bytes = withRows(rows(missing, "20000000001") + rows(badFlags, "30712345671", "X"));
            bytes = changed(bytes, "TARVENIOV1.2", "TARVENIOV9.9");
            bytes = changed(bytes, "K8<EA\r\n", "K8<EAA\r\n");
            return changed(bytes, "'0003','S-0002','S';\r\n", "'0003','S-0002','S';\n");
        };
        const QString other = QStringLiteral("20123456786200504.imp");
        QTest::newRow("1004 of mixed kinds") << mixed(500, 500) << other << true;
        QTest::newRow("1000 of mixed kinds") << mixed(500, 496) << other << false;
        QTest::newRow("1004 rows whose client is missing") << withRows(rows(1004, "20000000001")) << Name << true;
        QTest::newRow("1004 lines that are no record, and no Eof")
            << golden::PeriodWithRows.left(golden::PeriodWithRows.indexOf("'040'")) +
                   QByteArray("basura\r\n").repeated(1004)
            << Name << true;
    }

    void everyFaultCountsForTheLimit()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fileName);
        QFETCH(bool, truncated);
        const Report report = declcheck::checkBytes(bytes, fileName);
        QCOMPARE(report.faults.size(), declcheck::MaxFaults);
        QCOMPARE(report.truncated, truncated);
        for (qsizetype i = 1; i < report.faults.size(); ++i)
            QVERIFY(report.faults[i - 1].line <= report.faults[i].line);
        QCOMPARE(declcheck::reportText(report).contains(QStringLiteral("se muestran los primeros 1000")), truncated);
    }

    // Found only once the whole file is read: a client named again further on is told with the
    // line of its first record.
    void namesFaultsFoundAtTheEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("faults");

        const QByteArray& good = golden::PeriodWithRows;
        const QByteArray first = "'040','27301112225','O''Brien Hnos.','','','','','';\r\n";
        const QByteArray last =
            "'040','30712345671','Distribuidora Sur','901-000001-1','Belgrano 55','Santa Fe',"
            "'3000','Santa Fe';\r\n";
        QTest::newRow("a client repeated next to itself")
            << changed(good, "Eof\r\n", last + "Eof\r\n")
            << QStringList{"Línea 12, campo 2 (Cuit): el C.U.I.T. 30712345671 está repetido (ya está en la línea 11)"};
        QTest::newRow("a client repeated after others")
            << changed(good, "Eof\r\n", first + "Eof\r\n")
            << QStringList{"Línea 12, campo 2 (Cuit): el C.U.I.T. 27301112225 está repetido (ya está en la línea 9)"};
        QTest::newRow("a client repeated twice after others")
            << changed(good, "Eof\r\n", first + last + first + "Eof\r\n")
            << QStringList{"Línea 12, campo 2 (Cuit): el C.U.I.T. 27301112225 está repetido (ya está en la línea 9)",
                           "Línea 13, campo 2 (Cuit): el C.U.I.T. 30712345671 está repetido (ya está en la línea 11)",
                           "Línea 14, campo 2 (Cuit): el C.U.I.T. 27301112225 está repetido (ya está en la línea 9)"};
        QTest::newRow("a client after a row of one left out")
            << changed(good, "'020','27301112225'", "'020','20000000001'")
            << QStringList{
                   "Línea 6, campo 2 (Cuit): el C.U.I.T. «20000000001» no está entre los clientes (registros 040)"};
        const QByteArray longRow =
            rows(1, "30712345671").replace("Facturas A", QByteArray(declcheck::LongestLine, 'A'));
        QTest::newRow("a line longer than any record")
            << withRows(longRow)
            << QStringList{QStringLiteral("Línea 5: la línea tiene %1 caracteres: ningún registro es tan largo, el "
                                          "archivo está dañado")
                               .arg(longRow.size() - 2)};
    }

    void namesFaultsFoundAtTheEnd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, faults);
        QStringList texts;
        for (const Fault& f : declcheck::checkBytes(bytes, Name).faults)
            texts << declcheck::faultText(f);
        QCOMPARE(texts, faults);
    }

    // Read in blocks of any size, a file gives the report it gives whole: lines, quoted fields
    // and CR LF cut at every place.
    void blocksGiveTheWholeFilesReport_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fileName");

        for (const golden::File& file : golden::files())
            QTest::newRow(file.scenario) << file.bytes << file.fileName;
        const QByteArray& good = golden::PeriodWithRows;
        QTest::newRow("damaged") << changed(
                                        changed(swapped(good, 9, 10), "'O''Brien Hnos.','16", "'O'Brien Hnos.','16"),
                                        "'S-0001','';\r\n", "'S-0001','';\n")
                                 << Name;
        QTest::newRow("cut short") << good.left(good.indexOf("'Distribuidora Sur','11")) << Name;
        QTest::newRow("repeated clients") << changed(good, "Eof\r\n", good.mid(good.indexOf("'040'"))) << Name;
    }

    void blocksGiveTheWholeFilesReport()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fileName);
        const QStringList whole = everything(declcheck::checkBytes(bytes, fileName));
        for (const qsizetype block : {1, 2, 3, 7, 64})
            QCOMPARE(everything(declcheck::checkBytes(bytes, fileName, block)), whole);
    }

    // The verifier's memory of C.U.I.T.s, merged batch after batch, answers as a plain set would:
    // whether a client was declared before, and at the end which rows' clients none declares.
    void clientKeysAgreeWithASet_data()
    {
        QTest::addColumn<int>("batchBits");
        QTest::addColumn<int>("distinct");  // values drawn from this many
        QTest::addColumn<bool>("inOrder");  // clients in C.U.I.T. order, as the file has them

        QTest::newRow("clients in order, many batches") << 4 << 3000 << true;
        QTest::newRow("clients out of order, many batches") << 4 << 3000 << false;
        QTest::newRow("few values, repeated") << 5 << 40 << false;
        QTest::newRow("one batch") << 19 << 3000 << false;
    }

    void clientKeysAgreeWithASet()
    {
        QFETCH(int, batchBits);
        QFETCH(int, distinct);
        QFETCH(bool, inOrder);
        QRandomGenerator random(7);
        // C.U.I.T.s, shorter digit strings, the empty value and text that is no number.
        const auto value = [&](int n) -> QByteArray {
            switch (n % 4) {
            case 0:
                return QByteArray::number(20000000000LL + n * 7919LL);
            case 1:
                return QByteArray::number(n);
            case 2:
                return n % 8 == 2 ? QByteArray() : "X-" + QByteArray::number(n);
            default:
                return "0" + QByteArray::number(n);
            }
        };
        declcheck::ClientKeys keys(batchBits);
        std::set<quint64> referenced, declared;
        quint64 highest = 0;
        for (int i = 0; i < 20000; ++i) {
            const quint64 key = declcheck::ClientKeys::key(value(int(random.bounded(distinct))));
            if (random.bounded(2)) {
                keys.add(key, declcheck::ClientKeys::Referenced);
                referenced.insert(key);
                continue;
            }
            QCOMPARE(keys.declared(key), declared.count(key) > 0);
            if (declared.empty() || key > highest)
                keys.addAscending(key, declcheck::ClientKeys::Declared);
            else if (!inOrder)
                keys.add(key, declcheck::ClientKeys::Declared);
            else
                continue;
            declared.insert(key);
            highest = std::max(highest, key);
        }
        keys.keepMissing();
        bool anyMissing = false;
        for (int n = 0; n < distinct + 50; ++n) {
            const quint64 key = declcheck::ClientKeys::key(value(n));
            const bool missing = referenced.count(key) > 0 && declared.count(key) == 0;
            QCOMPARE(keys.missing(key), missing);
            anyMissing = anyMissing || missing;
        }
        QCOMPARE(keys.anyMissing(), anyMissing);
    }

    // What is not a file is refused at once: a pipe would have the verifier wait for a writer
    // or read without end.
    void refusesWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder") << QStringLiteral("folder") << QStringLiteral("carpeta");
        QTest::newRow("a FIFO") << QStringLiteral("fifo") << QStringLiteral("tubería");
        QTest::newRow("a device") << QStringLiteral("device") << QStringLiteral("dispositivo");
    }

    void refusesWhatIsNotAFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath(Name);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            path = QStringLiteral("/dev/zero");
        QElapsedTimer timer;
        timer.start();
        try {
            declcheck::checkFile(path);
            QFAIL("read");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.code(), store::FileError);
            QVERIFY2(e.text().startsWith(QStringLiteral("No se puede leer el archivo")), qPrintable(e.text()));
            QVERIFY2(e.text().contains(reason), qPrintable(e.text()));
        }
        QVERIFY(timer.elapsed() < 5000);
    }

    void checksAFileByItsName()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(Name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(golden::PeriodWithRows);
        file.close();
        QVERIFY(declcheck::checkFile(path).ok());

        const QString renamed = dir.filePath(QStringLiteral("copia.imp"));
        QVERIFY(QFile::rename(path, renamed));
        QCOMPARE(places(declcheck::checkFile(renamed)), QStringList{"0/0/nombre del archivo"});

        QVERIFY_THROWS_EXCEPTION(store::StoreError, declcheck::checkFile(dir.filePath(QStringLiteral("falta.imp"))));
    }
};

QTEST_GUILESS_MAIN(TestDeclarationCheck)
#include "tst_declarationcheck.moc"
