#include "Emblem.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace emblem {

namespace {

// The emblem is drawn on a 600 x 700 canvas and scaled to the size asked for.
constexpr qreal CanvasWidth = 600;
constexpr qreal CanvasHeight = 700;

const QColor Gold(0xc8, 0x96, 0x1e);
const QColor DarkGold(0x7a, 0x55, 0x0a);
const QColor LeafGreen(0x3d, 0x7a, 0x35);
const QColor DarkGreen(0x1f, 0x4a, 0x1c);
const QColor FieldGreen(0x5d, 0x94, 0x3c);
const QColor HillGreen(0x46, 0x7d, 0x2f);
const QColor River(0x3b, 0x6f, 0xa8);
const QColor SunYellow(0xf5, 0xb8, 0x12);
const QColor Navy(0x1b, 0x2a, 0x5a);

QPixmap transparentPixmap(const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawLeaf(QPainter& p, const QPointF& at, qreal angle, qreal length, qreal width)
{
    p.save();
    p.translate(at);
    p.rotate(angle);
    QPainterPath leaf;
    leaf.moveTo(0, 0);
    leaf.quadTo(length * 0.5, -width, length, 0);
    leaf.quadTo(length * 0.5, width, 0, 0);
    p.drawPath(leaf);
    p.restore();
}

// One branch from the knot at the bottom up one side of the shield; side is -1 or +1.
void drawBranch(QPainter& p, int side)
{
    const qreal cx = CanvasWidth / 2;
    QPainterPath stem;
    stem.moveTo(cx + side * 20, 640);
    stem.cubicTo(cx + side * 250, 600, cx + side * 300, 330, cx + side * 170, 130);

    p.setPen(QPen(DarkGreen, 7, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stem);

    p.setPen(QPen(DarkGreen, 2));
    p.setBrush(LeafGreen);
    for (int i = 1; i <= 12; ++i) {
        const qreal t = i / 12.5;
        const QPointF at = stem.pointAtPercent(t);
        const qreal tangent = -stem.angleAtPercent(t);  // Qt measures angles counter-clockwise
        const qreal length = 62 - i * 2.2;
        drawLeaf(p, at, tangent - 38, length, length * 0.33);
        drawLeaf(p, at, tangent + 38, length, length * 0.33);
    }
    drawLeaf(p, stem.pointAtPercent(1.0), -stem.angleAtPercent(1.0), 40, 13);
}

void drawRibbon(QPainter& p)
{
    const qreal cx = CanvasWidth / 2;
    p.setPen(QPen(Navy.darker(140), 2));
    p.setBrush(Navy);
    QPainterPath left;
    left.moveTo(cx, 640);
    left.lineTo(cx - 70, 610);
    left.lineTo(cx - 95, 690);
    left.lineTo(cx - 60, 668);
    left.lineTo(cx - 40, 690);
    left.closeSubpath();
    p.drawPath(left);
    p.drawPath(QTransform().translate(2 * cx, 0).scale(-1, 1).map(left));
    p.setBrush(Gold);
    p.setPen(QPen(DarkGold, 2));
    p.drawEllipse(QPointF(cx, 640), 20, 16);
}

void drawStar(QPainter& p, const QPointF& centre, qreal outer, qreal inner)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? outer : inner;
        const qreal a = qDegreesToRadians(-90.0 + i * 36.0);
        star << centre + QPointF(r * qCos(a), r * qSin(a));
    }
    p.setPen(QPen(DarkGold, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Gold);
    p.drawPolygon(star);
}

// The scene inside the shield: sky, rising sun, hills, fields and a river.
void drawScene(QPainter& p, const QRectF& oval)
{
    const qreal cx = oval.center().x();
    const qreal horizon = oval.top() + oval.height() * 0.56;

    QLinearGradient sky(0, oval.top(), 0, horizon);
    sky.setColorAt(0.0, QColor(0x9c, 0xc8, 0xe0));
    sky.setColorAt(1.0, QColor(0xfb, 0xe9, 0xb7));
    p.fillRect(QRectF(oval.left(), oval.top(), oval.width(), horizon - oval.top()), sky);

    // Rays first, then the half sun over them.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf7, 0xcf, 0x55));
    const QPointF sunCentre(cx, horizon);
    for (int i = 0; i <= 12; ++i) {
        const qreal a = qDegreesToRadians(180.0 + i * 15.0);
        const qreal spread = qDegreesToRadians(3.2);
        QPolygonF ray;
        ray << sunCentre + QPointF(95 * qCos(a - spread), 95 * qSin(a - spread))
            << sunCentre + QPointF((i % 2 ? 150 : 185) * qCos(a), (i % 2 ? 150 : 185) * qSin(a))
            << sunCentre + QPointF(95 * qCos(a + spread), 95 * qSin(a + spread));
        p.drawPolygon(ray);
    }
    QRadialGradient sun(sunCentre, 85);
    sun.setColorAt(0.0, QColor(0xff, 0xe0, 0x6a));
    sun.setColorAt(1.0, SunYellow);
    p.setBrush(sun);
    p.setPen(QPen(QColor(0xd9, 0x8e, 0x04), 3));
    p.drawPie(QRectF(cx - 85, horizon - 85, 170, 170), 0, 180 * 16);

    QPainterPath hills;
    hills.moveTo(oval.left(), horizon + 10);
    hills.cubicTo(cx - 140, horizon - 40, cx - 60, horizon - 10, cx, horizon + 5);
    hills.cubicTo(cx + 70, horizon - 30, cx + 150, horizon - 35, oval.right(), horizon + 15);
    hills.lineTo(oval.right(), oval.bottom());
    hills.lineTo(oval.left(), oval.bottom());
    hills.closeSubpath();
    p.setPen(QPen(DarkGreen, 2));
    p.setBrush(HillGreen);
    p.drawPath(hills);

    p.setBrush(FieldGreen);
    p.drawRect(QRectF(oval.left(), horizon + 25, oval.width(), oval.bottom() - horizon));
    p.setPen(QPen(HillGreen, 3));
    for (int i = 1; i <= 4; ++i) {
        const qreal y = horizon + 25 + i * 14;
        p.drawLine(QPointF(oval.left(), y + 8), QPointF(cx - 30, y));
        p.drawLine(QPointF(cx + 30, y), QPointF(oval.right(), y + 8));
    }

    QPainterPath river;
    const qreal riverTop = horizon + 110;
    river.moveTo(oval.left(), riverTop);
    river.cubicTo(cx - 120, riverTop - 30, cx + 80, riverTop + 35, oval.right(), riverTop - 5);
    river.lineTo(oval.right(), riverTop + 55);
    river.cubicTo(cx + 80, riverTop + 85, cx - 120, riverTop + 25, oval.left(), riverTop + 60);
    river.closeSubpath();
    p.setPen(QPen(River.darker(130), 2));
    p.setBrush(River);
    p.drawPath(river);
    p.setPen(QPen(QColor(0xdd, 0xea, 0xf6), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        QPainterPath wave;
        const qreal y = riverTop + 18 + i * 18;
        wave.moveTo(cx - 150 + i * 40, y);
        for (int k = 0; k < 4; ++k)
            wave.quadTo(cx - 130 + i * 40 + k * 60, y - 8, cx - 110 + i * 40 + k * 60, y);
        p.drawPath(wave);
    }
}

}  // namespace

QPixmap authority(const QSize& size)
{
    QPixmap pixmap = transparentPixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = qMin(size.width() / CanvasWidth, size.height() / CanvasHeight);
    p.translate((size.width() - CanvasWidth * scale) / 2, (size.height() - CanvasHeight * scale) / 2);
    p.scale(scale, scale);

    drawBranch(p, -1);
    drawBranch(p, +1);
    drawRibbon(p);

    const QRectF oval(125, 110, 350, 480);
    QPainterPath shield;
    shield.addEllipse(oval);
    p.save();
    p.setClipPath(shield);
    drawScene(p, oval);
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Gold, 16));
    p.drawEllipse(oval);
    p.setPen(QPen(DarkGold, 3));
    p.drawEllipse(oval.adjusted(-8, -8, 8, 8));
    p.drawEllipse(oval.adjusted(8, 8, -8, -8));

    drawStar(p, QPointF(300, 62), 48, 20);
    return pixmap;
}

void drawFormIcon(QPainter& p)
{
    // A sheet with its top right corner folded.
    QPainterPath sheet;
    sheet.moveTo(12, 4);
    sheet.lineTo(42, 4);
    sheet.lineTo(54, 16);
    sheet.lineTo(54, 60);
    sheet.lineTo(12, 60);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1.5));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(0xd8, 0xd8, 0xd8));
    p.drawPolygon(QPolygonF{QPointF(42, 4), QPointF(42, 16), QPointF(54, 16)});

    p.setPen(QPen(Navy, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 13), QPointF(36, 13));
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 2, Qt::SolidLine, Qt::RoundCap));
    for (int y = 22; y <= 40; y += 6)
        p.drawLine(QPointF(18, y), QPointF(48, y));

    // The seal: a gold disc with a small star.
    p.setPen(QPen(DarkGold, 1.5));
    p.setBrush(Gold);
    p.drawEllipse(QPointF(42, 50), 8, 8);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? 5.0 : 2.2;
        const qreal a = qDegreesToRadians(-90.0 + i * 36.0);
        star << QPointF(42 + r * qCos(a), 50 + r * qSin(a));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xf1, 0xb0));
    p.drawPolygon(star);
}

QImage formIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / FormIconCanvas, size / FormIconCanvas);
    drawFormIcon(p);
    return image;
}

QPixmap formIcon(int size) { return QPixmap::fromImage(formIconImage(size)); }

QPixmap badge(int size)
{
    QPixmap pixmap = transparentPixmap(QSize(size, size));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF square(1, 1, size - 2, size - 2);
    p.setPen(QPen(QColor(0x00, 0x5a, 0x5a), 1.5));
    p.setBrush(QColor(0x00, 0x80, 0x80));
    p.drawRoundedRect(square, size * 0.18, size * 0.18);
    const int inner = size * 7 / 10;
    p.drawPixmap((size - inner) / 2, (size - inner) / 2, formIcon(inner));
    return pixmap;
}

}  // namespace emblem
