// Makes the seeds of the two targets whose inputs are the program's own files: the six table
// files, with small pages so that a few rows span several, and a declaration filed as the
// program files it, each also in a damaged form. Run from the source folder after a change to
// the files' form:
//     build-tests/fuzz/fuzz_make_seeds fuzz/corpus
// The text targets' seeds are written by hand.
#include "FuzzSupport.h"
#include "OpenStore.h"
#include "SampleRows.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/store/Database.h"
#include "data/store/StoreError.h"
#include "declaration/DeclarationFile.h"
#include "declaration/PeriodFiling.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using fixture::addAgent;
using fixture::addClient;
using fixture::addDetail;
using fixture::addMachine;
using fixture::addPeriod;
using fixture::setPeriodFilter;

namespace {

// The agent, three clients, two printed-forms rows and two machines of the open period and a
// form type.
void fill(TDModulo& m)
{
    addAgent(m, false);  // its name and place only
    // Registration, address, locality, postal code and province of a client.
    const auto where = [](const QString& localidad, const QString& provincia) {
        return QStringList{QStringLiteral("901-000001-1"), QStringLiteral("Belgrano 55"), localidad,
                           QStringLiteral("3000"), provincia};
    };
    const int sur = addClient(m, QStringLiteral("30712345671"), QStringLiteral("DISTRIBUIDORA SUR"),
                              where(QStringLiteral("SANTA FE"), QStringLiteral("SANTA FE")));
    const int obrien = addClient(m, QStringLiteral("27301112225"), QStringLiteral("O'BRIEN HNOS."),
                                 where(QStringLiteral("CAPITAL FEDERAL"), QString()));
    addClient(m, QStringLiteral("30500010912"), QStringLiteral("IMPRENTA DEL CENTRO"),
              where(QStringLiteral("ROSARIO"), QStringLiteral("SANTA FE")));
    setPeriodFilter(m, QStringLiteral("anio=null and Anticipo=null"));
    const QString punto = QStringLiteral("0001"), imported = QStringLiteral("S");
    addDetail(m, sur, QStringLiteral("15/03/2005"), QStringLiteral("Facturas A"), 1, 500, punto, QStringLiteral("N"),
              imported);
    addDetail(m, obrien, QStringLiteral("16/03/2005"), QStringLiteral("Remitos R"), 1501, 1600, punto,
              QStringLiteral("S"), imported);
    const QString model = QStringLiteral("RX-200"), code = QStringLiteral("ABC123"), emision = QStringLiteral("0002"),
                  serie = QStringLiteral("S-0001");
    addMachine(m, obrien, QDate(2005, 3, 10), model, 1500, code, emision, serie, QStringLiteral("N"));
    addMachine(m, sur, QDate(2005, 3, 11), model, 1234.56, code, emision, serie, QStringLiteral("S"));
    m.TFormulario->insert();
    m.TFormulario->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("Facturas A"));
    m.TFormulario->setValue(QStringLiteral("Cantidad"), 2.0);
    m.TFormulario->post();
}

// The declaration of the period 2005/03 over the rows of fill, filed into `ddjj` as the program
// files it. Filing stamps the rows and refills the form totals, so it runs over tables of its
// own, not over those kept as seeds. No question is expected: the prompt is the silent one.
QString fileDeclaration(const QString& folder, const QString& ddjj)
{
    fixture::OpenStore s(folder);
    TDModulo& m = s.modulo;
    fill(m);
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2005"));
    m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("3"));
    const filing::Outcome outcome = filing::fileOpenPeriod(m, s.prompt, ddjj);
    if (outcome.result != filing::Result::Filed)
        throw store::StoreError(store::FileError,
                                QStringLiteral("The filing of 2005/03 stopped (result %1).").arg(int(outcome.result)));
    return outcome.path;
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    fuzz::writeFile(path, bytes);
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
}

// The bytes of one page replaced by a pattern, as a disk that lost a sector leaves them.
QByteArray garbled(QByteArray file, int page, int pageSize)
{
    for (int i = 0; i < pageSize && (page - 1) * pageSize + i < file.size(); ++i)
        file[(page - 1) * pageSize + i] = char((i * 37 + 11) & 0xFF);
    return file;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    try {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("tablas"));
        {
            fixture::OpenStore s(folder);
            fill(s.modulo);
            addPeriod(s.modulo, QStringLiteral("2005"), QStringLiteral("3"));
        }
        const QString filed = dir.filePath(QStringLiteral("presentada"));
        const QString declaration = fileDeclaration(filed, QDir(filed).filePath(QStringLiteral("ddjj")));
        {
            store::Database db(folder, schema::tables(), schema::references());
            for (const store::TableDef& def : schema::tables()) {
                const QString schemaName = db.qualifiedFile(def.tableName);
                db.exec(QStringLiteral("PRAGMA %1.page_size=512").arg(schemaName));
                db.exec(QStringLiteral("VACUUM %1").arg(schemaName));
            }
        }
        const QString tables = QStringLiteral("tablefile/");
        for (const store::TableDef& def : schema::tables())
            writeAll(corpus.filePath(tables + def.fileName), fuzz::readFile(QDir(folder).filePath(def.fileName)));
        const QByteArray cliente = fuzz::readFile(QDir(folder).filePath(QStringLiteral("cliente.DB")));
        writeAll(corpus.filePath(tables + QStringLiteral("cliente-cortado.DB")), cliente.left(512 * 2 + 200));
        writeAll(corpus.filePath(tables + QStringLiteral("detalle-pagina-2-rota.DB")),
                 garbled(fuzz::readFile(QDir(folder).filePath(QStringLiteral("detalle.DB"))), 2, 512));
        writeAll(corpus.filePath(tables + QStringLiteral("maquina-pagina-1-rota.DB")),
                 garbled(fuzz::readFile(QDir(folder).filePath(QStringLiteral("Maquina.DB"))), 1, 100));

        const QByteArray imp = fuzz::readFile(declaration);
        const QString declarations = QStringLiteral("declaration/");
        writeAll(corpus.filePath(declarations + QFileInfo(declaration).fileName()), imp);
        writeAll(corpus.filePath(declarations + QStringLiteral("cortada.imp")), imp.left(imp.size() * 2 / 3));
        writeAll(corpus.filePath(declarations + QStringLiteral("solo-lf.imp")), QByteArray(imp).replace("\r\n", "\n"));
        QByteArray wrongLine = imp;
        wrongLine[int(qstrlen(DeclarationHeader)) + 2] = 'Z';
        writeAll(corpus.filePath(declarations + QStringLiteral("verificacion-mala.imp")), wrongLine);
    } catch (const store::StoreError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
