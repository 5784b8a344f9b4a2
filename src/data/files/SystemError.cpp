#include "SystemError.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace store {

namespace {

struct Reason {
    int number;
    const char* text;
};

const Reason Reasons[] = {
    {ENOENT, "el archivo o la carpeta no existe"},
    {ENOTDIR, "una parte de la ruta no es una carpeta"},
    {EISDIR, "el nombre es el de una carpeta"},
    {EACCES, "no hay permiso para usar el archivo o la carpeta"},
    {EPERM, "no hay permiso para usar el archivo o la carpeta"},
    {EROFS, "el disco es de solo lectura"},
    {ENOSPC, "el disco está lleno"},
    {EDQUOT, "se llegó al límite de espacio del usuario en el disco"},
    {EIO, "error de lectura o escritura en el disco"},
    {ENAMETOOLONG, "el nombre del archivo es demasiado largo"},
    {EMFILE, "hay demasiados archivos abiertos"},
    {ENFILE, "hay demasiados archivos abiertos"},
    {EBUSY, "el archivo está en uso"},
    {ETXTBSY, "el archivo está en uso"},
    {EEXIST, "el archivo ya existe"},
    {EXDEV, "el archivo está en otro disco"},
    {ENODEV, "la unidad no está disponible"},
    {ENXIO, "la unidad no está disponible"},
};

const char* const Unknown = "no se pudo completar la operación en el disco";

}  // namespace

QString systemErrorReason(int errorNumber)
{
    for (const Reason& r : Reasons)
        if (r.number == errorNumber)
            return QString::fromUtf8(r.text);
    return QString::fromUtf8(Unknown);
}

QString fileErrorReason(const QFileDevice& file, const QString& path)
{
    // What the path shows says more than the toolkit's texts, some of which are its own.
    const QFileInfo info(path);
    if (info.isDir())
        return systemErrorReason(EISDIR);
    if (!info.exists() && !info.absoluteDir().exists())
        return QStringLiteral("la carpeta no existe");
    if (file.error() == QFileDevice::ResourceError)
        return systemErrorReason(ENOSPC);
    // The system's own text for an error number, as the toolkit passes it on.
    const QString text = file.errorString();
    for (const Reason& r : Reasons)
        if (text == QString::fromLocal8Bit(std::strerror(r.number)))
            return QString::fromUtf8(r.text);
    if (file.error() == QFileDevice::PermissionsError)
        return systemErrorReason(EACCES);
    return QString::fromUtf8(Unknown);
}

}  // namespace store
