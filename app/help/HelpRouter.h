#pragma once

// THelpRouter takes over the application's help requests and sends them to
// the compiled help or to the classic help, so that the rest of the program
// keeps issuing the classic help commands (contents, context, keyword, quit,
// context pop-up) while its help is compiled help. There is one router per
// program; the main window owns it.

#include "app/help/ApplicationHelp.h"
#include "foundation/MyUtilitiesUi.h"

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace app {

enum class THelpType { htWinhelp, htHTMLhelp, htMixedMode };
enum class TShowType { stDefault, stMain, stPopup };

using THelpEvent = std::function<bool(uint16_t Command, const help::HelpData &Data, bool &CallHelp)>;

class THelpRouter : public QObject
{
    Q_OBJECT

public:
    // Raises rtl::Exception "Multiple instances of THelpRouter are not
    // allowed" when a router exists already.
    explicit THelpRouter(QObject *Owner = nullptr);
    ~THelpRouter() override;

    static THelpRouter *Instance();

    THelpType HelpType() const { return m_helpType; }
    void SetHelpType(THelpType Value);

    TShowType ShowType = TShowType::stDefault;
    // Empty: the application's help file, or the active form's.
    std::string Helpfile;
    std::string CHMPopupTopics = "CSHelp.txt";
    THelpEvent OnHelp;
    bool ValidateID = false;

    // The application's help handler while the router lives.
    bool RouteHelpRequest(uint16_t Command, const help::HelpData &Data, bool &CallHelp);
    // Shows a named topic; an empty file is the router's help file, an empty
    // topic the file's default page.
    bool JumpToTopic(const std::string &File, const std::string &Topic);
    bool ShowTextPopup(int X, int Y, const std::string &Text, int ContextId);

    // The help file requests go to: Helpfile, else the application's, unless
    // the active form names one of its own (its "HelpFile" property). The
    // window is that form, else the main window.
    std::string CurrentHelpFile(QWidget **Window = nullptr) const;

    // Where the next context pop-up shows; unset: at the mouse.
    std::optional<QPoint> PendingPopupPosition() const { return m_popupPos; }

private:
    bool RouteToHtmlHelp(uint16_t Command, const help::HelpData &Data, const std::string &File, QWidget *Window,
                         bool &CallHelp, bool &Result);

    THelpType m_helpType = THelpType::htWinhelp;
    TApplicationHelpHandler m_previousHandler;
    std::optional<foundation::ScopedHelpHandler> m_helpHandler;
    std::optional<QPoint> m_popupPos;
};

// Cleans a topic name for a page name: blanks, "%" and "." become "_",
// characters not allowed in file names are dropped or replaced, and German
// umlauts and sharp s lose their marks.
std::string MangleTopicId(const std::string &Topic);

// Delphi-style file extension change: the text from the last "." of the last
// path component is replaced (or the extension appended).
std::string ChangeFileExt(const std::string &FileName, const std::string &Extension);

// The main window's router as its layout has it: compiled help, pop-up texts
// from "CSHelp.txt", topic names used as they are. When a router exists
// already, the failure is shown as an error message and null returned.
THelpRouter *CreateMainHelpRouter(QObject *Owner);

} // namespace app
