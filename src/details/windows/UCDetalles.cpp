#include "UCDetalles.h"

#include "details/PeriodRows.h"

#include "EntryEdits.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/FormTypes.h"
#include "resources/Glyphs.h"
#include "widgets/DBComboBox.h"
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
#include <cmath>
#include <iterator>
#include <utility>

FormInstance<TFCDetalles> FCDetalles;

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
    const QList<std::pair<QString, QWidget*>> rows = {
        {QStringLiteral("Fecha"), DBEdit1},
        {QStringLiteral("Razon Social"), DBLookupComboBox1},
        {QStringLiteral("Cuit"), DBLookupComboBox2},
        {QStringLiteral("Tipo de Comprobante"), DBComboBox1},
        {QStringLiteral("Numero Desde"), DBEdit2},
        {QStringLiteral("Numero Hasta"), DBEdit3},
        {QStringLiteral("Punto de Venta o Emision"), DBEdit4},
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

    EnterAsTab::setTabChain(
        {DBEdit1, DBLookupComboBox1, DBLookupComboBox2, DBComboBox1, DBEdit2, DBEdit3, DBEdit4, BitBtn1, BitBtn2});

    if (DModulo) {
        store::Dataset* detalles = DModulo->TDetalles;
        DBEdit1->setDataField(detalles, QStringLiteral("Fecha"));
        DBLookupComboBox1->setDataField(detalles, QStringLiteral("Razon_social"));
        DBLookupComboBox2->setDataField(detalles, QStringLiteral("cuit"));
        DBComboBox1->setDataField(detalles, QStringLiteral("Tipo_comprobante"));
        DBEdit2->setDataField(detalles, QStringLiteral("NDesde"));
        DBEdit3->setDataField(detalles, QStringLiteral("NHasta"));
        DBEdit4->setDataField(detalles, QStringLiteral("Punto_Venta"));
    }

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
    store::Dataset* ds = DModulo->TDetalles;
    // Left open on a row just saved, the dialog goes on editing that row.
    if (!ds->editing())
        ds->edit();
    ds->updateRecord();

    if (!obligatoryFieldsFilled(*ds, {{"Fecha", DBEdit1},
                                      {"Razon_social", DBLookupComboBox1},
                                      {"cuit", DBLookupComboBox2},
                                      {"Tipo_comprobante", DBComboBox1},
                                      {"NDesde", DBEdit2},
                                      {"NHasta", DBEdit3}}))
        return;

    if (!completeFormNumbers(*ds, DBEdit2))
        return;
    ds->setText(QStringLiteral("Anulado"), QStringLiteral("N"));
    ds->post();

    if (Prompt::current().dialog(PromptIcon::Information, QStringLiteral("Los Datos se Guardaron Correctamente"),
                                 PromptButtons::Yes) == PromptButton::Yes)
        accept();
}

void TFCDetalles::BitBtn2Click()
{
    DModulo->TDetalles->cancel();
    reject();
}
