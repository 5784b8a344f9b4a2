#include "DeclarationCheck.h"

#include "DeclarationStream.h"
#include "data/files/SystemError.h"
#include "data/store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace declcheck {

namespace {

constexpr std::size_t BlockSize = std::size_t(1) << 18;

store::StoreError unreadable(const QString& path, const QString& reason)
{
    return store::StoreError(
        store::FileError,
        QStringLiteral("No se puede leer el archivo %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

QString openReason(int error, const QString& path)
{
    if (error == ENOENT && !QFileInfo(path).absoluteDir().exists())
        return QStringLiteral("la carpeta no existe");
    return store::systemErrorReason(error);
}

// Only a file holds a declaration: a pipe or a device would be read without end, or wait for
// a writer that never comes.
QString notAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return store::systemErrorReason(EISDIR);
    if (S_ISFIFO(mode))
        return QStringLiteral("no es un archivo sino una tubería (FIFO); solo se verifican archivos comunes");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("no es un archivo sino un dispositivo; solo se verifican archivos comunes");
    return QStringLiteral("no es un archivo común; solo se verifican archivos comunes");
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { ::close(m_fd); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

Report checkBytes(QByteArrayView bytes, const QString& fileName) { return checkBytes(bytes, fileName, 0); }

Report checkFile(const QString& path) { return checkFile(path, QFileInfo(path).fileName()); }

Report checkFile(const QString& path, const QString& name)
{
    // Opened without waiting (a FIFO with no writer would hold the open) and then asked what it
    // is: asking by name first would let another file take its place in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw unreadable(path, openReason(errno, path));
    const Descriptor file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw unreadable(path, store::systemErrorReason(errno));
    if (!S_ISREG(info.st_mode))
        throw unreadable(path, notAFile(info.st_mode));
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> buffer(BlockSize);
    return checkBlocks(
        [&](const std::function<bool(QByteArrayView)>& take) {
            off_t offset = 0;
            for (;;) {
                const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), offset);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    throw unreadable(path, store::systemErrorReason(errno));
                if (n == 0 || !take(QByteArrayView(buffer.data(), n)))
                    return;
                offset += n;
            }
        },
        name);
}

QString faultText(const Fault& fault)
{
    QString where;
    if (fault.line > 0)
        where = QStringLiteral("Línea %1").arg(fault.line);
    if (fault.position > 0)
        where += (where.isEmpty() ? QString() : QStringLiteral(", ")) +
                 (fault.field.isEmpty() ? QStringLiteral("campo %1").arg(fault.position)
                                        : QStringLiteral("campo %1 (%2)").arg(fault.position).arg(fault.field));
    else if (!fault.field.isEmpty())
        where += (where.isEmpty() ? QString() : QStringLiteral(", ")) + fault.field;
    if (where.isEmpty())
        where = QStringLiteral("Archivo");
    where[0] = where[0].toUpper();
    return where + QStringLiteral(": ") + fault.text;
}

namespace {

QString counted(int total, int voided, const char* voidedOne, const char* voidedMany)
{
    if (voided == 0)
        return QString::number(total);
    return QStringLiteral("%1 (%2 %3)")
        .arg(total)
        .arg(voided)
        .arg(QString::fromUtf8(voided == 1 ? voidedOne : voidedMany));
}

}  // namespace

QString reportText(const Report& report)
{
    QStringList lines;
    if (report.ok()) {
        const Summary& s = report.summary;
        lines << QStringLiteral("El archivo %1 es una declaración correcta.").arg(report.fileName) << QString()
              << QStringLiteral("Agente: %1 %2").arg(s.cuit, s.nombre)
              << QStringLiteral("Período: año %1, anticipo %2").arg(s.anio, s.anticipo)
              << QStringLiteral("Rectificativa: %1").arg(s.rectificativa)
              << QStringLiteral("Código de control: %1").arg(s.codigo)
              << QStringLiteral("Formularios: %1").arg(counted(s.forms, s.formsVoided, "anulado", "anulados"))
              << QStringLiteral("Máquinas: %1").arg(counted(s.machines, s.machinesVoided, "anulada", "anuladas"))
              << QStringLiteral("Clientes: %1").arg(s.clients);
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    const qsizetype n = report.faults.size();
    lines << (n == 1
                  ? QStringLiteral("El archivo %1 no es una declaración válida: tiene un error.").arg(report.fileName)
                  : QStringLiteral("El archivo %1 no es una declaración válida: tiene %2 errores.")
                        .arg(report.fileName)
                        .arg(n))
          << QString();
    for (const Fault& fault : report.faults)
        lines << faultText(fault);
    if (report.truncated)
        lines << QString() << QStringLiteral("Hay más errores; se muestran los primeros %1.").arg(MaxFaults);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace declcheck
