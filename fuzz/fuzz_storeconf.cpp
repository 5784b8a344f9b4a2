// The store configuration (store::AliasConfig) read from a store.conf of any text: reading it
// answers or refuses with the store's error, alias names compare without case, a folder comes
// back without a trailing separator, and saving the alias IMPRENTAS keeps the drive folders the
// file named and reads back as saved.
#include "FuzzSupport.h"
#include "data/store/AliasConfig.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace {

template <typename Read>
auto readOrRefuse(Read read) -> std::optional<decltype(read())>
{
    try {
        return read();
    } catch (const store::StoreError& e) {
        fuzz::require(e.code() == store::AliasError, "configuration error", e.text());
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A new name for every input: the settings of a file name are kept in memory by the toolkit,
    // and a file rewritten within the same instant could be taken for the one read before.
    static int run = 0;
    const QString folder = fuzz::scratchFolder() + QStringLiteral("/conf");
    QDir(folder).removeRecursively();
    const QString path = folder + QStringLiteral("/%1/store.conf").arg(++run);
    QDir().mkpath(QFileInfo(path).absolutePath());
    fuzz::writeFile(path, fuzz::bytes(data, size));

    const store::AliasConfig config(path);
    const std::optional<bool> exists = readOrRefuse([&] { return config.exists(QStringLiteral("IMPRENTAS")); });
    if (exists) {
        fuzz::require(readOrRefuse([&] { return config.exists(QStringLiteral("imprentas")); }) == exists,
                      "alias names compare with case");
        const std::optional<QString> aliasFolder =
            readOrRefuse([&] { return config.path(QStringLiteral("Imprentas")); });
        fuzz::require(aliasFolder.has_value() == *exists, "an alias that exists has no folder");
        if (aliasFolder && aliasFolder->size() > 1)
            fuzz::require(!aliasFolder->endsWith(QLatin1Char('/')) && !aliasFolder->endsWith(QLatin1Char('\\')),
                          "a folder with a trailing separator", *aliasFolder);
    }
    const std::optional<QString> driveA = readOrRefuse([&] { return config.driveFolder(QLatin1Char('A')); });
    fuzz::require(driveA.has_value() == exists.has_value(), "the file read for one question and not another");

    store::AliasConfig saving(path);
    saving.add(QStringLiteral("IMPRENTAS"), QStringLiteral("/datos/tablas/"), store::TableDriver);
    const bool saved = readOrRefuse([&] {
                           saving.save();
                           return true;
                       }).has_value();
    fuzz::require(saved == exists.has_value(), "a readable file that cannot be saved, or the reverse");
    if (!saved)
        return 0;
    const store::AliasConfig after(path);
    fuzz::require(readOrRefuse([&] { return after.path(QStringLiteral("imprentas")); }) ==
                      std::optional<QString>(QStringLiteral("/datos/tablas")),
                  "the alias saved does not read back");
    fuzz::require(readOrRefuse([&] { return after.driveFolder(QLatin1Char('A')); }) == driveA,
                  "saving the alias changed drive A:", driveA.value_or(QString()));
    return 0;
}
