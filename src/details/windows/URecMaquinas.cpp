#include "URecMaquinas.h"

#include "EntrySave.h"
#include "Uanular.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "resources/Glyphs.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBDateEdit.h"
#include "widgets/DBEdit.h"
#include "widgets/DBLookupComboBox.h"
#include "widgets/DBPriceEdit.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/EntryTable.h"
#include "widgets/StandardError.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormInstance<TFAnulaMaquina> FAnulaMaquina;

namespace {

// The boxes in tab order, each with the field of TVerMaquinas it shows.
constexpr EntryField Fields[] = {
    {"DBEdit1", "Fecha", "Fecha", true},
    {"DBComboBox1", "Anulado", "Anulado", false},
    {"DBLookupComboBox1", "Razon_Social", "Razón Social", true},
    {"DBLookupComboBox2", "cuit", "Cuit", true},
    {"DBEdit3", "Marca", "Marca", true},
    {"DBEdit5", "Modelo", "Modelo", true},
    {"DBEdit2", "Codigo", "Código de Homologación", false},
    {"DBEdit6", "Precio", "Precio", true},
    {"DBEdit4", "Serie", "N° de Serie", false},
    {"DBEdit7", "Emision", "Punto de Venta o Emisión", false},
    {"BitBtn1"},
    {"BitBtn2"},
};

}  // namespace

TFAnulaMaquina::TFAnulaMaquina(QWidget* parent)
    : FormDialog(parent,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                     Qt::WindowCloseButtonHint,
                 DModulo ? DModulo->TVerMaquinas : nullptr)
{
    setObjectName(QStringLiteral("FAnulaMaquina"));
    setWindowTitle(QStringLiteral("Rectificativa"));
    setSizeGripEnabled(true);

    DBEdit1 = parts::named(new DBDateEdit(this), "DBEdit1", 96);
    DBComboBox1 = amendment::flagBox(this);
    DBLookupComboBox1 = parts::named(new DBLookupComboBox(this), "DBLookupComboBox1", 330);
    DBLookupComboBox2 = parts::named(new DBLookupComboBox(this), "DBLookupComboBox2", 150);
    DBEdit3 = parts::named(new DBEdit(this), "DBEdit3", 330);
    DBEdit5 = parts::named(new DBEdit(this), "DBEdit5", 330);
    DBEdit2 = parts::named(new DBEdit(this), "DBEdit2", 150);
    DBEdit6 = parts::named(new DBPriceEdit(this), "DBEdit6", 120);
    DBEdit4 = parts::named(new DBEdit(this), "DBEdit4", 240);
    DBEdit7 = parts::named(new DBEdit(this), "DBEdit7", 60);
    for (DBEdit* upper : {DBEdit3, DBEdit5, DBEdit2})
        upper->setUpperCase(true);
    // The long texts widen with the window.
    for (QWidget* wide : std::initializer_list<QWidget*>{DBLookupComboBox1, DBEdit3, DBEdit5})
        wide->setMaximumWidth(QWIDGETSIZE_MAX);

    auto* grid = new QGridLayout;
    amendment::layOut(grid, entrytable::lines(this, this, Fields));

    BitBtn1 = parts::button("BitBtn1", QStringLiteral("Aceptar"), glyph::accept(), this);
    BitBtn2 = parts::button("BitBtn2", QStringLiteral("Cancelar"), glyph::cancel(), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addSpacing(8);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);

    entrytable::chain(this, Fields);

    // As the form was drawn; the caller sets the mode before showing it.
    for (QWidget* fixed : std::initializer_list<QWidget*>{DBEdit1, DBEdit3, DBEdit5, DBEdit6})
        parts::setReadOnly(fixed, true);

    if (DModulo)
        entrytable::bind(this, Fields, DModulo->TVerMaquinas);

    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFAnulaMaquina::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFAnulaMaquina::BitBtn2Click));
    EnterAsTab::install(this);
}

void TFAnulaMaquina::setMode(RowMode mode)
{
    m_mode = mode;
    const bool voiding = mode == RowMode::Void;
    for (QWidget* control :
         std::initializer_list<QWidget*>{DBEdit1, DBEdit3, DBEdit5, DBEdit6, DBLookupComboBox1, DBLookupComboBox2})
        parts::setReadOnly(control, voiding);
}

void TFAnulaMaquina::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBEdit1->setFocus(Qt::TabFocusReason);
}

void TFAnulaMaquina::BitBtn1Click()
{
    // A machine row keeps its flag as given, empty included: no rule completes it.
    if (entrysave::save(*this, Fields, *DModulo->TVerMaquinas, {}, amendment::postToPeriod))
        accept();
}

void TFAnulaMaquina::BitBtn2Click() { entrysave::cancel(*this, *DModulo->TVerMaquinas); }
