#include "UCDetalles.h"

#include "EntrySave.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/FormTypes.h"
#include "details/RowRules.h"
#include "resources/Glyphs.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBDateEdit.h"
#include "widgets/DBEdit.h"
#include "widgets/DBLookupComboBox.h"
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

FormInstance<TFCDetalles> FCDetalles;

namespace {

// The boxes in tab order, each with the field of TDetalles it shows.
constexpr EntryField Fields[] = {
    {"DBEdit1", "Fecha", "Fecha", true},
    {"DBLookupComboBox1", "Razon_social", "Razon Social", true},
    {"DBLookupComboBox2", "cuit", "Cuit", true},
    {"DBComboBox1", "Tipo_comprobante", "Tipo de Comprobante", true},
    {"DBEdit2", "NDesde", "Numero Desde", true},
    {"DBEdit3", "NHasta", "Numero Hasta", true},
    {"DBEdit4", "Punto_Venta", "Punto de Venta o Emision", false},
    {"BitBtn1"},
    {"BitBtn2"},
};

}  // namespace

TFCDetalles::TFCDetalles(QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint,
                 DModulo ? DModulo->TDetalles : nullptr)
{
    setObjectName(QStringLiteral("FCDetalles"));
    setWindowTitle(QStringLiteral("Detalles"));

    GroupBox1 = new QGroupBox(QStringLiteral("Detalle"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    DBEdit1 = parts::named(new DBDateEdit(GroupBox1), "DBEdit1", 96);
    DBLookupComboBox1 = parts::named(new DBLookupComboBox(GroupBox1), "DBLookupComboBox1", 330);
    DBLookupComboBox2 = parts::named(new DBLookupComboBox(GroupBox1), "DBLookupComboBox2", 150);
    DBComboBox1 = parts::named(new DBComboBox(GroupBox1), "DBComboBox1", 330);
    DBEdit2 = parts::named(new DBEdit(GroupBox1), "DBEdit2", 120);
    DBEdit3 = parts::named(new DBEdit(GroupBox1), "DBEdit3", 120);
    DBEdit4 = parts::named(new DBEdit(GroupBox1), "DBEdit4", 60);
    DBComboBox1->addItems(formTypes());
    DBComboBox1->setMaxVisibleItems(14);

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
        entrytable::bind(this, Fields, DModulo->TDetalles);

    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFCDetalles::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFCDetalles::BitBtn2Click));
    EnterAsTab::install(this);
}

void TFCDetalles::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBEdit1->setFocus(Qt::TabFocusReason);
}

void TFCDetalles::BitBtn1Click()
{
    if (!entrysave::save(*this, Fields, *DModulo->TDetalles, rowrules::completeOpenFormsRow))
        return;
    // Dismissed other than by Yes, the notice leaves the dialog open on the row just saved.
    if (Prompt::current().dialog(PromptIcon::Information, QStringLiteral("Los Datos se Guardaron Correctamente"),
                                 PromptButtons::Yes) == PromptButton::Yes)
        accept();
}

void TFCDetalles::BitBtn2Click() { entrysave::cancel(*this, *DModulo->TDetalles); }
