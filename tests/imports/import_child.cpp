// Not a test: runs one import over a data folder and holds still once its count has reached a
// given line, inside the import's transaction, so that tst_importcrash can kill it there.
// Usage: import_child FOLDER clients|details FILE LINE

#include "ImportLines.h"
#include "ScriptedPrompt.h"
#include "data/UModulo.h"
#include "imports/ClientImport.h"
#include "imports/DetailImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fputs("usage: import_child FOLDER clients|details FILE LINE\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray kind = argv[2];
    const QString file = QString::fromLocal8Bit(argv[3]);
    const int stopAt = QByteArray(argv[4]).toInt();

    ScriptedPrompt prompt;  // OK to every box
    store::AliasConfig config(QDir(folder).filePath(QStringLiteral("child.conf")));
    TDModulo modulo(&config, prompt, folder);
    DModulo = &modulo;
    modulo.AbrirTablas();

    imports::ImportHooks hooks;
    bool first = true;
    hooks.progress = [&](int count) {
        // A small page cache from the first line on, so that the table file itself takes pages
        // of the unfinished transaction long before the line where the child stops.
        if (first) {
            first = false;
            for (const char* table : {"cliente", "detalle"})
                modulo.Session1_1->database().exec(
                    QStringLiteral("PRAGMA %1.cache_size=-256").arg(QLatin1String(table)));
        }
        if (count < stopAt)
            return;
        std::printf("stopped at %d\n", count);
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    };
    try {
        // The positions of the files tst_importcrash writes.
        if (kind == "clients")
            imports::importClients(modulo, modulo.prompt(), file, fixture::ClientLayout, hooks);
        else
            imports::importDetails(modulo, modulo.prompt(), file, fixture::DetailLayout, hooks);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::puts("finished");
    return 0;
}
