#include "ClientImport.h"

#include "TextFile.h"
#include "backup/Backup.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/BulkWriter.h"

#include <exception>

namespace imports {

namespace {

const QString Table = QStringLiteral("cliente");

// The client table as the import meets it: one insert for the whole run, which is also the
// search for the C.U.I.T.: the unique index finds a registered client and the insert then adds
// nothing. A statement prepared per row would cost more than the rest of the work.
class ClientTable {
public:
    explicit ClientTable(store::Database& db)
        : m_writer(db, Table,
                   {QStringLiteral("Cuit"), QStringLiteral("Razon_Social"), QStringLiteral("Inscripcion"),
                    QStringLiteral("Domicilio"), QStringLiteral("Localidad"), QStringLiteral("Codigo_Postal"),
                    QStringLiteral("Provincia")},
                   QStringLiteral("ON CONFLICT (Cuit) DO NOTHING"))
    {}

    // Stored as a post through the client view stores them. False when the C.U.I.T. is
    // registered already.
    bool add(const ClientValues& v)
    {
        int column = 0;
        for (const QString* value :
             {&v.cuit, &v.razonSocial, &v.inscripcion, &v.domicilio, &v.localidad, &v.codigoPostal, &v.provincia})
            m_writer.setText(column++, *value);
        return m_writer.insert();
    }
    void finish() { m_writer.finish(); }

private:
    store::BulkWriter m_writer;
};

}  // namespace

bool clientFromLine(QStringView line, const ClientColumns& columns, ClientValues& into)
{
    copyInto(extract(line, columns.cuit), into.cuit);
    if (into.cuit.isEmpty() || !TDModulo::ValidarCuit(into.cuit))
        return false;
    const QStringView razonSocial = extract(line, columns.razonSocial);
    const QStringView inscripcion = extract(line, columns.inscripcion);
    const QStringView domicilio = extract(line, columns.domicilio);
    const QStringView localidad = extract(line, columns.localidad);
    const QStringView codigoPostal = extract(line, columns.codigoPostal);
    const QStringView provincia = extract(line, columns.provincia);
    if (razonSocial.isEmpty() || inscripcion.isEmpty() || domicilio.isEmpty() || localidad.isEmpty() ||
        codigoPostal.isEmpty())
        return false;
    upperAsciiInto(localidad, into.localidad);
    // The capital has no province of its own.
    if (provincia.isEmpty() && into.localidad != QLatin1String("CAPITAL FEDERAL"))
        return false;
    upperAsciiInto(razonSocial, into.razonSocial);
    copyInto(inscripcion, into.inscripcion);
    upperAsciiInto(domicilio, into.domicilio);
    upperAsciiInto(codigoPostal, into.codigoPostal);
    upperAsciiInto(provincia, into.provincia);
    return true;
}

int importClients(TDModulo& modulo, Prompt& prompt, const QString& path, const ClientColumns& columns,
                  const ImportHooks& hooks)
{
    int added = 0;
    std::exception_ptr failure;
    try {
        TextFile file(path);
        prompt.box(QStringLiteral("Solo se cargaran los Contribuyentes con datos completos"),
                   QStringLiteral("Brosmera"), PromptButtons::Ok);
        // The file is read as it stood when it was looked over, or not at all.
        file.checkUnchanged();
        BusyScope busy(prompt);
        backup::makeSafetyCopy(modulo.aliasFolder(), backup::Work::Import);
        // One transaction: a run broken off by an error, a crash or a killed program leaves
        // the register as it was.
        store::Database& db = modulo.Session1_1->database();
        store::Transaction transaction(db);
        ClientTable clients(db);
        ProgressThrottle progress(hooks.progress);
        int count = 0;
        QString line;
        ClientValues client;
        while (file.readLine(line)) {
            if (!clientFromLine(line, columns, client))
                continue;
            try {
                if (!clients.add(client))
                    continue;  // registered already
            } catch (const store::StoreError& e) {
                // The line's own fault; anything else (a full disk, a damaged table) ends the run.
                if (e.code() != store::ConversionError && e.code() != store::KeyViolation)
                    throw;
                continue;
            }
            progress.step(++count);
        }
        progress.finish();
        clients.finish();
        transaction.commit();
        added = count;
    } catch (...) {
        failure = std::current_exception();
    }
    // A run that failed added nothing: it is not told as a success before its error is shown.
    if (!failure)
        prompt.box(QStringLiteral("Se han cargado con exito %1 Registros").arg(added), QStringLiteral("Quenlaro"),
                   PromptButtons::Ok);
    if (modulo.TCliente->active())
        modulo.TCliente->refresh();
    if (failure)
        std::rethrow_exception(failure);
    return added;
}

}  // namespace imports
