#include "grid/core/CharCase.h"

#include "platform/rtl/SimpleCase.h"

#include <QChar>

namespace grid {

TChar CaseConverted(TChar c, TEditCharCase charCase)
{
    switch (charCase) {
    case ecUpperCase: return rtl::SimpleUpperCase(c);
    case ecLowerCase: return rtl::SimpleLowerCase(c);
    default: return c;
    }
}

QString CaseConverted(QStringView text, TEditCharCase charCase)
{
    if (charCase == ecNormal)
        return text.toString();
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const TChar c = QChar::surrogateToUcs4(unit, text[i + 1]);
            const TChar converted = CaseConverted(c, charCase);
            result.append(QChar::highSurrogate(converted));
            result.append(QChar::lowSurrogate(converted));
            ++i;
        } else if (unit.isSurrogate()) {
            result.append(unit); // half of a pair alone: nothing to convert
        } else {
            result.append(QChar(char16_t(CaseConverted(TChar(unit.unicode()), charCase))));
        }
    }
    return result;
}

QString PasswordText(QStringView text, QChar passwordChar)
{
    qsizetype count = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            --count;
            ++i;
        }
    return QString(count, passwordChar);
}

} // namespace grid
