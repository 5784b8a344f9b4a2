#include "Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace glyph {

namespace {

const int Size = 32;
const QColor Green(0x1f, 0x8a, 0x2e);
const QColor Red(0xc0, 0x1c, 0x1c);
const QColor Ink(0x30, 0x30, 0x30);

QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return QIcon(pixmap);
}

void sheet(QPainter& p)
{
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Qt::white);
    QPainterPath path;
    path.moveTo(6, 3);
    path.lineTo(20, 3);
    path.lineTo(26, 9);
    path.lineTo(26, 29);
    path.lineTo(6, 29);
    path.closeSubpath();
    p.drawPath(path);
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
    for (int y = 12; y <= 24; y += 4)
        p.drawLine(10, y, 22, y);
}

void badge(QPainter& p, const QColor& colour, bool plus)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(15, 15, 15, 15));
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18.5, 22.5), QPointF(26.5, 22.5));
    if (plus)
        p.drawLine(QPointF(22.5, 18.5), QPointF(22.5, 26.5));
}

}  // namespace

QIcon accept()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(Green, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(6, 17), QPointF(13, 24), QPointF(26, 8)}));
    });
}

QIcon cancel()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(Red, 4.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(24, 24));
        p.drawLine(QPointF(24, 8), QPointF(8, 24));
    });
}

QIcon modify()
{
    return drawn([](QPainter& p) {
        sheet(p);
        p.save();
        p.translate(19, 17);
        p.rotate(45);
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(0xf2, 0xb7, 0x05));
        p.drawRect(QRectF(-3, -13, 6, 19));
        p.setBrush(QColor(0xe8, 0xc9, 0x9b));
        p.drawPolygon(QPolygonF({QPointF(-3, 6), QPointF(3, 6), QPointF(0, 12)}));
        p.restore();
    });
}

QIcon insert()
{
    return drawn([](QPainter& p) {
        sheet(p);
        badge(p, Green, true);
    });
}

QIcon remove()
{
    return drawn([](QPainter& p) {
        sheet(p);
        badge(p, Red, false);
    });
}

QIcon generate()
{
    return drawn([](QPainter& p) {
        sheet(p);
        p.setPen(QPen(QColor(0x8a, 0x12, 0x12), 1));
        p.setBrush(QColor(0xc8, 0x2a, 0x2a));
        p.drawEllipse(QRectF(16, 17, 12, 12));
        p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(19, 23), QPointF(21.5, 25.5), QPointF(25, 20)}));
    });
}

QIcon leave()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(Ink, 1.2));
        p.setBrush(QColor(0x8b, 0x5a, 0x2b));
        p.drawRect(QRectF(4, 3, 14, 26));
        p.setBrush(QColor(0xb9, 0x81, 0x4a));
        p.drawPolygon(QPolygonF({QPointF(4, 3), QPointF(12, 6), QPointF(12, 31), QPointF(4, 29)}));
        p.setPen(QPen(Green, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(16, 16), QPointF(28, 16));
        p.drawPolyline(QPolygonF({QPointF(23, 11), QPointF(28, 16), QPointF(23, 21)}));
    });
}

QIcon folder()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(0x9a, 0x74, 0x10), 1.2));
        p.setBrush(QColor(0xe8, 0xb8, 0x30));
        p.drawPolygon(QPolygonF(
            {QPointF(3, 8), QPointF(12, 8), QPointF(15, 11), QPointF(29, 11), QPointF(29, 26), QPointF(3, 26)}));
        p.setBrush(QColor(0xf6, 0xd2, 0x5a));
        p.drawPolygon(QPolygonF({QPointF(3, 26), QPointF(7, 15), QPointF(31, 15), QPointF(29, 26)}));
    });
}

QIcon view()
{
    return drawn([](QPainter& p) {
        sheet(p);
        p.setPen(QPen(Ink, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(QColor(0xd8, 0xec, 0xfa));
        p.drawEllipse(QRectF(12, 13, 11, 11));
        p.drawLine(QPointF(21.5, 22.5), QPointF(28, 29));
    });
}

}  // namespace glyph
