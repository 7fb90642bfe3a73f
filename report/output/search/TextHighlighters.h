#pragma once

// The highlighters of text. A plain-text occurrence gets a new text command
// laid over it in the highlight colours, placed from what the screen
// device recorded when it drew the text; a rich-text occurrence is coloured
// inside the rich text itself, and the colours it had are kept in the
// occurrence to put them back.

#include "report/output/search/Highlighter.h"

#include "report/model/base/Types.h"

#include <cstdint>

namespace richedit {
class RichEdit;
}

namespace report {

class TppDrawText;

class TppDrawTextHighlighter : public TppDrawCommandHighlighter
{
public:
    static QString ClassName() { return QStringLiteral("TppDrawTextHighlighter"); }

    std::unique_ptr<TppDrawCommand> CreateHighlight(TppDrawCommand *aDrawCommand, TppDrawCommandSearchInfo *aSearchInfo,
                                                    const QString &aSearchText, gfx::Canvas *aCanvas) override;

    // The highlight command over the occurrence, placed by the caller.
    virtual std::unique_ptr<TppDrawText> NewHighlightText();
    // Finds the next occurrence in aLine behind aEndPosition (0-based, the
    // end of the previous one) and moves aEndPosition to its end.
    virtual bool FindOccurrence(const QString &aLine, const QString &aSearchText, int &aEndPosition) const;

    // What the last highlight was made from, thousandths of a millimetre.
    TppDrawText *DrawText() const { return m_drawText; }
    const QString &OccurrenceText() const { return m_occurrenceText; }
    int32_t LeftOffset() const { return m_leftOffset; }
    int32_t TopOffset() const { return m_topOffset; }
    int32_t HighlightWidth() const { return m_width; }
    int32_t HighlightHeight() const { return m_height; }

private:
    void calculateSize(gfx::Canvas &aCanvas, const QString &aOccurrence);

    TppDrawText *m_drawText = nullptr;
    QString m_occurrenceText;
    int32_t m_leftOffset = 0;
    int32_t m_topOffset = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
};

class TppDrawTextSelectionHighlighter : public TppDrawTextHighlighter
{
public:
    static QString ClassName() { return QStringLiteral("TppDrawTextSelectionHighlighter"); }
};

class TppDrawRichTextHighlighter : public TppDrawCommandHighlighter
{
public:
    TppDrawRichTextHighlighter();
    ~TppDrawRichTextHighlighter() override;

    static QString ClassName() { return QStringLiteral("TppDrawRichTextHighlighter"); }

    // Colours the occurrence inside the command and answers nullptr.
    std::unique_ptr<TppDrawCommand> CreateHighlight(TppDrawCommand *aDrawCommand, TppDrawCommandSearchInfo *aSearchInfo,
                                                    const QString &aSearchText, gfx::Canvas *aCanvas) override;
    void RemoveHighlight(TppDrawCommand *aDrawCommand, TppDrawCommandSearchInfo *aSearchInfo,
                         const QString &aSearchText) override;

private:
    richedit::RichEdit &scratchRichEdit();

    std::unique_ptr<richedit::RichEdit> m_richEdit;
};

} // namespace report
