#include "UtilSession.h"

#include "data/files/FileOps.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

namespace store::util {

using files::native;

std::map<TUSession, UtilSession>& sessions()
{
    static std::map<TUSession, UtilSession> table;
    return table;
}

void report(UtilSession& s, int percent, const QString& message, bool mayStop)
{
    if (!s.progress)
        return;
    ProgressReport r;
    r.percentDone = qint16(qBound(0, percent, 100));
    const QByteArray text = message.toUtf8();
    qsizetype n = std::min<qsizetype>(text.size(), qsizetype(sizeof r.message) - 1);
    while (n > 0 && n < text.size() && (uchar(text[n]) & 0xC0) == 0x80)  // not inside a character
        --n;
    std::memcpy(r.message, text.constData(), size_t(n));
    r.message[n] = '\0';
    const ProgressCallback callback = s.progress;
    if (callback(TUCallbackGeneralProgress, r) != 0 && mayStop)
        throw StoreError(TUCancelled, QStringLiteral("Se detuvo la operación a pedido del usuario."));
}

Target resolve(const UtilSession& s, const QString& tablePath)
{
    const QFileInfo info(QDir::fromNativeSeparators(tablePath.trimmed()));
    const QString name = info.fileName();
    if (!name.isEmpty()) {
        for (const TableDef& def : s.tables) {
            if (QFileInfo(def.fileName).completeBaseName().compare(name, Qt::CaseInsensitive) == 0 ||
                def.fileName.compare(name, Qt::CaseInsensitive) == 0)
                return {&def, info.absolutePath(), QDir(info.absolutePath()).filePath(def.fileName)};
        }
    }
    throw StoreError(TUUnknownTable, QStringLiteral("%1 no es una tabla del programa.").arg(native(tablePath)));
}

QString sidePath(const Target& t, const QString& name)
{
    const QString path = QDir::fromNativeSeparators(name);
    return QDir::isAbsolutePath(path) ? path : QDir(t.folder).filePath(path);
}

void checkDriver(const QString& driver)
{
    if (!driver.isEmpty() && driver.compare(TableDriver, Qt::CaseInsensitive) != 0)
        throw StoreError(TUUnknownDriver,
                         QStringLiteral("El controlador %1 no es el de las tablas del programa.").arg(driver));
}

}  // namespace store::util
