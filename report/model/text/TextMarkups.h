#pragma once

// The vocabulary of plain report text: the control characters the wrapper
// reacts to and the two-character markup that forces a line break.

#include <QChar>
#include <QString>
#include <QStringView>

namespace report {

class TppTextMarkups
{
public:
    static constexpr QChar Tab() { return QChar(9); }
    static constexpr QChar CarriageReturn() { return QChar(13); }
    static constexpr QChar LineFeed() { return QChar(10); }
    static constexpr QChar EndOfText() { return QChar(0); }
    static constexpr QChar Space() { return QChar(32); }
    static QString NewLine() { return QStringLiteral("\r\n"); }
    // "$" followed by the pilcrow.
    static QString NewLineMarkup() { return QStringLiteral("$\u00B6"); }
    static bool IsNewLineAt(QStringView text, qsizetype index)
    {
        return index + 1 < text.size() && text[index] == u'$' && text[index + 1] == QChar(0x00B6);
    }
};

} // namespace report
