#include "DeclarationFile.h"
#include "Destination.h"
#include "data/UModulo.h"
#include "data/files/SystemError.h"
#include "data/store/Database.h"
#include "data/store/Dataset.h"
#include "data/store/ReadCache.h"
#include "data/store/StoreError.h"
#include "data/store/ViewScan.h"
#include "data/text/FixedFormats.h"
#include "data/text/Text1252.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>
#include <string>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using store::FieldType;
using store::StoreError;

namespace {

const size_t FlushSize = size_t(1) << 20;

// A piece of the control code read as a whole number: an optional sign and decimal digits.
int decimalPiece(const QString& piece)
{
    qsizetype i = piece.startsWith(QLatin1Char('-')) || piece.startsWith(QLatin1Char('+')) ? 1 : 0;
    bool ok = i < piece.size();
    for (; i < piece.size(); ++i)
        if (piece[i] < QLatin1Char('0') || piece[i] > QLatin1Char('9'))
            ok = false;
    if (!ok)
        throw StoreError(store::ConversionError, QStringLiteral("'%1' no es un número entero válido.").arg(piece));
    return piece.toInt();
}

StoreError fileError(const char* what, const QString& path, const QString& why)
{
    return StoreError(store::FileError, QStringLiteral("No se puede %1 el archivo %2: %3")
                                            .arg(QLatin1String(what), QDir::toNativeSeparators(path), why));
}

// The file's bytes, gathered in large blocks: quoted fields with doubled quotes, Windows-1252.
class Output {
public:
    Output(QSaveFile& file, const QString& path) : m_file(file), m_path(path)
    {
        m_buffer.reserve(FlushSize + 64 * 1024);
    }

    void line(const QByteArray& bytes)
    {
        m_buffer.append(bytes.constData(), size_t(bytes.size()));
        m_buffer += "\r\n";
    }

    void beginRecord(const char* type)
    {
        m_buffer += '\'';
        m_buffer += type;
        m_buffer += '\'';
    }

    void field(QStringView text)
    {
        m_buffer += ",'";
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t c = text[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
            if (!put(c))
                unfit(text.toString());
        }
        m_buffer += '\'';
    }

    // A text as SQLite holds it (UTF-8).
    void utf8Field(QByteArrayView utf8)
    {
        m_buffer += ",'";
        const char* text = utf8.data();
        const int size = int(utf8.size());
        const auto* p = reinterpret_cast<const unsigned char*>(text);
        const auto* end = p + size;
        while (p < end) {
            // A run of plain ASCII without quotes is copied as it stands.
            const auto* run = p;
            while (run < end && *run < 0x80 && *run != '\'')
                ++run;
            if (run != p) {
                m_buffer.append(reinterpret_cast<const char*>(p), size_t(run - p));
                p = run;
                continue;
            }
            char32_t c = *p;
            if (c < 0x80) {
                ++p;
            } else {
                const int extra = c >= 0xF8 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
                if (extra < 0 || end - p <= extra)
                    unfit(QString::fromUtf8(text, size));
                c &= 0x3F >> extra;
                for (int k = 1; k <= extra; ++k) {
                    if ((p[k] & 0xC0) != 0x80)
                        unfit(QString::fromUtf8(text, size));
                    c = (c << 6) | (p[k] & 0x3F);
                }
                p += extra + 1;
            }
            if (!put(c))
                unfit(QString::fromUtf8(text, size));
        }
        m_buffer += '\'';
    }

    void asciiField(const char* text, int size)
    {
        m_buffer += ",'";
        m_buffer.append(text, size_t(size));
        m_buffer += '\'';
    }

    void emptyField() { m_buffer += ",''"; }

    void endRecord()
    {
        m_buffer += ";\r\n";
        if (m_buffer.size() >= FlushSize)
            flush();
    }

    // A short write is retried, so that the system says why the rest could not be written.
    void flush()
    {
        const char* data = m_buffer.data();
        qint64 left = qint64(m_buffer.size());
        while (left > 0) {
            const qint64 written = m_file.write(data, left);
            if (written <= 0)
                throw fileError("escribir", m_path, store::fileErrorReason(m_file, m_path));
            data += written;
            left -= written;
        }
        m_buffer.clear();
    }

private:
    bool put(char32_t c)
    {
        char byte;
        if (!store::windows1252Byte(c, &byte))
            return false;
        m_buffer += byte;
        if (byte == '\'')
            m_buffer += byte;
        return true;
    }

    // A text the store would have refused (a table file changed by other means) is not
    // written as '?' into a sworn declaration: the value is named instead.
    [[noreturn]] void unfit(const QString& value) const
    {
        throw StoreError(store::ConversionError,
                         QStringLiteral("No se puede escribir el archivo %1: el valor '%2' tiene caracteres que el "
                                        "archivo no admite.")
                             .arg(QDir::toNativeSeparators(m_path), value));
    }

    QSaveFile& m_file;
    QString m_path;
    std::string m_buffer;
};

// Writes one record per row of the view, in the view's order and under its filter, each field
// of its table or of a lookup. The rows are read in one pass rather than walked through the
// view, which reads row by row and would make a large period many times slower.
void writeRows(Output& out, const store::Dataset& view, const char* type, const QStringList& fields)
{
    store::ViewScan scan(view, fields);
    const int count = int(fields.size());
    char number[store::formats::NumberSize];
    while (scan.next()) {
        const store::Statement& row = scan.row();
        out.beginRecord(type);
        for (int i = 0; i < count; ++i) {
            using Storage = store::Statement::Storage;
            const Storage storage = row.storage(i);
            if (storage == Storage::Null) {
                out.emptyField();
                continue;
            }
            // A number is read as a number: asking SQLite for its text would format it first.
            switch (scan.type(i)) {
            case FieldType::Float: {
                const double value = storage == Storage::Integer || storage == Storage::Real
                                         ? row.real(i)
                                         : QString::fromUtf8(row.utf8(i)).toDouble();
                out.asciiField(number, store::formats::number(value, number));
                break;
            }
            case FieldType::Date:
                out.field(store::formats::date(QDate::fromString(QString::fromUtf8(row.utf8(i)), Qt::ISODate)));
                break;
            default:
                out.utf8Field(row.utf8(i));
            }
        }
        out.endRecord();
    }
}

// QSaveFile's commit() syncs but ignores a failure there, which on a stick or diskette is
// where a late write error shows.
void syncToDisk(QSaveFile& file, const QString& path)
{
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0)
        throw fileError("guardar", path, store::systemErrorReason(errno));
#else
    if (!file.flush())
        throw fileError("guardar", path, store::fileErrorReason(file, path));
#endif
}

QString joinFolder(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + QDir::separator() + name;
}

}  // namespace

QString CodigoControl(const QString& anio, const QString& anticipo, const QString& cuit)
{
    const QString joined = (anio + anticipo + cuit).left(10);
    QString code;
    for (int i = 0; i < 10; i += 2) {
        const QString piece = joined.mid(i, 2);
        if (piece > QLatin1String("80"))
            code += QString::number(decimalPiece(piece) - 19);
        else if (piece < QLatin1String("33"))
            code += QString::number(decimalPiece(piece) + 48);
        else
            code += piece;
    }
    return code;
}

QByteArray Encriptar(const QString& codigo)
{
    // The offsets are put together on each call rather than kept as a table in the program.
    int offsets[5];
    int seed = 73915;
    for (int k = 4; k >= 0; --k, seed /= 10)
        offsets[k] = seed % 10;
    QByteArray line;
    for (int k = 0; k < 5; ++k)
        line += char((decimalPiece(codigo.mid(2 * k, 2)) + offsets[k]) & 0xFF);
    return line;
}

QString declarationStem(const QString& cuit, const QString& anio, const QString& anticipo)
{
    return cuit + anio + anticipo.rightJustified(2, QLatin1Char('0'));
}

QString declarationFileName(const QString& cuit, const QString& anio, const QString& anticipo)
{
    return declarationStem(cuit, anio, anticipo) + QStringLiteral(".imp");
}

QString declarationPath(const QString& destino, const QString& fileName, const store::AliasConfig* config)
{
    if (destination::isDiskette(destino)) {
        QString root = config ? config->driveFolder(QLatin1Char('A')) : QString();
#ifdef Q_OS_WIN
        if (root.isEmpty())
            root = QStringLiteral("a:\\");
#endif
        if (root.isEmpty())
            throw StoreError(
                store::FileError,
                QStringLiteral("No hay una carpeta configurada para la unidad A, donde va la declaración."));
        return joinFolder(root, fileName);
    }
    if (destino.isEmpty())
        throw StoreError(store::FileError, QStringLiteral("No se indicó la carpeta de destino de la declaración."));
    return joinFolder(destino, fileName);
}

QString declarationTarget(TDModulo& modulo, const QString& destino)
{
    return declarationPath(destino,
                           declarationFileName(modulo.TImprentas->text(QStringLiteral("Cuit")),
                                               modulo.TAnticipos->text(QStringLiteral("Anio")),
                                               modulo.TAnticipos->text(QStringLiteral("Anticipo"))),
                           modulo.config);
}

void writeDeclarationFile(TDModulo& modulo, const QString& path, const QString& codigo)
{
    store::Dataset& anticipos = *modulo.TAnticipos;
    store::Dataset& imprenta = *modulo.TImprentas;
    const QString anio = anticipos.text(QStringLiteral("Anio"));
    const QString anticipo = anticipos.text(QStringLiteral("Anticipo"));
    const QByteArray verification = Encriptar(codigo);

    // Like a walk from the first row, this posts a row left pending in a view.
    for (store::Dataset* view : {modulo.TVerDetalles, modulo.TVerMaquinas, modulo.TCliente})
        view->first();
    // The clients are looked up at random for every row: their file, and the others, are kept
    // in memory for the three passes rather than read again for each.
    store::ReadCache cache(
        modulo.Session1_1->database(),
        {modulo.TVerDetalles->tableName(), modulo.TVerMaquinas->tableName(), modulo.TCliente->tableName()});

    // Unbuffered: the blocks above are large already, and a failed flush while QSaveFile closes
    // is not reported by its commit().
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw fileError("crear", path, store::fileErrorReason(file, path));
    Output out(file, path);
    out.line(DeclarationHeader);
    out.line(verification);

    out.beginRecord("000");
    out.field(anio);
    out.field(anticipo);
    out.field(anticipos.text(QStringLiteral("Rectificativa")));
    out.endRecord();

    out.beginRecord("010");
    for (const char* field : {"Cuit", "Nombre", "Imprentas", "VMR", "Autoimpresores", "Inscripcion", "Domicilio",
                              "Localidad", "Codigo_Postal", "Provincia"})
        out.field(imprenta.text(QLatin1String(field)));
    out.endRecord();

    const auto fields = [](const char* names) { return QString::fromLatin1(names).split(QLatin1Char(' ')); };
    writeRows(out, *modulo.TVerDetalles, "020",
              fields("Cuit Razon_Social Fecha Tipo_comprobante CanTalonarios NDesde NHasta Anio Anticipo Punto_Venta "
                     "Anulado Importado"));
    writeRows(out, *modulo.TVerMaquinas, "030",
              fields("cuit Razon_Social Fecha Marca Modelo Precio Anio Anticipo Codigo Emision Serie Anulado"));
    writeRows(out, *modulo.TCliente, "040",
              fields("Cuit Razon_Social Inscripcion Domicilio Localidad Codigo_Postal Provincia"));

    out.line(DeclarationEnd);
    out.flush();
    syncToDisk(file, path);
    if (!file.commit())
        throw fileError("guardar", path, store::fileErrorReason(file, path));

    for (store::Dataset* view : {modulo.TVerDetalles, modulo.TVerMaquinas, modulo.TCliente}) {
        view->last();
        view->next();
    }
}
