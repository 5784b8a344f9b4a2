#pragma once

// A client register file as the client import reads it, and its rows packed for the floor that
// inserts them without the file: shared by the import benchmarks.

#include "BenchTools.h"
#include "SampleCuit.h"
#include "data/store/BulkCache.h"
#include "data/store/Database.h"
#include "imports/ClientImport.h"

#include <malloc.h>
#include <sqlite3.h>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <vector>

namespace bench {

using fixture::cuitFor;

struct Client {
    QString cuit, name, inscripcion, domicilio, localidad, cp, provincia;
};

inline Client client(int i, int count)
{
    // The clients in another order than their C.U.I.T., as a real register is.
    const int n = scattered(i, count) + 1;
    return {cuitFor(n),
            QStringLiteral("CONTRIBUYENTE NUMERO %1 SA").arg(n),
            QStringLiteral("901-%1").arg(n),
            QStringLiteral("AVENIDA SAN MARTIN %1").arg(n % 5000),
            QStringLiteral("LOCALIDAD %1").arg(n % 300),
            QString::number(2000 + n % 900),
            QStringLiteral("SANTA FE")};
}

// C.U.I.T. 1-11, name 12-51, registration 52-66, address 67-116, locality 117-146, postal code
// 147-152, province 153-182.
inline const imports::ClientColumns ClientLayout{{1, 11},    {12, 51},   {52, 66},  {67, 116},
                                                 {117, 146}, {147, 152}, {153, 182}};

inline QByteArray clientLine(const Client& c)
{
    return (c.cuit + c.name.leftJustified(40) + c.inscripcion.leftJustified(15) + c.domicilio.leftJustified(50) +
            c.localidad.leftJustified(30) + c.cp.leftJustified(6) + c.provincia.leftJustified(30))
               .toLatin1() +
           "\r\n";
}

inline void writeFile(const QString& path, int lines, const std::function<QByteArray(int)>& line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray block;
    for (int i = 0; i < lines; ++i) {
        block += line(i);
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
}

// Text values laid end to end in UTF-8, made before the floor's clock starts so that the floor
// measures the inserts alone.
struct Packed {
    QByteArray bytes;
    std::vector<qsizetype> ends;

    void add(const QString& value)
    {
        bytes += value.toUtf8();
        ends.push_back(bytes.size());
    }
    void bind(sqlite3_stmt* stmt, int position, size_t value) const
    {
        const qsizetype begin = value == 0 ? 0 : ends[value - 1];
        sqlite3_bind_text(stmt, position, bytes.constData() + begin, int(ends[value] - begin), SQLITE_STATIC);
    }
};

inline Packed clientValues(int count)
{
    Packed packed;
    packed.bytes.reserve(qsizetype(count) * 140);
    packed.ends.reserve(size_t(count) * 7);
    for (int i = 0; i < count; ++i) {
        const Client c = client(i, count);
        for (const QString* v : {&c.cuit, &c.name, &c.inscripcion, &c.domicilio, &c.localidad, &c.cp, &c.provincia})
            packed.add(*v);
    }
    return packed;
}

// From here the peak is what the process holds now: the floor's rows, freed, go back first.
inline void resetPeak()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The floor: the rows alone, one prepared statement, one transaction, with the page cache the
// imports give the table.
inline void insertRows(store::Database& db, const QString& table, const QString& sql, int rows,
                       const std::function<void(sqlite3_stmt*, int)>& bind)
{
    store::BulkCache cache(db, table);
    store::Transaction transaction(db);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(db.handle()));
    for (int i = 0; i < rows; ++i) {
        sqlite3_reset(stmt);
        bind(stmt, i);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            qFatal("%s", sqlite3_errmsg(db.handle()));
    }
    sqlite3_finalize(stmt);
    transaction.commit();
}

inline void insertClients(store::Database& db, const Packed& values, int count)
{
    insertRows(db, QStringLiteral("cliente"),
               QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, Codigo_Postal, "
                              "Provincia) VALUES (?, ?, ?, ?, ?, ?, ?)")
                   .arg(db.qualifiedTable(QStringLiteral("cliente"))),
               count, [&values](sqlite3_stmt* stmt, int i) {
                   for (int v = 0; v < 7; ++v)
                       values.bind(stmt, v + 1, size_t(i) * 7 + size_t(v));
               });
}

}  // namespace bench
