// Figures for the table repair on a large detail table: verification, the rebuild of a healthy
// table, and the rebuild of one with damaged pages, with the memory the process needed.
// Usage: bench_repair [rows]   (default 1,000,000)

#include "BenchTools.h"
#include "data/Schema.h"
#include "data/store/Database.h"
#include "maintenance/TBDEUtil.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

void report(const QString& what, double ms, qint64 rows = 0)
{
    if (rows > 0)
        std::printf("%-52s %10.1f ms %12.0f rows/s\n", qPrintable(what + QLatin1Char(':')), ms,
                    double(rows) * 1000.0 / ms);
    else
        std::printf("%-52s %10.1f ms\n", qPrintable(what + QLatin1Char(':')), ms);
    std::fflush(stdout);
}

qint64 count(const QString& file)
{
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM detalle", -1, &stmt, nullptr);
    const qint64 n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return n;
}

int rebuild(TBDEUtil& util, const QString& path, const QString& backup)
{
    quint16 c[7] = {};
    store::TUGetCRTblDescCount(util.session(), path, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6]);
    store::TableDescriptor descriptor;
    descriptor.errorTable = QStringLiteral("Rebuild.DB");
    descriptor.fields.resize(c[0]);
    descriptor.indexes.resize(c[1]);
    store::TUFillCRTblDesc(util.session(), &descriptor, path, QString());
    return store::TURebuildTable(util.session(), path, store::TableDriver, backup, QStringLiteral("KEYVIOL.DB"),
                                 QStringLiteral("PROBLEM.DB"), &descriptor);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("detalle.DB"));
    const QString path = dir.filePath(QStringLiteral("Detalle"));
    const QString backup = dir.filePath(QStringLiteral("back/Detalle_BK.db"));
    store::Database::createTableFile(file, schema::table(QStringLiteral("detalle")));
    {
        sqlite3* db = nullptr;
        sqlite3_open(file.toUtf8().constData(), &db);
        const QByteArray fill =
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO detalle (Cliente, Fecha, Tipo_comprobante, NDesde, NHasta, CanTalonarios, "
                "Anulado, Punto_Venta) SELECT i % 5000, '2016-03-01', 'Factura A - lote ' || i, i * 100, "
                "i * 100 + 49, 50, 'N', '0001' FROM n")
                .arg(rows)
                .toUtf8();
        sqlite3_exec(db, fill.constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    std::printf("detalle.DB with %lld rows, %.1f MB\n", rows, double(QFileInfo(file).size()) / 1e6);

    TBDEUtil util;
    int level = 0;
    report(QStringLiteral("verify"), timed([&] {
               store::TUVerifyTable(util.session(), path, store::TableDriver, QStringLiteral("VERIFY.DB"), QString(), 0,
                                    &level);
           }));
    int result = 0;
    report(QStringLiteral("rebuild, healthy"), timed([&] { result = rebuild(util, path, backup); }), rows);
    std::printf("  result %d, rows %lld\n", result, count(file));

    // Garbage over 50 pages spread through the file (table and index pages alike).
    QFile damaged(file);
    damaged.open(QIODevice::ReadWrite);
    const qint64 pages = damaged.size() / 4096;
    QRandomGenerator random(42);
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < 50; ++i) {
        for (char& b : garbage)
            b = char(random.bounded(256));
        damaged.seek((2 + random.bounded(pages - 2)) * 4096);
        damaged.write(garbage);
    }
    damaged.close();
    report(QStringLiteral("rebuild, 50 damaged pages"), timed([&] { result = rebuild(util, path, backup); }), rows);
    std::printf("  result %d, rows %lld\n", result, count(file));

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
