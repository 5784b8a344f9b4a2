// What holds for every order: a refusal says why with its status and changes nothing, a work that
// changes the tables is preceded by a safety copy, a full disk is told as such, and without a
// display the orders still run in Spanish while the windows are refused.

#include "OrdersFixture.h"
#include "backup/Backup.h"

using namespace fixture;

class TestOrders : public QObject, private OrderRun {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        writeImportFiles();
    }

    void cleanup() { m_dir.reset(); }

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
