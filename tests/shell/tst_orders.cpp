#include "SampleCuit.h"
#include "SamplePeriod.h"
#include "ScriptedPrompt.h"
#include "backup/Backup.h"
#include "data/FolderStart.h"
#include "data/Prompt.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/files/FolderLock.h"
#include "data/store/AliasConfig.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"
#include "declaration/DeclarationCheck.h"
#include "declaration/PeriodFiling.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using fixture::cuitFor;

// The command line run as the user runs it: the program as a process, without a display, on a
// data folder made here. Each order's success; each refusal with its exit status, its message
// and the tables as they were.
namespace {

const QString Agent = cuitFor(99999999);
const QString Success = QStringLiteral("La Presentación Fue Generada con Exito");

struct Run {
    int status = -1;
    QString out, err;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<ninguno>");
}

void writeFile(const QString& path, const QByteArray& bytes)
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
filing::Outcome fileInProcess(TDModulo& m)
{
    ScriptedPrompt prompt;
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("3"));
    return filing::fileOpenPeriod(m, prompt, QDir(m.aliasFolder()).filePath(QStringLiteral("ddjj")));
}

// Every row of every table as text; a table that cannot be read by the bytes of its file.
QString snapshot(const QString& folder)
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

qint64 count(const QString& folder, const QString& table, const QString& where)
{
    store::Database db(folder, schema::tables(), schema::references());
    store::Statement stmt(db, QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(db.qualifiedTable(table), where));
    return stmt.step() ? stmt.column(0).toLongLong() : -1;
}

}  // namespace

class TestOrders : public QObject {
    Q_OBJECT

private:
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

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        writeImportFiles();
    }

    void cleanup() { m_dir.reset(); }

    // The file of the order is the one the generate form's filing writes for the same data.
    void presentarWritesTheFormsFile()
    {
        prepare(QStringLiteral("con datos"));
        const QString twin = file(QStringLiteral("gemela"));
        QByteArray expected;
        {
            Tables t(twin);
            fixture::fillOpenPeriod(t.m);
            expected = readAll(fileInProcess(t.m).path);
        }

        const Run r = run({"presentar", "--anio", "2024", "--anticipo", "3", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed(), declaration());
        QVERIFY2(r.err.contains(Success), qPrintable(r.err));
        QCOMPARE(readAll(declaration()), expected);
        QCOMPARE(count(tables(), QStringLiteral("detalle"), QStringLiteral("Anio IS NULL")), 0);
        QCOMPARE(count(tables(), QStringLiteral("anticipos"), QStringLiteral("Anio='2024' AND Anticipo='03'")), 1);
        QVERIFY(declcheck::checkFile(declaration()).ok());
    }

    void presentarToAnotherFolder()
    {
        prepare(QStringLiteral("con datos"));
        QVERIFY(QDir().mkpath(file(QStringLiteral("salida"))));
        const Run r =
            run({"presentar", "--anio", "2024", "--anticipo", "03", "--destino", "%T/salida", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QVERIFY(QFile::exists(QDir(file(QStringLiteral("salida"))).filePath(Agent + QStringLiteral("202403.imp"))));
        // The PDF of the form is kept below the tables wherever the file went.
        QCOMPARE(QDir(ddjj()).entryList(QDir::Files), QStringList{Agent + QStringLiteral("202403.pdf")});
    }

    // A refusal says why, answers its status, and leaves the tables and the declarations as they were.
    void refusals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");

        const QStringList datos{"--datos", "%D"};
        const QStringList period{"--anio", "2024", "--anticipo", "3"};
        const QString con = QStringLiteral("con datos");
        const QString presentado = QStringLiteral("presentado");

        QTest::newRow("presentar: already filed")
            << presentado << QStringList{"presentar"} + period + datos << 1 << "Este Anticipo ya fue Presentado";
        QTest::newRow("presentar: already filed, typed with two digits")
            << presentado << QStringList{"presentar", "--anio", "2024", "--anticipo", "03"} + datos << 1
            << "Este Anticipo ya fue Presentado";
        QTest::newRow("presentar: no agent")
            << "sin agente" << QStringList{"presentar"} + period + datos << 1 << "Cargue los datos de la Imprenta";
        QTest::newRow("presentar: anticipo 13")
            << con << QStringList{"presentar", "--anio", "2024", "--anticipo", "13"} + datos << 1
            << "El anticipo debe ser un número de 1 a 12: 13";
        QTest::newRow("presentar: no year")
            << con << QStringList{"presentar", "--anticipo", "3"} + datos << 1 << "Falta --anio";
        QTest::newRow("presentar: a year of two digits")
            << con << QStringList{"presentar", "--anio", "24", "--anticipo", "3"} + datos << 1
            << "El año debe tener 4 cifras: 24";
        QTest::newRow("presentar: a folder that is not there")
            << con << QStringList{"presentar"} + period + QStringList{"--destino", "%T/no-existe"} + datos << 2
            << "No se puede crear el archivo";
        QTest::newRow("presentar: drive A: without a folder for it")
            << con << QStringList{"presentar"} + period + QStringList{"--destino", "A:"} + datos << 2
            << "La unidad A: no está configurada en este equipo";
        QTest::newRow("presentar: a damaged table")
            << "tabla rota" << QStringList{"presentar"} + period + datos << 2 << "detalle.DB";
        QTest::newRow("presentar: a folder without tables")
            << "sin tablas" << QStringList{"presentar"} + period + datos << 1 << "no están las tablas del programa";
        QTest::newRow("presentar: a data folder that is not there")
            << con << QStringList{"presentar"} + period + QStringList{"--datos", "%T/otra"} << 1
            << "No existe la carpeta de las tablas";
        QTest::newRow("presentar: a client's name with CR LF, wider than its field")
            << "nombre roto" << QStringList{"presentar"} + period + datos << 1
            << "Razón Social tiene un salto de línea";
        QTest::newRow("presentar: a range of forms declared twice")
            << "rango repetido" << QStringList{"presentar"} + period + datos << 1
            << "repita la orden con --aceptar-avisos";
        QTest::newRow("regenerar: a range of forms declared twice")
            << "presentado, rango repetido" << QStringList{"regenerar"} + period + datos << 1
            << "repita la orden con --aceptar-avisos";
        QTest::newRow("regenerar: a client's name with CR LF, wider than its field")
            << "nombre roto, presentado" << QStringList{"regenerar"} + period + datos << 1
            << "Razón Social tiene un salto de línea";
        QTest::newRow("regenerar: a period not filed")
            << presentado << QStringList{"regenerar", "--anio", "2024", "--anticipo", "4"} + datos << 1
            << "El anticipo 04 del año 2024 no fue presentado.";
        QTest::newRow("regenerar: nothing filed")
            << con << QStringList{"regenerar"} + period + datos << 1 << "No hay Anticipos Generados";
        QTest::newRow("importar-clientes: no such file")
            << con << QStringList{"importar-clientes", "%T/no-existe.txt"} + clientColumns() + datos << 1
            << "no-existe.txt";
        QTest::newRow("importar-clientes: a binary file")
            << con << QStringList{"importar-clientes", "%T/binario.txt"} + clientColumns() + datos << 1
            << "binario.txt";
        QTest::newRow("importar-clientes: a position that is no number")
            << con << QStringList{"importar-clientes", "%T/clientes.txt", "--cuit-desde", "uno"} + datos << 1
            << "El valor de --cuit-desde debe ser un número entero: uno";
        QTest::newRow("importar-detalles: a client not registered")
            << con << QStringList{"importar-detalles", "%T/detalles-malos.txt"} + detailColumns() + datos << 1
            << "Fallo en registro Nº 2 con error: 6";
        QTest::newRow("importar-detalles: an empty file")
            << con << QStringList{"importar-detalles", "%T/vacio.txt"} + detailColumns() + datos << 1 << "está vacío";
        QTest::newRow("importar-detalles: a position beyond the window's bounds")
            << con << QStringList{"importar-detalles", "%T/detalles.txt", "--cuit-desde", "300"} + datos << 1
            << "El valor de --cuit-desde debe estar entre 0 y 255: 300";
        QTest::newRow("respaldar: a damaged table")
            << "tabla rota" << QStringList{"respaldar"} + datos << 2 << "detalle.DB";
        QTest::newRow("restaurar: a file that is not a backup")
            << con << QStringList{"restaurar", "%T/clientes.txt"} + datos << 1
            << "no es una copia de seguridad del programa";
        QTest::newRow("restaurar: a file that is not there")
            << con << QStringList{"restaurar", "%T/no-existe.zip"} + datos << 1 << "No existe el archivo";
        QTest::newRow("restaurar: no file")
            << con << QStringList{"restaurar"} + datos << 1 << "Falta el archivo de la orden restaurar.";
        QTest::newRow("verificar: a file that is not there")
            << con << QStringList{"verificar", "%T/no-existe.imp"} << 1 << "No se puede leer el archivo";
        QTest::newRow("an unknown order")
            << con << QStringList{"declarar"} + datos << 1 << "Orden desconocida: declarar";
        QTest::newRow("an option of another order") << con << QStringList{"reparar", "--imprimir"} + datos << 1
                                                    << "La opción --imprimir no corresponde a la orden reparar.";
        QTest::newRow("an option without its value")
            << con << QStringList{"presentar", "--anio"} << 1 << "Falta el valor después de --anio.";
    }

    void refusals()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        prepare(kind == QLatin1String("tabla rota") ? QStringLiteral("con datos") : kind);
        if (kind == QLatin1String("tabla rota")) {
            // Cut in the middle of a page.
            QFile detalle(QDir(tables()).filePath(QStringLiteral("detalle.DB")));
            QVERIFY(detalle.resize(1500));
        }
        const QString before = snapshot(tables());
        const QStringList filed = QDir(ddjj()).entryList(QDir::Files);

        const Run r = run(arguments);
        QVERIFY2(r.status == status, qPrintable(QStringLiteral("%1: %2").arg(r.status).arg(r.err)));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QVERIFY2(!r.err.contains(Success), qPrintable(r.err));
        QVERIFY2(!r.err.contains(QStringLiteral("pendiente")), qPrintable(r.err));
        QCOMPARE(snapshot(tables()), before);
        QCOMPARE(QDir(ddjj()).entryList(QDir::Files), filed);
    }

    void safetyCopyBeforeEachWork_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        const QStringList datos{"--datos", "%D"}, period{"--anio", "2024", "--anticipo", "3"};
        QTest::newRow("presentar") << "con datos" << QStringList{"presentar"} + period + datos
                                   << "antes de una presentación";
        QTest::newRow("regenerar") << "presentado" << QStringList{"regenerar"} + period + datos
                                   << "antes de volver a generar una presentación";
        QTest::newRow("regenerar an amendment")
            << "rectificando" << QStringList{"regenerar", "--cerrar-rectificativa"} + period + datos
            << "antes de una rectificativa";
        QTest::newRow("importar-clientes")
            << "con datos" << QStringList{"importar-clientes", "%T/clientes.txt"} + clientColumns() + datos
            << "antes de una importación";
        QTest::newRow("importar-detalles")
            << "con datos" << QStringList{"importar-detalles", "%T/detalles.txt"} + detailColumns() + datos
            << "antes de una importación";
        QTest::newRow("reparar") << "con datos" << QStringList{"reparar"} + datos << "antes de una reparación";
        QTest::newRow("restaurar") << "presentado" << QStringList{"restaurar", "%T/copia.zip"} + datos
                                   << "antes de una restauración";
    }

    // Each work that changes the tables is preceded by a copy of them, listed with its reason,
    // that a restore takes back to the tables as they were.
    void safetyCopyBeforeEachWork()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        prepare(kind);
        if (arguments.first() == QLatin1String("restaurar"))
            backup::makeBackup(tables(), file(QStringLiteral("copia.zip")));
        const int before = int(backup::backupsBeside(tables()).size());
        const QString tablesBefore = snapshot(tables());
        const Run r = run(arguments);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QList<backup::Found> found = backup::backupsBeside(tables());
        QCOMPARE(found.size(), before + 1);
        QCOMPARE(found.first().reason, reason);
        QVERIFY(found.first().restorable);

        const Run back = run({"restaurar", found.first().file, "--datos", "%D"});
        QVERIFY2(back.status == 0, qPrintable(back.err));
        QCOMPARE(snapshot(tables()), tablesBefore);
    }

    void fullDisk_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("arguments");
        const QStringList datos{"--datos", "%D"}, period{"--anio", "2024", "--anticipo", "3"};
        QTest::newRow("presentar") << "con datos" << QStringList{"presentar"} + period + datos;
        QTest::newRow("regenerar") << "presentado" << QStringList{"regenerar"} + period + datos;
        QTest::newRow("importar-clientes")
            << "con datos" << QStringList{"importar-clientes", "%T/clientes.txt"} + clientColumns() + datos;
        QTest::newRow("importar-detalles")
            << "con datos" << QStringList{"importar-detalles", "%T/detalles.txt"} + detailColumns() + datos;
        QTest::newRow("reparar") << "con datos" << QStringList{"reparar"} + datos;
        QTest::newRow("respaldar") << "con datos" << QStringList{"respaldar"} + datos;
        QTest::newRow("restaurar") << "presentado" << QStringList{"restaurar", "%T/copia.zip"} + datos;
    }

    // Every write of the tables' store finds the disk full: every order says so with status 2
    // and leaves the tables as they were.
    void fullDisk()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, arguments);
        prepare(kind);
        if (arguments.first() == QLatin1String("restaurar"))
            backup::makeBackup(tables(), file(QStringLiteral("copia.zip")));
        const QString before = snapshot(tables());
        // No leak checks under ptrace.
        const Run r = run(
            arguments, {QStringLiteral("ASAN_OPTIONS=detect_leaks=0")},
            {"strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=pwrite64", "-e", "inject=pwrite64:error=ENOSPC"});
        QVERIFY2(r.status == 2, qPrintable(QStringLiteral("%1: %2").arg(r.status).arg(r.err)));
        QVERIFY2(
            r.err.contains(QStringLiteral("espacio en el disco")) || r.err.contains(QStringLiteral("disco está lleno")),
            qPrintable(r.err));
        QVERIFY2(!r.err.contains(Success), qPrintable(r.err));
        QCOMPARE(snapshot(tables()), before);
    }

    // Told beforehand, the order files a repeated range and says what it accepted.
    void presentarAcceptingWarnings()
    {
        prepare(QStringLiteral("rango repetido"));
        const Run r = run({"presentar", "--anio", "2024", "--anticipo", "3", "--aceptar-avisos", "--datos", "%D"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("repite el rango de")), qPrintable(r.err));
        QVERIFY2(r.err.contains(Success), qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), declaration());
        QCOMPARE(count(tables(), QStringLiteral("detalle"), QStringLiteral("Anio IS NULL")), 0);
        QVERIFY(declcheck::checkFile(declaration()).ok());
    }

    // Printing was asked and there is no printer: the filing stays done and the status says
    // the order was not carried out whole.
    void presentarWithoutPrinter()
    {
        prepare(QStringLiteral("con datos"));
        const Run r = run({"presentar", "--anio", "2024", "--anticipo", "3", "--imprimir", "--datos", "%D"},
                          {QStringLiteral("CUPS_SERVER=%1").arg(file(QStringLiteral("sin-cups.sock")))});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("no se imprimió")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("tarvenio regenerar --anio 2024 --anticipo 03 --imprimir")),
                 qPrintable(r.err));
        QVERIFY(QFile::exists(declaration()));
        QCOMPARE(count(tables(), QStringLiteral("anticipos"), QStringLiteral("1")), 1);
        // The form is kept as a PDF all the same, and the order says where.
        const QString pdf = QDir(ddjj()).filePath(Agent + QStringLiteral("202403.pdf"));
        QVERIFY2(r.err.contains(QStringLiteral("Declaración en PDF: ") + pdf), qPrintable(r.err));
        QVERIFY(readAll(pdf).startsWith("%PDF"));
    }

    // The PDF of a filed period: made again when missing, copied where asked; a period never
    // filed is refused.
    void pdf()
    {
        prepare(QStringLiteral("presentado"));
        const QString kept = QDir(ddjj()).filePath(Agent + QStringLiteral("202403.pdf"));
        QVERIFY(!QFile::exists(kept));
        Run r = run({"pdf", "--anio", "2024", "--anticipo", "3", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed(), kept);
        QVERIFY(readAll(kept).startsWith("%PDF"));

        r = run({"pdf", "--anio", "2024", "--anticipo", "03", "%T/copia.pdf", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(readAll(file(QStringLiteral("copia.pdf"))), readAll(kept));

        r = run({"pdf", "--anio", "2024", "--anticipo", "4", "--datos", "%D"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("El anticipo 04 del año 2024 no fue presentado.")), qPrintable(r.err));
    }

    void regenerar()
    {
        prepare(QStringLiteral("presentado"));
        QVERIFY(QFile::remove(declaration()));
        const Run r = run({"regenerar", "--anio", "2024", "--anticipo", "3", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed(), declaration());
        QVERIFY2(r.err.contains(Success), qPrintable(r.err));
        const declcheck::Report report = declcheck::checkFile(declaration());
        QVERIFY2(report.ok(), qPrintable(declcheck::reportText(report)));
        QCOMPARE(report.summary.forms, 10);
        QCOMPARE(report.summary.machines, 2);
    }

    // An amendment in preparation closes only when the order says so; the file carries its number.
    void regenerarAnAmendment_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("left open") << false;
        QTest::newRow("closed") << true;
    }

    void regenerarAnAmendment()
    {
        QFETCH(bool, close);
        prepare(QStringLiteral("rectificando"));
        QStringList arguments{"regenerar", "--anio", "2024", "--anticipo", "03", "--datos", "%D"};
        if (close)
            arguments << QStringLiteral("--cerrar-rectificativa");
        const Run r = run(arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err.contains(QStringLiteral("sigue en preparación")), !close);
        QCOMPARE(count(tables(), QStringLiteral("anticipos"), QStringLiteral("Rec_pre = 1")), close ? 1 : 0);
        QCOMPARE(declcheck::checkFile(declaration()).summary.rectificativa, QStringLiteral("1"));
    }

    void importarClientes()
    {
        prepare(QStringLiteral("con datos"));
        const Run r =
            run(QStringList{"importar-clientes", "%T/clientes.txt"} + clientColumns() + QStringList{"--datos", "%D"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(QStringLiteral("Se han cargado con exito 2 Registros")), qPrintable(r.err));
        QCOMPARE(count(tables(), QStringLiteral("cliente"), QStringLiteral("1")), 4);
        QCOMPARE(count(tables(), QStringLiteral("cliente"), QStringLiteral("Localidad = 'CONCORDIA'")), 1);
        // No terminal here: no progress lines in the output.
        QVERIFY(!r.err.contains(QStringLiteral("Cargando Registro")));
    }

    void importarDetalles()
    {
        prepare(QStringLiteral("con datos"));
        const Run r =
            run(QStringList{"importar-detalles", "%T/detalles.txt"} + detailColumns() + QStringList{"--datos", "%D"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(QStringLiteral("Se han cargado con exito 2 Registros")), qPrintable(r.err));
        QCOMPARE(count(tables(), QStringLiteral("detalle"), QStringLiteral("Importado = 'S' AND Anio IS NULL")), 2);
        QCOMPARE(count(tables(), QStringLiteral("detalle"),
                       QStringLiteral("NDesde = 2001 AND NHasta = 2050 AND CanTalonarios = 50")),
                 1);
    }

    // The failing line's number and code, then what the code means.
    void importarDetallesNamesTheLine()
    {
        prepare(QStringLiteral("con datos"));
        const Run r = run(QStringList{"importar-detalles", "%T/detalles-malos.txt"} + detailColumns() +
                          QStringList{"--datos", "%D"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Fallo en registro Nº 2 con error: 6")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Error 6: el contribuyente no existe")), qPrintable(r.err));
    }

    void reparar()
    {
        prepare(QStringLiteral("con datos"));
        const QString before = snapshot(tables());
        const Run r = run({"reparar", "--datos", "%D"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed().split(QLatin1Char('\n')).size(), 6);
        QVERIFY2(r.err.contains(QStringLiteral("La Reparación se ha completado con exito.")), qPrintable(r.err));
        QCOMPARE(QDir(QDir(tables()).filePath(QStringLiteral("back"))).entryList({"*_BK.db"}, QDir::Files).size(), 6);
        QCOMPARE(snapshot(tables()), before);
    }

    void repararADamagedTable_data()
    {
        QTest::addColumn<int>("automaticCopies");  // made while the tables were sound
        QTest::newRow("no automatic copy") << 0;
        QTest::newRow("automatic copies") << 2;
    }

    // A table of which nothing can be read stays as it was, and the status says so; the way back
    // is a restore, of the latest automatic copy when there is one that a restore takes (not the
    // one the repair itself made of the damaged tables).
    void repararADamagedTable()
    {
        QFETCH(int, automaticCopies);
        prepare(QStringLiteral("con datos"));
        QStringList made;
        for (int i = 0; i < automaticCopies; ++i)
            made << backup::makeSafetyCopy(tables(), i ? backup::Work::Import : backup::Work::Filing);
        writeFile(QDir(tables()).filePath(QStringLiteral("Maquina.DB")), QByteArray(8192, 'x'));
        const Run r = run({"reparar", "--datos", "%D"});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QStringLiteral("No se ha podido Reparar")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Herramientas / Restaurar Copia…")), qPrintable(r.err));
        QCOMPARE(r.err.contains(QStringLiteral("copia automática más reciente")), !made.isEmpty());
        if (!made.isEmpty())
            QVERIFY2(r.err.contains(QDir::toNativeSeparators(made.last())), qPrintable(r.err));
        QCOMPARE(backup::backupsBeside(tables()).size(), automaticCopies + 1);
        QVERIFY2(r.out.contains(QStringLiteral("Maquina")), qPrintable(r.out));
        QCOMPARE(readAll(QDir(tables()).filePath(QStringLiteral("Maquina.DB"))), QByteArray(8192, 'x'));
    }

    // A backup into back/ by default or into the zip named; the restore brings its rows back,
    // says what it held and answers where the tables it replaced were kept.
    void respaldarYRestaurar()
    {
        prepare(QStringLiteral("presentado"));
        const QString before = snapshot(tables());
        const Run made = run({"respaldar", "--datos", "%D"});
        QCOMPARE(made.status, 0);
        const QString zipFile = made.out.trimmed();
        QCOMPARE(QFileInfo(zipFile).absolutePath(), QDir(tables()).absoluteFilePath(QStringLiteral("back")));
        QVERIFY2(QFileInfo(zipFile).fileName().startsWith(QStringLiteral("tarvenio-") + Agent + QLatin1Char('-')),
                 qPrintable(zipFile));
        const Run named = run({"respaldar", "%T/copias/mia.zip", "--datos", "%D"});
        QCOMPARE(named.status, 0);
        QCOMPARE(named.out.trimmed(), file(QStringLiteral("copias/mia.zip")));

        {
            Tables t(tables());
            t.m.Session1_1->database().exec(
                QStringLiteral("DELETE FROM %1")
                    .arg(t.m.Session1_1->database().qualifiedTable(QStringLiteral("detalle"))));
        }
        QVERIFY(snapshot(tables()) != before);
        const Run restored = run({"restaurar", zipFile, "--datos", "%D"});
        QVERIFY2(restored.status == 0, qPrintable(restored.err));
        QVERIFY2(restored.err.contains(QStringLiteral("Último anticipo presentado: 03/2024")),
                 qPrintable(restored.err));
        QVERIFY2(restored.err.contains(QStringLiteral("¿Restaurar la copia de seguridad? [Sí]")),
                 qPrintable(restored.err));
        QCOMPARE(snapshot(tables()), before);
        const QString previous = restored.out.trimmed();
        QVERIFY(previous != zipFile);
        QCOMPARE(QFileInfo(previous).absolutePath(), QDir(tables()).absoluteFilePath(QStringLiteral("back/auto")));
    }

    void lockedFolder_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::newRow("presentar") << QStringList{"presentar", "--anio", "2024", "--anticipo", "3", "--datos", "%D"};
        QTest::newRow("restaurar") << QStringList{"restaurar", "%T/copia.zip", "--datos", "%D"};
        QTest::newRow("reparar") << QStringList{"reparar", "--datos", "%D"};
    }

    // Another program on the folder: the order waits a few seconds, then says who holds it and
    // changes nothing.
    void lockedFolder()
    {
        QFETCH(QStringList, order);
        prepare(QStringLiteral("con datos"));
        QCOMPARE(run({"respaldar", "%T/copia.zip", "--datos", "%D"}).status, 0);
        const QString before = snapshot(tables());
        const store::FolderLock windows(tables(), QStringLiteral("las ventanas"));
        QElapsedTimer clock;
        clock.start();
        const Run r = run(order);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("en uso por otro programa Tarvenio: las ventanas (proceso %1)")
                                    .arg(QCoreApplication::applicationPid())),
                 qPrintable(r.err));
        QVERIFY(clock.elapsed() >= 2500);
        QCOMPARE(snapshot(tables()), before);
    }

    void restoreAgainstASecondOpen_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("windows");  // the second is a window start; otherwise an order
        for (int delay : {0, 300, 700, 1200, 2000})
            for (bool windows : {false, true})
                QTest::addRow("%s after %d ms", windows ? "windows" : "order", delay) << delay << windows;
    }

    // A restore and another start on the same folder at staggered moments: the tables end wholly
    // the backup's or wholly the former ones, a restore that says it restored did, and a second
    // program that cannot have the folder is told it is in use.
    void restoreAgainstASecondOpen()
    {
        QFETCH(int, delayMs);
        QFETCH(bool, windows);
        prepare(QStringLiteral("presentado"));
        const QString backupState = snapshot(tables());
        QCOMPARE(run({"respaldar", "%T/copia.zip", "--datos", "%D"}).status, 0);
        {
            Tables t(tables());
            t.m.Session1_1->database().exec(
                QStringLiteral("DELETE FROM %1")
                    .arg(t.m.Session1_1->database().qualifiedTable(QStringLiteral("detalle"))));
        }
        const QString formerState = snapshot(tables());
        QVERIFY(formerState != backupState);

        QProcess restore;
        start(restore,
              {QStringLiteral("restaurar"), file(QStringLiteral("copia.zip")), QStringLiteral("--datos"), tables()});
        QVERIFY(restore.waitForStarted());
        QTest::qWait(delayMs);
        if (windows) {
            ScriptedPrompt prompt;
            store::AliasConfig config(file(QStringLiteral("ventanas.conf")));
            TDModulo m(&config, prompt, tables());
            if (folderstart::prepare(m, prompt, true))
                m.AbrirTablas();
            else
                QVERIFY2(prompt.texts()
                             .join(QLatin1Char('\n'))
                             .contains(QStringLiteral("en uso por otro programa Tarvenio: la orden restaurar")),
                         qPrintable(prompt.texts().join(QLatin1Char('\n'))));
        } else {
            const Run r = run({"pdf", "--anio", "2024", "--anticipo", "3", "--datos", "%D"});
            QVERIFY2(r.status == 0 || r.err.contains(QStringLiteral("en uso por otro programa")), qPrintable(r.err));
        }
        // It may have ended, and been seen to, while the second one ran.
        QVERIFY(restore.state() == QProcess::NotRunning || restore.waitForFinished(120000));
        const QString told = QString::fromUtf8(restore.readAllStandardError());
        const QString after = snapshot(tables());
        QVERIFY2(after == backupState || after == formerState, qPrintable(told));
        if (restore.exitCode() == 0 && told.contains(QStringLiteral("Se restauró la copia")))
            QCOMPARE(after, backupState);
    }

    void verificar()
    {
        prepare(QStringLiteral("presentado"));
        const Run good = run({"verificar", declaration()});
        QCOMPARE(good.status, 0);
        QVERIFY2(good.out.contains(QStringLiteral("es una declaración correcta")), qPrintable(good.out));
        QVERIFY2(good.out.contains(QStringLiteral("Formularios: 10")), qPrintable(good.out));
        QCOMPARE(good.err, QString());

        QByteArray bytes = readAll(declaration());
        bytes.replace("Eof\r\n", "Eof\n");
        const QString copy = file(Agent + QStringLiteral("202403.imp"));
        writeFile(copy, bytes);
        const Run bad = run({"verificar", copy});
        QCOMPARE(bad.status, 1);
        QCOMPARE(bad.out, QString());
        QVERIFY2(bad.err.contains(QStringLiteral("termina con LF sin CR")), qPrintable(bad.err));
    }

    // Without a screen the windows are refused in Spanish, and a faulty option is told as such.
    void windowsWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("the windows") << QStringList{"--datos", "%D"} << "No hay una pantalla donde abrir las ventanas";
        QTest::newRow("--datos without its folder")
            << QStringList{"--datos"} << "Falta la carpeta de las tablas después de --datos.";
    }

    void windowsWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        prepare(QStringLiteral("con datos"));
        const Run r = run(arguments, {QStringLiteral("XDG_RUNTIME_DIR=")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith(message), qPrintable(r.err));
        QVERIFY2(!r.err.contains(QStringLiteral("QStandardPaths")), qPrintable(r.err));
    }

    // An order run outside a login session prints none of the toolkit's English notes.
    void noToolkitNotes()
    {
        prepare(QStringLiteral("con datos"));
        const Run r = run({"reparar", "--datos", "%D"}, {QStringLiteral("XDG_RUNTIME_DIR=")});
        QCOMPARE(r.status, 0);
        QVERIFY2(!r.err.contains(QStringLiteral("QStandardPaths")) && !r.err.contains(QStringLiteral("XDG_")),
                 qPrintable(r.err));
    }

    void helpAndVersionNeedNoDisplay()
    {
        const Run help = run({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains(QStringLiteral("importar-detalles <archivo>")));
        const Run version = run({"presentar", "--version"});
        QCOMPARE(version.status, 0);
        QVERIFY(version.out.startsWith(QStringLiteral("tarvenio ")));
    }
};

QTEST_GUILESS_MAIN(TestOrders)
#include "tst_orders.moc"
