#include "platform/rtl/QtText.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Win1252.h"

namespace rtl {

QString ToQString(std::string_view text)
{
    QString out;
    out.resize(qsizetype(text.size()));
    QChar *d = out.data();
    for (size_t i = 0; i < text.size(); ++i)
        d[i] = QChar(AnsiToUnicode(uint8_t(text[i])));
    return out;
}

std::string FromQString(const QString &text)
{
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar ch : text) {
        const uint8_t b = UnicodeToAnsi(ch.unicode());
        out.push_back(b == 0 && ch.unicode() != 0 ? '?' : char(b));
    }
    return out;
}

void raiseNotValid(QStringView text, const char *what)
{
    throw EConvertError("'" + FromQString(text.toString()) + "' is not a valid " + what);
}

} // namespace rtl
