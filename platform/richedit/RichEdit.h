#pragma once

// A rich-edit control without a window: a QTextDocument with the control's
// text, selection, attributes, search and loading. Every position counts one
// per character and one per paragraph break, and Text() holds a paragraph
// break as one "\n", so positions found in it are positions of the control.

#include "platform/rtl/Colors.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextOption>

#include <memory>

class QTextDocument;
class QTextCharFormat;
class QTextCursor;

namespace richedit {

struct TextAttributes
{
    QString name;
    double size = 0; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    rtl::TColor color = 0;
    rtl::TColor backColor = 0; // 0: none
};

struct ParagraphAttributes
{
    Qt::Alignment alignment = Qt::AlignLeft;
    // Pixels at 96 per inch.
    double firstIndent = 0;
    double leftIndent = 0;
    double rightIndent = 0;
    QList<double> tabs;
};

enum class FindOption { WholeWord = 1, MatchCase = 2 };
using FindOptions = int;

class RichEdit
{
public:
    RichEdit();
    ~RichEdit();
    RichEdit(const RichEdit &) = delete;
    RichEdit &operator=(const RichEdit &) = delete;

    QTextDocument &Document() const { return *m_document; }

    // RTF when the data begins "{\rtf", else plain text as PlainTextOf reads it.
    void LoadFromBytes(const QByteArray &data);
    // Plain text's bytes: UTF-8 when they are valid UTF-8, else Windows-1252.
    static QString PlainTextOf(const QByteArray &data);
    QByteArray SaveToBytes() const;
    void Clear();

    QString Text() const;
    void SetText(const QString &text);
    int TextLength() const;
    QStringList Lines() const;
    void SetLines(const QStringList &lines);

    int SelStart() const { return m_selStart; }
    void SetSelStart(int value);
    int SelLength() const { return m_selLength; }
    void SetSelLength(int value);
    QString SelText() const;
    // Replaces the selection, in the format of its first character.
    void SetSelText(const QString &text);
    TextAttributes SelAttributes() const;
    void SetSelAttributes(const TextAttributes &attributes);
    // The attributes of the paragraph the selection starts in.
    ParagraphAttributes Paragraph() const;
    void SetParagraph(const ParagraphAttributes &attributes);

    // Always searches forward from start, within length characters (all of
    // the rest when length < 0); the position found, or -1.
    int FindText(const QString &text, int start, int length, FindOptions options) const;

    // Many changes in a row: the document is laid out again once, at the end.
    void BeginUpdate();
    void EndUpdate();

    rtl::TColor Color() const { return m_color; }
    void SetColor(rtl::TColor value) { m_color = value; }

    // What a layout engine keeps of this text between its calls. Any change
    // of the text or its formats drops it, so the engine never works from a
    // stale copy.
    struct LayoutCache
    {
        virtual ~LayoutCache() = default;
    };
    LayoutCache *CachedLayout() const { return m_layoutCache.get(); }
    void SetCachedLayout(std::unique_ptr<LayoutCache> cache) { m_layoutCache = std::move(cache); }

private:
    void clampSelection();

    std::unique_ptr<QTextDocument> m_document;
    std::unique_ptr<QTextCursor> m_updateCursor;
    int m_updates = 0;
    int m_selStart = 0;
    int m_selLength = 0;
    rtl::TColor m_color = 0xFFFFFF;
    std::unique_ptr<LayoutCache> m_layoutCache;
};

// The character format plain text takes in a rich edit.
QTextCharFormat PlainTextFormat();

} // namespace richedit
