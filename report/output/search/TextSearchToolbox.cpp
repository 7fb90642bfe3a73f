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

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <cmath>
#include <cstdlib>
#include <limits>
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

namespace {

// Folds aText from aFrom on, one character at a time, until aFolded has
// grown to aWanted characters or the text ends; answers where it stopped,
// always between two characters. aOrigin, when given, receives for each
// character added the index in aText of the one it came from.
qsizetype toolboxFoldInto(const QString &aText, qsizetype aFrom, qsizetype aWanted, QString &aFolded,
                          std::vector<qsizetype> *aOrigin)
{
    qsizetype i = aFrom;
    while (i < aText.size() && aFolded.size() < aWanted) {
        const qsizetype width =
            aText[i].isHighSurrogate() && i + 1 < aText.size() && aText[i + 1].isLowSurrogate() ? 2 : 1;
        const qsizetype before = aFolded.size();
        const char16_t c = aText[i].unicode();
        if (c < 0x80) {
            aFolded += QChar(c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c);
        } else {
            // Full folding of one character: "ß" and "ẞ" become "ss", "ﬁ"
            // "fi"; at most three characters.
            UChar buffer[8];
            UErrorCode error = U_ZERO_ERROR;
            const int32_t length = u_strFoldCase(buffer, 8, reinterpret_cast<const UChar *>(aText.constData() + i),
                                                 int32_t(width), U_FOLD_CASE_DEFAULT, &error);
            if (U_SUCCESS(error))
                aFolded.append(reinterpret_cast<const QChar *>(buffer), length);
            else
                aFolded.append(aText.constData() + i, width);
        }
        if (aOrigin)
            for (qsizetype n = aFolded.size() - before; n > 0; --n)
                aOrigin->push_back(i);
        i += width;
    }
    return i;
}

} // namespace

QString TppTextSearchToolbox::FoldCase(const QString &aText, std::vector<qsizetype> *aOrigin)
{
    QString folded;
    folded.reserve(aText.size());
    if (aOrigin) {
        aOrigin->clear();
        aOrigin->reserve(size_t(aText.size()));
    }
    toolboxFoldInto(aText, 0, std::numeric_limits<qsizetype>::max(), folded, aOrigin);
    return folded;
}

int TppTextSearchToolbox::MatchedLength(const QString &aText, int aPosition, const QString &aSearchText,
                                        bool aCaseSensitive)
{
    const int plain = int(aSearchText.size());
    if (aCaseSensitive || aPosition < 1 || aPosition > aText.size())
        return plain;
    // Only as much of the text as the match covers, and the character
    // after it: a scan asks this at every hit of a long text.
    const QString wanted = FoldCase(aSearchText);
    const qsizetype begin = aPosition - 1;
    QString rest;
    std::vector<qsizetype> origin;
    toolboxFoldInto(aText, begin, wanted.size() + 1, rest, &origin);
    if (!rest.startsWith(wanted))
        return plain;
    return int((size_t(wanted.size()) < origin.size() ? origin[size_t(wanted.size())] : aText.size()) - begin);
}

bool TppTextSearchToolbox::FindText(const QString &aText, const QString &aSearchText, int &aPosition, bool aWholeWord,
                                    bool aCaseSensitive) const
{
    aPosition = 0;
    // An empty text would match everywhere and never move a scan on.
    if (aSearchText.isEmpty())
        return false;
    // Folded, a text may grow or shrink ("ß" folds to "ss"): the match is
    // found in the folded text and taken back to the text as it stands,
    // whole characters only. The text is folded a stretch at a time, each
    // twice the last: a scan that finds hit after hit in a long text looks
    // at each stretch once, not at the whole rest of the text every time.
    const QString searchText = aCaseSensitive ? aSearchText : FoldCase(aSearchText);
    QString folded;
    std::vector<qsizetype> origin;
    qsizetype foldedTo = 0;
    qsizetype stretch = std::max<qsizetype>(256, 2 * searchText.size());
    const QString &text = aCaseSensitive ? aText : folded;
    const auto originOf = [&](qsizetype aAt) {
        if (aCaseSensitive)
            return aAt;
        return aAt < qsizetype(origin.size()) ? origin[size_t(aAt)] : foldedTo;
    };
    // The folded text so far ends between two characters.
    const auto startsCharacter = [&](qsizetype aAt) {
        return aCaseSensitive || aAt == 0 || aAt >= qsizetype(origin.size()) ||
               origin[size_t(aAt)] != origin[size_t(aAt - 1)];
    };
    const QStringList &separators = TppTextSearchToolboxRegistry::WordSeparators();
    const bool wholeWord = aWholeWord && !separators.contains(aSearchText);
    qsizetype from = 0;
    bool foldMore = true;
    while (true) {
        if (foldMore && !aCaseSensitive && foldedTo < aText.size()) {
            foldedTo = toolboxFoldInto(aText, foldedTo, folded.size() + stretch, folded, &origin);
            stretch *= 2;
        }
        foldMore = false;
        const bool whole = aCaseSensitive || foldedTo >= aText.size();
        const qsizetype found = text.indexOf(searchText, from, Qt::CaseSensitive);
        if (found < 0) {
            if (whole)
                return false;
            // Every place that the text so far holds whole is looked at.
            from = std::max(from, text.size() - searchText.size() + 1);
            foldMore = true;
            continue;
        }
        const qsizetype foldedEnd = found + searchText.size();
        if (!startsCharacter(found) || !startsCharacter(foldedEnd)) {
            from = found + 1;
            continue;
        }
        const qsizetype start = originOf(found);
        const qsizetype end = originOf(foldedEnd);
        if (!wholeWord || ((start == 0 || toolboxIsSeparator(aText[start - 1], separators)) &&
                           (end == aText.size() || toolboxIsSeparator(aText[end], separators)))) {
            aPosition = int(start + 1);
            return true;
        }
        from = foldedEnd;
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
