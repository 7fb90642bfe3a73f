#include "platform/richedit/RichEdit.h"

#include "platform/richedit/RtfReader.h"
#include "platform/richedit/RtfWriter.h"

#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace richedit {

namespace {

rtl::TColor richEditColor(const QColor &color)
{
    return rtl::TColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

QColor richEditQColor(rtl::TColor color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

bool richEditWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

QTextCharFormat PlainTextFormat()
{
    QTextCharFormat format;
    format.setFontFamilies(QStringList{QStringLiteral("Arial")});
    format.setFontPointSize(10);
    return format;
}

RichEdit::RichEdit()
    : m_document(std::make_unique<QTextDocument>())
{
    m_document->setUndoRedoEnabled(false);
    m_document->setDocumentMargin(0);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(10);
    m_document->setDefaultFont(font);
    QObject::connect(m_document.get(), &QTextDocument::contentsChange, [this] { m_layoutCache.reset(); });
}

RichEdit::~RichEdit() = default;

void RichEdit::BeginUpdate()
{
    if (m_updates++ > 0)
        return;
    m_updateCursor = std::make_unique<QTextCursor>(m_document.get());
    m_updateCursor->beginEditBlock();
}

void RichEdit::EndUpdate()
{
    if (m_updates == 0 || --m_updates > 0)
        return;
    m_updateCursor->endEditBlock();
    m_updateCursor.reset();
}

void RichEdit::Clear()
{
    m_layoutCache.reset();
    m_document->clear();
    m_selStart = m_selLength = 0;
}

void RichEdit::LoadFromBytes(const QByteArray &data)
{
    m_layoutCache.reset();
    m_selStart = m_selLength = 0;
    if (IsRtf(data)) {
        ReadRtf(data, *m_document);
        return;
    }
    SetText(PlainTextOf(data));
}

QString RichEdit::PlainTextOf(const QByteArray &data)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(data);
    if (utf8.hasError()) {
        QStringDecoder ansi("windows-1252");
        text = ansi.isValid() ? ansi.decode(data) : QString::fromLatin1(data);
    }
    return text;
}

QByteArray RichEdit::SaveToBytes() const
{
    return WriteRtf(*m_document);
}

QString RichEdit::Text() const
{
    QString text = m_document->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void RichEdit::SetText(const QString &text)
{
    m_document->clear();
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(u'\r', u'\n');
    QTextCursor cursor(m_document.get());
    cursor.insertText(normal, PlainTextFormat());
    m_selStart = m_selLength = 0;
}

int RichEdit::TextLength() const
{
    return m_document->characterCount() - 1;
}

QStringList RichEdit::Lines() const
{
    QStringList lines;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}

void RichEdit::SetLines(const QStringList &lines)
{
    SetText(lines.join(u'\n'));
}

void RichEdit::clampSelection()
{
    const int length = TextLength();
    m_selStart = std::clamp(m_selStart, 0, length);
    m_selLength = std::clamp(m_selLength, 0, length - m_selStart);
}

void RichEdit::SetSelStart(int value)
{
    m_selStart = value;
    m_selLength = 0;
    clampSelection();
}

void RichEdit::SetSelLength(int value)
{
    m_selLength = value;
    clampSelection();
}

QString RichEdit::SelText() const
{
    QTextCursor cursor(m_document.get());
    cursor.setPosition(m_selStart);
    cursor.setPosition(m_selStart + m_selLength, QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void RichEdit::SetSelText(const QString &text)
{
    clampSelection();
    QTextCursor cursor(m_document.get());
    cursor.setPosition(std::min(m_selStart + 1, TextLength()));
    const QTextCharFormat format = m_selStart < TextLength() ? cursor.charFormat() : PlainTextFormat();
    cursor.setPosition(m_selStart);
    cursor.setPosition(m_selStart + m_selLength, QTextCursor::KeepAnchor);
    cursor.insertText(text, format);
    m_selStart += int(text.size());
    m_selLength = 0;
    clampSelection();
}

TextAttributes RichEdit::SelAttributes() const
{
    QTextCursor cursor(m_document.get());
    // The format of the first selected character, as the control reports it.
    cursor.setPosition(std::min(m_selStart + 1, TextLength()));
    const QTextCharFormat format = cursor.charFormat();
    TextAttributes attributes;
    const QStringList families = format.fontFamilies().toStringList();
    attributes.name = families.isEmpty() ? m_document->defaultFont().family() : families.first();
    attributes.size = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize()
                                                                     : m_document->defaultFont().pointSizeF();
    attributes.bold = format.fontWeight() >= QFont::Bold;
    attributes.italic = format.fontItalic();
    attributes.underline = format.fontUnderline();
    attributes.strikeOut = format.fontStrikeOut();
    attributes.color =
        format.hasProperty(QTextFormat::ForegroundBrush) ? richEditColor(format.foreground().color()) : 0;
    attributes.backColor =
        format.hasProperty(QTextFormat::BackgroundBrush) ? richEditColor(format.background().color()) : 0;
    return attributes;
}

void RichEdit::SetSelAttributes(const TextAttributes &attributes)
{
    QTextCharFormat format;
    if (!attributes.name.isEmpty())
        format.setFontFamilies(QStringList{attributes.name});
    if (attributes.size > 0)
        format.setFontPointSize(attributes.size);
    format.setFontWeight(attributes.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(attributes.italic);
    format.setFontUnderline(attributes.underline);
    format.setFontStrikeOut(attributes.strikeOut);
    format.setForeground(richEditQColor(attributes.color));
    if (attributes.backColor != 0)
        format.setBackground(richEditQColor(attributes.backColor));
    QTextCursor cursor(m_document.get());
    cursor.setPosition(m_selStart);
    cursor.setPosition(m_selStart + m_selLength, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(format);
    if (attributes.backColor == 0) {
        // No back colour is the format without one, not black.
        const int end = m_selStart + m_selLength;
        QList<std::pair<int, int>> runs;
        for (QTextBlock block = m_document->findBlock(m_selStart); block.isValid() && block.position() < end;
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const int from = std::max(it.fragment().position(), m_selStart);
                const int to = std::min(it.fragment().position() + it.fragment().length(), end);
                if (from < to)
                    runs.append({from, to});
            }
        }
        for (const auto &[from, to] : runs) {
            cursor.setPosition(from + 1);
            QTextCharFormat run = cursor.charFormat();
            run.clearBackground();
            cursor.setPosition(from);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            cursor.setCharFormat(run);
        }
    }
}

ParagraphAttributes RichEdit::Paragraph() const
{
    const QTextBlockFormat format = m_document->findBlock(m_selStart).blockFormat();
    ParagraphAttributes attributes;
    attributes.alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    attributes.firstIndent = format.textIndent();
    attributes.leftIndent = format.leftMargin();
    attributes.rightIndent = format.rightMargin();
    for (const QTextOption::Tab &tab : format.tabPositions())
        attributes.tabs.append(tab.position);
    return attributes;
}

void RichEdit::SetParagraph(const ParagraphAttributes &attributes)
{
    QTextCursor cursor(m_document.get());
    cursor.setPosition(m_selStart);
    cursor.setPosition(m_selStart + m_selLength, QTextCursor::KeepAnchor);
    QTextBlockFormat format;
    format.setAlignment(attributes.alignment);
    format.setTextIndent(attributes.firstIndent);
    format.setLeftMargin(attributes.leftIndent);
    format.setRightMargin(attributes.rightIndent);
    QList<QTextOption::Tab> tabs;
    for (const double position : attributes.tabs)
        tabs.append(QTextOption::Tab(position, QTextOption::LeftTab));
    format.setTabPositions(tabs);
    cursor.mergeBlockFormat(format);
}

int RichEdit::FindText(const QString &text, int start, int length, FindOptions options) const
{
    if (text.isEmpty())
        return -1;
    const int size = TextLength();
    const int from = std::clamp(start, 0, size);
    const int end = length < 0 ? size : int(std::min<qint64>(size, qint64(from) + length));
    if (text.contains(u'\n')) {
        // Across paragraphs only the whole text can tell.
        const QString all = Text();
        const Qt::CaseSensitivity cs = (options & int(FindOption::MatchCase)) ? Qt::CaseSensitive : Qt::CaseInsensitive;
        for (qsizetype at = all.indexOf(text, from, cs); at >= 0 && at + text.size() <= end;
             at = all.indexOf(text, at + 1, cs)) {
            if (options & int(FindOption::WholeWord)) {
                const bool before = at > 0 && richEditWordChar(all[at - 1]);
                const bool after = at + text.size() < all.size() && richEditWordChar(all[at + text.size()]);
                if (before || after)
                    continue;
            }
            return int(at);
        }
        return -1;
    }
    QTextDocument::FindFlags flags;
    if (options & int(FindOption::MatchCase))
        flags |= QTextDocument::FindCaseSensitively;
    if (options & int(FindOption::WholeWord))
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor found = m_document->find(text, from, flags);
    if (found.isNull() || found.selectionEnd() > end)
        return -1;
    return found.selectionStart();
}

} // namespace richedit
