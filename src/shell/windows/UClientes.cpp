#include "UClientes.h"

#include "data/Prompt.h"
#include "data/UModulo.h"
#include "details/RowRules.h"
#include "shell/PickLists.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DialogParts.h"
#include "widgets/EnterAsTab.h"
#include "widgets/StandardError.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>

FormInstance<TFClientes> FClientes;

namespace {
// The dialog's own window icon: a client card, a head and shoulders beside two lines of text.
QIcon clientIcon()
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(QPen(QColor(0x2b, 0x3a, 0x55), 1.5));
        p.setBrush(QColor(0xf4, 0xee, 0xd8));
        p.drawRoundedRect(QRectF(1.5, 5.5, 29, 21), 3, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2f, 0x6d, 0xb5));
        p.drawEllipse(QRectF(6, 9, 8, 8));
        QPainterPath shoulders;
        shoulders.moveTo(4, 24);
        shoulders.cubicTo(4, 16, 16, 16, 16, 24);
        shoulders.closeSubpath();
        p.drawPath(shoulders);
        p.setPen(QPen(QColor(0x55, 0x55, 0x55), 2));
        p.drawLine(QPointF(19, 12), QPointF(27, 12));
        p.drawLine(QPointF(19, 17), QPointF(27, 17));
        p.drawLine(QPointF(19, 22), QPointF(25, 22));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
}  // namespace

TFClientes::TFClientes(QWidget* parent)
    : FormDialog(parent,
                 Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                     Qt::WindowCloseButtonHint,
                 DModulo ? DModulo->TCliente : nullptr)
{
    setObjectName(QStringLiteral("FClientes"));
    setWindowTitle(QStringLiteral("Datos del Cliente"));
    setWindowIcon(clientIcon());
    setFixedSize(528, 394);

    store::Dataset* client = DModulo ? DModulo->TCliente : nullptr;

    auto* clientes = parts::place(new QGroupBox(QStringLiteral("Clientes"), this), "GroupBox1", {8, 4, 512, 334});
    DBEdit1 = parts::place(new DBEdit(clientes), "DBEdit1", {124, 26, 372, 23});
    DBEdit2 = parts::place(new DBEdit(clientes), "DBEdit2", {124, 60, 121, 23});
    DBEdit3 = parts::place(new DBEdit(clientes), "DBEdit3", {124, 94, 121, 23});
    parts::label("Label1", QStringLiteral("Razón Social"), {16, 29, 100, 17}, clientes)->setBuddy(DBEdit1);
    parts::label("Label2", QStringLiteral("Cuit"), {16, 63, 100, 17}, clientes)->setBuddy(DBEdit2);
    parts::label("Label3", QStringLiteral("N° Inscripción"), {16, 97, 100, 17}, clientes)->setBuddy(DBEdit3);

    auto* direccion =
        parts::place(new QGroupBox(QStringLiteral("Dirección"), clientes), "GroupBox2", {10, 132, 492, 190});
    DBEdit4 = parts::place(new DBEdit(direccion), "DBEdit4", {114, 28, 366, 23});
    DBEdit5 = parts::place(new DBEdit(direccion), "DBEdit5", {114, 64, 73, 23});
    DBComboBox1 = parts::place(new DBComboBox(direccion), "DBComboBox1", {114, 100, 225, 23});
    DBComboBox2 = parts::place(new DBComboBox(direccion), "DBComboBox2", {114, 136, 225, 23});
    parts::label("Label4", QStringLiteral("Domicilio"), {6, 31, 100, 17}, direccion)->setBuddy(DBEdit4);
    parts::label("Label5", QStringLiteral("Codigo Postal"), {6, 67, 100, 17}, direccion)->setBuddy(DBEdit5);
    parts::label("Label6", QStringLiteral("Provincia"), {6, 103, 100, 17}, direccion)->setBuddy(DBComboBox1);
    parts::label("Label7", QStringLiteral("Localidad"), {6, 139, 100, 17}, direccion)->setBuddy(DBComboBox2);

    BitBtn1 =
        parts::place(new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Aceptar"), this),
                     "BitBtn1", {153, 350, 97, 33});
    BitBtn2 = parts::place(
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Cancelar"), this),
        "BitBtn2", {278, 350, 97, 33});

    DBComboBox1->addItems(picklists::provinces());
    DBComboBox2->addItems(picklists::localities());
    DBEdit1->setDataField(client, QStringLiteral("Razon_Social"));
    DBEdit1->setUpperCase(true);
    DBEdit2->setDataField(client, QStringLiteral("Cuit"));
    DBEdit3->setDataField(client, QStringLiteral("Inscripcion"));
    DBEdit4->setDataField(client, QStringLiteral("Domicilio"));
    DBEdit4->setUpperCase(true);
    DBEdit5->setDataField(client, QStringLiteral("Codigo_Postal"));
    DBComboBox1->setDataField(client, QStringLiteral("Provincia"));
    DBComboBox2->setDataField(client, QStringLiteral("Localidad"));

    EnterAsTab::setTabChain({DBEdit1, DBEdit2, DBEdit3, DBEdit4, DBEdit5, DBComboBox1, DBComboBox2, BitBtn1, BitBtn2});

    EnterAsTab::install(this);
    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFClientes::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFClientes::BitBtn2Click));
}

void TFClientes::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBEdit1->setFocus(Qt::OtherFocusReason);
}

void TFClientes::BitBtn1Click()
{
    store::Dataset* client = DModulo->TCliente;
    client->updateRecord();
    if (const rowrules::Verdict fault =
            rowrules::firstMissing(*client, {QStringLiteral("Razon_Social"), QStringLiteral("Cuit"),
                                             QStringLiteral("Domicilio"), QStringLiteral("Codigo_Postal")})) {
        Prompt::current().notice(fault->message);
        return;
    }
    // A duplicate C.U.I.T. is refused by the data module's rule, which has spoken already:
    // the row stays as typed and the dialog open.
    client->post();
    Prompt::current().notice(QStringLiteral("Los Datos se Guardaron Correctamente"));
    accept();
}

void TFClientes::BitBtn2Click() { reject(); }
