#include "DeclarationPage.h"

#include "resources/Emblem.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPixmap>

namespace {

// Measures in millimetres: the page, its margins and the bands between them.
constexpr double PageWidth = 210.0;
constexpr double PageHeight = 297.0;
constexpr double Margin = 10.0;
constexpr double BandRight = PageWidth - 2 * Margin;  // 190: every band's width
constexpr double HeaderHeight = 89.7;
constexpr double FooterHeight = 31.0;
constexpr double BodyTop = Margin + HeaderHeight;
constexpr double FooterTop = PageHeight - Margin - FooterHeight;  // the footer sits at the foot of the page
constexpr double BoxRight = 1.3 + 187.3;                          // right edge of the agent, address and period boxes
constexpr double Gap = 1.0;                                       // kept between a value and what follows it
constexpr double LineWidth = 0.25;

enum class Family { Arial, Courier, Times };
enum class Align { Left, Right, Centre };

enum class Band { FormsHeading, FormLine, MachinesHeading, MachineLine };

double bandHeight(Band band)
{
    switch (band) {
    case Band::FormsHeading:
        return 11.4;
    case Band::FormLine:
        return 5.0;
    case Band::MachinesHeading:
        return 12.4;
    case Band::MachineLine:
        return 5.6;
    }
    return 0;
}

struct Placed {
    Band band;
    int row;     // index into DeclarationData::rows, -1 for headings
    double top;  // from the top of the paper
};
using PageBands = QList<Placed>;

// Bands in print order: the forms section only when the first row is a form total (totals sort
// first), the machines heading always; each band goes to a new page when it would reach the
// footer. A heading moves along with the first line of its section so it never ends a page alone.
QList<PageBands> paginate(const DeclarationData& data)
{
    QList<Placed> sequence;
    if (!data.rows.isEmpty() && data.rows.first().orden == 1) {
        sequence.append({Band::FormsHeading, -1, 0});
        for (int i = 0; i < data.rows.size(); ++i)
            if (data.rows[i].orden == 1)
                sequence.append({Band::FormLine, i, 0});
    }
    sequence.append({Band::MachinesHeading, -1, 0});
    for (int i = 0; i < data.rows.size(); ++i)
        if (data.rows[i].orden == 2)
            sequence.append({Band::MachineLine, i, 0});

    QList<PageBands> pages(1);
    double y = BodyTop;
    for (int i = 0; i < sequence.size(); ++i) {
        const Placed& item = sequence[i];
        const double height = bandHeight(item.band);
        double needed = height;
        const bool heading = item.band == Band::FormsHeading || item.band == Band::MachinesHeading;
        if (heading && i + 1 < sequence.size()) {
            const Band next = sequence[i + 1].band;
            if (next == Band::FormLine || next == Band::MachineLine)
                needed += bandHeight(next);
        }
        if (y + needed > FooterTop + 1e-9 && !pages.last().isEmpty()) {
            pages.append(PageBands());
            y = BodyTop;
        }
        pages.last().append({item.band, item.row, y});
        y += height;
    }
    return pages;
}

QFont font(Family family, double points, bool bold = false)
{
    // The page names Windows fonts; where they are missing, fontconfig's metric-compatible
    // Liberation fonts take their place with the same widths.
    QStringList families;
    switch (family) {
    case Family::Arial:
        families = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
        break;
    case Family::Courier:
        families = {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")};
        break;
    case Family::Times:
        families = {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")};
        break;
    }
    QFont f(families);
    f.setPointSizeF(points);
    f.setBold(bold);
    // Unhinted outlines keep text widths the same at every printer resolution.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

class PagePainter {
public:
    PagePainter(QPainter& painter, QPagedPaintDevice& device, const DeclarationData& data) : m_p(painter), m_data(data)
    {
        const QPageLayout layout = device.pageLayout();
        m_origin = layout.paintRect(QPageLayout::Millimeter).topLeft();
        m_scale = device.logicalDpiX() / 25.4;
        m_scaleY = device.logicalDpiY() / 25.4;
        m_p.setRenderHint(QPainter::Antialiasing);
        m_p.setRenderHint(QPainter::TextAntialiasing);
        m_p.setRenderHint(QPainter::SmoothPixmapTransform);

        // A picture of about 300 dots per inch: sharp on paper, small in the file; made once,
        // so a PDF holds it once however many pages there are. Laid on white: a picture with
        // transparency makes print filters turn the whole page into one bitmap.
        const QSize pixels(qRound(25.7 / 25.4 * 300), qRound(27.8 / 25.4 * 300));
        m_emblem = QImage(pixels, QImage::Format_RGB32);
        m_emblem.fill(Qt::white);
        QPainter onWhite(&m_emblem);
        onWhite.drawPixmap(0, 0, emblem::authority(pixels));
    }

    void page(const PageBands& bands)
    {
        header();
        for (const Placed& placed : bands) {
            m_top = placed.top;
            switch (placed.band) {
            case Band::FormsHeading:
                formsHeading();
                break;
            case Band::FormLine:
                formLine(m_data.rows[placed.row]);
                break;
            case Band::MachinesHeading:
                machinesHeading();
                break;
            case Band::MachineLine:
                machineLine(m_data.rows[placed.row]);
                break;
            }
        }
        footer();
    }

private:
    // Paper millimetres to device units. Band coordinates add the band's left margin and top.
    QPointF point(double x, double y) const
    {
        return {(Margin + x - m_origin.x()) * m_scale, (m_top + y - m_origin.y()) * m_scaleY};
    }
    QRectF rect(double x, double y, double w, double h) const
    {
        return {point(x, y), QSizeF(w * m_scale, h * m_scaleY)};
    }

    void box(double x, double y, double w, double h)
    {
        m_p.setPen(QPen(Qt::black, LineWidth * m_scale));
        m_p.setBrush(Qt::NoBrush);
        m_p.drawRect(rect(x, y, w, h));
    }

    // Width in millimetres of a text in a font, as it will print.
    double width(const QFont& f, const QString& text) const
    {
        return QFontMetricsF(f, m_p.device()).horizontalAdvance(text) / m_scale;
    }

    // A one-line text whose top edge is at y. x is its left edge, its right edge or its middle.
    // A text longer than maxWidth is narrowed to fit, so nothing runs into its neighbour and
    // nothing is cut off. Returns the left edge it took.
    double text(double x, double y, const QFont& f, const QString& s, Align align = Align::Left, double maxWidth = 0)
    {
        if (s.isEmpty())
            return x;
        m_p.setFont(f);
        m_p.setPen(Qt::black);
        const QFontMetricsF metrics(f, m_p.device());
        const double natural = metrics.horizontalAdvance(s) / m_scale;
        const double drawn = maxWidth > 0 && natural > maxWidth ? maxWidth : natural;
        double left = x;
        if (align == Align::Right)
            left = x - drawn;
        else if (align == Align::Centre)
            left = x - drawn / 2;
        const QPointF at = point(left, y);
        m_p.save();
        m_p.translate(at.x(), at.y() + metrics.ascent());
        if (drawn < natural)
            m_p.scale(drawn / natural, 1.0);
        m_p.drawText(QPointF(0, 0), s);
        m_p.restore();
        return left;
    }

    void header()
    {
        m_top = Margin;
        const QFont heading = font(Family::Times, 12, true);
        const QFont label = font(Family::Arial, 10, true);
        const QFont value = font(Family::Courier, 10);
        const QFont plain = font(Family::Arial, 10);

        m_p.drawImage(rect(5.6, 8.2, 25.7, 27.8), m_emblem);

        // The heading lines share one centre line: the middle of the title, whose left edge is fixed.
        const QString title = QStringLiteral("Declaración Jurada");
        const double centre = 67.7 + width(heading, title) / 2;
        text(centre, 5.3, heading, declaration_page::ministryLine(), Align::Centre);
        text(centre, 10.8, heading, declaration_page::directorateLine(), Align::Centre);
        text(centre, 16.7, heading, declaration_page::provinceLine(), Align::Centre);
        text(centre, 23.5, heading, title, Align::Centre);
        text(centre, 28.3, heading, QStringLiteral("Tarvenio"), Align::Centre);

        text(159.5, 1.6, font(Family::Arial, 8, true), m_data.copyLabel);
        box(153.7, 6.6, 34.7, 33.9);
        text(159.8, 34.1, font(Family::Arial, 8), QStringLiteral("Sello de Recepción"));
        text(124.4, 37.8, font(Family::Arial, 10, true), m_data.controlCode);

        box(1.3, 43.4, 187.3, 18.0);
        text(2.6, 44.2, label, QStringLiteral("Razon Social:"));
        text(26.5, 44.2, value, m_data.nombre, Align::Left, BoxRight - Gap - 26.5);
        text(2.4, 50.3, label, QStringLiteral("C.U.I.T.:"));
        text(17.2, 50.3, value, m_data.cuit, Align::Left, 98.4 - Gap - 17.2);
        text(98.4, 50.5, label, QStringLiteral("N° de Inscripción"));
        text(130.2, 50.3, value, m_data.inscripcion, Align::Left, BoxRight - Gap - 130.2);
        text(2.1, 55.6, label, m_data.activities[0].rubro);
        text(15.3, 55.8, plain, m_data.activities[0].name);
        text(63.5, 56.4, label, m_data.activities[1].rubro);
        text(77.0, 56.1, plain, m_data.activities[1].name);
        text(146.6, 55.8, label, m_data.activities[2].rubro);
        text(159.8, 55.8, plain, m_data.activities[2].name);

        box(1.3, 61.1, 187.3, 12.7);
        text(3.4, 62.7, label, QStringLiteral("Domicilio:"));
        text(24.6, 62.4, value, m_data.domicilio, Align::Left, 98.7 - Gap - 24.6);
        text(98.7, 63.2, label, QStringLiteral("C.P.:"));
        text(108.5, 63.2, value, m_data.codigoPostal, Align::Left, BoxRight - Gap - 108.5);
        text(3.4, 68.8, label, QStringLiteral("Localidad:"));
        text(24.6, 68.8, value, m_data.localidad, Align::Left, 98.7 - Gap - 24.6);
        text(98.7, 68.8, label, QStringLiteral("Provincia:"));
        text(116.7, 68.8, value, m_data.provincia, Align::Left, BoxRight - Gap - 116.7);

        box(1.3, 73.6, 187.3, 12.7);
        text(4.2, 75.9, label, QStringLiteral("Año:"));
        text(12.7, 75.9, value, m_data.anio, Align::Left, 36.0 - Gap - 12.7);
        // In the printer's font the bold label would reach its value: it is narrowed to keep
        // 0.8 mm between them, and both stay where the form places them.
        text(36.0, 75.9, label, QStringLiteral("Anticipo:"), Align::Left, 50.8 - 36.0 - 0.8);
        text(50.8, 75.9, value, m_data.anticipo, Align::Left, 82.5 - Gap - 50.8);
        text(82.5, 75.7, label, QStringLiteral("Rec:"));
        text(93.1, 75.7, plain, m_data.rectificativa, Align::Left, 137.6 - Gap - 93.1);
        text(137.6, 75.9, label, QStringLiteral("Fecha:"));
        // The page does not follow the machine's regional settings.
        text(150.3, 75.9, value, m_data.fecha.toString(QStringLiteral("dd/MM/yyyy")));
    }

    void formsHeading()
    {
        box(2.1, 0.8, 186.5, 10.3);
        text(75.7, 1.1, font(Family::Times, 14, true), QStringLiteral("Formularios"));
        text(4.0, 5.8, font(Family::Times, 10, true), QStringLiteral("Tipo de Comprobante"));
        text(130.4, 5.6, font(Family::Times, 10, true), QStringLiteral("Cantidad de Formularios"));
    }

    void formLine(const DeclarationData::BodyRow& row)
    {
        const QFont f = font(Family::Arial, 10);
        const double countLeft = text(151.1, 0.0, f, row.cant, Align::Right, 151.1 - 2.9);
        text(2.9, 0.3, f, row.tc, Align::Left, countLeft - Gap - 2.9);
    }

    void machinesHeading()
    {
        box(1.6, 1.1, 187.1, 11.1);
        text(76.7, 1.9, font(Family::Times, 14, true), QStringLiteral("Maquinas"));
        text(3.2, 6.6, font(Family::Times, 10, true), QStringLiteral("Marca"));
        text(142.3, 6.3, font(Family::Times, 10, true), QStringLiteral("Modelo"));
    }

    void machineLine(const DeclarationData::BodyRow& row)
    {
        const QFont f = font(Family::Arial, 10);
        constexpr double ModelCentre = 148.2;
        double modelLeft = ModelCentre;
        if (!row.temp.isEmpty())
            modelLeft = text(ModelCentre, 0.3, f, row.temp, Align::Centre, 2 * (BoxRight - ModelCentre));
        text(3.4, 0.5, f, row.tc, Align::Left, modelLeft - Gap - 3.4);
    }

    void footer()
    {
        m_top = FooterTop;
        m_p.setFont(font(Family::Arial, 9));
        m_p.setPen(Qt::black);
        m_p.drawText(rect(2.4, 6.1, 180.4, FooterHeight - 6.1), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     declaration_page::swornStatement());
    }

    QPainter& m_p;
    const DeclarationData& m_data;
    QImage m_emblem;
    QPointF m_origin;  // paper millimetres of the device's origin
    double m_scale = 1;
    double m_scaleY = 1;
    double m_top = 0;  // paper millimetres of the band being drawn
};

}  // namespace

namespace declaration_page {

QString ministryLine() { return QStringLiteral("MINISTERIO DE HACIENDA"); }

QString directorateLine() { return QStringLiteral("DIRECCIÓN DE RECAUDACIÓN PROVINCIAL"); }

QString provinceLine() { return QStringLiteral("GOBIERNO DE LA PROVINCIA"); }

QString swornStatement()
{
    const QString line1 = QStringLiteral("El que suscribe ") + QString(80, QLatin1Char('.')) +
                          QStringLiteral(" en su carácter de ") + QString(59, QLatin1Char('.')) +
                          QStringLiteral(", declara que ");
    return QStringList{line1, QString(),
                       QStringLiteral("los datos consignados en esta Declaración Jurada son completos y exactos, "
                                      "siendo fiel expresión de la verdad.- "),
                       QString(),
                       QStringLiteral("Se acepta con reserva al solo efecto formal y sujeta a posterior "
                                      "verificación.-")}
        .join(QLatin1Char('\n'));
}

int pageCount(const DeclarationData& data) { return int(paginate(data).size()); }

bool render(QPagedPaintDevice& device, const DeclarationData& data) { return render(device, QList{data}); }

bool render(QPagedPaintDevice& device, const QList<DeclarationData>& copies)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    bool first = true;
    for (const DeclarationData& data : copies) {
        PagePainter pagePainter(painter, device, data);
        for (const PageBands& bands : paginate(data)) {
            if (!first)
                device.newPage();
            first = false;
            pagePainter.page(bands);
        }
    }
    return painter.end();
}

QString officeCopyLabel() { return QStringLiteral("Para la D.R.P."); }
QString agentCopyLabel() { return QStringLiteral("Para el Agente"); }

}  // namespace declaration_page
