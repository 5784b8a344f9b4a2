#pragma once

#include <QImage>
#include <QPixmap>

class QPainter;

// The program's own artwork, drawn at run time (a QGuiApplication must exist).
namespace emblem {

// The authority's emblem: an oval shield with a sun rising over fields and a river, framed
// by two laurel branches and crowned with a star. About 6:7, width by height.
QPixmap authority(const QSize& size);

// A form with a seal: the program's picture, for the window icon and the about box.
QPixmap formIcon(int size);

// The same picture as an image, which needs no application, and painted on a FormIconCanvas
// square for any paint device: the icons the package installs are made from these.
QImage formIconImage(int size);
constexpr qreal FormIconCanvas = 64;
void drawFormIcon(QPainter& p);

// The form picture inside a teal rounded square.
QPixmap badge(int size);

}  // namespace emblem
