#pragma once

// The text services of the search: word separators, whole-word matching,
// the line height a text command is searched with and text widths as the
// screen draws them. One toolbox class is in use at a time; an application
// may register a descendant to change how text is matched.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace gfx {
class Canvas;
}

namespace richedit {
class RichEdit;
}

namespace report {

class TppDrawText;

class TppTextSearchToolbox
{
public:
    virtual ~TppTextSearchToolbox();

    static QString ClassName() { return QStringLiteral("TppTextSearchToolbox"); }

    // The thirty one-character separators; the space first, which also
    // stands for the outside of a text.
    virtual void BuildWordSeparators(QStringList &aList) const;
    // Thousandths of a millimetre: the line height of aDrawText at the
    // vertical scale aScale on aCanvas; lines that nearly fill the draw
    // rectangle are spread to fill it, as the screen draws them.
    virtual int CalculateLineHeight(const TppDrawText &aDrawText, gfx::Canvas *aCanvas, double aScale) const;
    // Pixels of aText on the canvas's font, new-line markups left out.
    virtual int TextWidth(const gfx::Canvas &aCanvas, const QString &aText) const;
    // The 1-based position of the first match in aText, 0 for none. Whole
    // words only when asked and the search text is no separator itself;
    // without case sensitivity both texts compare by full Unicode case
    // folding, so the match may be longer or shorter than the search text
    // (MatchedLength).
    virtual bool FindText(const QString &aText, const QString &aSearchText, int &aPosition, bool aWholeWord,
                          bool aCaseSensitive) const;
    // The rich edit's own find: the 0-based position or -1.
    virtual int RichEditFindText(const richedit::RichEdit &aRichEdit, const QString &aText, int aStart, int aLength,
                                 int aOptions) const;
    virtual QString ReplaceText(const QString &aText, const QString &aOldText, const QString &aNewText,
                                bool aIgnoreCase, bool aReplaceAll) const;

    // aText by full Unicode case folding; aOrigin, when given, receives for
    // each character of the result the index in aText of the one it came
    // from.
    static QString FoldCase(const QString &aText, std::vector<qsizetype> *aOrigin = nullptr);
    // How many characters of aText, from the 1-based aPosition on, a match
    // of aSearchText found there covers.
    static int MatchedLength(const QString &aText, int aPosition, const QString &aSearchText, bool aCaseSensitive);
};

class TppTextSearchToolboxRegistry
{
public:
    using Factory = std::function<std::unique_ptr<TppTextSearchToolbox>()>;

    template <class T>
    static void Register()
    {
        Register([] { return std::unique_ptr<TppTextSearchToolbox>(new T()); });
    }
    static void Register(Factory aFactory);
    // Back to the standard toolbox.
    static void UnRegister();
    // The registered toolbox; the separators are built on the first call.
    static const TppTextSearchToolbox &GetToolbox();
    static const QStringList &WordSeparators();
};

} // namespace report
