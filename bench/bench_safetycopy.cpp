// What the automatic safety copy costs a filing: an open period of 100,000 printed-forms rows
// and 100,000 clients filed through the filing core (check, safety copy, file, stamp), each round
// on a fresh copy of the same folder; beside it the safety copy alone, made on the same tables.
// The filing without the copy is the difference of the two, measured in the same round.
// Usage: bench_safetycopy [rounds] [rows] [copias]   (copias: the copy alone, for a profiler)

#include "BenchTools.h"
#include "LargeStore.h"
#include "ScriptedPrompt.h"
#include "backup/Backup.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "data/store/AliasConfig.h"
#include "declaration/PeriodFiling.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

void copyFolder(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile::copy(path, QDir(to).filePath(it.fileName()));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int rows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
    QTemporaryDir dir;
    const QString pristine = dir.filePath(QStringLiteral("pristine"));
    const QString work = dir.filePath(QStringLiteral("tablas"));
    {
        store::AliasConfig config(dir.filePath(QStringLiteral("store.conf")));
        InstalledPrompt installedPrompt;
        TDModulo m(&config, installedPrompt, pristine);
        m.AbrirTablas();
        std::printf("filling %d clients and %d open printed-forms rows...\n", rows, rows);
        std::fflush(stdout);
        fillClientsAndDetails(m.Session1_1->database(), rows, [](int i) { return i; });
        m.TImprentas->insert();
        m.TImprentas->setText(QStringLiteral("Cuit"), QStringLiteral("20123456786"));
        m.TImprentas->setText(QStringLiteral("Nombre"), QStringLiteral("GRÁFICA DEL LITORAL"));
        m.TImprentas->setText(QStringLiteral("Imprentas"), QStringLiteral("S"));
        m.TImprentas->post();
    }

    if (argc > 3 && QByteArray(argv[3]) == "copias") {
        // The copy alone, again and again: for a profiler.
        for (int round = 0; round < rounds; ++round)
            std::printf("safety copy: %.1f ms\n",
                        timed([&] { backup::makeSafetyCopy(pristine, backup::Work::Filing); }));
        return 0;
    }
    QList<double> filings, copies;
    for (int round = 0; round < rounds; ++round) {
        copyFolder(pristine, work);
        QDir().mkpath(QDir(work).filePath(QStringLiteral("ddjj")));
        store::AliasConfig config(dir.filePath(QStringLiteral("store.conf")));
        InstalledPrompt installedPrompt;
        TDModulo m(&config, installedPrompt, work);
        m.AbrirTablas();
        ScriptedPrompt prompt;
        copies << timed([&] { backup::makeSafetyCopy(work, backup::Work::Filing); });
        m.TAnticipos->insert();
        m.TAnticipos->setText(QStringLiteral("Anio"), QStringLiteral("2024"));
        m.TAnticipos->setText(QStringLiteral("Anticipo"), QStringLiteral("03"));
        filing::Outcome outcome;
        filings << timed(
            [&] { outcome = filing::fileOpenPeriod(m, prompt, QDir(work).filePath(QStringLiteral("ddjj"))); });
        if (outcome.result != filing::Result::Filed) {
            std::fprintf(stderr, "the filing did not file: %s\n", qPrintable(prompt.texts().join(QLatin1Char('\n'))));
            return 1;
        }
    }
    const double f = median(filings), c = median(copies);
    std::printf("median of %d rounds, %d rows\n", rounds, rows);
    std::printf("filing with its safety copy:         %9.1f ms\n", f);
    std::printf("the safety copy alone:               %9.1f ms\n", c);
    std::printf("the filing without it (difference):  %9.1f ms\n", f - c);
    const double ratio = f / (f - c);
    std::printf("with / without:                      %9.2fx (target 1.2x)%s\n", ratio, ratio <= 1.2 ? "" : "  MISSED");
    return 0;
}
