#include "UGMaquinas.h"

#include "EntrySave.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/RowRules.h"
#include "resources/Glyphs.h"
#include "widgets/DBDateEdit.h"
#include "widgets/DBEdit.h"
#include "widgets/DBLookupComboBox.h"
#include "widgets/DBPriceEdit.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/EntryTable.h"
#include "widgets/StandardError.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormInstance<TFGMaquina> FGMaquina;

namespace {

// The boxes in tab order, each with the field of TMaquinas it shows.
constexpr EntryField Fields[] = {
    {"DBEdit1", "Fecha", "Fecha", true},
    {"DBLookupComboBox1", "RazonSocial", "Razon Social", true},
    {"DBLookupComboBox2", "Cuit", "Cuit", true},
    {"DBEdit4", "Marca", "Marca", true},
    {"DBEdit5", "Modelo", "Modelo", true},
    {"DBEdit2", "Codigo", "Código de Homologación", false},
    {"DBEdit6", "Precio", "Precio", true},
    {"DBEdit3", "Serie", "N° de Serie", false},
    {"DBEdit7", "Emision", "Punto de Venta o Emisión", false},
    {"BitBtn1"},
    {"BitBtn2"},
};

}  // namespace

TFGMaquina::TFGMaquina(QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint,
                 DModulo ? DModulo->TMaquinas : nullptr)
{
    setObjectName(QStringLiteral("FGMaquina"));
    setWindowTitle(QStringLiteral("Cargar detalle de Maquina"));

    GroupBox1 = new QGroupBox(QStringLiteral("Detalle Máquinas"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    DBEdit1 = parts::named(new DBDateEdit(GroupBox1), "DBEdit1", 96);
    DBLookupComboBox1 = parts::named(new DBLookupComboBox(GroupBox1), "DBLookupComboBox1", 330);
    DBLookupComboBox2 = parts::named(new DBLookupComboBox(GroupBox1), "DBLookupComboBox2", 150);
    DBEdit4 = parts::named(new DBEdit(GroupBox1), "DBEdit4", 330);
    DBEdit5 = parts::named(new DBEdit(GroupBox1), "DBEdit5", 330);
    DBEdit2 = parts::named(new DBEdit(GroupBox1), "DBEdit2", 150);
    DBEdit6 = parts::named(new DBPriceEdit(GroupBox1), "DBEdit6", 120);
    DBEdit3 = parts::named(new DBEdit(GroupBox1), "DBEdit3", 240);
    DBEdit7 = parts::named(new DBEdit(GroupBox1), "DBEdit7", 60);
    DBEdit4->setUpperCase(true);
    DBEdit5->setUpperCase(true);

    auto* grid = new QGridLayout(GroupBox1);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    const QList<EntryLine> lines = entrytable::lines(GroupBox1, this, Fields);
    for (int i = 0; i < lines.size(); ++i) {
        grid->addWidget(lines[i].label, i, 0);
        grid->addWidget(lines[i].control, i, 1, Qt::AlignLeft);
    }

    BitBtn1 = parts::button("BitBtn1", QStringLiteral("Aceptar"), glyph::accept(), this);
    BitBtn2 = parts::button("BitBtn2", QStringLiteral("Cancelar"), glyph::cancel(), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addSpacing(8);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog border

    entrytable::chain(this, Fields);
    if (DModulo)
        entrytable::bind(this, Fields, DModulo->TMaquinas);

    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFGMaquina::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFGMaquina::BitBtn2Click));
    EnterAsTab::install(this);
}

void TFGMaquina::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBEdit1->setFocus(Qt::TabFocusReason);
}

void TFGMaquina::BitBtn1Click()
{
    if (!entrysave::save(*this, Fields, *DModulo->TMaquinas, rowrules::completeOpenMachineRow))
        return;
    Prompt::current().notice(QStringLiteral("Datos Guardados Correctamente"));
    accept();
}

void TFGMaquina::BitBtn2Click() { entrysave::cancel(*this, *DModulo->TMaquinas); }
