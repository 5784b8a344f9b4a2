// The client line of the register import (imports::clientFromLine). Input: the positions, then
// lines (see FixedLines.h). Whether a line gives a client, and the client's values, are checked
// against the import's rules worked out here on their own: a C.U.I.T. that passes the check,
// the five obligatory values, the province that only CAPITAL FEDERAL may leave out, capitals.
#include "FixedLines.h"
#include "FuzzSupport.h"
#include "imports/ClientImport.h"

#include <optional>

namespace {

std::optional<imports::ClientValues> clientByHand(const QString& line, const imports::ClientColumns& c)
{
    const QString cuit = fuzz::referenceExtract(line, c.cuit);
    if (cuit.isEmpty() || !fuzz::referenceCuit(cuit))
        return std::nullopt;
    const imports::ClientValues v{cuit,
                                  fuzz::referenceUpper(fuzz::referenceExtract(line, c.razonSocial)),
                                  fuzz::referenceExtract(line, c.inscripcion),
                                  fuzz::referenceUpper(fuzz::referenceExtract(line, c.domicilio)),
                                  fuzz::referenceUpper(fuzz::referenceExtract(line, c.localidad)),
                                  fuzz::referenceUpper(fuzz::referenceExtract(line, c.codigoPostal)),
                                  fuzz::referenceUpper(fuzz::referenceExtract(line, c.provincia))};
    if (v.razonSocial.isEmpty() || v.inscripcion.isEmpty() || v.domicilio.isEmpty() || v.localidad.isEmpty() ||
        v.codigoPostal.isEmpty())
        return std::nullopt;
    if (v.provincia.isEmpty() && v.localidad != QLatin1String("CAPITAL FEDERAL"))
        return std::nullopt;
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::FixedInput input = fuzz::fixedInput(fuzz::bytes(data, size));
    const auto& p = input.columns;
    const imports::ClientColumns columns{p[0], p[1], p[2], p[3], p[4], p[5], p[6]};
    for (const QString& line : input.lines) {
        imports::ClientValues client;
        const bool taken = imports::clientFromLine(line, columns, client);
        const std::optional<imports::ClientValues> expected = clientByHand(line, columns);
        fuzz::require(taken == expected.has_value(), taken ? "a line taken" : "a line skipped", line);
        if (taken)
            fuzz::require(client == *expected, "client values", line);
    }
    return 0;
}
