#include "Text1252.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>

namespace store {

namespace {

struct Codepage {
    std::array<QChar, 256> chars;
    std::array<unsigned char, 0x10000> byte{};  // 0: no byte, but for the character 0 itself
    Codepage()
    {
        QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
        for (int b = 0; b < 256; ++b) {
            const QString s = decoder.decode(QByteArray(1, char(b)));
            // Held when the character goes back to its byte: the codec's two directions agree. The
            // five bytes the code page leaves out come through as control characters 0x80-0x9F:
            // no text, so no character of the table.
            QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
            const QByteArray back = s.size() == 1 ? encoder.encode(s) : QByteArray();
            const bool control = s.size() == 1 && s[0].unicode() >= 0x80 && s[0].unicode() < 0xA0;
            const bool held = s.size() == 1 && !control && !encoder.hasError() && back == QByteArray(1, char(b));
            chars[b] = held ? s[0] : QChar(QChar::ReplacementCharacter);
            if (held)
                byte[s[0].unicode()] = static_cast<unsigned char>(b);
        }
    }
};

const Codepage& codepage()
{
    static const Codepage table;
    return table;
}

}  // namespace

bool windows1252Byte(char32_t c, char* byte)
{
    if (c < 0x80) {
        *byte = char(c);
        return true;
    }
    if (c >= 0x10000 || !codepage().byte[c])
        return false;
    *byte = char(codepage().byte[c]);
    return true;
}

QChar windows1252Char(uchar byte) { return codepage().chars[byte]; }

bool fitsWindows1252(QStringView text)
{
    char byte;
    for (QChar c : text)
        if (c.unicode() >= 0x80 && !windows1252Byte(c.unicode(), &byte))
            return false;
    return true;
}

}  // namespace store
