#include "UGMaquinas.h"

#include "EntryEdits.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "resources/Glyphs.h"
#include "widgets/DBEdit.h"
#include "widgets/DBLookupComboBox.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/ObligatoryFields.h"
#include "widgets/StandardError.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <iterator>
#include <utility>

FormInstance<TFGMaquina> FGMaquina;

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
    const QList<std::pair<QString, QWidget*>> rows = {
        {QStringLiteral("Fecha"), DBEdit1},
        {QStringLiteral("Razon Social"), DBLookupComboBox1},
        {QStringLiteral("Cuit"), DBLookupComboBox2},
        {QStringLiteral("Marca"), DBEdit4},
        {QStringLiteral("Modelo"), DBEdit5},
        {QStringLiteral("Código de Homologación"), DBEdit2},
        {QStringLiteral("Precio"), DBEdit6},
        {QStringLiteral("N° de Serie"), DBEdit3},
        {QStringLiteral("Punto de Venta o Emisión"), DBEdit7},
    };
    for (int i = 0; i < rows.size(); ++i) {
        auto* label = new QLabel(rows[i].first, GroupBox1);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setBuddy(rows[i].second);  // a refused value is told by this label's text
        grid->addWidget(label, i, 0);
        grid->addWidget(rows[i].second, i, 1, Qt::AlignLeft);
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

    EnterAsTab::setTabChain({DBEdit1, DBLookupComboBox1, DBLookupComboBox2, DBEdit4, DBEdit5, DBEdit2, DBEdit6, DBEdit3,
                             DBEdit7, BitBtn1, BitBtn2});

    if (DModulo) {
        store::Dataset* maquinas = DModulo->TMaquinas;
        DBEdit1->setDataField(maquinas, QStringLiteral("Fecha"));
        DBLookupComboBox1->setDataField(maquinas, QStringLiteral("RazonSocial"));
        DBLookupComboBox2->setDataField(maquinas, QStringLiteral("Cuit"));
        DBEdit4->setDataField(maquinas, QStringLiteral("Marca"));
        DBEdit5->setDataField(maquinas, QStringLiteral("Modelo"));
        DBEdit2->setDataField(maquinas, QStringLiteral("Codigo"));
        DBEdit6->setDataField(maquinas, QStringLiteral("Precio"));
        DBEdit3->setDataField(maquinas, QStringLiteral("Serie"));
        DBEdit7->setDataField(maquinas, QStringLiteral("Emision"));
    }

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
    store::Dataset* ds = DModulo->TMaquinas;
    if (!ds->editing())
        ds->edit();
    ds->updateRecord();

    if (!obligatoryFieldsFilled(*ds, {{"Fecha", DBEdit1},
                                      {"RazonSocial", DBLookupComboBox1},
                                      {"Cuit", DBLookupComboBox2},
                                      {"Marca", DBEdit4},
                                      {"Modelo", DBEdit5},
                                      {"Precio", DBEdit6}}))
        return;
    // A machine row is not voided when it is entered, like a printed-forms row.
    ds->setText(QStringLiteral("Anulado"), QStringLiteral("N"));
    ds->post();
    Prompt::current().notice(QStringLiteral("Datos Guardados Correctamente"));
    accept();
}

void TFGMaquina::BitBtn2Click()
{
    DModulo->TMaquinas->cancel();
    reject();
}
