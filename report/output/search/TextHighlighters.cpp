#include "report/output/search/TextHighlighters.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/richtext/RTFEngine.h"
#include "report/model/base/Units.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/production/SearchErrors.h"
#include "report/model/text/TextMarkups.h"
#include "report/output/search/SearchInfo.h"
#include "report/output/search/TextSearchToolbox.h"

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Colors.h"
#include "platform/richedit/RichEdit.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr rtl::TColor richHighlightBackColor = 0x6A240A;
constexpr rtl::TColor richHighlightTextColor = 0xF0FBFF;

int32_t highlighterToMM(double aPixels)
{
    return ppToMMThousandths(float(aPixels), TppUnitType::utScreenPixels, TppAxisType::atHorizontal);
}

double highlighterToPixels(int32_t aMMThousandths)
{
    return ppFromMMThousandths(aMMThousandths, TppUnitType::utScreenPixels, TppAxisType::atHorizontal);
}

// The canvas's font comes back however the highlight ends.
class HighlighterFontRestorer
{
public:
    explicit HighlighterFontRestorer(gfx::Canvas &aCanvas)
        : m_canvas(aCanvas)
        , m_font(aCanvas.font())
    {}
    ~HighlighterFontRestorer() { m_canvas.setFont(m_font); }
    HighlighterFontRestorer(const HighlighterFontRestorer &) = delete;
    HighlighterFontRestorer &operator=(const HighlighterFontRestorer &) = delete;

private:
    gfx::Canvas &m_canvas;
    gfx::Font m_font;
};

// The command's rich text in aEdit with the occurrence selected.
void highlighterLoad(richedit::RichEdit &aEdit, TppDrawRichText &aRichText, const TppDrawCommandSearchInfo &aInfo,
                     const QString &aSearchText)
{
    aEdit.LoadFromBytes(aRichText.RichTextBytes());
    aEdit.SetColor(aRichText.Color());
    aEdit.SetSelStart(aInfo.TextPosition());
    aEdit.SetSelLength(int(aSearchText.size()));
}

void highlighterStore(const richedit::RichEdit &aEdit, TppDrawRichText &aRichText)
{
    const QByteArray bytes = aEdit.SaveToBytes();
    classes::TMemoryStream &stream = aRichText.RichTextStream();
    stream.Clear();
    stream.Write(bytes.constData(), bytes.size());
}

void highlighterSetSelTextColor(richedit::RichEdit &aEdit, rtl::TColor aColor)
{
    QTextCursor cursor(&aEdit.Document());
    cursor.setPosition(aEdit.SelStart());
    cursor.setPosition(aEdit.SelStart() + aEdit.SelLength(), QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setForeground(gfx::ToQColor(aColor));
    cursor.mergeCharFormat(format);
}

} // namespace

// ---- Plain text ----------------------------------------------------------------

bool TppDrawTextHighlighter::FindOccurrence(const QString &aLine, const QString &aSearchText, int &aEndPosition) const
{
    const TppTextSearchToolbox &toolbox = TppTextSearchToolboxRegistry::GetToolbox();
    int position = 0;
    const QString rest = aLine.mid(aEndPosition);
    if (!toolbox.FindText(rest, aSearchText, position, WholeWord(), CaseSensitive()))
        return false;
    aEndPosition += position - 1 + TppTextSearchToolbox::MatchedLength(rest, position, aSearchText, CaseSensitive());
    return true;
}

std::unique_ptr<TppDrawText> TppDrawTextHighlighter::NewHighlightText()
{
    auto highlight = std::make_unique<TppDrawText>();
    highlight->SetRedrawPage(true);
    highlight->SetColor(HighlightColor());
    highlight->SetFont(m_drawText->Font());
    highlight->Font()->SetColor(HighlightTextColor());
    highlight->Font()->SetName(TppDeviceSubstitutions::SubstituteFont(m_drawText->Font()->Name()));
    highlight->SetText(m_occurrenceText);
    highlight->SetTransparent(Transparent());
    return highlight;
}

void TppDrawTextHighlighter::calculateSize(gfx::Canvas &aCanvas, const QString &aOccurrence)
{
    if (m_drawText->TextAlignment() == TppTextAlignment::taFullJustified)
        m_width = m_drawText->ScreenTextWidth();
    else
        m_width = highlighterToMM(aCanvas.TextWidth(aOccurrence));
    const bool italic = aCanvas.font().italic();
    m_width += ppRound((italic ? 750 : 100) * ScaleX());
    if (m_drawText->ScreenLineHeight() == 0)
        throw ESearchHighlightError(
            QStringLiteral("TppDrawTextHighlighter.CalculateSize: Must use a screen device to generate highlights."));
    m_height = m_drawText->ScreenLineHeight();
}

std::unique_ptr<TppDrawCommand> TppDrawTextHighlighter::CreateHighlight(TppDrawCommand *aDrawCommand,
                                                                        TppDrawCommandSearchInfo *aSearchInfo,
                                                                        const QString &aSearchText,
                                                                        gfx::Canvas *aCanvas)
{
    TppDrawCommandHighlighter::CreateHighlight(aDrawCommand, aSearchInfo, aSearchText, aCanvas);
    auto *drawText = dynamic_cast<TppDrawText *>(aDrawCommand);
    if (!drawText)
        throw ESearchHighlightError(
            QStringLiteral("TppDrawTextHighlighter.HighlightText: Must pass a TppDrawText object."));
    m_drawText = drawText;
    aSearchInfo->SetBackgroundColor(drawText->Color());
    aSearchInfo->SetTextColor(drawText->Font()->Color());

    HighlighterFontRestorer restorer(*aCanvas);
    gfx::Font font = drawText->Font()->Font();
    font.name = gfx::FaceName(TppDeviceSubstitutions::SubstituteFont(font.name.text()));
    if (drawText->ScreenFontHeight() == 0)
        throw ESearchHighlightError(
            QStringLiteral(
                "TppDrawTextHighlighter.CreateHighlight: Must use a screen device to generate highlights. ") +
            drawText->ClassType().ClassName());
    font.height = drawText->ScreenFontHeight();
    aCanvas->setFont(font);

    // The line, and the occurrence found again by its number in it.
    QString line;
    if (drawText->IsMemo()) {
        const int index = aSearchInfo->LineNo() - 1;
        if (index < 0 || index >= drawText->WrappedText()->Count())
            return nullptr;
        line = drawText->WrappedText()->Get(index);
    } else {
        line = drawText->Text();
    }
    int end = 0;
    int previousEnd = 0;
    for (int i = 0; i < aSearchInfo->OccurrenceNo(); ++i) {
        previousEnd = end;
        // A page changed since the search: nothing left to highlight.
        if (!FindOccurrence(line, aSearchText, end))
            return nullptr;
    }
    // The occurrence as written, which case folding may have made longer
    // or shorter than the search text.
    int length = int(aSearchText.size());
    int at = 0;
    const QString rest = line.mid(previousEnd);
    if (TppTextSearchToolboxRegistry::GetToolbox().FindText(rest, aSearchText, at, WholeWord(), CaseSensitive()))
        length = TppTextSearchToolbox::MatchedLength(rest, at, aSearchText, CaseSensitive());
    length = std::clamp(length, 0, end);
    m_occurrenceText = line.mid(end - length, length);
    const QString before = line.left(end - length);
    const QString after = line.mid(end);

    const TppTextSearchToolbox &toolbox = TppTextSearchToolboxRegistry::GetToolbox();
    const bool fullJustified = drawText->TextAlignment() == TppTextAlignment::taFullJustified;
    double left = 0;
    switch (drawText->TextAlignment()) {
    case TppTextAlignment::taLeftJustified: left = toolbox.TextWidth(*aCanvas, before); break;
    case TppTextAlignment::taRightJustified:
        left = ppRound(ppRound(highlighterToPixels(drawText->Width())) * ScaleX()) -
               toolbox.TextWidth(*aCanvas, m_occurrenceText) - toolbox.TextWidth(*aCanvas, after);
        break;
    case TppTextAlignment::taCentered: {
        const int widths = toolbox.TextWidth(*aCanvas, after) + toolbox.TextWidth(*aCanvas, m_occurrenceText) +
                           toolbox.TextWidth(*aCanvas, before);
        left = toolbox.TextWidth(*aCanvas, before) +
               ppRound((std::trunc(highlighterToPixels(drawText->ScreenTextWidth())) - widths) / 2.0 - 0.5);
        break;
    }
    case TppTextAlignment::taFullJustified: break;
    }
    m_leftOffset = highlighterToMM(left);
    calculateSize(*aCanvas, m_occurrenceText);

    m_leftOffset = ppRound(m_leftOffset / ScaleX());
    m_width = ppRound(m_width / ScaleX());
    m_height = ppRound(m_height / ScaleY());
    m_topOffset = drawText->IsMemo() ? (aSearchInfo->LineNo() - 1) * m_height : 0;

    std::unique_ptr<TppDrawText> highlight = NewHighlightText();
    if (!highlight)
        throw ESearchHighlightError(
            QStringLiteral("TppDrawTextHighlighter.Highlight: Cannot create a draw command to highligh the text."));
    if (fullJustified && drawText->IsMemo()) {
        // The whole line, spread as the line under it unless it ends its
        // paragraph.
        const QString markup = TppTextMarkups::NewLineMarkup();
        highlight->SetText(toolbox.ReplaceText(line, markup, QString(), !CaseSensitive(), true));
        m_leftOffset = 0;
        // The end mark follows the paragraph's last word without a blank:
        // as a whole word it would never be found there.
        int position = 0;
        if (!toolbox.FindText(line, markup, position, false, true))
            highlight->SetTextAlignment(TppTextAlignment::taFullJustified);
    }
    highlight->SetLeft(drawText->Left() + m_leftOffset);
    highlight->SetTop(drawText->Top() + m_topOffset);
    highlight->SetWidth(m_width);
    highlight->SetHeight(m_height);
    return highlight;
}

// ---- Rich text -------------------------------------------------------------------

TppDrawRichTextHighlighter::TppDrawRichTextHighlighter()
{
    SetHighlightColor(richHighlightBackColor);
    SetHighlightTextColor(richHighlightTextColor);
}

TppDrawRichTextHighlighter::~TppDrawRichTextHighlighter() = default;

richedit::RichEdit &TppDrawRichTextHighlighter::scratchRichEdit()
{
    if (!m_richEdit)
        m_richEdit = std::make_unique<richedit::RichEdit>();
    return *m_richEdit;
}

std::unique_ptr<TppDrawCommand> TppDrawRichTextHighlighter::CreateHighlight(TppDrawCommand *aDrawCommand,
                                                                            TppDrawCommandSearchInfo *aSearchInfo,
                                                                            const QString &aSearchText,
                                                                            gfx::Canvas *aCanvas)
{
    TppDrawCommandHighlighter::CreateHighlight(aDrawCommand, aSearchInfo, aSearchText, aCanvas);
    auto *richText = dynamic_cast<TppDrawRichText *>(aDrawCommand);
    if (!richText)
        throw ESearchHighlightError(QStringLiteral("TppDrawRichTextHighlighter.CreateHighlight: Must pass a "
                                                   "TppDrawRichText object to highlight, not a ") +
                                    aDrawCommand->ClassType().ClassName());
    richedit::RichEdit &edit = scratchRichEdit();
    highlighterLoad(edit, *richText, *aSearchInfo, aSearchText);
    aSearchInfo->SetTextColor(edit.SelAttributes().color);
    highlighterSetSelTextColor(edit, HighlightTextColor());
    // Without a back colour of its own the word shows the box's colour:
    // kept as 0, so that it gets that back rather than the white the
    // engine answers for any box that is not white.
    const bool ownBack = edit.SelAttributes().backColor != 0;
    bool plain = true;
    const rtl::TColor former = TppRTFEngine::SetSelBackColor(edit, HighlightColor(), plain);
    aSearchInfo->SetBackgroundColor(ownBack ? former : 0);
    highlighterStore(edit, *richText);
    return nullptr;
}

void TppDrawRichTextHighlighter::RemoveHighlight(TppDrawCommand *aDrawCommand, TppDrawCommandSearchInfo *aSearchInfo,
                                                 const QString &aSearchText)
{
    TppDrawCommandHighlighter::RemoveHighlight(aDrawCommand, aSearchInfo, aSearchText);
    auto *richText = dynamic_cast<TppDrawRichText *>(aDrawCommand);
    if (!richText || aSearchInfo->BackgroundColor() == rtl::TColor(-1))
        return;
    richedit::RichEdit &edit = scratchRichEdit();
    highlighterLoad(edit, *richText, *aSearchInfo, aSearchText);
    highlighterSetSelTextColor(edit, aSearchInfo->TextColor());
    // No back colour of its own: the command's colour showed through.
    const rtl::TColor back = aSearchInfo->BackgroundColor() == 0 ? richText->Color() : aSearchInfo->BackgroundColor();
    bool plain = true;
    TppRTFEngine::SetSelBackColor(edit, back, plain);
    highlighterStore(edit, *richText);
    aSearchInfo->SetBackgroundColor(rtl::TColor(-1));
    aSearchInfo->SetTextColor(rtl::TColor(-1));
}

} // namespace report
