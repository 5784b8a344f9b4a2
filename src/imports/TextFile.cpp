#include "TextFile.h"

#include "data/files/SystemError.h"
#include "data/store/StoreError.h"
#include "data/text/Text1252.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace imports {

namespace {

const qint64 ChunkBytes = 1024 * 1024;

// Checks UTF-8 a chunk at a time: overlong forms, surrogates and values past U+10FFFF are
// invalid, as are sequences cut short.
class Utf8Check {
public:
    void feed(uchar b)
    {
        if (!m_valid)
            return;
        if (m_need > 0) {
            if (b < m_low || b > m_high) {
                m_valid = false;
                return;
            }
            m_low = 0x80;
            m_high = 0xBF;
            --m_need;
            return;
        }
        if (b < 0x80)
            return;
        m_low = 0x80;
        m_high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            m_need = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            m_need = 2;
            if (b == 0xE0)
                m_low = 0xA0;
            else if (b == 0xED)
                m_high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            m_need = 3;
            if (b == 0xF0)
                m_low = 0x90;
            else if (b == 0xF4)
                m_high = 0x8F;
        } else {
            m_valid = false;
        }
    }
    bool valid() const { return m_valid && m_need == 0; }

private:
    bool m_valid = true;
    int m_need = 0;
    uchar m_low = 0x80;
    uchar m_high = 0xBF;
};

bool allAscii(const char* data, qsizetype size)
{
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < size; ++i)
        if (uchar(data[i]) & 0x80)
            return false;
    return true;
}

// The first CR or LF in [from, to), or nullptr. Searched a span at a time: a file whose lines
// end in CR alone has no LF, and would otherwise be searched to the buffer's end at every line.
const char* lineEnd(const char* from, const char* to)
{
    const qsizetype Span = 4096;
    while (from < to) {
        const char* stop = to - from > Span ? from + Span : to;
        const char* lf = static_cast<const char*>(std::memchr(from, '\n', size_t(stop - from)));
        if (const char* cr = static_cast<const char*>(std::memchr(from, '\r', size_t((lf ? lf : stop) - from))))
            return cr;
        if (lf)
            return lf;
        from = stop;
    }
    return nullptr;
}

}  // namespace

TextFile::TextFile(const QString& path) : m_file(path), m_path(QDir::toNativeSeparators(path))
{
    const QFileInfo info(path);
    if (!info.exists())
        fail(QStringLiteral("No se encuentra el archivo %1.").arg(m_path));
    if (!info.isFile())
        fail(QStringLiteral("%1 no es un archivo.").arg(m_path));
    if (!m_file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("No se puede abrir el archivo %1 (%2).")
                 .arg(m_path, store::fileErrorReason(m_file, m_path)));
    scan();
}

void TextFile::fail(const QString& text) const { throw store::StoreError(store::InputFileError, text); }

void TextFile::hasNul() const
{
    fail(QStringLiteral("El archivo %1 no es un archivo de texto: contiene caracteres nulos.").arg(m_path));
}

void TextFile::changed() const
{
    fail(QStringLiteral("El archivo %1 cambió mientras se lo cargaba: no se cargó ningún registro. Vuelva a "
                        "cargarlo cuando esté completo.")
             .arg(m_path));
}

void TextFile::checkUnchanged() const
{
    const QFileInfo now(m_file.fileName());
    if (m_file.size() != m_scannedBytes || !now.exists() || now.size() != m_scannedBytes ||
        now.lastModified() != m_scannedModified)
        changed();
}

void TextFile::tooLong(int line) const
{
    fail(QStringLiteral("El archivo %1 no es un archivo de texto: la línea %2 tiene más de %3 caracteres.")
             .arg(m_path)
             .arg(line)
             .arg(MaxLineBytes));
}

// One pass over the whole file before the first line: the encoding can only be told once every
// byte has been seen, and a file that is no text file is refused before anything is imported.
void TextFile::scan()
{
    Utf8Check utf8;
    qint64 lineBytes = 0;
    int line = 1;
    bool afterCr = false;  // the chunk before ended in a CR
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 got = m_file.read(chunk.data(), ChunkBytes);
        if (got < 0)
            fail(QStringLiteral("Error al leer el archivo %1 (%2).")
                     .arg(m_path, store::fileErrorReason(m_file, m_path)));
        if (got == 0)
            break;
        const char* data = chunk.constData();
        if (std::memchr(data, '\0', size_t(got)))
            hasNul();
        const bool ascii = allAscii(data, got);
        if (!ascii) {
            m_ascii = false;
            for (qint64 i = 0; i < got; ++i) {
                utf8.feed(uchar(data[i]));
                if (uchar(data[i]) >= 0xF0)
                    m_astral = true;
            }
        }
        const char* p = data;
        const char* const stop = data + got;
        while (p < stop) {
            const char* end = lineEnd(p, stop);
            lineBytes += (end ? end : stop) - p;
            if (lineBytes > MaxLineBytes)
                tooLong(line);
            if (!end)
                break;
            // The LF of a CR LF ends no second line, even at the start of the next chunk.
            if (!(end == p && *end == '\n' && afterCr)) {
                lineBytes = 0;
                ++line;
            }
            afterCr = *end == '\r';
            p = end + 1;
        }
        afterCr = got > 0 && data[got - 1] == '\r';
    }
    m_utf8 = !m_ascii && utf8.valid();
    m_scannedBytes = m_file.pos();
    m_scannedModified = QFileInfo(m_file.fileName()).lastModified();
    if (!m_file.seek(0))
        fail(QStringLiteral("Error al leer el archivo %1 (%2).").arg(m_path, store::fileErrorReason(m_file, m_path)));
}

// Reads the next chunk behind what is left of the buffer; false when the file has no more.
bool TextFile::fill()
{
    if (m_atEnd)
        return false;
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + ChunkBytes);
    const qint64 got = m_file.read(m_buffer.data() + kept, ChunkBytes);
    if (got < 0) {
        m_buffer.resize(kept);
        fail(QStringLiteral("Error al leer el archivo %1 (%2).").arg(m_path, store::fileErrorReason(m_file, m_path)));
    }
    m_buffer.resize(kept + got);
    m_readBytes += got;
    if (got == 0) {
        m_atEnd = true;
        if (m_readBytes != m_scannedBytes)
            changed();
    }
    return got > 0;
}

bool TextFile::readLine(QString& line)
{
    qsizetype scanned = 0;  // bytes of this line searched for its end so far
    const char* end = nullptr;
    for (;;) {
        const qsizetype from = m_pos + scanned;
        end = lineEnd(m_buffer.constData() + from, m_buffer.constData() + m_buffer.size());
        // A CR at the end of the buffer may be the first half of a CR LF.
        if (end && !(*end == '\r' && end + 1 == m_buffer.constData() + m_buffer.size() && !m_atEnd))
            break;
        scanned = (end ? end : m_buffer.constData() + m_buffer.size()) - (m_buffer.constData() + m_pos);
        if (scanned > MaxLineBytes)  // the file changed since it was looked over
            tooLong(m_lineNumber + 1);
        if (!fill()) {  // the buffer now starts with this line
            if (m_pos >= m_buffer.size())
                return false;
            const char* const stop = m_buffer.constData() + m_buffer.size();
            end = lineEnd(m_buffer.constData() + m_pos + scanned, stop);
            if (!end)
                end = stop;  // the last line has no line end
            break;
        }
    }
    const char* data = m_buffer.constData() + m_pos;
    const char* const stop = m_buffer.constData() + m_buffer.size();
    qsizetype size = end - data;
    qsizetype endBytes = 0;
    if (end < stop)
        endBytes = (*end == '\r' && end + 1 < stop && end[1] == '\n') ? 2 : 1;
    m_pos += size + endBytes;
    if (std::memchr(data, '\0', size_t(size)))
        hasNul();
    ++m_lineNumber;
    if (m_lineNumber == 1 && m_utf8 && size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        data += 3;
        size -= 3;
    }
    decode(data, size, line);
    return true;
}

void TextFile::decode(const char* data, qsizetype size, QString& line) const
{
    if (m_ascii) {
        line = QLatin1StringView(data, size);  // into the line's own buffer, kept from line to line
        return;
    }
    if (m_utf8) {
        QString text = QString::fromUtf8(data, size);
        // Positions count characters: a character beyond 16 bits takes one position, as a
        // replacement character the table store could not hold either.
        if (m_astral && std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSurrogate(); })) {
            QString narrowed;
            narrowed.reserve(text.size());
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                    ++i;
                narrowed += text[i].isSurrogate() ? QChar(QChar::ReplacementCharacter) : text[i];
            }
            text = narrowed;
        }
        line = std::move(text);
        return;
    }
    line = QLatin1StringView(data, size);
    for (QChar& c : line)
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
            c = store::windows1252Char(uchar(c.unicode()));
}

}  // namespace imports
