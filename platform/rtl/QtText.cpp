#include "platform/rtl/QtText.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Win1252.h"

namespace rtl {

// Names and texts in streams are converted by the thousand: the common
// characters, which map to themselves, are done here without a call each.
QString ToQString(std::string_view text)
{
    QString out(qsizetype(text.size()), Qt::Uninitialized);
    QChar *d = out.data();
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = uint8_t(text[i]);
        d[i] = QChar(c < 0x80 || c >= 0xA0 ? char16_t(c) : AnsiToUnicode(c));
    }
    return out;
}

std::string FromQString(const QString &text)
{
    std::string out(size_t(text.size()), '\0');
    const QChar *s = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out[size_t(i)] = char(u);
            continue;
        }
        const uint8_t b = UnicodeToAnsi(u);
        out[size_t(i)] = b == 0 && u != 0 ? '?' : char(b);
    }
    return out;
}

bool FitsCodePage(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!(u < 0x80 || (u >= 0xA0 && u <= 0xFF)) && UnicodeToAnsi(u) == 0)
            return false;
    }
    return true;
}

void raiseNotValid(QStringView text, const char *what)
{
    throw EConvertError("'" + FromQString(text.toString()) + "' is not a valid " + what);
}

} // namespace rtl
