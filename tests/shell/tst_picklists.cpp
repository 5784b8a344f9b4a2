#include "shell/PickLists.h"

#include <QRegularExpression>
#include <QTest>

// The province and locality lists: size, order with "Ñ" read as "N", no repeats, the
// entries stored rows rely on, and every entry fitting the 30-character field it fills.
class TestPickLists : public QObject {
    Q_OBJECT

private slots:
    void lists_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("provinces") << picklists::provinces() << 24 << "^[A-Z ]+$"
                                   << QStringList{"ISLAS MALVINAS", "SAN JUAN ", "BUENOS AIRES", "SANTA FE"}
                                   << QStringList{"CAPITAL FEDERAL", "SAN JUAN"};
        QTest::newRow("localities") << picklists::localities() << 327 << "^[A-ZÑ0-9 *]+$"
                                    << QStringList{"CAPITAL FEDERAL", "HUMBERTO 1*", "CAÑADA DE GOMEZ", "ÑORQUINCO"}
                                    << QStringList{};
    }

    void lists()
    {
        QFETCH(QStringList, list);
        QFETCH(int, count);
        QFETCH(QString, allowed);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);

        QCOMPARE(list.size(), count);
        const QRegularExpression pattern(allowed);
        for (const QString& entry : list) {
            QVERIFY2(pattern.match(entry).hasMatch(), qPrintable(entry));
            QVERIFY2(entry.size() <= 30, qPrintable(entry));
        }
        // Strictly increasing: alphabetical and without repeats.
        const auto key = [](QString s) { return s.replace(QChar(0x00D1), QLatin1Char('N')); };
        for (qsizetype i = 1; i < list.size(); ++i)
            QVERIFY2(key(list[i - 1]) < key(list[i]), qPrintable(list[i - 1] + " / " + list[i]));
        for (const QString& entry : present)
            QVERIFY2(list.contains(entry), qPrintable(entry));
        for (const QString& entry : absent)
            QVERIFY2(!list.contains(entry), qPrintable(entry));
    }
};

QTEST_GUILESS_MAIN(TestPickLists)
#include "tst_picklists.moc"
