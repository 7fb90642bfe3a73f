#include "platform/ini/StoredText.h"

#include "platform/ini/PrivateProfile.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Win1252.h"

#include <cctype>
#include <limits>

namespace ini {

namespace {

constexpr std::string_view EscapeLead = "&#x";
// The most bytes one UTF-16 unit takes in a store: "&#xFFFF;".
constexpr size_t MostBytesAUnit = 8;

bool heldByCodePage(char32_t c)
{
    return c <= 0xFF ? c < 0x80 || c >= 0xA0 || rtl::UnicodeToAnsi(char16_t(c)) != 0
                     : c <= 0xFFFF && rtl::UnicodeToAnsi(char16_t(c)) != 0;
}

void appendEscape(std::string &out, char32_t c)
{
    out += EscapeLead;
    out += QByteArray::number(uint(c), 16).toUpper().toStdString();
    out += ';';
}

} // namespace

std::string ToStoredText(const QString &text)
{
    std::string out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        // The stores compare names without regard to case, so "&#X" would
        // meet an escape as well.
        if (c == u'&' && i + 2 < text.size() && text[i + 1] == u'#' && (text[i + 2] == u'x' || text[i + 2] == u'X'))
            appendEscape(out, c);
        else if (heldByCodePage(c))
            out += char(rtl::UnicodeToAnsi(char16_t(c)));
        else
            appendEscape(out, c);
    }
    return out;
}

std::string PreviousStoredText(const QString &text)
{
    if (!text.contains(QLatin1String("&#x"), Qt::CaseInsensitive))
        return {};
    std::string out;
    out.reserve(size_t(text.size()));
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (QChar::isSurrogate(c) || !heldByCodePage(c))
            return {};
        out += char(rtl::UnicodeToAnsi(c));
    }
    // Bytes this build reads as another name ("&#x416;" literally, which is
    // how this build stores "Ж") may be that name's: whose they are cannot
    // be told, and the other name's layout must not be taken.
    return FromStoredText(out) == text ? out : std::string();
}

// An escape ToStoredText would not have written (a character the code page
// holds, an "&" before anything but "#x") is text that stores written by
// earlier builds may hold, and stays as it stands.
QString FromStoredText(std::string_view bytes)
{
    QString out;
    size_t plain = 0; // the first byte not yet taken
    size_t at = 0;
    while ((at = bytes.find(EscapeLead, at)) != std::string_view::npos) {
        const size_t digits = at + EscapeLead.size();
        size_t end = digits;
        while (end < bytes.size() && end - digits < 7 && std::isxdigit(uint8_t(bytes[end])))
            ++end;
        bool ok = false;
        const uint c = end > digits && end - digits <= 6 && end < bytes.size() && bytes[end] == ';'
                           ? QByteArray(bytes.data() + digits, qsizetype(end - digits)).toUInt(&ok, 16)
                           : 0;
        const std::string_view after = ok ? bytes.substr(end + 1) : std::string_view();
        const bool written = ok && c <= 0x10FFFF &&
                             (c == u'&' ? after.size() >= 2 && after[0] == '#' && (after[1] == 'x' || after[1] == 'X')
                                        : !heldByCodePage(c));
        if (!written) {
            at = digits;
            continue;
        }
        out += rtl::ToQString(bytes.substr(plain, at - plain));
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
        at = plain = end + 1;
    }
    out += rtl::ToQString(bytes.substr(plain));
    return out;
}

QString GetStoredProfileString(const QString &section, const QString &key, const QString &defaultValue,
                               size_t bufferSize, const std::string &fileName)
{
    if (bufferSize == 0)
        return {};
    const size_t bytes = bufferSize < std::numeric_limits<size_t>::max() / MostBytesAUnit
                             ? bufferSize * MostBytesAUnit
                             : std::numeric_limits<size_t>::max();
    QString value = FromStoredText(
        GetPrivateProfileString(ToStoredText(section), ToStoredText(key), ToStoredText(defaultValue), bytes, fileName));
    if (size_t(value.size()) > bufferSize - 1) {
        value.truncate(qsizetype(bufferSize - 1));
        // Half of a pair is no character.
        if (!value.isEmpty() && value.back().isHighSurrogate())
            value.chop(1);
    }
    return value;
}

} // namespace ini
