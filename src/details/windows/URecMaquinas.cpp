#include "URecMaquinas.h"

#include "EntryEdits.h"
#include "Uanular.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "resources/Glyphs.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBLookupComboBox.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/ObligatoryFields.h"
#include "widgets/StandardError.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

FormInstance<TFAnulaMaquina> FAnulaMaquina;

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
    amendment::RowGrid lines(this, grid, DBEdit1, DBComboBox1);
    lines.add("Label3", QStringLiteral("Razón Social"), DBLookupComboBox1, true);
    lines.add("Label4", QStringLiteral("Cuit"), DBLookupComboBox2);
    lines.add("Label5", QStringLiteral("Marca"), DBEdit3, true);
    lines.add("Label6", QStringLiteral("Modelo"), DBEdit5, true);
    lines.add("Label7", QStringLiteral("Código de Homologación"), DBEdit2);
    lines.add("Label8", QStringLiteral("Precio"), DBEdit6);
    lines.add("Label9", QStringLiteral("N° de Serie"), DBEdit4);
    lines.add("Label10", QStringLiteral("Punto de Venta o Emisión"), DBEdit7);
    lines.finish();

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

    EnterAsTab::setTabChain({DBEdit1, DBComboBox1, DBLookupComboBox1, DBLookupComboBox2, DBEdit3, DBEdit5, DBEdit2,
                             DBEdit6, DBEdit4, DBEdit7, BitBtn1, BitBtn2});

    // As the form was drawn; the caller sets the mode before showing it.
    for (QWidget* fixed : std::initializer_list<QWidget*>{DBEdit1, DBEdit3, DBEdit5, DBEdit6})
        parts::setReadOnly(fixed, true);

    if (DModulo) {
        store::Dataset* rows = DModulo->TVerMaquinas;
        DBEdit1->setDataField(rows, QStringLiteral("Fecha"));
        DBComboBox1->setDataField(rows, QStringLiteral("Anulado"));
        DBLookupComboBox1->setDataField(rows, QStringLiteral("Razon_Social"));
        DBLookupComboBox2->setDataField(rows, QStringLiteral("cuit"));
        DBEdit3->setDataField(rows, QStringLiteral("Marca"));
        DBEdit5->setDataField(rows, QStringLiteral("Modelo"));
        DBEdit2->setDataField(rows, QStringLiteral("Codigo"));
        DBEdit6->setDataField(rows, QStringLiteral("Precio"));
        DBEdit4->setDataField(rows, QStringLiteral("Serie"));
        DBEdit7->setDataField(rows, QStringLiteral("Emision"));
    }

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
    store::Dataset* ds = DModulo->TVerMaquinas;
    if (!ds->editing())
        ds->edit();
    ds->updateRecord();

    if (!obligatoryFieldsFilled(*ds, {{"Fecha", DBEdit1},
                                      {"Razon_Social", DBLookupComboBox1},
                                      {"cuit", DBLookupComboBox2},
                                      {"Marca", DBEdit3},
                                      {"Modelo", DBEdit5},
                                      {"Precio", DBEdit6}}))
        return;
    // A machine row keeps its flag as given, empty included.
    amendment::postToPeriod(*ds);
    accept();
}

void TFAnulaMaquina::BitBtn2Click()
{
    DModulo->TVerMaquinas->cancel();
    reject();
}
