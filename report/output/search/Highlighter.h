#pragma once

// Highlighters turn an occurrence into something drawn over the page: a new
// draw command laid over it, or a change of the draw command itself. Which
// highlighter serves a draw command is registered per draw-command class;
// the most derived registered class of a command decides, and every
// highlighter class has one instance that all searches share.

#include "platform/rtl/Colors.h"

#include <QString>

#include <functional>
#include <memory>

namespace classes {
class TMetaClass;
}

namespace gfx {
class Canvas;
}

namespace report {

class TppDrawCommand;
class TppDrawCommandSearchInfo;

class TppDrawCommandHighlighter
{
public:
    TppDrawCommandHighlighter();
    virtual ~TppDrawCommandHighlighter();
    TppDrawCommandHighlighter(const TppDrawCommandHighlighter &) = delete;
    TppDrawCommandHighlighter &operator=(const TppDrawCommandHighlighter &) = delete;

    // A new draw command that paints the highlight, or nullptr when the
    // highlighter changed aDrawCommand itself (or has nothing to add). The
    // base checks the arguments only.
    virtual std::unique_ptr<TppDrawCommand> CreateHighlight(TppDrawCommand *aDrawCommand,
                                                            TppDrawCommandSearchInfo *aSearchInfo,
                                                            const QString &aSearchText, gfx::Canvas *aCanvas);
    // Undoes a highlight made inside the draw command, with the colours the
    // search info kept.
    virtual void RemoveHighlight(TppDrawCommand *aDrawCommand, TppDrawCommandSearchInfo *aSearchInfo,
                                 const QString &aSearchText);

    // The screen device's scale factors.
    double ScaleX() const { return m_scaleX; }
    void SetScaleX(double aValue) { m_scaleX = aValue; }
    double ScaleY() const { return m_scaleY; }
    void SetScaleY(double aValue) { m_scaleY = aValue; }
    rtl::TColor HighlightColor() const { return m_highlightColor; }
    void SetHighlightColor(rtl::TColor aValue) { m_highlightColor = aValue; }
    rtl::TColor HighlightTextColor() const { return m_highlightTextColor; }
    void SetHighlightTextColor(rtl::TColor aValue) { m_highlightTextColor = aValue; }
    // Copied from the search settings before each use.
    bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool aValue) { m_caseSensitive = aValue; }
    bool WholeWord() const { return m_wholeWord; }
    void SetWholeWord(bool aValue) { m_wholeWord = aValue; }
    // Whether a highlight command lets the page show through.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool aValue) { m_transparent = aValue; }

private:
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    rtl::TColor m_highlightColor;
    rtl::TColor m_highlightTextColor;
    bool m_caseSensitive = false;
    bool m_wholeWord = false;
    bool m_transparent = false;
};

// A highlighter class: its name and how to make its instance.
class TppDrawCommandHighlighterClass
{
public:
    using Factory = std::function<std::unique_ptr<TppDrawCommandHighlighter>()>;
    TppDrawCommandHighlighterClass(QString aClassName, Factory aFactory);

    const QString &ClassName() const { return m_className; }
    std::unique_ptr<TppDrawCommandHighlighter> Create() const { return m_factory(); }

private:
    QString m_className;
    Factory m_factory;
};

// The one description of highlighter class T, named by T::ClassName().
template <class T>
const TppDrawCommandHighlighterClass &ppHighlighterClass()
{
    static const TppDrawCommandHighlighterClass highlighterClass(
        T::ClassName(), [] { return std::unique_ptr<TppDrawCommandHighlighter>(new T()); });
    return highlighterClass;
}

class TppDrawCommandHighlightRegistry
{
public:
    static void Register(const classes::TMetaClass &aDrawCommandClass,
                         const TppDrawCommandHighlighterClass &aHighlighterClass);
    // Removes the registration of aHighlighterClass that fits
    // aDrawCommandClass best (its own, else its nearest ancestor's).
    static void UnRegister(const classes::TMetaClass &aDrawCommandClass,
                           const TppDrawCommandHighlighterClass &aHighlighterClass);
    // A registration for the class itself or for an ancestor.
    static bool IsRegistered(const classes::TMetaClass &aDrawCommandClass);
    // The shared highlighter for the command's class; ESearchError when
    // none is registered.
    static TppDrawCommandHighlighter *GetHighlighter(const TppDrawCommand *aDrawCommand);
    // Frees the list and the shared instances.
    static void Clear();
};

} // namespace report
