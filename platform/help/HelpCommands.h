#pragma once

// The two help protocols the program speaks: the classic help commands
// (contents, context, keyword, quit, context pop-up) and the commands of the
// compiled HTML help. Both are served by the help viewer of this layer.

#include <QColor>
#include <QMargins>
#include <QPoint>
#include <QString>

#include <cstdint>

namespace help {

// The classic help commands in the platform's numbering; the program's help
// requests carry these numbers from the requester to the router.
enum : uint16_t {
    HELP_CONTEXT = 1,
    HELP_QUIT = 2,
    HELP_CONTENTS = 3,
    HELP_CONTEXTPOPUP = 8,
    HELP_FINDER = 11,
    HELP_SETPOPUP_POS = 13,
    HELP_TAB = 15,
    HELP_KEY = 257,
    HELP_COMMAND = 258,
    HELP_PARTIALKEY = 261,
};

// The argument of a help command: a context number (or HELP_TAB's flag), a
// keyword or macro, or a screen position, depending on the command.
struct HelpData
{
    int64_t number = 0;
    QString text;
    QPoint point;

    HelpData() = default;
    HelpData(int64_t n)
        : number(n)
    {}
    HelpData(const QString &t)
        : text(t)
    {}
    HelpData(const QPoint &p)
        : point(p)
    {}
};

enum class HtmlHelpCommand {
    DisplayTopic,     // the page named in the path, or the default page
    DisplayToc,       // the contents
    DisplayIndex,     // the keyword index, at the keyword given
    DisplayTextPopup, // a small text window at a point
    HelpContext,      // the page mapped to a context number
    CloseAll,         // every help window
};

// What a text pop-up shows and where.
struct HtmlHelpPopup
{
    int stringId = 0; // a pop-up text of the topics file; 0 = use `text`
    QString text;
    QPoint point;      // screen position of the pop-up's top left corner
    QColor foreground; // invalid = default
    QColor background; // invalid = default
    QMargins margins{-1, -1, -1, -1};
    QString font; // "face, size" as asked; the viewer keeps the desktop's pop-up font
};

struct HtmlHelpArg
{
    int64_t context = 0; // HelpContext
    QString keyword;     // DisplayIndex
    HtmlHelpPopup popup; // DisplayTextPopup
};

} // namespace help
