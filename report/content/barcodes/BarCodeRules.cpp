#include "report/content/barcodes/BarCodeRules.h"

#include "report/content/barcodes/Code128.h"
#include "report/model/base/Messages.h"

#include "platform/rtl/QtText.h"

namespace report {

namespace {

using T = TppBarCodeType;

bool rulesAllDigits(const QString &aData)
{
    for (QChar c : aData)
        if (!rtl::isAsciiDigit(c))
            return false;
    return true;
}

bool rulesInCode39Set(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'$' || u == u'%' || u == u'+' || u == u'-' || u == u'.' || u == u'/' ||
           rtl::isAsciiDigit(c) || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool rulesInCodabarSet(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'$' || u == u'+' || u == u'-' || u == u'.' || u == u'/' || u == u':' || rtl::isAsciiDigit(c) ||
           (u >= u'A' && u <= u'D') || (u >= u'a' && u <= u'd');
}

bool rulesIsCodabarStartStop(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'D') || (u >= u'a' && u <= u'd');
}

BarCodeValidation rulesFail(int aMessage)
{
    return {false, aMessage, ppLoadStr(aMessage)};
}

// Length rule, short-form rule and digits rule of the UPC/EAN family.
BarCodeValidation rulesFixedDigits(const QString &aData, bool aCalc, int aShort, int aMessages)
{
    // The length is a count of characters: a character beyond the basic plane
    // is one, and must meet the non-digit check, not pass for two.
    const qsizetype length = aData.toUcs4().size();
    if (length != aShort && length != aShort + 1)
        return rulesFail(aMessages);
    if (length == aShort && !aCalc)
        return rulesFail(aMessages + 1);
    if (!rulesAllDigits(aData))
        return rulesFail(aMessages + 2);
    return {};
}

} // namespace

BarCodeValidation ppValidateBarCodeData(TppBarCodeType aType, const QString &aData, bool aCalcCheckDigit)
{
    if (aData.isEmpty())
        return {};
    switch (aType) {
    case T::bcUPC_A: return rulesFixedDigits(aData, aCalcCheckDigit, 11, 438);
    case T::bcUPC_E: return rulesFixedDigits(aData, aCalcCheckDigit, 6, 648);
    case T::bcEAN_13: return rulesFixedDigits(aData, aCalcCheckDigit, 12, 431);
    case T::bcEAN_8: return rulesFixedDigits(aData, aCalcCheckDigit, 7, 645);
    case T::bcInt2of5:
        if (!rulesAllDigits(aData))
            return rulesFail(434);
        if (aData.size() % 2 == 1 && !aCalcCheckDigit)
            return rulesFail(435);
        return {};
    case T::bcCode128: return {};
    case T::bcCode39: {
        auto end = [](QChar c) { return c == u'*' || rulesInCode39Set(c); };
        // A lone "*" would be the start and the stop character at once, and
        // "**" a start and a stop around nothing: either draws a symbol that
        // no reader decodes.
        if (aData == u"*" || aData == u"**" || !end(aData.front()) || !end(aData.back()))
            return rulesFail(430);
        for (qsizetype i = 1; i + 1 < aData.size(); ++i)
            if (!rulesInCode39Set(aData[i]))
                return rulesFail(430);
        return {};
    }
    case T::bcPostnet: {
        qsizetype digits = 0;
        for (QChar c : aData) {
            if (rtl::isAsciiDigit(c))
                ++digits;
            else if (c != u'-')
                return rulesFail(437);
        }
        if (digits != 5 && digits != 9 && digits != 11)
            return rulesFail(436);
        return {};
    }
    case T::bcFIM: {
        const QString upper = aData.toUpper();
        if (upper != u"A" && upper != u"B" && upper != u"C")
            return rulesFail(651);
        return {};
    }
    case T::bcCodabar:
        for (QChar c : aData)
            if (!rulesInCodabarSet(c))
                return rulesFail(652);
        if (!rulesIsCodabarStartStop(aData.front()) || !rulesIsCodabarStartStop(aData.back()))
            return rulesFail(653);
        for (qsizetype i = 1; i + 1 < aData.size(); ++i)
            if (rulesIsCodabarStartStop(aData[i]))
                return {false, 654, ppLoadStr(654) + u' ' + ppLoadStr(655)};
        return {};
    case T::bcMSI:
        if (!rulesAllDigits(aData))
            return {false, 0, QStringLiteral("MSI Barcodes must be numeric")};
        return {};
    }
    return {};
}

QString ppBarCodeSampleData(TppBarCodeType aType, bool aCalcCheckDigit, bool aDataAware)
{
    switch (aType) {
    case T::bcUPC_A: return aCalcCheckDigit ? QStringLiteral("01234567890") : QStringLiteral("012345678905");
    case T::bcUPC_E: return aCalcCheckDigit ? QStringLiteral("012345") : QStringLiteral("0123457");
    case T::bcEAN_13: return QStringLiteral("0012345678905");
    case T::bcEAN_8: return QStringLiteral("20123451");
    case T::bcInt2of5: return aCalcCheckDigit ? QStringLiteral("0123456789") : QStringLiteral("01234567");
    case T::bcCode128:
        return QChar(code128::START_C) + QStringLiteral("1234") + QChar(code128::CODE_B) + QStringLiteral(" abcd");
    case T::bcCode39: return aDataAware ? QStringLiteral("DBBarCode") : QStringLiteral("BarCode");
    case T::bcPostnet: return QStringLiteral("012345678");
    case T::bcFIM: return QStringLiteral("A");
    case T::bcCodabar: return QStringLiteral("A01234B");
    case T::bcMSI: return QStringLiteral("0139725");
    }
    return {};
}

int32_t ppBarCodeDefaultBarWidth(TppBarCodeType aType)
{
    switch (aType) {
    case T::bcUPC_A:
    case T::bcUPC_E:
    case T::bcEAN_13:
    case T::bcEAN_8: return 330;
    case T::bcInt2of5: return 381;
    case T::bcPostnet: return 508;
    case T::bcFIM: return 787;
    default: return 254;
    }
}

} // namespace report
