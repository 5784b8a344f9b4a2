#include "RowRules.h"

#include "data/store/Dataset.h"

#include <cmath>

namespace rowrules {

namespace {

const QString Anulado = QStringLiteral("Anulado");
const QString No = QStringLiteral("N");

}  // namespace

Verdict firstMissing(const store::Dataset& row, const QStringList& fields, const QString& message)
{
    for (const QString& field : fields)
        if (row.text(field).isEmpty())
            return RowFault{field, message};
    return std::nullopt;
}

double canTalonarios(double desde, double hasta) { return hasta - desde + 1; }

bool numbersInOrder(double desde, double hasta) { return std::nearbyint(desde) <= std::nearbyint(hasta); }

Verdict formNumbersFault(double desde, double hasta)
{
    if (numbersInOrder(desde, hasta))
        return std::nullopt;
    return RowFault{QStringLiteral("NDesde"), QStringLiteral("El Número Desde No Puede Ser Mayor al Número Hasta")};
}

Verdict completeFormNumbers(store::Dataset& row)
{
    const double desde = row.asFloat(QStringLiteral("NDesde"));
    const double hasta = row.asFloat(QStringLiteral("NHasta"));
    if (Verdict fault = formNumbersFault(desde, hasta))
        return fault;
    row.setValue(QStringLiteral("CanTalonarios"), canTalonarios(desde, hasta));
    return std::nullopt;
}

Verdict completeOpenFormsRow(store::Dataset& row)
{
    if (Verdict fault = completeFormNumbers(row))
        return fault;
    row.setText(Anulado, No);
    return std::nullopt;
}

Verdict completeOpenMachineRow(store::Dataset& row)
{
    row.setText(Anulado, No);
    return std::nullopt;
}

Verdict completeFiledFormsRow(store::Dataset& row)
{
    if (Verdict fault = completeFormNumbers(row))
        return fault;
    if (row.text(Anulado).isEmpty())
        row.setText(Anulado, No);
    return std::nullopt;
}

Verdict agentFault(const store::Dataset& agent)
{
    const QString missing = QStringLiteral("Faltan Cargar Datos Obligatorios");
    const QStringList obligatory = {QStringLiteral("Nombre"), QStringLiteral("Inscripcion"), QStringLiteral("Cuit"),
                                    QStringLiteral("Domicilio"), QStringLiteral("Codigo_Postal")};
    if (Verdict fault = firstMissing(agent, obligatory, missing))
        return fault;
    // An agent that supplies nothing has nothing to declare.
    const QStringList activities = {QStringLiteral("Imprentas"), QStringLiteral("VMR"),
                                    QStringLiteral("Autoimpresores")};
    for (const QString& flag : activities)
        if (agent.text(flag) == QLatin1String("S"))
            return std::nullopt;
    return RowFault{activities.first(), missing};
}

}  // namespace rowrules
