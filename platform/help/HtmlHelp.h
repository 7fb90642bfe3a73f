#pragma once

// The help system's two entry points, served by the help viewer: the
// compiled-help calls and the classic help calls. Both find the book of a help
// file (see HelpBook.h), keep one viewer window per book and show context
// pop-ups. Tests stand in for either entry point, as the message box has its sink.

#include "platform/help/HelpCommands.h"
#include "platform/rtl/ScopedOverride.h"

#include <functional>
#include <optional>

class QWidget;

namespace help {

class HelpViewer;

using HtmlHelpFunction =
    std::function<QWidget *(QWidget *caller, const QString &path, HtmlHelpCommand command, const HtmlHelpArg &arg)>;
using WinHelpFunction =
    std::function<bool(QWidget *window, const QString &file, uint16_t command, const HelpData &data)>;

// Whether compiled help can be shown: a GUI application runs, or a test
// installed an entry point.
bool htmlHelpAvailable();
// The window that shows the help (viewer or pop-up), or null: unavailable, an
// unknown book or context, or a command that opens no window.
QWidget *htmlHelp(QWidget *caller, const QString &path, HtmlHelpCommand command, const HtmlHelpArg &arg = {});
// True when the command was carried out.
bool winHelp(QWidget *window, const QString &file, uint16_t command, const HelpData &data = {});

// Stand-ins for the entry points; an empty function makes the entry point
// unavailable.
using ScopedHtmlHelpEntry = rtl::ScopedOverride<struct HtmlHelpEntryTag, HtmlHelpFunction>;
using ScopedWinHelpEntry = rtl::ScopedOverride<struct WinHelpEntryTag, WinHelpFunction>;

// The viewer's own calls, under the entry points.
QWidget *viewerHtmlHelp(QWidget *caller, const QString &path, HtmlHelpCommand command, const HtmlHelpArg &arg);
bool viewerWinHelp(QWidget *window, const QString &file, uint16_t command, const HelpData &data);

// The open viewer of a help file's book, or null.
HelpViewer *viewerFor(const QString &helpFile);
// The pop-up on show, or null.
QWidget *currentPopup();
// Shows a text pop-up with its top left corner at the point (moved into the
// screen when it would stick out).
QWidget *showPopup(const QPoint &point, const QString &text);
// Closes every viewer and pop-up.
void closeAllHelp();

} // namespace help
