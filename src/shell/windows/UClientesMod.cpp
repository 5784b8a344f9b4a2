#include "UClientesMod.h"

#include "UClientes.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "widgets/DBGrid.h"
#include "widgets/EnterAsTab.h"
#include "widgets/ModalDialog.h"
#include "widgets/StandardError.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <functional>

FormInstance<TFClienteMod> FClienteMod;

namespace {

QPixmap drawn(const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return pixmap;
}

// A sheet with a pencil across it.
QPixmap editPicture()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 2.5, 19, 26));
        p.setPen(QPen(QColor(0x9a, 0xa6, 0xb8), 1.5));
        for (int y = 8; y <= 20; y += 4)
            p.drawLine(QPointF(8, y), QPointF(20, y));
        p.translate(20, 18);
        p.rotate(45);
        p.setPen(QPen(QColor(0x40, 0x30, 0x10), 1));
        p.setBrush(QColor(0xf2, 0xc1, 0x2e));
        p.drawRect(QRectF(-3.5, -12, 7, 18));
        p.setBrush(QColor(0xe8, 0x8f, 0xa0));
        p.drawRect(QRectF(-3.5, -15, 7, 3));
        QPainterPath tip;
        tip.moveTo(-3.5, 6);
        tip.lineTo(3.5, 6);
        tip.lineTo(0, 12);
        tip.closeSubpath();
        p.setBrush(QColor(0xf0, 0xd9, 0xa8));
        p.drawPath(tip);
    });
}

// A red cross over a sheet.
QPixmap deletePicture()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 2.5, 19, 26));
        p.setPen(QPen(QColor(0xc8, 0x1e, 0x1e), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(27, 27));
        p.drawLine(QPointF(27, 11), QPointF(11, 27));
    });
}

// A green arrow turning back to the left.
QPixmap backPicture()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(0x1e, 0x7a, 0x32), 5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath bend;
        bend.moveTo(10, 12);
        bend.lineTo(20, 12);
        bend.cubicTo(29, 12, 29, 26, 20, 26);
        bend.lineTo(14, 26);
        p.drawPath(bend);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1e, 0x7a, 0x32));
        QPainterPath head;
        head.moveTo(2, 12);
        head.lineTo(12, 3);
        head.lineTo(12, 21);
        head.closeSubpath();
        p.drawPath(head);
    });
}

QToolButton* tallButton(const char* name, const QString& text, const QPixmap& picture, int y, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setGeometry(498, y, 87, 92);
    return button;
}

}  // namespace

TFClienteMod::TFClienteMod(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FClienteMod"));
    setWindowTitle(QStringLiteral("Clientes"));
    setFixedSize(593, 318);

    auto* group = new QGroupBox(QStringLiteral("Borrar/Modificar Clientes"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(8, 4, 481, 306);

    DBGrid1 = new DBGrid(group);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(10, 20, 461, 276);
    DBGrid1->setDataset(DModulo ? DModulo->TCliente : nullptr,
                        {GridColumn{QStringLiteral("Cuit"), QStringLiteral("Cuit"), 15},
                         GridColumn{QStringLiteral("Razon_Social"), QStringLiteral("Razon Social"), 30},
                         GridColumn{QStringLiteral("Inscripcion"), QStringLiteral(" N° Inscripcion"), 17},
                         GridColumn{QStringLiteral("Domicilio"), QStringLiteral("Domicilio"), 30},
                         GridColumn{QStringLiteral("Localidad"), QStringLiteral("Localidad"), 20},
                         GridColumn{QStringLiteral("Codigo_Postal"), QStringLiteral("Codigo Postal"), 15},
                         GridColumn{QStringLiteral("Provincia"), QStringLiteral("Provincia"), 20}});
    DBGrid1->setReadOnly(true);
    // Changes go only through the client dialog; the grid only answers a double click and the
    // keys that move in it.
    DBGrid1->installEventFilter(this);
    DBGrid1->viewport()->installEventFilter(this);

    BitBtn1 = tallButton("BitBtn1", QStringLiteral("Modificar"), editPicture(), 12, this);
    BitBtn2 = tallButton("BitBtn2", QStringLiteral("Borrar"), deletePicture(), 112, this);
    BitBtn3 = tallButton("BitBtn3", QStringLiteral("Volver"), backPicture(), 212, this);

    EnterAsTab::setTabChain({DBGrid1, BitBtn1, BitBtn2, BitBtn3});

    EnterAsTab::install(this);
    connect(BitBtn1, &QToolButton::clicked, this, guarded(this, &TFClienteMod::BitBtn1Click));
    connect(BitBtn2, &QToolButton::clicked, this, guarded(this, &TFClienteMod::BitBtn2Click));
    connect(BitBtn3, &QToolButton::clicked, this, guarded(this, &TFClienteMod::BitBtn3Click));
}

void TFClienteMod::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

bool TFClienteMod::eventFilter(QObject* watched, QEvent* event)
{
    // A double click anywhere in the grid, below the last line too, opens the client dialog,
    // so an empty register can be started from here.
    if (watched == DBGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        runHandler([this] { BitBtn1Click(); });
        return true;
    }
    // Typing in the grid would search its column row by row through the whole register;
    // the list is for choosing a line, so typed characters go nowhere.
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!command && !key->text().isEmpty() && key->text().at(0).isPrint())
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFClienteMod::BitBtn1Click()
{
    // On an empty register edit() starts a new client.
    DModulo->TCliente->edit();
    showModal(*FClientes);
}

void TFClienteMod::BitBtn2Click()
{
    store::Dataset* client = DModulo->TCliente;
    if (client->isEmpty())
        return;
    if (Prompt::current().dialog(PromptIcon::Question, QStringLiteral("¿Desea Elinar el Cliente?"),
                                 PromptButtons::YesNo) != PromptButton::Yes)
        return;
    // A client that detail rows name is refused by the data module's rule, which speaks itself.
    client->remove();
}

void TFClienteMod::BitBtn3Click() { close(); }
