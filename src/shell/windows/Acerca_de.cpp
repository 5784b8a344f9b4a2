#include "Acerca_de.h"

#include "resources/Emblem.h"
#include "widgets/DialogParts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

FormInstance<TFAcerca> FAcerca;

namespace {
QFont boldFont(int pointSize)
{
    QFont font;
    font.setPointSize(pointSize);
    font.setBold(true);
    return font;
}
}  // namespace

TFAcerca::TFAcerca(QWidget* parent) : FormDialog(parent)
{
    setPlacement(Placement::Screen);  // on the screen, not over the main window
    setObjectName(QStringLiteral("FAcerca"));
    setWindowTitle(QStringLiteral("Acerca de"));
    setFixedSize(313, 214);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(8, 8, 297, 161);

    QLabel* picture = parts::label("ProgramIcon", QString(), QRect(10, 10, 56, 64), panel);
    picture->setPixmap(emblem::authority(QSize(56, 64)));

    QLabel* product = parts::label("ProductName", QStringLiteral("Tarvenio"), QRect(80, 16, 130, 22), panel);
    product->setFont(boldFont(12));

    QLabel* version = parts::label("Version", QStringLiteral("Version 1.3"), QRect(80, 42, 130, 18), panel);
    version->setFont(boldFont(9));
    QPalette navy = version->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    version->setPalette(navy);

    QLabel* badge = parts::label("Shape1", QString(), QRect(225, 12, 56, 56), panel);
    badge->setPixmap(emblem::badge(56));

    QLabel* directorate = parts::label("Copyright", QStringLiteral("Dirección de Recaudación Provincial"),
                                       QRect(10, 100, 277, 18), panel);
    directorate->setFont(boldFont(8));
    QLabel* government =
        parts::label("Comments", QStringLiteral("Gobierno de la Provincia"), QRect(10, 122, 277, 18), panel);
    government->setFont(boldFont(8));

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(119, 180, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
