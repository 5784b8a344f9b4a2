#include "Uimprenta.h"

#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/RowRules.h"
#include "shell/PickLists.h"
#include "widgets/DBCheckBox.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/StandardError.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

FormInstance<TFImprenta> FImprenta;

TFImprenta::TFImprenta(QWidget* parent)
    : FormDialog(parent,
                 Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                     Qt::WindowCloseButtonHint,
                 DModulo ? DModulo->TImprentas : nullptr)
{
    setObjectName(QStringLiteral("FImprenta"));
    setWindowTitle(QStringLiteral("Datos del Agente"));
    setFixedSize(589, 380);

    store::Dataset* agent = DModulo ? DModulo->TImprentas : nullptr;

    auto* datos = parts::place(new QGroupBox(QStringLiteral("Datos"), this), "GroupBox1", {8, 4, 573, 322});

    // The upper group: who the agent is and what it does.
    auto* upper = parts::place(new QGroupBox(datos), "GroupBox2", {10, 18, 553, 140});
    DBEdit1 = parts::place(new DBEdit(upper), "DBEdit1", {124, 16, 417, 23});
    DBEdit2 = parts::place(new DBEdit(upper), "DBEdit2", {124, 50, 121, 23});
    DBEdit3 = parts::place(new DBEdit(upper), "DBEdit3", {124, 84, 121, 23});
    parts::label("Label1", QStringLiteral("Razon Social"), {12, 19, 110, 17}, upper)->setBuddy(DBEdit1);
    parts::label("Label2", QStringLiteral("Cuit"), {12, 53, 110, 17}, upper)->setBuddy(DBEdit2);
    parts::label("Label3", QStringLiteral("N° de Inscripción"), {12, 87, 110, 17}, upper)->setBuddy(DBEdit3);
    auto* panel = parts::place(new QFrame(upper), "Panel1", {264, 48, 277, 82});
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    DBCheckBox1 = parts::place(new DBCheckBox(QStringLiteral("Imprenta"), panel), "DBCheckBox1", {10, 5, 257, 22});
    DBCheckBox2 = parts::place(new DBCheckBox(QStringLiteral("Venta de Maquinas Registradoras"), panel), "DBCheckBox2",
                               {10, 30, 257, 22});
    DBCheckBox3 =
        parts::place(new DBCheckBox(QStringLiteral("Autoimpresores"), panel), "DBCheckBox3", {10, 55, 257, 22});

    auto* domicilio = parts::place(new QGroupBox(QStringLiteral("Domicilio"), datos), "GroupBox3", {10, 164, 553, 148});
    DBEdit4 = parts::place(new DBEdit(domicilio), "DBEdit4", {124, 24, 417, 23});
    DBComboBox1 = parts::place(new DBComboBox(domicilio), "DBComboBox1", {124, 55, 225, 23});
    DBComboBox2 = parts::place(new DBComboBox(domicilio), "DBComboBox2", {124, 86, 225, 23});
    DBEdit5 = parts::place(new DBEdit(domicilio), "DBEdit5", {124, 117, 73, 23});
    parts::label("Label4", QStringLiteral("Domicilio"), {12, 27, 110, 17}, domicilio)->setBuddy(DBEdit4);
    parts::label("Label5", QStringLiteral("Provincia"), {12, 58, 110, 17}, domicilio)->setBuddy(DBComboBox1);
    parts::label("Label6", QStringLiteral("Localidad"), {12, 89, 110, 17}, domicilio)->setBuddy(DBComboBox2);
    parts::label("Label7", QStringLiteral("Codigo Postal"), {12, 120, 110, 17}, domicilio)->setBuddy(DBEdit5);

    BitBtn1 =
        parts::place(new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Aceptar"), this),
                     "BitBtn1", {188, 337, 97, 33});
    BitBtn2 = parts::place(
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Cancelar"), this),
        "BitBtn2", {305, 337, 97, 33});

    DBComboBox1->addItems(picklists::provinces());
    DBComboBox2->addItems(picklists::localities());
    DBEdit1->setDataField(agent, QStringLiteral("Nombre"));
    DBEdit1->setUpperCase(true);
    DBEdit2->setDataField(agent, QStringLiteral("Cuit"));
    DBEdit3->setDataField(agent, QStringLiteral("Inscripcion"));
    DBCheckBox1->setDataField(agent, QStringLiteral("Imprentas"));
    DBCheckBox2->setDataField(agent, QStringLiteral("VMR"));
    DBCheckBox3->setDataField(agent, QStringLiteral("Autoimpresores"));
    DBEdit4->setDataField(agent, QStringLiteral("Domicilio"));
    DBEdit4->setUpperCase(true);
    DBComboBox1->setDataField(agent, QStringLiteral("Provincia"));
    DBComboBox2->setDataField(agent, QStringLiteral("Localidad"));
    // A 16-bit whole number: the field itself refuses anything else when the box is left.
    DBEdit5->setDataField(agent, QStringLiteral("Codigo_Postal"));
    DBEdit5->setUpperCase(true);

    // The address comes first, then the buttons, then who the agent is.
    EnterAsTab::setTabChain({DBEdit4, DBComboBox1, DBComboBox2, DBEdit5, BitBtn1, BitBtn2, DBEdit1, DBEdit2, DBEdit3,
                             DBCheckBox1, DBCheckBox2, DBCheckBox3});

    EnterAsTab::install(this);
    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFImprenta::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFImprenta::BitBtn2Click));
}

void TFImprenta::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBEdit4->setFocus(Qt::OtherFocusReason);
}

void TFImprenta::BitBtn1Click()
{
    store::Dataset* agent = DModulo->TImprentas;
    agent->updateRecord();
    if (const rowrules::Verdict fault = rowrules::agentFault(*agent)) {
        Prompt::current().notice(fault->message);
        return;
    }
    agent->post();
    Prompt::current().notice(QStringLiteral("Datos Guardado Correctamente"));
    accept();
}

void TFImprenta::BitBtn2Click() { reject(); }
