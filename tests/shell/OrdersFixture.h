#pragma once

// The command line run as the user runs it: the program as a process, without a display, on a
// data folder made here, and what the order tests compare (the rows of every table, the files
// written). Shared by the tests of the orders.

#include "SampleCuit.h"
#include "SamplePeriod.h"
#include "ScriptedPrompt.h"
#include "data/Prompt.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/store/AliasConfig.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"
#include "declaration/PeriodFiling.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

namespace fixture {

inline const QString Agent = cuitFor(99999999);
inline const QString Success = QStringLiteral("La Presentación Fue Generada con Exito");

struct Run {
    int status = -1;
    QString out, err;
};

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<ninguno>");
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A data module over a folder of tables, as the program opens it; gone before the program runs.
struct Tables {
    explicit Tables(const QString& folder)
        : config(folder + QStringLiteral("/../config.conf")), m(&config, prompt, folder)
    {
        m.AbrirTablas();
    }
    InstalledPrompt prompt;
    store::AliasConfig config;
    TDModulo m;
};

// Files the open period 2024/03 as the generate form does, into the default folder.
inline filing::Outcome fileInProcess(TDModulo& m)
{
    ScriptedPrompt prompt;
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("3"));
    return filing::fileOpenPeriod(m, prompt, QDir(m.aliasFolder()).filePath(QStringLiteral("ddjj")));
}

// Every row of every table as text; a table that cannot be read by the bytes of its file.
inline QString snapshot(const QString& folder)
{
    QString all;
    const QDir dir(folder);
    if (std::none_of(schema::tables().cbegin(), schema::tables().cend(),
                     [&](const store::TableDef& def) { return dir.exists(def.fileName); }))
        return QStringLiteral("<sin tablas>");  // and opening them here would make them
    store::Database db(folder, schema::tables(), schema::references());
    for (const store::TableDef& def : schema::tables()) {
        all += QStringLiteral("[%1]\n").arg(def.tableName);
        try {
            store::Statement rows(
                db, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(db.qualifiedTable(def.tableName)));
            while (rows.step()) {
                for (int c = 0; c < rows.columnCount(); ++c)
                    all += rows.column(c).toString() + QLatin1Char('|');
                all += QLatin1Char('\n');
            }
        } catch (const store::StoreError&) {
            all += QString::fromLatin1(
                QCryptographicHash::hash(readAll(QDir(folder).filePath(def.fileName)), QCryptographicHash::Sha1)
                    .toHex());
        }
    }
    return all;
}

inline qint64 count(const QString& folder, const QString& table, const QString& where)
{
    store::Database db(folder, schema::tables(), schema::references());
    store::Statement stmt(db, QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(db.qualifiedTable(table), where));
    return stmt.step() ? stmt.column(0).toLongLong() : -1;
}

// The test's folder: the tables in tablas, the files to import beside them.
class OrderRun {
protected:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString tables() const { return m_dir->filePath(QStringLiteral("tablas")); }
    QString ddjj() const { return QDir(tables()).filePath(QStringLiteral("ddjj")); }
    QString file(const QString& name) const { return m_dir->filePath(name); }
    QString declaration(const QString& period = QStringLiteral("202403")) const
    {
        return QDir(ddjj()).filePath(Agent + period + QStringLiteral(".imp"));
    }

    // The program, as a user runs it on a terminal with no display. %D is the data folder and
    // %T the test's folder.
    // wrapper: a program the order runs under, with its arguments.
    void start(QProcess& process, const QStringList& arguments, const QStringList& extraEnvironment = {},
               const QStringList& wrapper = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), file(QStringLiteral("config")));
        for (const QString& pair : extraEnvironment)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(env);
        if (wrapper.isEmpty())
            process.start(QStringLiteral(TARVENIO_PROGRAM), arguments);
        else
            process.start(wrapper.first(), wrapper.mid(1) + QStringList{QStringLiteral(TARVENIO_PROGRAM)} + arguments);
    }

    Run run(QStringList arguments, const QStringList& extraEnvironment = {}, const QStringList& wrapper = {})
    {
        for (QString& a : arguments)
            a.replace(QStringLiteral("%D"), tables()).replace(QStringLiteral("%T"), m_dir->path());
        QProcess process;
        start(process, arguments, extraEnvironment, wrapper);
        Run result;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
            qWarning("%s", process.readAllStandardError().constData());
            return result;
        }
        result.status = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    void prepare(const QString& kind)
    {
        if (kind == QLatin1String("sin tablas")) {
            QVERIFY(QDir().mkpath(tables()));
            return;
        }
        Tables t(tables());
        if (kind != QLatin1String("sin agente"))
            fixture::fillOpenPeriod(t.m);
        if (kind == QLatin1String("presentado") || kind == QLatin1String("rectificando") ||
            kind == QLatin1String("nombre roto, presentado")) {
            QCOMPARE(int(fileInProcess(t.m).result), int(filing::Result::Filed));
            if (kind == QLatin1String("rectificando")) {
                t.m.TAnticipos->edit();
                t.m.TAnticipos->setValue(QStringLiteral("Rectificativa"), 1.0);
                t.m.TAnticipos->post();
            }
        }
        store::Database& db = t.m.Session1_1->database();
        if (kind == QLatin1String("rango repetido")) {
            // The range of the first row, declared again.
            store::Dataset* d = t.m.TDetalles;
            d->insert();
            d->setValue(QStringLiteral("Cliente"), 1);
            d->setText(QStringLiteral("Fecha"), QStringLiteral("20/03/2024"));
            d->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("Factura A"));
            d->setValue(QStringLiteral("NDesde"), 101.0);
            d->setValue(QStringLiteral("NHasta"), 150.0);
            d->setValue(QStringLiteral("CanTalonarios"), 50.0);
            d->post();
        }
        if (kind == QLatin1String("presentado, rango repetido")) {
            QCOMPARE(int(fileInProcess(t.m).result), int(filing::Result::Filed));
            db.exec(QStringLiteral("UPDATE %1 SET NDesde = 101, NHasta = 150 WHERE Detalle_id = 2")
                        .arg(db.qualifiedTable(QStringLiteral("detalle"))));
        }
        if (kind.startsWith(QLatin1String("nombre roto")))
            db.exec(QStringLiteral("UPDATE %1 SET Razon_Social = 'O''' || printf('%.70c', 'X') || char(13, 10) WHERE "
                                   "Id_cliente = 1")
                        .arg(db.qualifiedTable(QStringLiteral("cliente"))));
    }

    void writeImportFiles()
    {
        const auto client = [](const QString& cuit, const char* name, const char* locality) {
            return (cuit.leftJustified(11) + QString::fromLatin1(name).leftJustified(20) +
                    QStringLiteral("901-1").leftJustified(10) + QStringLiteral("SAN MARTIN 1").leftJustified(20) +
                    QString::fromLatin1(locality).leftJustified(15) + QStringLiteral("3100") +
                    QStringLiteral("ENTRE RIOS"))
                       .toLatin1() +
                   "\r\n";
        };
        writeFile(file(QStringLiteral("clientes.txt")),
                  client(cuitFor(30000001), "NUEVO UNO", "PARANA") +
                      client(QStringLiteral("20000000000"), "MAL CUIT", "PARANA") +
                      client(cuitFor(30000002), "NUEVO DOS", "CONCORDIA"));
        const auto detail = [](const QString& cuit, int desde, int hasta) {
            return (QStringLiteral("05/03/2024") + QStringLiteral("CLIENTE").leftJustified(20) + cuit +
                    QStringLiteral("Factura B").leftJustified(10) + QString::number(desde).rightJustified(6) +
                    QString::number(hasta).rightJustified(6) + QStringLiteral("0001"))
                       .toLatin1() +
                   "\r\n";
        };
        writeFile(file(QStringLiteral("detalles.txt")),
                  detail(cuitFor(10000001), 1, 100) + detail(cuitFor(20000001), 2001, 2050));
        writeFile(file(QStringLiteral("detalles-malos.txt")),
                  detail(cuitFor(10000001), 1, 100) + detail(cuitFor(77777777), 101, 150));
        writeFile(file(QStringLiteral("vacio.txt")), {});
        writeFile(file(QStringLiteral("binario.txt")), QByteArray("20111111112\0\0\0", 14));
    }

    static QStringList detailColumns()
    {
        return {"--fecha-desde",        "1",  "--fecha-hasta",       "10", "--razon-social-desde", "11",
                "--razon-social-hasta", "30", "--cuit-desde",        "31", "--cuit-hasta",         "41",
                "--comprobante-desde",  "42", "--comprobante-hasta", "51", "--ndesde-desde",       "52",
                "--ndesde-hasta",       "57", "--nhasta-desde",      "58", "--nhasta-hasta",       "63",
                "--punto-venta-desde",  "64", "--punto-venta-hasta", "67"};
    }

    static QStringList clientColumns()
    {
        return {"--cuit-desde",
                "1",
                "--cuit-hasta",
                "11",
                "--razon-social-desde",
                "12",
                "--razon-social-hasta",
                "31",
                "--ingresos-brutos-desde",
                "32",
                "--ingresos-brutos-hasta",
                "41",
                "--domicilio-desde",
                "42",
                "--domicilio-hasta",
                "61",
                "--localidad-desde",
                "62",
                "--localidad-hasta",
                "76",
                "--codigo-postal-desde",
                "77",
                "--codigo-postal-hasta",
                "80",
                "--provincia-desde",
                "81",
                "--provincia-hasta",
                "95"};
    }
};

}  // namespace fixture
