// Line reading and the choice of code page of the imports (imports::TextFile): the input is the
// file. Checked against plain rules: a file with a NUL byte is refused and any other small file
// is read; the file is read as UTF-8 exactly when it holds something beyond ASCII and is valid
// UTF-8; the lines hold every character of the file but the line ends, decoded in that code page.
#include "FuzzSupport.h"
#include "data/store/StoreError.h"
#include "imports/TextFile.h"

#include <QStringList>

namespace {

// Well-formed UTF-8 as the Unicode standard's table of byte sequences gives it.
bool validUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        // Each row of the table: the lead bytes, how many bytes follow, the range of the first.
        int follow = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b < 0x80) {
            follow = 0;
        } else if (b >= 0xC2 && b <= 0xDF) {
            follow = 1;
        } else if (b == 0xE0) {
            follow = 2;
            low = 0xA0;
        } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
            follow = 2;
        } else if (b == 0xED) {
            follow = 2;
            high = 0x9F;
        } else if (b == 0xF0) {
            follow = 3;
            low = 0x90;
        } else if (b >= 0xF1 && b <= 0xF3) {
            follow = 3;
        } else if (b == 0xF4) {
            follow = 3;
            high = 0x8F;
        } else {
            return false;
        }
        if (i + follow >= n)
            return false;  // cut short
        for (int k = 1; k <= follow; ++k) {
            const unsigned char c = p[i + k];
            if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
                return false;
        }
        i += 1 + follow;
    }
    return true;
}

// The characters the file holds in the code page chosen, without line ends; a character beyond
// 16 bits counts as one position and so reads as the replacement character.
QString expectedText(QByteArray bytes, bool utf8)
{
    if (utf8 && bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    bytes.replace("\r", "").replace("\n", "");
    if (!utf8) {
        QString text;
        for (char c : bytes)
            text += fuzz::windows1252(static_cast<unsigned char>(c));
        return text;
    }
    const QString decoded = QString::fromUtf8(bytes);
    QString text;
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        if (decoded[i].isHighSurrogate()) {
            text += QChar(QChar::ReplacementCharacter);
            ++i;
        } else {
            text += decoded[i];
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > size_t(imports::TextFile::MaxLineBytes))
        return 0;  // a line that long is refused on purpose; not what this target looks at
    static const QString path = fuzz::scratchFolder() + QStringLiteral("/lineas.txt");
    const QByteArray bytes = fuzz::bytes(data, size);
    fuzz::writeFile(path, bytes);

    const bool nul = bytes.contains('\0');
    QStringList lines;
    bool utf8 = false;
    try {
        imports::TextFile file(path);
        QString line;
        while (file.readLine(line)) {
            lines << line;
            fuzz::require(file.lineNumber() == lines.size(), "line number");
        }
        fuzz::require(!file.readLine(line), "a line after the end");
        utf8 = file.utf8();
    } catch (const store::StoreError& e) {
        fuzz::require(nul, "a text file refused", e.text());
        return 0;
    }
    fuzz::require(!nul, "a file with NUL bytes read");

    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    fuzz::require(utf8 == (!ascii && validUtf8(bytes)), "code page", utf8 ? "UTF-8" : "Windows-1252");

    QString joined;
    for (const QString& line : lines) {
        fuzz::require(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')),
                      "a line end inside a line");
        joined += line;
    }
    // A byte-order mark is dropped where it starts a line, not only the file's first (files
    // joined together keep one each); elsewhere it is a character like any other.
    const QChar mark(0xFEFF);
    joined.remove(mark);
    const QString expected = expectedText(bytes, utf8).remove(mark);
    fuzz::require(joined == expected, "the lines do not hold the file's characters",
                  QStringLiteral("read %1, expected %2")
                      .arg(QString::fromLatin1(joined.toUtf8().toPercentEncoding()),
                           QString::fromLatin1(expected.toUtf8().toPercentEncoding())));

    // LF, CR LF and CR alone each end one line, and text after the last line end is one more
    // line; an empty file has none.
    qsizetype ends = bytes.count('\n');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            ++ends;
    const bool tail = !bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r');
    fuzz::require(lines.size() == ends + (tail ? 1 : 0), "number of lines", QString::number(lines.size()));
    fuzz::require(!bytes.isEmpty() || lines.isEmpty(), "lines in an empty file");
    return 0;
}
