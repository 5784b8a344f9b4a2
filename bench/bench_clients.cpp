// The client list over a register of 100,000 clients: opening it, scrolling to the end,
// finding a C.U.I.T., the "Modificar" round trip and "Borrar", as the user meets them with the
// list on screen (offscreen platform unless another is chosen).
// Usage: bench_clients [clients]

#include "BenchTools.h"
#include "DataFolder.h"
#include "SampleCuit.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/Database.h"
#include "shell/windows/Startup.h"
#include "shell/windows/UClientes.h"
#include "shell/windows/UClientesMod.h"
#include "widgets/DBGrid.h"
#include "widgets/ModalDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <functional>

using fixture::cuitFor;

namespace {

// Answers every box with its first button, as a user pressing Enter would.
class EnterPrompt final : public Prompt {
public:
    PromptButton ask(const PromptMessage& message) override
    {
        return message.buttons == PromptButtons::YesNo || message.buttons == PromptButtons::Yes ? PromptButton::Yes
                                                                                                : PromptButton::Ok;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
};

void report(const char* what, double ms, const char* note = "")
{
    std::printf("%-52s %10.2f ms %s\n", what, ms, note);
    std::fflush(stdout);
}

// Repeats work and reports the median and the worst, in milliseconds.
void repeated(const char* what, int rounds, const std::function<void(int)>& work)
{
    QList<double> times;
    for (int i = 0; i < rounds; ++i)
        times << timed([&] { work(i); });
    std::sort(times.begin(), times.end());
    std::printf("%-52s %10.2f ms median, %.2f ms worst of %d\n", what, times[times.size() / 2], times.last(), rounds);
    std::fflush(stdout);
}

void fill(int clients)
{
    store::Database& db = DModulo->Session1_1->database();
    store::Transaction transaction(db);
    store::Statement insert(db, QStringLiteral("INSERT INTO %1 (Cuit, Razon_Social, Inscripcion, Domicilio, Localidad, "
                                               "Codigo_Postal, Provincia) VALUES (?, ?, ?, ?, ?, ?, ?)")
                                    .arg(db.qualifiedTable(QStringLiteral("cliente"))));
    // Entered in another order than their C.U.I.T., as a real register is.
    for (int i = 0; i < clients; ++i) {
        const int n = scattered(i, clients);
        insert.reset();
        insert.bind(1, cuitFor(n));
        insert.bind(2, QStringLiteral("CONTRIBUYENTE NUMERO %1 SOCIEDAD ANONIMA").arg(n));
        insert.bind(3, QStringLiteral("901-%1").arg(n));
        insert.bind(4, QStringLiteral("AVENIDA SAN MARTIN %1").arg(n % 5000));
        insert.bind(5, QStringLiteral("ROSARIO"));
        insert.bind(6, QString::number(2000 + n % 900));
        insert.bind(7, QStringLiteral("SANTA FE"));
        insert.step();
    }
    db.noteChanged(QStringLiteral("cliente"));
    transaction.commit();
}

// Lets the list take in what happened and paints what it shows, as the screen would.
void settle(DBGrid* grid)
{
    QApplication::processEvents();
    grid->viewport()->repaint();
}

void key(QWidget* target, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, k, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, k, modifiers);
    QApplication::sendEvent(target, &release);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int clients = argc > 1 ? std::max(10, QByteArray(argv[1]).toInt()) : 100000;

    EnterPrompt prompt;
    Prompt::install(&prompt);
    DataFolder folder;
    createForms(&folder.config());
    DModulo->AbrirTablas();

    std::printf("register of %d clients\n", clients);
    report("filling the register (one transaction)", timed([&] { fill(clients); }));
    store::Dataset* view = DModulo->TCliente;
    report("opening the client view (first activation)", timed([&] {
               view->close();
               view->open();
               view->recordCount();
           }));

    auto* grid = FClienteMod->findChild<DBGrid*>(QStringLiteral("DBGrid1"));
    report("opening the client list (shown and painted)", timed([&] {
               FClienteMod->show();
               settle(grid);
           }));
    report("scrolling to the end (Ctrl+End, painted)", timed([&] {
               key(grid, Qt::Key_End, Qt::ControlModifier);
               settle(grid);
           }));
    std::printf("  current line %d of %d\n", grid->currentIndex().row() + 1, grid->model()->rowCount());
    report("back to the top (Ctrl+Home, painted)", timed([&] {
               key(grid, Qt::Key_Home, Qt::ControlModifier);
               settle(grid);
           }));
    repeated("a page down (painted)", 50, [&](int) {
        key(grid, Qt::Key_PageDown);
        settle(grid);
    });

    QRandomGenerator random(7);
    repeated("finding a C.U.I.T. (findKey, list follows, painted)", 200, [&](int) {
        const QString cuit = cuitFor(int(random.bounded(clients)));
        if (!view->findKey({cuit}))
            std::printf("  not found: %s\n", qPrintable(cuit));
        settle(grid);
    });
    repeated("finding a C.U.I.T. that is not there", 200,
             [&](int i) { view->findKey({QStringLiteral("2799999%1").arg(i, 4, 10, QLatin1Char('0'))}); });

    // "Modificar": the client dialog opens over the current line and "Aceptar" saves it.
    auto* modificar = FClienteMod->findChild<QAbstractButton*>(QStringLiteral("BitBtn1"));
    auto* aceptar = FClientes->findChild<QAbstractButton*>(QStringLiteral("BitBtn1"));
    setModalHandler([&](QDialog& dialog) {
        dialog.show();
        QApplication::processEvents();
        aceptar->click();
        return dialog.result();
    });
    repeated("\"Modificar\" round trip (open, Aceptar, list painted)", 20, [&](int i) {
        view->moveTo(int(random.bounded(clients)));
        settle(grid);
        modificar->click();
        settle(grid);
        if (i == 0 && FClientes->result() != QDialog::Accepted)
            std::printf("  the client dialog did not save\n");
    });
    // The share of the round trip that is the store's: the post, committed to disk, and the
    // list of 100,000 rows read again in C.U.I.T. order.
    repeated("  of which saving through the view alone", 20, [&](int i) {
        view->moveTo(int(random.bounded(clients)));
        view->edit();
        view->setText(QStringLiteral("Inscripcion"), QStringLiteral("R-%1").arg(i));
        view->post();
        view->recordCount();
    });
    repeated("  of which reading the list again", 20, [&](int) {
        view->refresh();
        view->recordCount();
    });
    auto* borrar = FClienteMod->findChild<QAbstractButton*>(QStringLiteral("BitBtn2"));
    repeated("\"Borrar\" (confirmed, list painted)", 20, [&](int) {
        view->moveTo(int(random.bounded(view->recordCount())));
        settle(grid);
        borrar->click();
        settle(grid);
    });
    std::printf("  %d clients left\n", view->recordCount());

    // What a typed character would cost if the grid searched its column for it.
    report("grid's own type-ahead search, no match (not used)",
           timed([&] { grid->keyboardSearch(QStringLiteral("Z")); }), "(typed characters are not passed to the grid)");

    setModalHandler({});
    FClienteMod->hide();
    destroyForms();
    Prompt::install(nullptr);
    return 0;
}
