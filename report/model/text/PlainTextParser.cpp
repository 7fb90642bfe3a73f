#include "report/model/text/PlainTextParser.h"

#include "report/model/text/TextMarkups.h"

#include <algorithm>

namespace report {

void TppPlainTextParser::SetText(const QString &aText)
{
    m_text = aText;
    m_position = 0;
    updateEnd();
}

void TppPlainTextParser::SetPosition(qsizetype aPosition)
{
    m_position = std::clamp<qsizetype>(aPosition, 0, m_text.size());
    updateEnd();
}

void TppPlainTextParser::updateEnd()
{
    const QString &text = m_text;
    m_endOfText = m_position >= text.size() || text[m_position] == TppTextMarkups::EndOfText();
}

QString TppPlainTextParser::NextToken()
{
    // Read only: the text is shared with the caller's, and indexing a
    // QString that may change would copy the whole of it on every call.
    const QString &text = m_text;
    const qsizetype start = m_position;
    qsizetype i = m_position;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c == TppTextMarkups::EndOfText())
            break;
        const bool blank = c == TppTextMarkups::Space() || c == TppTextMarkups::Tab();
        const bool markup = TppTextMarkups::IsNewLineAt(text, i);
        const bool lineEnd = c == TppTextMarkups::CarriageReturn() || c == TppTextMarkups::LineFeed() || markup;
        if (!blank && !lineEnd) {
            ++i;
            if (m_maxWordLength > 0 && i - start >= m_maxWordLength) {
                // A piece never ends between the halves of a surrogate pair.
                if (i < n && text[i - 1].isHighSurrogate() && text[i].isLowSurrogate())
                    ++i;
                break;
            }
            continue;
        }
        if (i > start) // the word ends here; the delimiter is read next time
            break;
        if (blank) {
            m_position = i + 1;
            updateEnd();
            return QString(c);
        }
        if (markup)
            m_position = i + 2;
        else if (c == TppTextMarkups::CarriageReturn() && i + 1 < n && text[i + 1] == TppTextMarkups::LineFeed())
            m_position = i + 2;
        else
            m_position = i + 1;
        updateEnd();
        return TppTextMarkups::NewLine();
    }
    m_position = i;
    updateEnd();
    return text.mid(start, i - start);
}

} // namespace report
