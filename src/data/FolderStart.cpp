#include "FolderStart.h"

#include "Prompt.h"
#include "UModulo.h"
#include "data/files/FileOps.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace folderstart {

QString missingFolderText(const QString& folder)
{
    return QStringLiteral(
               "No se encuentra la carpeta de las tablas %1. ¿Es una unidad que no está conectada?\n\n"
               "Conéctela y elija Reintentar, elija otra carpeta para esta vez, o cree allí tablas vacías "
               "para empezar sin datos.")
        .arg(store::files::native(folder));
}

QStringList missingFolderChoices()
{
    return {QStringLiteral("Reintentar"), QStringLiteral("Otra carpeta…"), QStringLiteral("Crear tablas vacías")};
}

bool prepare(TDModulo& modulo, Prompt& prompt, bool givenForRun)
{
    QString folder;
    try {
        folder = modulo.aliasFolder();
    } catch (const store::StoreError&) {
        return true;  // without an alias the views tell it when they open, and the windows stay usable
    }
    while (!QFileInfo(folder).isDir()) {
        if (givenForRun) {
            prompt.error(QStringLiteral("No existe la carpeta de las tablas: %1").arg(store::files::native(folder)));
            return false;
        }
        const int choice = prompt.choose(
            {missingFolderText(folder), QStringLiteral("Imprentas"), PromptButtons::Ok, PromptIcon::Warning},
            missingFolderChoices());
        if (choice == Retry)
            continue;
        if (choice == OtherFolder) {
            const QString other = prompt.folderName(QStringLiteral("Carpeta de las tablas"), QString());
            if (!other.isEmpty()) {
                modulo.useFolderForRun(other);
                folder = other;
            }
            continue;
        }
        if (choice != CreateEmpty)
            return false;
        if (!QDir().mkpath(folder)) {
            prompt.error(QStringLiteral("No se puede crear la carpeta de datos %1").arg(store::files::native(folder)));
            return false;
        }
    }
    try {
        modulo.lockFolder(QStringLiteral("las ventanas"));
    } catch (const store::StoreError& e) {
        prompt.error(e.text());
        return false;
    }
    return true;
}

}  // namespace folderstart
