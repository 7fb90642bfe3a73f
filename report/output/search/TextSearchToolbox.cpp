#include "report/output/search/TextSearchToolbox.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Units.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/production/SearchErrors.h"
#include "report/model/text/PlainText.h"
#include "report/model/text/TextMarkups.h"

#include "platform/classes/StringList.h"
#include "platform/gfx/Canvas.h"
#include "platform/richedit/RichEdit.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

namespace report {

namespace {

struct ToolboxRegistryState
{
    TppTextSearchToolboxRegistry::Factory factory;
    std::unique_ptr<TppTextSearchToolbox> toolbox;
    QStringList separators;
    bool separatorsBuilt = false;
};

ToolboxRegistryState &toolboxRegistry()
{
    static ToolboxRegistryState state;
    return state;
}

bool toolboxIsSeparator(QChar aChar, const QStringList &aSeparators)
{
    for (const QString &s : aSeparators)
        if (s.size() == 1 && s[0] == aChar)
            return true;
    return false;
}

} // namespace

TppTextSearchToolbox::~TppTextSearchToolbox() = default;

void TppTextSearchToolbox::BuildWordSeparators(QStringList &aList) const
{
    aList.clear();
    static const char16_t separators[] = u" \".',?;:()!@#$%^&*-+={}[]/~`|\\";
    for (const char16_t c : std::u16string_view(separators))
        aList.append(QString(QChar(c)));
}

int TppTextSearchToolbox::CalculateLineHeight(const TppDrawText &aDrawText, gfx::Canvas *aCanvas, double aScale) const
{
    if (!aCanvas)
        throw ESearchError(QStringLiteral(
            "TppTextMetrics.CalculateLineHeight: Must assign current canvas before calling this routine."));
    const gfx::Font saved = aCanvas->font();
    gfx::Font font = aDrawText.Font()->Font();
    font.name = gfx::FaceName(TppDeviceSubstitutions::SubstituteFont(font.name.text()));
    font.height = ppRound(double(aDrawText.Font()->Height()) * aScale);
    aCanvas->setFont(font);
    const gfx::TextMetrics metrics = aCanvas->GetTextMetrics();
    aCanvas->setFont(saved);
    const int leading =
        aDrawText.IsMemo()
            ? ppRound(ppFromMMThousandths(aDrawText.Leading(), TppUnitType::utScreenPixels, TppAxisType::atVertical))
            : metrics.externalLeading;
    int lineHeight = metrics.height + leading;
    double available = double(aDrawText.DrawBottom() - aDrawText.DrawTop());
    if (aDrawText.IsMemo() && aDrawText.WrappedText()->Count() > 0)
        available /= aDrawText.WrappedText()->Count();
    if (lineHeight > 0 && std::abs(ppRound(available) - lineHeight) / double(lineHeight) <= 0.1)
        lineHeight = ppRound(available);
    return ppToMMThousandths(float(lineHeight), TppUnitType::utScreenPixels, TppAxisType::atVertical);
}

int TppTextSearchToolbox::TextWidth(const gfx::Canvas &aCanvas, const QString &aText) const
{
    return aCanvas.TextWidth(TppPlainText::RemoveAll(aText, TppTextMarkups::NewLineMarkup()));
}

QString TppTextSearchToolbox::UpperCaseAscii(const QString &aText)
{
    QString result = aText;
    for (QChar &c : result)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return result;
}

bool TppTextSearchToolbox::FindText(const QString &aText, const QString &aSearchText, int &aPosition, bool aWholeWord,
                                    bool aCaseSensitive) const
{
    aPosition = 0;
    // An empty text would match everywhere and never move a scan on.
    if (aSearchText.isEmpty() || aSearchText.size() > aText.size())
        return false;
    const QString text = aCaseSensitive ? aText : UpperCaseAscii(aText);
    const QString searchText = aCaseSensitive ? aSearchText : UpperCaseAscii(aSearchText);
    const QStringList &separators = TppTextSearchToolboxRegistry::WordSeparators();
    const bool wholeWord = aWholeWord && !separators.contains(aSearchText);
    qsizetype from = 0;
    while (true) {
        const qsizetype found = text.indexOf(searchText, from, Qt::CaseSensitive);
        if (found < 0)
            return false;
        const qsizetype end = found + searchText.size();
        if (!wholeWord || ((found == 0 || toolboxIsSeparator(text[found - 1], separators)) &&
                           (end == text.size() || toolboxIsSeparator(text[end], separators)))) {
            aPosition = int(found + 1);
            return true;
        }
        from = end;
    }
}

int TppTextSearchToolbox::RichEditFindText(const richedit::RichEdit &aRichEdit, const QString &aText, int aStart,
                                           int aLength, int aOptions) const
{
    return aRichEdit.FindText(aText, aStart, aLength, aOptions);
}

QString TppTextSearchToolbox::ReplaceText(const QString &aText, const QString &aOldText, const QString &aNewText,
                                          bool aIgnoreCase, bool aReplaceAll) const
{
    if (aOldText.isEmpty())
        return aText;
    const Qt::CaseSensitivity cs = aIgnoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (aReplaceAll) {
        QString result = aText;
        return result.replace(aOldText, aNewText, cs);
    }
    const qsizetype at = aText.indexOf(aOldText, 0, cs);
    if (at < 0)
        return aText;
    QString result = aText;
    return result.replace(at, aOldText.size(), aNewText);
}

void TppTextSearchToolboxRegistry::Register(Factory aFactory)
{
    ToolboxRegistryState &state = toolboxRegistry();
    state.factory = std::move(aFactory);
    state.toolbox.reset();
}

void TppTextSearchToolboxRegistry::UnRegister()
{
    Register({});
}

const TppTextSearchToolbox &TppTextSearchToolboxRegistry::GetToolbox()
{
    ToolboxRegistryState &state = toolboxRegistry();
    if (!state.toolbox)
        state.toolbox = state.factory ? state.factory() : std::make_unique<TppTextSearchToolbox>();
    if (!state.separatorsBuilt) {
        state.separatorsBuilt = true;
        state.toolbox->BuildWordSeparators(state.separators);
    }
    return *state.toolbox;
}

const QStringList &TppTextSearchToolboxRegistry::WordSeparators()
{
    GetToolbox();
    return toolboxRegistry().separators;
}

} // namespace report
