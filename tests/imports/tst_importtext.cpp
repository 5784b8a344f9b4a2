// Reading import files: the columns of a value, the encodings and line ends, files that are no
// text files, and the progress that reaches the window.

#include "data/store/StoreError.h"
#include "imports/FixedColumns.h"
#include "imports/ImportProgress.h"
#include "imports/TextFile.h"

#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

using imports::Columns;
using imports::TextFile;

class TestImportText : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("file.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write the file");
        return path;
    }

private slots:
    void extract_data();
    void extract();
    void upperAscii_data();
    void upperAscii();
    void lines_data();
    void lines();
    void refused_data();
    void refused();
    void longestLineAccepted();
    void progressIsThrottled();
};

void TestImportText::extract_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("value");

    const QString abc = QStringLiteral("ABCDEFGHIJ");
    QTest::newRow("inside the line") << abc << 3 << 5 << "CDE";
    QTest::newRow("one position") << abc << 3 << 3 << "C";
    QTest::newRow("the whole line") << abc << 1 << 10 << abc;
    QTest::newRow("past the end gives what is there") << abc << 8 << 40 << "HIJ";
    QTest::newRow("wholly beyond the end") << abc << 11 << 20 << "";
    QTest::newRow("reversed range") << abc << 5 << 4 << "";
    QTest::newRow("from 0 starts at 1 and keeps the count") << abc << 0 << 3 << "ABCD";
    QTest::newRow("negative from keeps the count") << abc << -2 << 1 << "ABCD";
    QTest::newRow("unbounded spinners at their ends") << abc << INT_MIN << INT_MAX << abc;
    QTest::newRow("both at the largest int") << abc << INT_MAX << INT_MAX << "";
    QTest::newRow("blanks and control characters trimmed")
        << QStringLiteral(" \t\x01Juan  Perez\x1f \r") << 1 << 40 << "Juan  Perez";
    QTest::newRow("a non-breaking space is no blank") << QStringLiteral("\u00a0AB ") << 1 << 4 << "\u00a0AB";
    QTest::newRow("only blanks") << QStringLiteral("ab     cd") << 3 << 7 << "";
    QTest::newRow("empty line") << QString() << 1 << 5 << "";
}

void TestImportText::extract()
{
    QFETCH(QString, line);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, value);
    QCOMPARE(imports::extract(line, Columns{from, to}).toString(), value);
}

void TestImportText::upperAscii_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");
    QTest::newRow("a to z") << "capital federal 12-b"
                            << "CAPITAL FEDERAL 12-B";
    QTest::newRow("accented letters stay") << "josé peña, ñandú"
                                           << "JOSé PEñA, ñANDú";
    QTest::newRow("capitals stay") << "Ñ É Z"
                                   << "Ñ É Z";
}

void TestImportText::upperAscii()
{
    QFETCH(QString, text);
    QFETCH(QString, upper);
    QCOMPARE(imports::upperAscii(text), upper);
}

void TestImportText::lines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("utf8");

    QTest::newRow("LF") << QByteArray("uno\ndos\n") << QStringList{"uno", "dos"} << false;
    QTest::newRow("CR LF") << QByteArray("uno\r\ndos\r\n") << QStringList{"uno", "dos"} << false;
    QTest::newRow("last line without its end") << QByteArray("uno\r\ndos") << QStringList{"uno", "dos"} << false;
    QTest::newRow("a trailing empty line") << QByteArray("uno\n\n") << QStringList{"uno", ""} << false;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << false;
    QTest::newRow("CR alone") << QByteArray("uno\rdos\rtres") << QStringList{"uno", "dos", "tres"} << false;
    QTest::newRow("LF, CR LF and CR in one file")
        << QByteArray("a\r\nb\rc\n\rd\r") << QStringList{"a", "b", "c", "", "d"} << false;
    // The reader takes the file a megabyte at a time; the CR of this CR LF is the chunk's last byte.
    const QByteArray chunkLong(1024 * 1024 - 1, 'x');
    QTest::newRow("CR LF across two reads") << chunkLong + "\r\nb\r\n"
                                            << QStringList{QString::fromLatin1(chunkLong), "b"} << false;
    QTest::newRow("UTF-8") << QByteArray("Peña\nJosé €\n") << QStringList{"Peña", "José €"} << true;
    QTest::newRow("UTF-8 with a byte-order mark")
        << QByteArray("\xEF\xBB\xBFPeña\nJosé\n") << QStringList{"Peña", "José"} << true;
    const QByteArray mark("\xEF\xBB\xBF");
    QTest::newRow("a byte-order mark before ASCII") << mark + "abc" << QStringList{"abc"} << true;
    QTest::newRow("Windows-1252") << QByteArray("Pe\xF1") + "a \x80 \x93x\x94\n"
                                  << QStringList{"Peña € \u201cx\u201d"} << false;
    // One byte that is not UTF-8, far from the start, makes the whole file Windows-1252.
    QTest::newRow("UTF-8 spoilt at the end")
        << QByteArray("Peña\nJos\xE9\n") << QStringList{"Pe\u00c3\u00b1a", "José"} << false;
    QTest::newRow("overlong UTF-8 is no UTF-8") << QByteArray("\xC0\xAF\n") << QStringList{"\u00c0\u00af"} << false;
    QTest::newRow("UTF-8 cut short at the end")
        << QByteArray("Peña \xC3") << QStringList{"Pe\u00c3\u00b1a \u00c3"} << false;
    // Positions count characters: an emoji takes one, as a character the tables cannot hold.
    QTest::newRow("a character beyond 16 bits") << QByteArray("\xF0\x9F\x98\x80X\n") << QStringList{"\ufffdX"} << true;
}

void TestImportText::lines()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    QFETCH(bool, utf8);
    TextFile file(write(content));
    QStringList read;
    QString line;
    while (file.readLine(line))
        read << line;
    QCOMPARE(read, expected);
    QCOMPARE(file.utf8(), utf8);
    QCOMPARE(file.lineNumber(), int(expected.size()));
}

void TestImportText::refused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("kind");  // file, folder, unreadable
    QTest::addColumn<QString>("message");

    QTest::newRow("NUL bytes") << QByteArray("20123456786 ALFA\n\0\0\0\n", 22) << "file"
                               << "caracteres nulos";
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 37 + 11) % 256);
    QTest::newRow("a binary file") << binary << "file"
                                   << "caracteres nulos";
    QTest::newRow("a line of several megabytes") << QByteArray("uno\n") + QByteArray(3 * 1024 * 1024, 'x') + "\ndos\n"
                                                 << "file"
                                                 << "la línea 2 tiene más de";
    QTest::newRow("a long line after lines ending in CR")
        << QByteArray("uno\r\ndos\rtres\r") + QByteArray(3 * 1024 * 1024, 'x') << "file"
        << "la línea 4 tiene más de";
    QTest::newRow("a file that is gone") << QByteArray() << "missing"
                                         << "No se encuentra el archivo";
    QTest::newRow("a folder") << QByteArray() << "folder"
                              << "no es un archivo";
    QTest::newRow("a file that cannot be read") << QByteArray("uno\n") << "unreadable"
                                                << "No se puede abrir el archivo";
}

void TestImportText::refused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QString path = write(content);
    if (kind == QLatin1String("missing")) {
        QFile::remove(path);
    } else if (kind == QLatin1String("folder")) {
        path = m_dir.path();
    } else if (kind == QLatin1String("unreadable")) {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
    }
    try {
        TextFile file(path);
        QFAIL("the file was taken");
    } catch (const store::StoreError& e) {
        QCOMPARE(e.code(), int(store::InputFileError));
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestImportText::longestLineAccepted()
{
    const QByteArray longest(TextFile::MaxLineBytes, 'x');
    TextFile file(write(longest + "\n" + longest));
    QString line;
    QVERIFY(file.readLine(line));
    QCOMPARE(line.size(), TextFile::MaxLineBytes);
    QVERIFY(file.readLine(line));
    QCOMPARE(line.size(), TextFile::MaxLineBytes);
    QVERIFY(!file.readLine(line));
}

void TestImportText::progressIsThrottled()
{
    QList<int> shown;
    const std::function<void(int)> show = [&shown](int count) { shown << count; };
    imports::ProgressThrottle progress(show);
    for (int i = 1; i <= 20000; ++i)
        progress.step(i);
    progress.finish();
    QCOMPARE(shown.first(), 1);
    QCOMPARE(shown.last(), 20000);  // the last line always shows
    QVERIFY2(shown.size() < 200, qPrintable(QString::number(shown.size())));
}

QTEST_GUILESS_MAIN(TestImportText)
#include "tst_importtext.moc"
