#pragma once

#include "FixedColumns.h"
#include "ImportProgress.h"

#include <QString>

class Prompt;
class TDModulo;

namespace imports {

// Where the seven values of a client stand in every line of a client register file.
struct ClientColumns {
    Columns cuit, razonSocial, inscripcion, domicilio, localidad, codigoPostal, provincia;
};

// A client as it will be stored, before the fields cut it to their widths.
struct ClientValues {
    QString cuit, razonSocial, inscripcion, domicilio, localidad, codigoPostal, provincia;

    bool operator==(const ClientValues&) const = default;
};

// The client a line gives, into values kept from line to line (their buffers are reused); false
// when the line is skipped: a C.U.I.T. that is empty or fails the check, a missing value, or an
// empty province outside CAPITAL FEDERAL. Whether the client is registered already is for the
// import to tell.
bool clientFromLine(QStringView line, const ClientColumns& columns, ClientValues& into);

// Adds the complete, valid and new clients of a register file in one transaction and answers
// how many were added. Shows the notice before the lines and the count after them (the count
// also when the file cannot be read, which is then thrown after it: the run is rolled back and
// the count is 0). A line whose client cannot be stored is skipped.
int importClients(TDModulo& modulo, Prompt& prompt, const QString& path, const ClientColumns& columns,
                  const ImportHooks& hooks = {});

}  // namespace imports
