#include "DataFolder.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/store/Database.h"
#include "data/store/FieldCodec.h"
#include "data/store/FieldRules.h"
#include "data/store/Session.h"
#include "data/store/SqliteFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using store::StoreError;

namespace {

const store::FieldDef& fieldOf(const QString& tableAndField)
{
    const QStringList parts = tableAndField.split(QLatin1Char('.'));
    return *schema::table(parts[0]).field(parts[1]);
}

// What the clerk must never read: the store's own English, or a field's internal name where
// the field has a label of its own.
void checkClerkWords(const QString& text, const store::FieldDef* field = nullptr)
{
    static const QRegularExpression english(
        QStringLiteral("attempt|readonly|read-only|unable|no such|constraint|failed|malformed|database|disk I/O|"
                       "not a|SQL"),
        QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!english.match(text).hasMatch(), qPrintable(text));
    if (field && field->label != field->name)
        QVERIFY2(!text.contains(field->name), qPrintable(text));
}

}  // namespace

// The one set of value rules of the program's fields, on every way a value arrives: typed or
// assigned (through the store's conversion) and as a table file holds it (read back, restored).
class TestFieldRules : public QObject {
    Q_OBJECT
private slots:
    void assigned_data();
    void assigned();
    void stored_data();
    void stored();
    void sqliteCodes_data();
    void sqliteCodes();
    void provokedErrors_data();
    void provokedErrors();
};

void TestFieldRules::assigned_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("stored");  // invalid: refused
    QTest::addColumn<QString>("message");  // the refusal

    const QVariant refused;
    QTest::newRow("last number with a fraction") << "detalle.NHasta" << QVariant("1050,7") << refused
                                                 << "N° Hasta admite solo números enteros, sin decimales ('1050,7').";
    QTest::newRow("last number in thousands with a fraction")
        << "detalle.NHasta" << QVariant("1.234,56") << refused
        << "N° Hasta admite solo números enteros, sin decimales ('1.234,56').";
    QTest::newRow("a fraction assigned as a number") << "detalle.NHasta" << QVariant(1050.7) << refused
                                                     << "N° Hasta admite solo números enteros, sin decimales (1050,7).";
    QTest::newRow("first number below zero")
        << "detalle.NDesde" << QVariant(-1.0) << refused << "N° Desde no admite números negativos (-1).";
    QTest::newRow("first number typed below zero")
        << "detalle.NDesde" << QVariant("-1") << refused << "N° Desde no admite números negativos ('-1').";
    QTest::newRow("first number in thousands") << "detalle.NDesde" << QVariant("1.234") << QVariant(1234.0) << "";
    QTest::newRow("first number zero") << "detalle.NDesde" << QVariant(0.0) << QVariant(0.0) << "";
    QTest::newRow("booklet count with a fraction")
        << "detalle.CanTalonarios" << QVariant(66.4400000000001) << refused
        << "Cantidad de Talonarios admite solo números enteros, sin decimales (66,4400000000001).";
    QTest::newRow("booklet count") << "detalle.CanTalonarios" << QVariant(50.0) << QVariant(50.0) << "";
    QTest::newRow("31 February") << "detalle.Fecha" << QVariant("31/02/2024") << refused
                                 << "'31/02/2024' no es una fecha válida para Fecha: se escribe día/mes/año "
                                    "(31/12/2024).";
    QTest::newRow("date in another order")
        << "detalle.Fecha" << QVariant("2024-02-05") << refused
        << "'2024-02-05' no es una fecha válida para Fecha: se escribe día/mes/año (31/12/2024).";
    QTest::newRow("date with one-digit day and month")
        << "detalle.Fecha" << QVariant("1/2/2024") << QVariant("01/02/2024") << "";
    QTest::newRow("29 February of a leap year")
        << "detalle.Fecha" << QVariant("29/02/2024") << QVariant("29/02/2024") << "";
    QTest::newRow("no date") << "detalle.Fecha" << QVariant("") << QVariant() << "";
    QTest::newRow("machine date 30 February")
        << "maquina.Fecha" << QVariant("30/02/2024") << refused << "'30/02/2024' no es una fecha válida para Fecha.";
    QTest::newRow("postal code below zero")
        << "imprenta.Codigo_Postal" << QVariant("-5") << refused << "Código Postal no admite números negativos ('-5').";
    QTest::newRow("postal code zero") << "imprenta.Codigo_Postal" << QVariant(0) << refused
                                      << "Código Postal debe ser mayor que cero (0).";
    QTest::newRow("postal code past its field") << "imprenta.Codigo_Postal" << QVariant("40000") << refused
                                                << "Código Postal debe estar entre 1 y 32767 (40000).";
    QTest::newRow("postal code with letters")
        << "imprenta.Codigo_Postal" << QVariant("2000a") << refused
        << "'2000a' no es un número válido para Código Postal: se escribe solo con cifras, sin decimales (1234).";
    QTest::newRow("postal code") << "imprenta.Codigo_Postal" << QVariant("2000") << QVariant(qint64(2000)) << "";
    QTest::newRow("name with a line break")
        << "cliente.Razon_Social" << QVariant("ALFA\r\nSRL") << refused << "Razón Social no admite saltos de línea.";
    QTest::newRow("name with a NUL") << "cliente.Razon_Social" << QVariant(QStringLiteral("ALFA") + QChar(0)) << refused
                                     << "Razón Social no admite caracteres nulos.";
    QTest::newRow("name with a character the tables cannot hold")
        << "cliente.Razon_Social" << QVariant("ALFA Ā") << refused
        << "Razón Social tiene un carácter que no se puede guardar ('Ā').";
    QTest::newRow("name cut to its width") << "cliente.Razon_Social" << QVariant(QString(65, QLatin1Char('A')))
                                           << QVariant(QString(60, QLatin1Char('A'))) << "";
    QTest::newRow("price with three decimals")
        << "maquina.Precio" << QVariant("1,234") << refused << "Precio admite hasta 2 decimales ('1,234' tiene 3).";
}

void TestFieldRules::assigned()
{
    QFETCH(QString, field);
    QFETCH(QVariant, input);
    QFETCH(QVariant, stored);
    QFETCH(QString, message);
    const store::FieldDef& f = fieldOf(field);
    if (!message.isEmpty()) {
        try {
            store::fieldcodec::toStored(f, input);
            QFAIL("the value was taken");
        } catch (const StoreError& e) {
            QCOMPARE(e.code(), int(store::ConversionError));
            QCOMPARE(e.text(), message);
            checkClerkWords(e.text(), &f);
        }
        return;
    }
    const QVariant got = store::fieldcodec::toStored(f, input);
    QCOMPARE(got, stored);
    QCOMPARE(store::fieldrules::fault(f, got), QString());
}

void TestFieldRules::stored_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("stored");  // as a table file gives it back
    QTest::addColumn<QString>("fault");    // empty: sound

    QTest::newRow("name longer than its field") << "cliente.Razon_Social" << QVariant(QString(75, QLatin1Char('A')))
                                                << "Razón Social admite hasta 60 caracteres (tiene 75).";
    QTest::newRow("name with a line break and a quote")
        << "cliente.Razon_Social" << QVariant("ALFA \"SRL\"\r\nX") << "Razón Social no admite saltos de línea.";
    QTest::newRow("name with a quote") << "cliente.Razon_Social" << QVariant("ALFA \"SRL\"") << "";
    QTest::newRow("last number with a fraction")
        << "detalle.NHasta" << QVariant(1050.7) << "N° Hasta admite solo números enteros, sin decimales (1050,7).";
    QTest::newRow("last number held as text")
        << "detalle.NHasta" << QVariant("abc") << "N° Hasta no tiene un número válido ('abc').";
    QTest::newRow("whole last number") << "detalle.NHasta" << QVariant(1050.0) << "";
    QTest::newRow("whole last number held as an integer") << "detalle.NHasta" << QVariant(qint64(1050)) << "";
    QTest::newRow("date of printed forms in ISO order")
        << "detalle.Fecha" << QVariant("2024-02-05")
        << "'2024-02-05' no es una fecha válida para Fecha: se escribe día/mes/año (31/12/2024).";
    QTest::newRow("date of printed forms") << "detalle.Fecha" << QVariant("05/02/2024") << "";
    QTest::newRow("machine date that does not exist")
        << "maquina.Fecha" << QVariant("2024-02-30") << "'2024-02-30' no es una fecha válida para Fecha.";
    QTest::newRow("machine date") << "maquina.Fecha" << QVariant("2024-02-29") << "";
    QTest::newRow("postal code below zero")
        << "imprenta.Codigo_Postal" << QVariant(qint64(-5)) << "Código Postal no admite números negativos (-5).";
    QTest::newRow("postal code past its field")
        << "imprenta.Codigo_Postal" << QVariant(qint64(70000)) << "Código Postal debe estar entre 1 y 32767 (70000).";
    QTest::newRow("client key missing") << "cliente.Id_cliente" << QVariant()
                                        << "Falta la clave del registro (Número de cliente).";
    QTest::newRow("client reference with a fraction")
        << "detalle.Cliente" << QVariant(7.5) << "Cliente admite solo números enteros, sin decimales (7,5).";
    QTest::newRow("an empty field") << "detalle.Punto_Venta" << QVariant() << "";
}

void TestFieldRules::stored()
{
    QFETCH(QString, field);
    QFETCH(QVariant, stored);
    QFETCH(QString, fault);
    const store::FieldDef& f = fieldOf(field);
    const QString got = store::fieldrules::fault(f, stored);
    QCOMPARE(got, fault);
    checkClerkWords(got, &f);
}

// Each failure SQLite reports reaches the clerk in Spanish (the result codes are SQLite's own numbers).
void TestFieldRules::sqliteCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("text");
    QTest::newRow("read-only") << 8 << "attempt to write a readonly database"
                               << "la carpeta de los datos o un archivo de tabla es de solo lectura; revise los "
                                  "permisos de la carpeta";
    QTest::newRow("read-only folder") << (8 | (6 << 8)) << "attempt to write a readonly database"
                                      << "la carpeta de los datos o un archivo de tabla es de solo lectura; revise "
                                         "los permisos de la carpeta";
    QTest::newRow("input/output") << 10 << "disk I/O error"
                                  << "el disco no pudo leer o escribir un archivo de tabla";
    QTest::newRow("cannot open") << 14 << "unable to open database file"
                                 << "no se puede abrir un archivo de tabla: la carpeta de los datos no existe o no se "
                                    "puede leer";
    QTest::newRow("missing table") << 1 << "no such table: anticipos"
                                   << "falta una tabla o uno de sus campos";
    QTest::newRow("full") << 13 << "database or disk is full"
                          << "no hay espacio en el disco";
    QTest::newRow("damaged") << 11 << "database disk image is malformed"
                             << "un archivo de tabla está dañado";
    QTest::newRow("not a table file") << 26 << "file is not a database"
                                      << "un archivo de tabla está dañado";
    QTest::newRow("busy") << 5 << "database is locked"
                          << "otro programa está usando los archivos de las tablas; ciérrelo y vuelva a intentarlo";
    QTest::newRow("anything else") << 1 << "near \"x\": syntax error"
                                   << "error de la base de datos (código 1)";
}

void TestFieldRules::sqliteCodes()
{
    QFETCH(int, code);
    QFETCH(QString, detail);
    QFETCH(QString, text);
    QCOMPARE(store::sqlite::errorText(code, detail), text);
    checkClerkWords(text);
}

// Errors provoked on the program's own tables: what the clerk reads names what he knows.
void TestFieldRules::provokedErrors_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");  // the whole text, or the start of it when it ends in "…"
    QTest::newRow("period filed twice") << "key" << int(store::KeyViolation)
                                        << "Ya existe un registro con el mismo valor de Año y Anticipo.";
    QTest::newRow("full disk") << "full" << int(store::FileError)
                               << "No hay espacio en el disco para guardar los datos.";
    QTest::newRow("damaged table") << "damaged" << int(store::ForeignFile) << "…";
    QTest::newRow("missing table") << "missing" << int(store::TableNotFound) << "…";
    QTest::newRow("view not open") << "closed" << int(store::NotOpen)
                                   << "Los datos no están abiertos. Cierre esta ventana y vuelva a abrirla.";
    QTest::newRow("postal code out of range")
        << "range" << int(store::ConversionError) << "Código Postal debe estar entre 1 y 32767 (40000).";
}

void TestFieldRules::provokedErrors()
{
    QFETCH(QString, kind);
    QFETCH(int, code);
    QFETCH(QString, text);
    DataFolder folder;
    TDModulo& m = folder.modulo();
    store::Database& db = m.Session1_1->database();
    try {
        if (kind == QLatin1String("key")) {
            for (int i = 0; i < 2; ++i) {
                store::Statement insert(db, QStringLiteral("INSERT INTO %1 (Anio, Anticipo) VALUES ('2024', '03')")
                                                .arg(db.qualifiedTable(QStringLiteral("anticipos"))));
                insert.step();
            }
        } else if (kind == QLatin1String("full")) {
            // The table file may not grow past the pages it has: the next page is a full disk.
            store::Statement pages(db, QStringLiteral("PRAGMA %1.page_count").arg(db.qualifiedFile("detalle")));
            QVERIFY(pages.step());
            db.exec(QStringLiteral("PRAGMA %1.max_page_count=%2")
                        .arg(db.qualifiedFile("detalle"))
                        .arg(pages.column(0).toLongLong()));
            for (int i = 0; i < 1000; ++i) {
                store::Statement insert(db, QStringLiteral("INSERT INTO %1 (Tipo_comprobante) VALUES (?)")
                                                .arg(db.qualifiedTable(QStringLiteral("detalle"))));
                insert.bind(1, QString(60, QLatin1Char('F')));
                insert.step();
            }
        } else if (kind == QLatin1String("damaged") || kind == QLatin1String("missing")) {
            if (kind == QLatin1String("missing")) {
                // With rows in the other tables the folder is no half-made first start to complete.
                store::Statement insert(db, QStringLiteral("INSERT INTO %1 (Anio, Anticipo) VALUES ('2024', '03')")
                                                .arg(db.qualifiedTable(QStringLiteral("anticipos"))));
                insert.step();
            }
            m.CerrarTablas();
            const QString path = folder.file(QStringLiteral("tablas/detalle.DB"));
            if (kind == QLatin1String("missing")) {
                QVERIFY(QFile::remove(path));
            } else {
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadWrite));
                file.seek(100);
                file.write(QByteArray(2000, '\xA5'));
            }
            m.AbrirTablas();
            m.TDetalles->first();
        } else if (kind == QLatin1String("closed")) {
            m.CerrarTablas();
            m.TCliente->first();
        } else if (kind == QLatin1String("range")) {
            m.TImprentas->insert();
            m.TImprentas->setText(QStringLiteral("Codigo_Postal"), QStringLiteral("40000"));
        }
        QFAIL("nothing was refused");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), code);
        if (text.endsWith(QChar(0x2026)))
            QVERIFY2(e.text().startsWith(text.chopped(1)), qPrintable(e.text()));
        else
            QCOMPARE(e.text(), text);
        checkClerkWords(e.text());
    }
}

QTEST_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
