#include "ClientImport.h"

#include "BulkCache.h"

#include "Prompt.h"
#include "Schema.h"
#include "TextFile.h"
#include "UModulo.h"
#include "store/Database.h"

#include <exception>

namespace import {

namespace {

const QString Table = QStringLiteral("cliente");
const char* const Fields[] = {"Cuit",      "Razon_Social",  "Inscripcion", "Domicilio",
                              "Localidad", "Codigo_Postal", "Provincia"};
const int FieldCount = 7;

// The client table as the import meets it: one prepared insert for the whole run, which is
// also the search for the C.U.I.T.: the unique index finds a registered client and the insert
// then adds nothing. A statement prepared per row would cost more than the rest of the work,
// and the values are bound from buffers of their own (a copy per value took a tenth of the
// time of a million-line register).
class ClientTable {
public:
    explicit ClientTable(store::Database& db)
        : m_db(db),
          m_insert(db, QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, "
                                      "Codigo_Postal, Provincia) VALUES (?, ?, ?, ?, ?, ?, ?) "
                                      "ON CONFLICT (Cuit) DO NOTHING")
                           .arg(db.qualifiedTable(Table)))
    {
        const store::TableDef& def = schema::table(Table);
        for (int i = 0; i < FieldCount; ++i) {
            m_names[i] = QString::fromLatin1(Fields[i]);
            m_widths[i] = def.field(m_names[i])->width;
        }
    }

    // Stored as a post through the client view stores them: cut to the field's width, refused
    // when the table cannot hold a character, empty text as null. False when the C.U.I.T. is
    // registered already.
    bool add(const ClientValues& v)
    {
        const QString* in[FieldCount] = {&v.cuit,      &v.razonSocial,  &v.inscripcion, &v.domicilio,
                                         &v.localidad, &v.codigoPostal, &v.provincia};
        QString values[FieldCount];
        for (int i = 0; i < FieldCount; ++i)
            values[i] = fieldText(*in[i], m_widths[i], m_names[i]);
        m_insert.reset();
        for (int i = 0; i < FieldCount; ++i) {
            if (values[i].isEmpty()) {
                m_insert.bind(i + 1, QVariant());
                continue;
            }
            toUtf8(values[i], m_utf8[i]);
            m_insert.bindUtf8(i + 1, m_utf8[i]);
        }
        m_insert.step();
        return m_db.changes() > 0;
    }

private:
    // Into a buffer kept from line to line: most values are plain ASCII.
    static void toUtf8(const QString& text, QByteArray& buffer)
    {
        buffer.resize(text.size());
        char* out = buffer.data();
        for (QChar c : text) {
            if (c.unicode() >= 0x80) {
                buffer = text.toUtf8();
                return;
            }
            *out++ = char(c.unicode());
        }
    }

    store::Database& m_db;
    store::Statement m_insert;
    QByteArray m_utf8[FieldCount];
    QString m_names[FieldCount];
    int m_widths[FieldCount] = {};
};

}  // namespace

std::optional<ClientValues> clientFromLine(QStringView line, const ClientColumns& columns)
{
    const QString cuit = extract(line, columns.cuit).toString();
    if (cuit.isEmpty() || !TDModulo::ValidarCuit(cuit))
        return std::nullopt;
    const QStringView razonSocial = extract(line, columns.razonSocial);
    const QStringView inscripcion = extract(line, columns.inscripcion);
    const QStringView domicilio = extract(line, columns.domicilio);
    const QStringView localidad = extract(line, columns.localidad);
    const QStringView codigoPostal = extract(line, columns.codigoPostal);
    const QStringView provincia = extract(line, columns.provincia);
    if (razonSocial.isEmpty() || inscripcion.isEmpty() || domicilio.isEmpty() || localidad.isEmpty() ||
        codigoPostal.isEmpty())
        return std::nullopt;
    const QString locality = upperAscii(localidad);
    // The capital has no province of its own.
    if (provincia.isEmpty() && locality != QLatin1String("CAPITAL FEDERAL"))
        return std::nullopt;
    return ClientValues{cuit,     upperAscii(razonSocial),  inscripcion.toString(), upperAscii(domicilio),
                        locality, upperAscii(codigoPostal), upperAscii(provincia)};
}

int importClients(TDModulo& modulo, const QString& path, const ClientColumns& columns, const ImportHooks& hooks)
{
    int added = 0;
    std::exception_ptr failure;
    try {
        TextFile file(path);
        Prompt::current().box(QStringLiteral("Solo se cargaran los Contribuyentes con datos completos"),
                              QStringLiteral("Brosmera"), PromptButtons::Ok);
        BusyScope busy(Prompt::current());
        // One transaction: a run broken off by an error, a crash or a killed program leaves
        // the register as it was.
        store::Database& db = modulo.Session1_1->database();
        BulkCache cache(db, Table);
        store::Transaction transaction(db);
        ClientTable clients(db);
        ProgressThrottle progress(hooks.progress);
        int count = 0;
        QString line;
        while (file.readLine(line)) {
            const std::optional<ClientValues> client = clientFromLine(line, columns);
            if (!client)
                continue;
            try {
                if (!clients.add(*client))
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
        db.noteChanged(Table);
        transaction.commit();
        added = count;
    } catch (...) {
        failure = std::current_exception();
    }
    Prompt::current().box(QStringLiteral("Se han cargado con exito %1 Registros").arg(added),
                          QStringLiteral("Quenlaro"), PromptButtons::Ok);
    if (modulo.TCliente->active())
        modulo.TCliente->refresh();
    if (failure)
        std::rethrow_exception(failure);
    return added;
}

}  // namespace import
