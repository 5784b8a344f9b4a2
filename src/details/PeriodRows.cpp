#include "PeriodRows.h"

#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/Database.h"

namespace periodrows {

bool amendmentInPreparation(const store::Dataset& period)
{
    return period.asFloat(QStringLiteral("Rectificativa")) != period.asFloat(QStringLiteral("Rec_pre"));
}

bool postToFiledPeriod(TDModulo& m, Prompt& prompt, store::Dataset& rows)
{
    store::Dataset& period = *m.TAnticipos;
    const QString anio = period.active() && !period.isEmpty() ? period.text(QStringLiteral("Anio")) : QString();
    const QString anticipo = anio.isEmpty() ? QString() : period.text(QStringLiteral("Anticipo"));
    // Without a period the row would land among the open rows and be filed with the next one.
    if (anio.isEmpty() || anticipo.isEmpty()) {
        prompt.notice(QStringLiteral("No hay Anticipos Generados"));
        return false;
    }
    rows.setText(QStringLiteral("Anio"), anio);
    rows.setText(QStringLiteral("Anticipo"), anticipo);

    // A row that cannot be saved must not leave an amendment opened for nothing.
    store::Transaction transaction(rows.session()->database());
    if (!amendmentInPreparation(period)) {
        period.edit();
        period.setValue(QStringLiteral("Rectificativa"), period.asFloat(QStringLiteral("Rectificativa")) + 1);
        period.post();
    }
    rows.post();
    transaction.commit();
    return true;
}

}  // namespace periodrows
