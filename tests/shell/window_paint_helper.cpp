// Opens every window of the program, the message boxes, a file dialog and the drop-down lists
// the way a user reaches them (modal windows nested as the menus nest them), on a real X
// server, and captures each by its window id with xwd. A capture that is all one colour is a
// window that was never painted. Run through window_paint_test.sh (the test tst_window_paint),
// which starts the server.
//   window_paint_helper [FOLDER]   FOLDER: where to keep each capture as a PNG, for a look
// Prints one line per window; exits 1 when a window stayed unpainted or did not show.

#include "DataFolder.h"
#include "SampleCuit.h"
#include "data/UModulo.h"
#include "declaration/windows/UGenRect.h"
#include "declaration/windows/UPresentaciones.h"
#include "declaration/windows/URecVer.h"
#include "declaration/windows/UVer.h"
#include "declaration/windows/UVerDetalle.h"
#include "details/windows/UCDetalles.h"
#include "details/windows/UDetalleG.h"
#include "details/windows/UGMaquinas.h"
#include "details/windows/URecMaquinas.h"
#include "details/windows/Uanular.h"
#include "imports/windows/AyudaCarga.h"
#include "imports/windows/Carga.h"
#include "imports/windows/CargarContri.h"
#include "maintenance/windows/UReparar.h"
#include "shell/windows/Principal.h"
#include "shell/windows/Startup.h"
#include "widgets/Application.h"
#include "widgets/DialogPrompt.h"
#include "widgets/ModalDialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <QtEndian>
#include <cstdio>
#include <functional>

namespace {

QString g_pictures;
int g_failures = 0;

void report(const QString& line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

// The pixels of an xwd capture (ZPixmap, 24 or 32 bits a pixel, as Xvfb serves them).
QImage readXwd(const QByteArray& data)
{
    if (data.size() < 100)
        return {};
    const auto field = [&data](int i) { return qFromBigEndian<quint32>(data.constData() + 4 * i); };
    const quint32 headerSize = field(0), format = field(2), width = field(4), height = field(5), byteOrder = field(7),
                  bitsPerPixel = field(11), bytesPerLine = field(12), colours = field(19);
    const qint64 start = qint64(headerSize) + qint64(colours) * 12;
    // xwd writes a window of several visuals as 24-bit pixels, each in four bytes.
    const quint32 step = width ? bytesPerLine / width : 0;
    if (format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24) || width == 0 || height == 0 || step < 3 ||
        start + qint64(bytesPerLine) * height > data.size())
        return {};
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (quint32 y = 0; y < height; ++y) {
        const char* line = data.constData() + start + qint64(bytesPerLine) * y;
        for (quint32 x = 0; x < width; ++x) {
            const auto* px = reinterpret_cast<const uchar*>(line + step * x);
            const quint32 p = byteOrder == 0
                                  ? quint32(px[0]) | quint32(px[1]) << 8 | quint32(px[2]) << 16
                                  : quint32(px[step - 1]) | quint32(px[step - 2]) << 8 | quint32(px[step - 3]) << 16;
            image.setPixel(int(x), int(y), p | 0xff000000u);
        }
    }
    return image;
}

bool oneColour(const QImage& image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

QString fileNameOf(const QString& name)
{
    QString s = name;
    for (QChar& c : s)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    return s;
}

QImage capture(const QStringList& what)
{
    QProcess xwd;
    xwd.start(QStringLiteral("xwd"), QStringList{QStringLiteral("-silent")} + what);
    xwd.waitForFinished(10000);
    return readXwd(xwd.readAllStandardOutput());
}

// Waits (answering the desktop meanwhile) until the window is on screen and has had time to
// paint, then captures it by its own id.
void check(QWidget* window, const QString& name)
{
    QElapsedTimer waited;
    waited.start();
    while ((!window->windowHandle() || !window->windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // A program that paints does so at once; this is ample time for a slow machine.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 700)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!window->windowHandle() || !window->windowHandle()->isExposed()) {
        report(QStringLiteral("FAIL %1: not shown").arg(name));
        ++g_failures;
        return;
    }
    const QString id = QString::number(window->winId());
    const QImage image = capture({QStringLiteral("-id"), id});
    if (image.isNull()) {
        report(QStringLiteral("FAIL %1: no capture").arg(name));
        ++g_failures;
        return;
    }
    if (!g_pictures.isEmpty())
        image.save(QDir(g_pictures).filePath(fileNameOf(name) + QStringLiteral(".png")));
    if (oneColour(image)) {
        report(QStringLiteral("FAIL %1: %2x%3 all one colour (#%4)")
                   .arg(name)
                   .arg(image.width())
                   .arg(image.height())
                   .arg(image.pixel(0, 0) & 0xffffff, 6, 16, QLatin1Char('0')));
        ++g_failures;
        return;
    }
    report(QStringLiteral("ok   %1 (%2x%3)").arg(name).arg(image.width()).arg(image.height()));
}

// Runs `open`, which shows a modal window and waits for it to close; once the window is up it
// is checked, `inside` does what a user does there, and the window is closed again.
void nested(const QString& name, const std::function<void()>& open, const std::function<void(QWidget*)>& inside = {})
{
    QWidget* before = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* now = QApplication::activeModalWidget();
        const bool up = now && now != before && now->isVisible();
        if (!up && started->elapsed() < 10000)
            return;
        poll->stop();
        poll->deleteLater();
        delete started;
        if (!up) {
            report(QStringLiteral("FAIL %1: did not open").arg(name));
            ++g_failures;
            return;
        }
        check(now, name);
        if (inside)
            inside(now);
        if (auto* dialog = qobject_cast<QDialog*>(now); dialog && dialog->isVisible())
            dialog->reject();
    });
    poll->start(50);
    open();
}

void dropDown(QComboBox* combo, const QString& name)
{
    combo->setFocus(Qt::OtherFocusReason);
    combo->showPopup();
    check(combo->view()->window(), name);
    combo->hidePopup();
}

void press(QWidget* window, const char* button)
{
    if (auto* b = window->findChild<QAbstractButton*>(QString::fromLatin1(button)))
        b->click();
    else
        report(QStringLiteral("FAIL no button %1 in %2").arg(QString::fromLatin1(button), window->objectName()));
}

// The agent, two clients, open rows and one filed period with rows of its own.
void fillSample()
{
    TDModulo& m = *DModulo;
    m.TImprentas->insert();
    m.TImprentas->setText(QStringLiteral("Cuit"), fixture::cuitFor(99999999));
    m.TImprentas->setText(QStringLiteral("Nombre"), QStringLiteral("IMPRENTA DEL SOL"));
    m.TImprentas->setText(QStringLiteral("Imprentas"), QStringLiteral("S"));
    m.TImprentas->post();
    for (const auto& [number, name] : {std::pair{11111111, "ALFA IMPRESOS SRL"}, std::pair{22222222, "BETA SA"}}) {
        m.TCliente->insert();
        m.TCliente->setText(QStringLiteral("Cuit"), fixture::cuitFor(number));
        m.TCliente->setText(QStringLiteral("Razon_Social"), QString::fromLatin1(name));
        m.TCliente->post();
    }
    m.TCliente->first();
    const int client = m.TCliente->asInteger(QStringLiteral("Id_cliente"));
    for (const QString& anio : {QString(), QStringLiteral("2024")}) {
        m.TVerDetalles->insert();
        m.TVerDetalles->setText(QStringLiteral("Fecha"), QStringLiteral("10/04/2024"));
        m.TVerDetalles->setValue(QStringLiteral("Cliente"), client);
        m.TVerDetalles->setText(QStringLiteral("Tipo_comprobante"), QStringLiteral("Facturas A"));
        m.TVerDetalles->setValue(QStringLiteral("NDesde"), 999999999999000.0);
        m.TVerDetalles->setValue(QStringLiteral("NHasta"), 999999999999999.0);
        m.TVerDetalles->setText(QStringLiteral("Anulado"), QStringLiteral("N"));
        m.TVerDetalles->setText(QStringLiteral("Anio"), anio);
        m.TVerDetalles->setText(QStringLiteral("Anticipo"), anio.isEmpty() ? QString() : QStringLiteral("04"));
        m.TVerDetalles->post();
        m.TVerMaquinas->insert();
        m.TVerMaquinas->setValue(QStringLiteral("Fecha"), QDate(2024, 4, 10));
        m.TVerMaquinas->setValue(QStringLiteral("Cliente_id"), client);
        m.TVerMaquinas->setText(QStringLiteral("Marca"), QStringLiteral("REGISTRA"));
        m.TVerMaquinas->setText(QStringLiteral("Modelo"), QStringLiteral("RX-441"));
        m.TVerMaquinas->setValue(QStringLiteral("Precio"), 9999999999999.99);
        m.TVerMaquinas->setText(QStringLiteral("Anio"), anio);
        m.TVerMaquinas->setText(QStringLiteral("Anticipo"), anio.isEmpty() ? QString() : QStringLiteral("04"));
        m.TVerMaquinas->post();
    }
    m.TAnticipos->insert();
    m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
    m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("04"));
    m.TAnticipos->post();
    for (store::Dataset* view : {m.TDetalles, m.TMaquinas, m.TVerDetalles, m.TVerMaquinas, m.TAnticipos})
        view->refresh();
}

void walk()
{
    check(FPrincipal, QStringLiteral("FPrincipal"));
    nested(QStringLiteral("FImprenta"), [] { FPrincipal->Agente1Click(); });
    nested(QStringLiteral("FClientes"), [] { FPrincipal->Insertar1Click(); });
    nested(QStringLiteral("FClienteMod"), [] { FPrincipal->Modificar1Click(); });
    nested(
        QStringLiteral("FDetalle"), [] { FPrincipal->CargarDetalle1Click(); },
        [](QWidget* w) {
            nested(QStringLiteral("FDetalle question"), [w] { press(w, "BitBtn3"); });
            nested(
                QStringLiteral("FCDetalles"), [w] { press(w, "BitBtn2"); },
                [](QWidget* d) {
                    dropDown(d->findChild<QComboBox*>(QStringLiteral("DBComboBox1")),
                             QStringLiteral("FCDetalles form types"));
                    dropDown(d->findChild<QComboBox*>(QStringLiteral("DBLookupComboBox1")),
                             QStringLiteral("FCDetalles clients"));
                });
            w->findChild<QTabWidget*>()->setCurrentIndex(1);
            nested(QStringLiteral("FGMaquina"), [w] { press(w, "BitBtn7"); });
            nested(
                QStringLiteral("FPresentaciones"), [w] { press(w, "BitBtn4"); },
                [](QWidget* d) {
                    dropDown(d->findChild<QComboBox*>(QStringLiteral("DBComboBox1")),
                             QStringLiteral("FPresentaciones years"));
                    nested(QStringLiteral("FPresentaciones question"), [d] { press(d, "BitBtn1"); });
                });
        });
    nested(
        QStringLiteral("FVer"), [] { FPrincipal->PresentacionesAnteriores1Click(); },
        [](QWidget* w) { nested(QStringLiteral("FVerDetalles"), [w] { press(w, "BitBtn1"); }); });
    nested(QStringLiteral("FDeclaracionPdf"), [] { FPrincipal->DeclaracionPdf1Click(); });
    nested(
        QStringLiteral("Frecver"), [] { FPrincipal->GenerarRectificativa1Click(); },
        [](QWidget* w) {
            nested(
                QStringLiteral("FGenRec"), [w] { press(w, "BitBtn1"); },
                [](QWidget* g) {
                    nested(
                        QStringLiteral("FAnular"), [g] { press(g, "BitBtn3"); },
                        [](QWidget* d) {
                            dropDown(d->findChild<QComboBox*>(QStringLiteral("DBComboBox1")),
                                     QStringLiteral("FAnular flag"));
                        });
                    nested(QStringLiteral("FAnular add"), [g] { press(g, "BitBtn5"); });
                    nested(QStringLiteral("FAnulaMaquina"), [g] { press(g, "BitBtn4"); });
                    nested(QStringLiteral("FGenRec question"), [g] { press(g, "BitBtn1"); });
                });
        });
    nested(
        QStringLiteral("FCargarcont"), [] { FPrincipal->ImportarClientes1Click(); },
        [](QWidget* w) { nested(QStringLiteral("FCargarcont file dialog"), [w] { press(w, "BitBtn1"); }); });
    nested(
        QStringLiteral("Cargar"), [] { FPrincipal->ImportarDetalles1Click(); },
        [](QWidget*) { nested(QStringLiteral("AyCarga"), [] { showModal(*AyCarga); }); });
    nested(QStringLiteral("FAcerca"), [] { FPrincipal->Ayuda1Click(); });
    nested(QStringLiteral("FReparacion question"), [] { FPrincipal->RepararBase1Click(); });
    // Opened as the menu opens it after a yes, without closing the tables under the walk.
    nested(QStringLiteral("FReparacion"), [] { showModal(*FReparacion); });
    nested(QStringLiteral("notice"), [] { Prompt::current().notice(QStringLiteral("Datos Guardados Correctamente")); });
    nested(QStringLiteral("error box"),
           [] { Prompt::current().error(QStringLiteral("No se puede crear el archivo.")); });
}

}  // namespace

int main(int argc, char** argv)
{
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("tarvenio"));
    g_pictures = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    DataFolder folder;
    DialogPrompt prompt;
    Prompt::install(&prompt);
    createForms(&folder.config());
    FPrincipal->show();
    FPrincipal->activateWindow();
    DModulo->AbrirTablas();
    fillSample();
    QTimer::singleShot(0, [] {
        walk();
        QApplication::quit();
    });
    // A walk that hangs is a failure too; the script's timeout ends it.
    Application::exec();
    destroyForms();
    Prompt::install(nullptr);
    report(g_failures ? QStringLiteral("FAIL: %1 windows not painted").arg(g_failures)
                      : QStringLiteral("PASS: every window painted"));
    return g_failures ? 1 : 0;
}
