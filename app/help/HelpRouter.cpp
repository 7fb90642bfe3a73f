#include "app/help/HelpRouter.h"

#include "app/help/HtmlHelpApi.h"
#include "foundation/MyOptions.h"
#include "platform/help/HtmlHelp.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/LocalNames.h"
#include "platform/rtl/QtText.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include <cstdio>

namespace app {

using namespace foundation;

namespace {

THelpRouter *g_instance = nullptr;

// The macro text the classic help accepts is limited to 255 characters.
constexpr size_t MaxMacroLength = 255;

std::string ExtractFileExt(const std::string &FileName)
{
    const size_t dot = FileName.find_last_of(".\\/:");
    if (dot == std::string::npos || FileName[dot] != '.')
        return {};
    return FileName.substr(dot);
}

std::string LowerAscii(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

bool GuiApplication()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

std::string ChangeFileExt(const std::string &FileName, const std::string &Extension)
{
    const size_t dot = FileName.find_last_of(".\\/:");
    if (dot == std::string::npos || FileName[dot] != '.')
        return FileName + Extension;
    return FileName.substr(0, dot) + Extension;
}

std::string MangleTopicId(const std::string &Topic)
{
    std::string result;
    result.reserve(Topic.size());
    for (const char ch : Topic) {
        switch (static_cast<unsigned char>(ch)) {
        case ' ':
        case '%':
        case '.': result += '_'; break;
        case '"':
        case ',':
        case '/':
        case ':':
        case '?':
        case '\\':
        case '|':
        case 0xBF: // inverted question mark
            break;
        case '&':
        case '*': result += '+'; break;
        case '<':
        case '>': result += '~'; break;
        case '[': result += '('; break;
        case ']': result += ')'; break;
        case 0xC4: // A umlaut
        case 0xE4: result += 'a'; break;
        case 0xD6: // O umlaut
        case 0xF6: result += 'o'; break;
        case 0xDC: // U umlaut
        case 0xFC: result += 'u'; break;
        case 0xDF: // sharp s
            result += 's';
            break;
        default: result += ch; break;
        }
    }
    return result;
}

THelpRouter::THelpRouter(QObject *Owner)
    : QObject(Owner)
{
    if (g_instance)
        throw rtl::Exception("Multiple instances of THelpRouter are not allowed");
    setObjectName(QStringLiteral("HelpRouter1"));
    m_previousHandler = SetApplicationHelpHandler([this](uint16_t Command, const help::HelpData &Data, bool &CallHelp) {
        return RouteHelpRequest(Command, Data, CallHelp);
    });
    HelpHandler handler;
    handler.showTopic = [this](const std::string &Topic) {
        if (GetMainForm() && HtmlHelpAvailable()) {
            JumpToTopic(std::string(), Topic);
        } else if (Topic.empty()) {
            ApplicationHelpCommand(help::HELP_FINDER);
        } else {
            ApplicationHelpJump(Topic);
        }
    };
    handler.close = [] { ApplicationHelpCommand(help::HELP_QUIT); };
    m_helpHandler.emplace(std::move(handler));
    g_instance = this;
}

THelpRouter::~THelpRouter()
{
    // The application closes the help itself only when it knows a help file.
    if (GuiApplication() && ApplicationHelpFile.empty())
        ApplicationHelpCommand(help::HELP_QUIT);
    SetApplicationHelpHandler(std::move(m_previousHandler));
    m_helpHandler.reset();
    g_instance = nullptr;
}

THelpRouter *THelpRouter::Instance()
{
    return g_instance;
}

void THelpRouter::SetHelpType(THelpType Value)
{
    if (Value == m_helpType)
        return;
    m_helpType = Value;
    if (Value == THelpType::htHTMLhelp || Value == THelpType::htMixedMode)
        LoadHtmlHelp();
}

std::string THelpRouter::CurrentHelpFile(QWidget **Window) const
{
    QWidget *form = QApplication::activeWindow();
    if (!form) {
        auto *owner = qobject_cast<QWidget *>(parent());
        if (owner && owner->isWindow())
            form = owner;
    }
    if (Window)
        *Window = form ? form : GetMainForm();
    if (!Helpfile.empty())
        return Helpfile;
    std::string file = ApplicationHelpFile;
    if (form) {
        const QString own = form->property("HelpFile").toString();
        if (!own.isEmpty())
            file = rtl::FileNameBytes(own);
    }
    return file;
}

bool THelpRouter::RouteHelpRequest(uint16_t Command, const help::HelpData &Data, bool &CallHelp)
{
    bool Result = false;
    if (OnHelp)
        Result = OnHelp(Command, Data, CallHelp);
    if (CallHelp && m_previousHandler)
        Result = m_previousHandler(Command, Data, CallHelp);
    if (!CallHelp)
        return Result;

    QWidget *window = nullptr;
    std::string file = CurrentHelpFile(&window);
    if (ShowType == TShowType::stMain) {
        if (Command == help::HELP_CONTEXTPOPUP)
            Command = help::HELP_CONTEXT;
        else if (Command == help::HELP_SETPOPUP_POS)
            Command = help::HELP_CONTENTS;
    }
    const bool popupCommand = Command == help::HELP_CONTEXTPOPUP || Command == help::HELP_SETPOPUP_POS;
    const bool html = m_helpType == THelpType::htHTMLhelp || (m_helpType == THelpType::htMixedMode && !popupCommand);
    if (html) {
        // Without compiled help the request stays with the application, which
        // hands it to the classic help.
        if (!HtmlHelpAvailable())
            return Result;
        if (RouteToHtmlHelp(Command, Data, ChangeFileExt(file, ".chm"), window, CallHelp, Result))
            return Result;
    } else {
        file = ChangeFileExt(file, ".hlp");
        Result = Command == 0 || help::winHelp(window, rtl::FileNameText(file), Command, Data);
    }
    CallHelp = false;
    return Result;
}

// True when the request is finished (CallHelp and Result set).
bool THelpRouter::RouteToHtmlHelp(uint16_t Command, const help::HelpData &Data, const std::string &File, QWidget *,
                                  bool &CallHelp, bool &Result)
{
    const QString file = rtl::FileNameText(File);
    help::HtmlHelpArg arg;
    QWidget *shown = nullptr;
    switch (Command) {
    case help::HELP_CONTEXT:
        arg.context = Data.number;
        shown = help::htmlHelp(nullptr, file, help::HtmlHelpCommand::HelpContext, arg);
        break;
    case help::HELP_QUIT: shown = help::htmlHelp(nullptr, QString(), help::HtmlHelpCommand::CloseAll, arg); break;
    case help::HELP_CONTENTS:
    case help::HELP_FINDER: shown = help::htmlHelp(nullptr, file, help::HtmlHelpCommand::DisplayToc, arg); break;
    case help::HELP_CONTEXTPOPUP: {
        const QPoint at = m_popupPos.value_or(QCursor::pos());
        m_popupPos.reset();
        ShowTextPopup(at.x(), at.y(), std::string(), int(Data.number));
        Result = true;
        CallHelp = false;
        return true;
    }
    case help::HELP_SETPOPUP_POS: m_popupPos = Data.point; break;
    case help::HELP_TAB:
        shown = help::htmlHelp(
            nullptr, file, Data.number != 0 ? help::HtmlHelpCommand::DisplayIndex : help::HtmlHelpCommand::DisplayToc,
            arg);
        break;
    case help::HELP_KEY:
    case help::HELP_PARTIALKEY:
        arg.keyword = Data.text;
        shown = help::htmlHelp(nullptr, file, help::HtmlHelpCommand::DisplayIndex, arg);
        break;
    default: break;
    }
    Result = shown != nullptr;
    return false;
}

bool THelpRouter::JumpToTopic(const std::string &File, const std::string &Topic)
{
    QWidget *window = nullptr;
    const std::string routerFile = CurrentHelpFile(&window);
    std::string path = File.empty() ? routerFile : File;

    if (m_helpType == THelpType::htWinhelp) {
        path = ChangeFileExt(path, ".hlp");
        const QString file = rtl::FileNameText(path);
        if (!help::winHelp(window, file, help::HELP_CONTENTS))
            return false;
        std::string macro = "JumpID(\"\",\"" + Topic + "\")";
        if (macro.size() > MaxMacroLength)
            macro.resize(MaxMacroLength);
        return help::winHelp(window, file, help::HELP_COMMAND, help::HelpData(rtl::ToQString(macro)));
    }

    if (!HtmlHelpAvailable())
        return false;
    path = ChangeFileExt(path, ".chm");
    std::string page = Topic;
    if (!page.empty() && LowerAscii(ExtractFileExt(page)).substr(0, 4) != ".htm") {
        if (ValidateID)
            page = MangleTopicId(page);
        page += ".htm";
    }
    // The path is the system's bytes, the topic the application's own text.
    QString target = rtl::FileNameText(path);
    if (!page.empty())
        target += QStringLiteral("::/") + rtl::ToQString(page);
    return help::htmlHelp(nullptr, target, help::HtmlHelpCommand::DisplayTopic) != nullptr;
}

bool THelpRouter::ShowTextPopup(int X, int Y, const std::string &Text, int ContextId)
{
    if (!HtmlHelpAvailable())
        return false;
    QWidget *window = nullptr;
    const std::string file = CurrentHelpFile(&window);

    help::HtmlHelpArg arg;
    arg.popup.stringId = Text.empty() ? ContextId : 0;
    arg.popup.text = rtl::ToQString(Text);
    arg.popup.point = QPoint(X, Y);
    arg.popup.font = QStringLiteral("MS Sans Serif, 8");

    QString path;
    if (ContextId != 0) {
        const std::string topics = CHMPopupTopics.empty() ? std::string("CSHelp.txt") : CHMPopupTopics;
        path = rtl::FileNameText(ChangeFileExt(file, ".chm")) + QStringLiteral("::/") + rtl::ToQString(topics);
    }
    return help::htmlHelp(window, path, help::HtmlHelpCommand::DisplayTextPopup, arg) != nullptr;
}

THelpRouter *CreateMainHelpRouter(QObject *Owner)
{
    try {
        auto router = std::make_unique<THelpRouter>(Owner);
        router->SetHelpType(THelpType::htHTMLhelp);
        router->CHMPopupTopics = "CSHelp.txt";
        router->ValidateID = false;
        return router.release(); // owned by Owner from here on
    } catch (const std::exception &e) {
        ShowMessageBox(nullptr, e.what(), 'S');
        return nullptr;
    }
}

} // namespace app

#include "moc_HelpRouter.cpp"
