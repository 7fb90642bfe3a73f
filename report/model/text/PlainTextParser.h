#pragma once

// Splits plain text into the tokens the wrapper lays out: a word, one space,
// one tab or one line break ("\r\n" whatever the break looked like).

#include <QString>

namespace report {

class TppPlainTextParser
{
public:
    void SetText(const QString &aText);
    const QString &Text() const { return m_text; }
    // The number of characters consumed; the next token starts after them.
    // Values outside the text are pulled to its ends.
    void SetPosition(qsizetype aPosition);
    qsizetype Position() const { return m_position; }
    // Set once the text (or a NUL character, which ends it) is reached.
    bool EndOfText() const { return m_endOfText; }
    // The next token, or an empty string at the end of the text.
    QString NextToken();
    // Words longer than this come in pieces of at most this many characters
    // (0: whole), so that a text of one endless word is not read to its end
    // for every line it fills.
    void SetMaxWordLength(qsizetype aLength) { m_maxWordLength = aLength; }
    // What NextToken answers for every kind of line break.
    static bool IsLineBreak(const QString &aToken) { return aToken.size() == 2 && aToken[0] == QChar(13); }

private:
    void updateEnd();

    QString m_text;
    qsizetype m_position = 0;
    bool m_endOfText = true;
    qsizetype m_maxWordLength = 0;
};

} // namespace report
