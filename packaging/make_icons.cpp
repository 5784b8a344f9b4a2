// Writes the program's icons for the desktop's icon theme from the picture the program shows:
//   make_icons FOLDER  ->  FOLDER/tarvenio.svg, FOLDER/48/tarvenio.png, FOLDER/128/tarvenio.png
#include "resources/Emblem.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cstdio>

namespace {

bool writePng(const QString& folder, int size)
{
    const QString sub = QStringLiteral("%1/%2").arg(folder).arg(size);
    return QDir().mkpath(sub) && emblem::formIconImage(size).save(sub + QStringLiteral("/tarvenio.png"));
}

bool writeSvg(const QString& folder)
{
    const int canvas = static_cast<int>(emblem::FormIconCanvas);
    QBuffer buffer;
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(canvas, canvas));
    svg.setViewBox(QRect(0, 0, canvas, canvas));
    svg.setTitle(QStringLiteral("Tarvenio"));
    svg.setDescription(QStringLiteral("Formulario con sello"));
    QPainter p;
    if (!p.begin(&svg))
        return false;
    emblem::drawFormIcon(p);
    if (!p.end())
        return false;

    // The generator sizes the picture in millimetres and gives every group the painter's unset
    // font (size -1, which other renderers refuse); the icon has no text and is sized in pixels.
    QString text = QString::fromUtf8(buffer.data());
    text.remove(QRegularExpression(QStringLiteral("\\s*font-[a-z]+=\"[^\"]*\"")));
    text.replace(QRegularExpression(QStringLiteral("width=\"[0-9.]+mm\" height=\"[0-9.]+mm\"")),
                 QStringLiteral("width=\"%1\" height=\"%1\"").arg(canvas));
    QSaveFile file(folder + QStringLiteral("/tarvenio.svg"));
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit();
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("Uso: make_icons CARPETA\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder) || !writeSvg(folder) || !writePng(folder, 48) || !writePng(folder, 128)) {
        std::fprintf(stderr, "No se pueden escribir los iconos en %s\n", argv[1]);
        return 1;
    }
    return 0;
}
