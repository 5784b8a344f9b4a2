#include "UVerDetalle.h"

#include "DestinationGroup.h"
#include "WindowFiling.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/PeriodRows.h"
#include "widgets/DBGrid.h"
#include "widgets/DirectoryListBox.h"
#include "widgets/EnterAsTab.h"
#include "widgets/StandardError.h"

#include <QPushButton>

FormInstance<TFVerDetalles> FVerDetalles;

TFVerDetalles::TFVerDetalles(QWidget* parent)
    : FiledPeriodWindow("FVerDetalles", QStringLiteral("Anticipo"), QStringLiteral("Pesentación "),
                        QStringLiteral("Re-Generar"), "BitBtn5", parent)
{
    DBGrid1->setDataset(
        DModulo->TVerDetalles,
        {{QStringLiteral("Fecha"), QStringLiteral("Fecha"), 10, GridColumn::Format::Plain},
         {QStringLiteral("Cuit"), QStringLiteral("Cuit"), 11, GridColumn::Format::Plain},
         {QStringLiteral("Razon_Social"), QStringLiteral("Razon Social"), 22, GridColumn::Format::Plain},
         {QStringLiteral("Tipo_comprobante"), QStringLiteral("Tipo Comprobante"), 14, GridColumn::Format::Plain},
         {QStringLiteral("CanTalonarios"), QStringLiteral("Cant. de Talonarios"), 6, GridColumn::Format::Plain},
         {QStringLiteral("NDesde"), QStringLiteral("N° Desde"), 9, GridColumn::Format::Plain},
         {QStringLiteral("NHasta"), QStringLiteral("N° Hasta"), 9, GridColumn::Format::Plain}});
    DBGrid2->setDataset(
        DModulo->TVerMaquinas,
        {{QStringLiteral("Fecha"), QStringLiteral("Fecha"), 10, GridColumn::Format::Plain},
         {QStringLiteral("Razon_Social"), QStringLiteral("Razon Social"), 22, GridColumn::Format::Plain},
         {QStringLiteral("cuit"), QStringLiteral("Cuit"), 11, GridColumn::Format::Plain},
         {QStringLiteral("Marca"), QStringLiteral("Marca"), 14, GridColumn::Format::Plain},
         {QStringLiteral("Modelo"), QStringLiteral("Modelo"), 14, GridColumn::Format::Plain},
         {QStringLiteral("Precio"), QStringLiteral("Precio"), 12, GridColumn::Format::Money}});

    EnterAsTab::setTabChain({BitBtn1, DBGrid1, DBGrid2, GroupBox4->DriveComboBox1, GroupBox4->DirectoryListBox1,
                             GroupBox4->defaultButton, BitBtn2});
    EnterAsTab::install(this);
    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFVerDetalles::BitBtn1Click));
}

void TFVerDetalles::BitBtn1Click()
{
    // Only an amendment in preparation is asked about; the answer decides whether it closes,
    // in the same change as the file, so a declaration that cannot be written closes nothing.
    const bool closeTheAmendment =
        periodrows::amendmentInPreparation(*DModulo->TAnticipos) &&
        Prompt::current().box(
            QStringLiteral("Al Generar, Luego no Podrá Continuar Modificando la Actual Rectificativa"),
            QStringLiteral("Imprentas"), PromptButtons::YesNo) == PromptButton::Yes;

    QString destino;
    if (!acceptDestination(destino))
        return;
    if (filing::generateFiledPeriod(destino, closeTheAmendment))
        close();
}
