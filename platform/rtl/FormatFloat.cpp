#include "platform/rtl/FormatFloat.h"

#include "platform/rtl/Decimal.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Win1252.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace rtl {

namespace {

using detail::Decimal;

// What the digit placeholders of one format section ask for.
struct SectionLayout
{
    int intCount = 0;      // placeholders before the decimal point
    int firstIntZero = -1; // index of the first "0" among them
    int fracCount = 0;     // placeholders after it
    int lastFracZero = -1; // index of the last "0" among them
    bool thousands = false;
    bool scientific = false;
};

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

bool isExponentAt(QStringView f, qsizetype i)
{
    return (f[i] == u'E' || f[i] == u'e') && i + 1 < f.size() && (f[i + 1] == u'+' || f[i + 1] == u'-');
}

// The index of the quote that closes the one at `open`, or the end.
qsizetype closingQuote(QStringView f, qsizetype open)
{
    const qsizetype close = f.indexOf(f[open], open + 1);
    return close < 0 ? f.size() : close;
}

SectionLayout analyse(QStringView f)
{
    SectionLayout l;
    bool decimal = false;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f[i];
        if (isQuote(c)) {
            i = closingQuote(f, i);
        } else if (isExponentAt(f, i) && !l.scientific) {
            l.scientific = true;
            i += 1;
            while (i + 1 < f.size() && f[i + 1] == u'0')
                ++i;
        } else if (l.scientific) {
            continue; // placeholders after the exponent are not digits
        } else if (c == u'.') {
            decimal = true;
        } else if (c == u',') {
            l.thousands = l.thousands || !decimal;
        } else if (c == u'0' || c == u'#') {
            if (!decimal) {
                if (c == u'0' && l.firstIntZero < 0)
                    l.firstIntZero = l.intCount;
                ++l.intCount;
            } else {
                if (c == u'0')
                    l.lastFracZero = l.fracCount;
                ++l.fracCount;
            }
        }
    }
    if (l.scientific)
        l.thousands = false;
    return l;
}

// The first three sections, split at ";" outside quoted texts; the rest of
// the format is never used.
struct Sections
{
    QStringView part[3];
    int count = 0;
};

Sections splitSections(QStringView format)
{
    Sections s;
    qsizetype start = 0;
    QChar quote;
    for (qsizetype i = 0; i < format.size() && s.count < 2; ++i) {
        const QChar c = format[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (isQuote(c)) {
            quote = c;
        } else if (c == u';') {
            s.part[s.count++] = format.mid(start, i - start);
            start = i + 1;
        }
    }
    QStringView last = format.mid(start);
    if (s.count == 2) {
        // The third section ends at the next ";" as well.
        quote = QChar();
        for (qsizetype i = 0; i < last.size(); ++i) {
            const QChar c = last[i];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (isQuote(c)) {
                quote = c;
            } else if (c == u';') {
                last = last.left(i);
                break;
            }
        }
    }
    s.part[s.count++] = last;
    return s;
}

class SectionWriter
{
public:
    // `r` is the value rounded for the layout (see roundedFor).
    SectionWriter(QStringView format, const SectionLayout &layout, const Decimal &r, QChar thousands, QChar decimal)
        : m_format(format)
        , m_layout(layout)
        , m_thousands(thousands)
        , m_decimal(decimal)
    {
        if (layout.scientific) {
            for (int i = 0; i < layout.intCount; ++i)
                m_int += r.digitAt(i);
            for (int i = 0; i < layout.fracCount; ++i)
                m_frac += r.digitAt(layout.intCount + i);
            m_exponent = r.isZero() ? 0 : r.exponent - layout.intCount;
        } else {
            const int minInt = layout.firstIntZero < 0 ? 0 : layout.intCount - layout.firstIntZero;
            for (int i = std::max(r.exponent, 0); i < minInt; ++i)
                m_int += '0';
            for (int i = 0; i < r.exponent; ++i)
                m_int += r.digitAt(i);
            for (int i = 0; i < layout.fracCount; ++i)
                m_frac += r.digitAt(r.exponent + i);
        }
        m_shownFrac = layout.lastFracZero + 1;
        for (qsizetype i = m_frac.size(); i > m_shownFrac; --i)
            if (m_frac[i - 1] != '0') {
                m_shownFrac = i;
                break;
            }
    }

    QString write(bool minus)
    {
        bool decimal = false;
        bool exponentDone = false;
        int intIndex = 0;
        qsizetype fracIndex = 0;
        const QStringView f = m_format;
        m_out.reserve(f.size() + m_int.size() + m_int.size() / 3 + m_frac.size() + 8);
        if (minus)
            m_out += u'-';
        for (qsizetype i = 0; i < f.size(); ++i) {
            const QChar c = f[i];
            if (isQuote(c)) {
                const qsizetype end = closingQuote(f, i);
                m_out.append(reinterpret_cast<const char16_t *>(f.data() + i + 1), end - i - 1);
                i = end;
            } else if (m_layout.scientific && !exponentDone && isExponentAt(f, i)) {
                exponentDone = true;
                int zeros = 0;
                while (i + 2 + zeros < f.size() && f[i + 2 + zeros] == u'0')
                    ++zeros;
                writeExponent(f[i], f[i + 1], zeros);
                i += 1 + zeros;
            } else if (exponentDone && (c == u'0' || c == u'#')) {
                continue;
            } else if (c == u'0' || c == u'#') {
                if (!decimal)
                    writeIntPlaceholder(intIndex++);
                else if (fracIndex < m_shownFrac)
                    m_out += char16_t(m_frac[fracIndex++]);
            } else if (c == u'.') {
                if (decimal)
                    continue;
                decimal = true;
                if (m_layout.intCount == 0)
                    writeIntDigits(0, m_int.size());
                if (m_shownFrac > 0)
                    m_out += m_decimal.unicode();
            } else if (c == u',') {
                continue;
            } else {
                m_out += c.unicode();
            }
        }
        return QString(reinterpret_cast<const QChar *>(m_out.constData()), m_out.size());
    }

private:
    // The integer digits are right-aligned to the placeholders; the first
    // placeholder takes every digit the others have no room for.
    void writeIntPlaceholder(int k)
    {
        const qsizetype len = m_int.size();
        const qsizetype p = m_layout.intCount;
        const qsizetype from = k == 0 ? 0 : len - p + k;
        const qsizetype to = len - p + k + 1;
        if (to > 0 && to > from)
            writeIntDigits(std::max<qsizetype>(0, from), to);
    }

    void writeIntDigits(qsizetype from, qsizetype to)
    {
        for (qsizetype i = from; i < to && i < m_int.size(); ++i) {
            m_out += char16_t(m_int[i]);
            const qsizetype rest = m_int.size() - 1 - i;
            if (m_layout.thousands && rest > 0 && rest % 3 == 0)
                m_out += m_thousands.unicode();
        }
    }

    void writeExponent(QChar letter, QChar signMode, int minDigits)
    {
        m_out += letter.unicode();
        if (m_exponent < 0)
            m_out += u'-';
        else if (signMode == u'+')
            m_out += u'+';
        char buf[16];
        const auto res = std::to_chars(buf, buf + sizeof buf, std::abs(m_exponent));
        const int len = int(res.ptr - buf);
        for (int i = len; i < std::min(minDigits, 4); ++i)
            m_out += u'0';
        for (int i = 0; i < len; ++i)
            m_out += char16_t(buf[i]);
    }

    QStringView m_format;
    SectionLayout m_layout;
    QChar m_thousands;
    QChar m_decimal;
    QVarLengthArray<char, 40> m_int;
    QVarLengthArray<char, 40> m_frac;
    qsizetype m_shownFrac = 0;
    int m_exponent = 0;
    QVarLengthArray<char16_t, 128> m_out;
};

// The digits a section shows: as many significant digits as it has
// placeholders when scientific, else down to its last decimal.
Decimal roundedFor(const SectionLayout &l, const Decimal &d)
{
    if (l.scientific)
        return detail::roundDigits(d, std::max(1, l.intCount + l.fracCount));
    return detail::roundDigits(d, d.exponent + l.fracCount);
}

// Templated so that the common double needs no extended-precision arithmetic.
template <typename Float>
QString formatFloat(QStringView format, Float value, QChar thousands, QChar decimal)
{
    if (format.isEmpty() || !std::isfinite(value))
        return detail::formatGeneral(value, detail::DoublePrecision, 0, decimal);
    const Sections sections = splitSections(format);
    const Decimal d = detail::toDecimal(value, detail::DoublePrecision);
    auto usable = [&sections](int i) { return i < sections.count && !sections.part[i].isEmpty(); };

    int chosen = 0;
    if (value < 0 && usable(1))
        chosen = 1;
    SectionLayout layout = analyse(sections.part[chosen]);
    Decimal shown = roundedFor(layout, d);
    // A value that shows as zero takes the zero section, and loses its sign.
    const bool zero = shown.isZero();
    if (zero && usable(2) && chosen != 2) {
        chosen = 2;
        layout = analyse(sections.part[chosen]);
        shown = roundedFor(layout, d);
    }
    if (sections.part[chosen].isEmpty())
        return detail::formatGeneral(value, detail::DoublePrecision, 0, decimal);
    if (!layout.scientific && std::fabs(value) >= Float(1e18))
        return detail::formatGeneral(value, detail::DoublePrecision, 0, decimal);

    return SectionWriter(sections.part[chosen], layout, shown, thousands, decimal)
        .write(value < 0 && chosen == 0 && !zero);
}

char toAnsiSeparator(QChar c, char fallback)
{
    if (c.isNull())
        return fallback;
    if (c.unicode() == 0x202F || c.unicode() == 0x2009) // narrow and thin spaces: the code page's no-break space
        return char(0xA0);
    const uint8_t b = UnicodeToAnsi(c.unicode());
    return b ? char(b) : fallback;
}

} // namespace

QString FormatFloat(QStringView format, long double value, const TFormatSettings &settings)
{
    const long double magnitude = std::fabs(value);
    if (magnitude <= std::numeric_limits<double>::max() && static_cast<long double>(double(value)) == value)
        return formatFloat(format, double(value), settings.ThousandSeparator, settings.DecimalSeparator);
    return formatFloat(format, value, settings.ThousandSeparator, settings.DecimalSeparator);
}

QString FormatFloat(QStringView format, long double value)
{
    return FormatFloat(format, value, FormatSettings());
}

std::string FormatFloat(const std::string &format, double value)
{
    const FormatSeparators seps = formatSeparators();
    return FromQString(formatFloat(ToQString(format), value, QChar(AnsiToUnicode(uint8_t(seps.thousands))),
                                   QChar(AnsiToUnicode(uint8_t(seps.decimal)))));
}

FormatSeparators formatSeparators()
{
    const TFormatSettings &s = FormatSettings();
    return FormatSeparators{toAnsiSeparator(s.ThousandSeparator, ','), toAnsiSeparator(s.DecimalSeparator, '.')};
}

} // namespace rtl
