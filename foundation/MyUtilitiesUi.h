#pragma once

// The user-interface part of the unit MyUtilities: the message box every
// message of the program goes through, window placement within the work area,
// links, help, clipboard commands for the focused control and small list and
// combo-box helpers. Everything here runs on the GUI thread.

#include "platform/rtl/ScopedOverride.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <string>

class QComboBox;
class QPixmap;
class QString;
class QTreeWidget;
class QWidget;

namespace foundation {

// 'S'/'s' stop, '!' warning, '?' yes/no question, 'D'/'d' yes/no warning,
// any other letter information.
using MessageKind = char;

// The button pressed (shell::IDOK, IDYES or IDNO). The caption is "Zarvello"
// when empty. The owner is the form when it is given and showing, else the
// main window.
int ShowMessageBox(QWidget *owner, const std::string &text, MessageKind kind = 'i',
                   const std::string &caption = std::string());
// A text that names what the program's code page cannot hold: a file name
// or the system's own wording.
int ShowMessageBox(QWidget *owner, const QString &text, MessageKind kind = 'i',
                   const std::string &caption = std::string());
inline int ShowMessageBox(QWidget *owner, const char *text, MessageKind kind = 'i',
                          const std::string &caption = std::string())
{
    return ShowMessageBox(owner, std::string(text), kind, caption);
}

// The show command of OpenURL (the platform's SW_SHOWNORMAL); Linux desktops
// decide for themselves how to show the program they start.
constexpr int SW_SHOWNORMAL = 1;

// Bounds of -1 are not set; a size of 0 keeps the form's size.
void SetFormBounds(QWidget *form, int left, int top, int width, int height);
// Centres the form over the control, or within the placement area without one.
void CenterForm(QWidget *form, QWidget *control = nullptr);

// The desktop work area; the zero rectangle when unknown.
rtl::TRect GetWorkArea();

// The area windows are placed in: the work area's size when known, else the
// screen less 32 pixels of height for the panel. Its origin is (0, 0).
rtl::TSize PlacementArea(const rtl::TRect &workArea, const rtl::TSize &screen);
// Where SetFormBounds puts a form whose current bounds are `current`.
rtl::TRect CalcFormBounds(const rtl::TRect &current, int left, int top, int width, int height, const rtl::TSize &area);
// Where CenterForm puts a form of `size` over a control (or the area when
// `control` is null).
rtl::TPoint CalcCenteredPosition(const rtl::TSize &size, const rtl::TRect *control, const rtl::TSize &area);

// A random integer from a to b inclusive; b when a > b.
int RandomRange(int a, int b);

void OpenURL(const std::string &url, int showCommand = SW_SHOWNORMAL);

// The text of a web address the user typed, as the program keeps it. A host
// or path in a script without a single-byte form comes back in its ASCII
// form (Punycode host, percent-encoded path), with or without the scheme as
// typed; any other text as it stands.
std::string TypedAddress(const QString &typed);

// The help viewer is reached through a handler the help router installs
// while it lives; the topic is empty for the contents, and a close request
// closes every viewer.
struct HelpHandler
{
    std::function<void(const std::string &topic)> showTopic;
    std::function<void()> close;
};
using ScopedHelpHandler = rtl::ScopedOverride<struct HelpHandlerTag, HelpHandler>;
void ShowContentsHelp();
void ShowHelpKeyword(const std::string &topic);
void CloseHelp();

// Clipboard and selection commands to the control with the keyboard focus.
void EditCopy();
void EditCut();
void EditPaste();
void EditUndo();
void EditSelectAll();

// Removes the selection of a line or text edit and hides its caret.
void HideEditSelection(QWidget *control);

void DeleteSelectedListItem(QTreeWidget *listView);
// Selects the first row whose caption begins with the text, regardless of case.
void SelectListItemByCaption(QTreeWidget *listView, const std::string &text);
// Selects the item equal to the text (case counts), or none.
void SelectComboBoxItem(QComboBox *comboBox, const std::string &text);

// The application's main window: the one registered, else the first
// top-level QMainWindow; null when there is none.
QWidget *GetMainForm();
void SetMainForm(QWidget *form);

// True when a debugger is attached to the program or ZVO_DEVELOPER is set.
bool IsDevelopmentEnvironmentRunning();

// A picture the program keeps beside itself, read as its text files are
// (ReadTextFile), so that a pipe or a device in its place cannot hold up the
// start; empty when it cannot be read or decoded. The format is guessed from
// the content when none is given.
QPixmap LoadPictureFile(const std::string &fileName, const char *format = nullptr);

} // namespace foundation
