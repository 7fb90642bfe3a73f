#include "platform/classes/CodePage.h"

#include "platform/rtl/Win1252.h"

namespace classes {

QString FromWin1252(std::string_view bytes)
{
    // Latin-1 agrees with the code page outside 0x80..0x9F.
    QString text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint8_t b = uint8_t(bytes[i]);
        if (b >= 0x80 && b < 0xA0)
            text[qsizetype(i)] = QChar(rtl::AnsiToUnicode(b));
    }
    return text;
}

bool ToWin1252(QStringView text, std::string &out)
{
    out.resize(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out[size_t(i)] = char(c);
            continue;
        }
        const uint8_t b = rtl::UnicodeToAnsi(c);
        if (b == 0)
            return false;
        out[size_t(i)] = char(b);
    }
    return true;
}

std::string ToWin1252Lossy(QStringView text)
{
    std::string out;
    if (ToWin1252(text, out))
        return out;
    out.resize(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const uint8_t b = rtl::UnicodeToAnsi(text[i].unicode());
        out[size_t(i)] = (b == 0 && text[i].unicode() != 0) ? '?' : char(b);
    }
    return out;
}

} // namespace classes
