#pragma once

#include "FixedColumns.h"
#include "ImportProgress.h"

#include <QString>
#include <array>
#include <climits>
#include <functional>
#include <optional>

class Prompt;
class TDModulo;

namespace imports {

// Where the seven values of a printed-forms row stand in every line of a detail file.
struct DetailColumns {
    Columns fecha, razonSocial, cuit, tipoComprobante, nDesde, nHasta, puntoVenta;
};

// The positions the import's window lets each value take (its spinners' bounds), in the order
// of DetailColumns; the command line takes the same.
struct ColumnBounds {
    int fromMin = INT_MIN, fromMax = INT_MAX;
    int toMin = INT_MIN, toMax = INT_MAX;
};
const std::array<ColumnBounds, 7>& detailColumnBounds();

// The row a line gives, as it is stored in detalle.DB (Anio and Anticipo stay empty, the row is
// marked imported and not voided).
struct DetailRow {
    QString fecha;
    QString tipoComprobante;
    qint64 cliente = 0;
    double nDesde = 0;
    double nHasta = 0;
    double canTalonarios = 0;
    QString puntoVenta;

    bool operator==(const DetailRow&) const = default;
};

// The result codes of one line.
enum DetailCode {
    RowTaken = 0,
    BadNumber = 1,  // a first or last number missing or not a whole number, or a value the table cannot hold
    NumbersReversed = 3,
    ValueMissing = 4,
    CuitInvalid = 5,
    ClientUnknown = 6,
};

// The registered client's Id_cliente for a C.U.I.T., or nothing.
using ClientLookup = std::function<std::optional<qint64>(const QString& cuit)>;

// Decodes one line and answers its code; on RowTaken `row` holds the row to store.
int Decodificar(QStringView line, const DetailColumns& columns, const ClientLookup& findClient, DetailRow& row);

struct DetailOutcome {
    bool confirmed = false;  // OK to "Se cargara el archivo seleccionado"
    int code = RowTaken;     // of the line the run stopped at
    int count = 0;           // lines read: the failing line's number, or the rows added
    bool help = false;       // Yes to "¿Desea obtener más Información?"
};

// Loads the rows of a detail file into the open period, all or nothing. The file is looked
// over before the question (an empty one is refused then, like a binary one); the rows are written in one transaction.
// A line that fails takes with it every imported row of the open period (earlier imports included) and the user is
// asked whether to see the help; the removal is committed before the question. A file or table
// error rolls the run back and is thrown; nothing changes then.
DetailOutcome importDetails(TDModulo& modulo, Prompt& prompt, const QString& path, const DetailColumns& columns,
                            const ImportHooks& hooks = {});

}  // namespace imports
