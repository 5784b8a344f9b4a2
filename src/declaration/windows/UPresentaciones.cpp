#include "UPresentaciones.h"

#include "DestinationGroup.h"
#include "WindowFiling.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "resources/Glyphs.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogParts.h"
#include "widgets/DirectoryListBox.h"
#include "widgets/EnterAsTab.h"
#include "widgets/StandardError.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormInstance<TFPresentaciones> FPresentaciones;

namespace {

QStringList numbered(int from, int to, int width)
{
    QStringList items;
    for (int n = from; n <= to; ++n)
        items << QString::number(n).rightJustified(width, QLatin1Char('0'));
    return items;
}

QGroupBox* gridGroup(const char* name, const QString& caption, DBGrid*& grid, const char* gridName, QWidget* parent)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    grid = new DBGrid(group);
    grid->setObjectName(QString::fromLatin1(gridName));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(grid);
    return group;
}

}  // namespace

TFPresentaciones::TFPresentaciones(QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint,
                 DModulo ? DModulo->TAnticipos : nullptr)
{
    setObjectName(QStringLiteral("FPresentaciones"));
    setWindowTitle(QStringLiteral("Presentaciones"));
    setFixedSize(813, 697);

    GroupBox1 = new QGroupBox(QStringLiteral("Presentaciones"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));

    auto* panel = new QFrame(GroupBox1);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    DBComboBox1 = parts::named(new DBComboBox(panel), "DBComboBox1", 90);
    DBComboBox2 = parts::named(new DBComboBox(panel), "DBComboBox2", 70);
    Label1 = new QLabel(QStringLiteral("Año"), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(DBComboBox1);
    Label2 = new QLabel(QStringLiteral("Anticipo"), panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(DBComboBox2);
    BitBtn1 = parts::button("BitBtn1", QStringLiteral("Generar"), glyph::generate(), panel);
    auto* panelRow = new QHBoxLayout(panel);
    panelRow->addWidget(Label1);
    panelRow->addWidget(DBComboBox1);
    panelRow->addSpacing(24);
    panelRow->addWidget(Label2);
    panelRow->addWidget(DBComboBox2);
    panelRow->addStretch(1);
    panelRow->addWidget(BitBtn1);

    GroupBox2 = gridGroup("GroupBox2", QStringLiteral("Formularios"), DBGrid1, "DBGrid1", GroupBox1);
    GroupBox3 = gridGroup("GroupBox3", QStringLiteral("Maquinas"), DBGrid2, "DBGrid2", GroupBox1);

    auto* destinationPanel = new QFrame(GroupBox1);
    destinationPanel->setObjectName(QStringLiteral("Panel2"));
    GroupBox4 = new DestinationGroup("BitBtn5", destinationPanel);
    BitBtn2 = parts::button("BitBtn2", QStringLiteral("Salir"), glyph::leave(), destinationPanel);
    auto* destinationRow = new QVBoxLayout(destinationPanel);
    destinationRow->setContentsMargins(0, 0, 0, 0);
    destinationRow->addWidget(GroupBox4);
    destinationRow->addWidget(BitBtn2, 0, Qt::AlignRight);

    auto* column = new QVBoxLayout(GroupBox1);
    column->addWidget(panel);
    column->addWidget(GroupBox2, 4);
    column->addWidget(GroupBox3, 3);
    column->addWidget(destinationPanel, 4);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(8, 8, 8, 8);
    whole->addWidget(GroupBox1);

    DBComboBox1->addItems(numbered(2000, 2050, 4));
    DBComboBox2->addItems(numbered(1, 12, 2));
    DBComboBox1->setDataField(DModulo->TAnticipos, QStringLiteral("Anio"));
    DBComboBox2->setDataField(DModulo->TAnticipos, QStringLiteral("Anticipo"));
    DBGrid1->setDataset(
        DModulo->TDetalles,
        {{QStringLiteral("Fecha"), QStringLiteral("Fecha"), 10, GridColumn::Format::Plain},
         {QStringLiteral("Razon_social"), QStringLiteral("Razon_social"), 28, GridColumn::Format::Plain},
         {QStringLiteral("cuit"), QStringLiteral("cuit"), 11, GridColumn::Format::Plain},
         {QStringLiteral("Tipo_comprobante"), QStringLiteral("Tipo_comprobante"), 16, GridColumn::Format::Plain},
         {QStringLiteral("NDesde"), QStringLiteral("N° Desde"), 9, GridColumn::Format::Plain},
         {QStringLiteral("NHasta"), QStringLiteral("N° Hasta"), 9, GridColumn::Format::Plain}});
    DBGrid1->setReadOnly(true);
    DBGrid2->setDataset(DModulo->TMaquinas,
                        {{QStringLiteral("Fecha"), QStringLiteral("Fecha"), 10, GridColumn::Format::Plain},
                         {QStringLiteral("RazonSocial"), QStringLiteral("RazonSocial"), 28, GridColumn::Format::Plain},
                         {QStringLiteral("Cuit"), QStringLiteral("Cuit"), 11, GridColumn::Format::Plain},
                         {QStringLiteral("Marca"), QStringLiteral("Marca"), 14, GridColumn::Format::Plain},
                         {QStringLiteral("Modelo"), QStringLiteral("Modelo"), 14, GridColumn::Format::Plain},
                         {QStringLiteral("Precio"), QStringLiteral("Precio"), 0, GridColumn::Format::Money}});
    // Shown, not edited: a cell typed here would reach the tables after the filing.
    DBGrid2->setReadOnly(true);

    EnterAsTab::setTabChain({DBComboBox1, DBComboBox2, BitBtn1, DBGrid1, DBGrid2, GroupBox4->DriveComboBox1,
                             GroupBox4->DirectoryListBox1, GroupBox4->defaultButton, BitBtn2});
    EnterAsTab::install(this);
    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFPresentaciones::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFPresentaciones::BitBtn2Click));
}

void TFPresentaciones::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    runHandler([this] { GroupBox4->readAliasAndApplyDefault(); });
    DBComboBox1->setFocus(Qt::OtherFocusReason);
}

void TFPresentaciones::BitBtn2Click() { close(); }

// The lists only ever edit a pending row: after a stop a fresh one takes what was typed.
void TFPresentaciones::restartPendingRow(const QString& anio, const QString& anticipo)
{
    store::Dataset* period = DModulo->TAnticipos;
    if (period->editing())
        period->cancel();
    period->insert();
    period->setText(QStringLiteral("Anio"), anio);
    period->setText(QStringLiteral("Anticipo"), anticipo);
}

void TFPresentaciones::BitBtn1Click()
{
    const QString destino = GroupBox4->destino();
    Prompt& prompt = Prompt::current();
    if (prompt.dialog(PromptIcon::Information,
                      QStringLiteral("Al Generar, Luego no Podrá Continuar Modificando la Actual Rectificativa"),
                      PromptButtons::Yes) != PromptButton::Yes)
        return;

    store::Dataset* period = DModulo->TAnticipos;
    if (!period->editing())
        restartPendingRow({}, {});
    period->updateRecord();
    const QString anio = period->text(QStringLiteral("Anio"));
    const QString anticipo = period->text(QStringLiteral("Anticipo"));
    filing::Outcome outcome;
    try {
        outcome = filing::fileOpenPeriod(*DModulo, prompt, destino);
    } catch (...) {
        if (!period->editing())
            restartPendingRow(anio, anticipo);
        throw;
    }
    switch (outcome.result) {
    case filing::Result::Filed:
        filing::printDeclaration(outcome.codigo);
        close();
        break;
    case filing::Result::MissingPeriod:
        restartPendingRow({}, {});
        break;
    case filing::Result::AlreadyFiled:
    case filing::Result::NoRoom:
    case filing::Result::Faulty:
    case filing::Result::Warned:
        break;
    }
}
