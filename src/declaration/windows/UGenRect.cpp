#include "UGenRect.h"

#include "DestinationGroup.h"
#include "WindowFiling.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/RowMode.h"
#include "details/windows/URecMaquinas.h"
#include "details/windows/Uanular.h"
#include "resources/Glyphs.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogParts.h"
#include "widgets/DirectoryListBox.h"
#include "widgets/EnterAsTab.h"
#include "widgets/ModalDialog.h"
#include "widgets/StandardError.h"

#include <QPushButton>
#include <QVBoxLayout>

FormInstance<TFGenRec> FGenRec;

namespace {

// Puts the period view in the state the dialog works on, shows it, and drops whatever it left
// pending. Voiding needs a row to void.
template <typename RowDialog>
void openRowDialog(store::Dataset* rows, const FormInstance<RowDialog>& dialog, RowMode mode)
{
    if (mode == RowMode::Void) {
        if (rows->isEmpty())
            return;
        rows->edit();
    } else {
        rows->insert();
    }
    dialog->setMode(mode);
    showModal(*dialog);
    if (rows->editing())
        rows->cancel();
}

}  // namespace

TFGenRec::TFGenRec(QWidget* parent)
    : FiledPeriodWindow("FGenRec", QStringLiteral("Rectificativa"), QStringLiteral("Rectificativa"),
                        QStringLiteral("Generar"), "BitBtn7", parent)
{
    DBGrid1->setDataset(
        DModulo->TVerDetalles,
        {{QStringLiteral("Fecha"), QStringLiteral("Fecha")},
         {QStringLiteral("Tipo_comprobante"), QStringLiteral("Tipo_comprobante"), 14, GridColumn::Format::Plain},
         {QStringLiteral("NDesde"), QStringLiteral("NDesde"), 8, GridColumn::Format::Plain},
         {QStringLiteral("NHasta"), QStringLiteral("NHasta"), 8, GridColumn::Format::Plain},
         {QStringLiteral("Cuit"), QStringLiteral("Cuit"), 11, GridColumn::Format::Plain},
         {QStringLiteral("Razon_Social"), QStringLiteral("Razon_Social"), 16, GridColumn::Format::Plain},
         {QStringLiteral("Punto_Venta"), QStringLiteral("Punto_Venta"), 4, GridColumn::Format::Plain},
         {QStringLiteral("Anulado"), QStringLiteral("Anulado")}});
    DBGrid2->setDataset(
        DModulo->TVerMaquinas,
        {{QStringLiteral("Fecha"), QStringLiteral("Fecha")},
         {QStringLiteral("Razon_Social"), QStringLiteral("Razon_Social"), 16, GridColumn::Format::Plain},
         {QStringLiteral("cuit"), QStringLiteral("cuit"), 11, GridColumn::Format::Plain},
         {QStringLiteral("Marca"), QStringLiteral("Marca"), 12, GridColumn::Format::Plain},
         {QStringLiteral("Modelo"), QStringLiteral("Modelo"), 12, GridColumn::Format::Plain},
         {QStringLiteral("Precio"), QStringLiteral("Precio"), 10, GridColumn::Format::Money},
         {QStringLiteral("Anulado"), QStringLiteral("Anulado")}});
    BitBtn3 = parts::button("BitBtn3", QStringLiteral("Anular"), glyph::remove(), GroupBox2);
    BitBtn5 = parts::button("BitBtn5", QStringLiteral("Insertar"), glyph::insert(), GroupBox2);
    BitBtn4 = parts::button("BitBtn4", QStringLiteral("Anular"), glyph::remove(), GroupBox3);
    BitBtn6 = parts::button("BitBtn6", QStringLiteral("Insertar"), glyph::insert(), GroupBox3);
    formsButtons->addWidget(BitBtn3);
    formsButtons->addWidget(BitBtn5);
    formsButtons->addStretch(1);
    machinesButtons->addWidget(BitBtn4);
    machinesButtons->addWidget(BitBtn6);
    machinesButtons->addStretch(1);

    EnterAsTab::setTabChain({BitBtn1, DBGrid1, BitBtn3, BitBtn5, DBGrid2, BitBtn4, BitBtn6, GroupBox4->DriveComboBox1,
                             GroupBox4->DirectoryListBox1, GroupBox4->defaultButton, BitBtn2});
    EnterAsTab::install(this);
    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFGenRec::BitBtn1Click));
    connect(BitBtn3, &QPushButton::clicked, this, guarded(this, &TFGenRec::BitBtn3Click));
    connect(BitBtn5, &QPushButton::clicked, this, guarded(this, &TFGenRec::BitBtn5Click));
    connect(BitBtn4, &QPushButton::clicked, this, guarded(this, &TFGenRec::BitBtn4Click));
    connect(BitBtn6, &QPushButton::clicked, this, guarded(this, &TFGenRec::BitBtn6Click));
}

void TFGenRec::BitBtn1Click()
{
    if (Prompt::current().box(
            QStringLiteral("Al Generar, Luego no Podrá Continuar Modificando la Actual Rectificativa"),
            QStringLiteral("Imprentas"), PromptButtons::YesNo) != PromptButton::Yes)
        return;
    QString destino;
    if (!acceptDestination(destino))
        return;
    if (filing::generateFiledPeriod(destino, true))
        close();
}

void TFGenRec::BitBtn3Click()
{
    openRowDialog(DModulo->TVerDetalles, FAnular, RowMode::Void);
    returnedToWindow();
}

void TFGenRec::BitBtn5Click()
{
    openRowDialog(DModulo->TVerDetalles, FAnular, RowMode::Add);
    returnedToWindow();
}

void TFGenRec::BitBtn4Click()
{
    openRowDialog(DModulo->TVerMaquinas, FAnulaMaquina, RowMode::Void);
    returnedToWindow();
}

void TFGenRec::BitBtn6Click()
{
    openRowDialog(DModulo->TVerMaquinas, FAnulaMaquina, RowMode::Add);
    returnedToWindow();
}
