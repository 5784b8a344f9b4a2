// A table file of any bytes through the store: the check made when the tables open
// (Database::checkTableFile), and the repair as the user runs it (tablerepair::repairTable:
// verify, then rebuild with its backup). Input: the file. The table is the one whose name the
// file's schema text holds ("cliente" when none). Checked: a file the open check takes can be
// read whole through the store; the repair never fails on a damaged file; its backup is the
// file byte for byte; a file it replaces becomes one the open check takes, and a file it keeps
// stays as it was. Inputs over 64 KiB are passed over and a rebuild gets two seconds, so that
// every input is done quickly.
#include "FuzzSupport.h"
#include "data/Prompt.h"
#include "data/Schema.h"
#include "data/store/Database.h"
#include "data/store/Rebuild.h"
#include "maintenance/TBDEUtil.h"
#include "maintenance/TableRepair.h"

#include <QDir>

namespace {

const store::TableDef& tableOf(const QByteArray& file)
{
    for (const store::TableDef& def : schema::tables())
        if (file.contains('"' + def.tableName.toLatin1() + "\" ("))
            return schema::table(def.tableName);  // the list is a copy; this one lives on
    return schema::table(QStringLiteral("cliente"));
}

QString baseOf(const store::TableDef& def)
{
    for (const QString& base : tablerepair::tableBases())
        if (def.fileName.startsWith(base + QLatin1Char('.'), Qt::CaseInsensitive))
            return base;
    fuzz::fault("a table without a base name", def.fileName);
}

bool opens(const QString& path, const store::TableDef& def)
{
    try {
        store::Database::checkTableFile(path, def);
        return true;
    } catch (const store::StoreError&) {
        return false;
    }
}

// Every row and value of a table file, read through a connection of the store.
void readThroughStore(const QString& folder, const store::TableDef& def)
{
    try {
        store::Database db(folder, {def}, {});
        store::Statement all(db, QStringLiteral("SELECT * FROM %1").arg(db.qualifiedTable(def.tableName)));
        while (all.step())
            for (int i = 0; i < all.columnCount(); ++i)
                all.column(i);
    } catch (const store::StoreError& e) {
        fuzz::fault("a file the open check takes cannot be read", e.text());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    static const bool once = [] {
        store::util::setRebuildBudget(std::chrono::seconds(2));
        return true;
    }();
    Q_UNUSED(once);
    static TBDEUtil util;

    const QByteArray bytes = fuzz::bytes(data, size);
    const store::TableDef& def = tableOf(bytes);
    const QString folder = fuzz::scratchFolder() + QStringLiteral("/tablas");
    const QString path = folder + QLatin1Char('/') + def.fileName;
    // A folder holding the input's file alone, made anew for each of the two checks.
    const auto freshFolder = [&] {
        QDir(folder).removeRecursively();
        if (!QDir().mkpath(folder + QStringLiteral("/back")))
            fuzz::fault("cannot make the folder", folder);
        fuzz::writeFile(path, bytes);
    };

    freshFolder();
    if (opens(path, def))
        readThroughStore(folder, def);

    freshFolder();
    const QString base = baseOf(def);
    tablerepair::TableOutcome outcome;
    try {
        outcome = tablerepair::repairTable(util, Prompt::current(), folder, base);
    } catch (const store::StoreError& e) {
        fuzz::fault("the repair failed", e.text());
    }
    store::RebuildReport rebuilt;
    store::TUGetRebuildReport(util.session(), &rebuilt);
    fuzz::require(!outcome.report.isEmpty(), "a repair without a report");
    fuzz::require(fuzz::readFile(folder + QStringLiteral("/back/") + base + QStringLiteral("_BK.db")) == bytes,
                  "the backup is not the file", outcome.report);
    if (rebuilt.replaced)
        fuzz::require(opens(path, def), "the rebuilt file does not open", outcome.report);
    else
        fuzz::require(fuzz::readFile(path) == bytes, "a file the repair kept has changed", outcome.report);
    fuzz::require(!outcome.repaired || rebuilt.replaced, "repaired but not replaced", outcome.report);
    return 0;
}
