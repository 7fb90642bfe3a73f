#include "widgets/webbrowser/EmbeddedWB.h"

#include "platform/browser/BrowserService.h"
#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/ini/StoredText.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/LocalNames.h"
#include "platform/rtl/QtText.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>
#include <QUrl>

#include <array>
#include <cfenv>
#include <map>
#include <mutex>

namespace webbrowser {

namespace {

constexpr std::array<uint32_t, 19> DownloadFlags = {
    0x00000010, // DLCTL_DLIMAGES
    0x00000020, // DLCTL_VIDEOS
    0x00000040, // DLCTL_BGSOUNDS
    0x00000080, // DLCTL_NO_SCRIPTS
    0x00000100, // DLCTL_NO_JAVA
    0x00000200, // DLCTL_NO_RUNACTIVEXCTLS
    0x00000400, // DLCTL_NO_DLACTIVEXCTLS
    0x00000800, // DLCTL_DOWNLOADONLY
    0x00001000, // DLCTL_NO_FRAMEDOWNLOAD
    0x00002000, // DLCTL_RESYNCHRONIZE
    0x00004000, // DLCTL_PRAGMA_NO_CACHE
    0x00008000, // DLCTL_NO_BEHAVIORS
    0x00010000, // DLCTL_NO_METACHARSET
    0x00020000, // DLCTL_URL_ENCODING_DISABLE_UTF8
    0x00040000, // DLCTL_URL_ENCODING_ENABLE_UTF8
    0x10000000, // DLCTL_FORCEOFFLINE
    0x20000000, // DLCTL_NO_CLIENTPULL
    0x40000000, // DLCTL_SILENT
    0x80000000, // DLCTL_OFFLINE
};

constexpr std::array<uint32_t, 17> UserInterfaceFlags = {
    0x00000001, // DIALOG
    0x00000002, // DISABLE_HELP_MENU
    0x00000004, // NO3DBORDER
    0x00000008, // SCROLL_NO
    0x00000010, // DISABLE_SCRIPT_INACTIVE
    0x00000020, // OPENNEWWIN
    0x00000040, // DISABLE_OFFSCREEN
    0x00000080, // FLAT_SCROLLBAR
    0x00000100, // DIV_BLOCKDEFAULT
    0x00000200, // ACTIVATE_CLIENTHIT_ONLY
    0x00000400, // OVERRIDEBEHAVIORFACTORY
    0x00000800, // CODEPAGELINKEDFONTS
    0x00001000, // URL_ENCODING_DISABLE_UTF8
    0x00002000, // URL_ENCODING_ENABLE_UTF8
    0x00004000, // ENABLE_FORMS_AUTOCOMPLETE
    0x00010000, // ENABLE_INPLACE_NAVIGATION
    0x00020000, // IME_ENABLE_RECONVERSION
};

const char *const Blank = "about:blank";
const char *const BlankDocument = "<html><head></head><body></body></html>";

// The browser appends the names of the values under this key to its
// user-agent string.
const char *const PostPlatformKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

// Workers load pages side by side under one token: the value is deleted only
// when the last live wrapper that registered it goes, or a page still
// starting would lose the token of the program.
std::mutex s_agentMutex;
std::map<QString, int> s_agentUsers;

// Value names are kept as the settings stores keep names, so that a token
// in any script is sent as it was set.
void registerAgent(const QString &name)
{
    std::lock_guard lock(s_agentMutex);
    ++s_agentUsers[name];
    registry::Registry key(registry::RootKey::CurrentUser);
    if (key.openKey(PostPlatformKey, true))
        key.writeText(ini::ToStoredText(name), std::string());
}

void unregisterAgent(const QString &name)
{
    std::lock_guard lock(s_agentMutex);
    const auto it = s_agentUsers.find(name);
    if (it != s_agentUsers.end() && --it->second > 0)
        return;
    if (it != s_agentUsers.end())
        s_agentUsers.erase(it);
    registry::Registry key(registry::RootKey::CurrentUser);
    if (key.openKey(PostPlatformKey, false))
        key.deleteValue(ini::ToStoredText(name));
}

// The floating-point state the program started with, brought back when a
// wrapper asks for exceptions again and when the program ends.
struct StartingFloatState
{
    std::fenv_t env{};
    StartingFloatState() { std::fegetenv(&env); }
    ~StartingFloatState() { std::fesetenv(&env); }
};
StartingFloatState s_startingFloatState;

// The sum of the flags of the options in the set; the table is in the order
// of the option enumeration.
template <typename E, size_t N>
uint32_t flagsValue(const std::array<uint32_t, N> &flags, TOptionSet<E> options)
{
    uint32_t value = 0;
    for (size_t i = 0; i < N; ++i)
        if (options.Contains(E(i)))
            value += flags[i];
    return value;
}

bool onGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

bool measuresInInches()
{
    const QLocale::MeasurementSystem system = QLocale::system().measurementSystem();
    return system == QLocale::ImperialUSSystem || system == QLocale::ImperialUKSystem;
}

} // namespace

uint32_t DownloadControlFlag(TDownloadControlOption option)
{
    return DownloadFlags.at(size_t(option));
}

uint32_t UserInterfaceFlag(TUserInterfaceOption option)
{
    return UserInterfaceFlags.at(size_t(option));
}

uint32_t DownloadControlValue(TDownloadControlOptions options)
{
    return flagsValue(DownloadFlags, options);
}

uint32_t UserInterfaceValue(TUserInterfaceOptions options)
{
    return flagsValue(UserInterfaceFlags, options);
}

browser::PageOptions PageOptionsFor(TDownloadControlOptions download, TUserInterfaceOptions ui)
{
    using D = TDownloadControlOption;
    browser::PageOptions o;
    o.loadImages = download.Contains(D::DLCTL_DLIMAGES);
    o.javaScript = !download.Contains(D::DLCTL_NO_SCRIPTS);
    o.plugins = !download.Contains(D::DLCTL_NO_JAVA) && !download.Contains(D::DLCTL_NO_RUNACTIVEXCTLS) &&
                !download.Contains(D::DLCTL_NO_DLACTIVEXCTLS);
    o.bypassCache = download.Contains(D::DLCTL_PRAGMA_NO_CACHE) || download.Contains(D::DLCTL_RESYNCHRONIZE);
    o.audible = download.Contains(D::DLCTL_VIDEOS) || download.Contains(D::DLCTL_BGSOUNDS);
    o.scrollBars = !ui.Contains(TUserInterfaceOption::SCROLL_NO);
    // Without client pull the page is read as it loaded, before a refresh
    // or a script could send it elsewhere.
    if (download.Contains(D::DLCTL_NO_CLIENTPULL))
        o.settleTime = std::chrono::milliseconds(0);
    return o;
}

// ---------------------------------------------------------------------------

void TScriptErrorEventObject::Set(const std::string &name, std::string value)
{
    for (auto &entry : m_values)
        if (entry.first == name) {
            entry.second = std::move(value);
            return;
        }
    m_values.emplace_back(name, std::move(value));
}

const std::string &TScriptErrorEventObject::Get(const std::string &name) const
{
    for (const auto &entry : m_values)
        if (entry.first == name)
            return entry.second;
    throw rtl::Exception("'" + name + "' not supported.");
}

// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------

namespace {

const classes::TEnumInfo &DownloadOptionInfo()
{
    static const classes::TEnumInfo info(
        QStringLiteral("TDownloadControlOption"),
        {"DLCTL_DLIMAGES", "DLCTL_VIDEOS", "DLCTL_BGSOUNDS", "DLCTL_NO_SCRIPTS", "DLCTL_NO_JAVA",
         "DLCTL_NO_RUNACTIVEXCTLS", "DLCTL_NO_DLACTIVEXCTLS", "DLCTL_DOWNLOADONLY", "DLCTL_NO_FRAMEDOWNLOAD",
         "DLCTL_RESYNCHRONIZE", "DLCTL_PRAGMA_NO_CACHE", "DLCTL_NO_BEHAVIORS", "DLCTL_NO_METACHARSET",
         "DLCTL_URL_ENCODING_DISABLE_UTF8", "DLCTL_URL_ENCODING_ENABLE_UTF8", "DLCTL_FORCEOFFLINE",
         "DLCTL_NO_CLIENTPULL", "DLCTL_SILENT", "DLCTL_OFFLINE"});
    return info;
}

const classes::TEnumInfo &UserInterfaceOptionInfo()
{
    static const classes::TEnumInfo info(
        QStringLiteral("TUserInterfaceOption"),
        {"DIALOG", "DISABLE_HELP_MENU", "NO3DBORDER", "SCROLL_NO", "DISABLE_SCRIPT_INACTIVE", "OPENNEWWIN",
         "DISABLE_OFFSCREEN", "FLAT_SCROLLBAR", "DIV_BLOCKDEFAULT", "ACTIVATE_CLIENTHIT_ONLY",
         "OVERRIDEBEHAVIORFACTORY", "CODEPAGELINKEDFONTS", "URL_ENCODING_DISABLE_UTF8", "URL_ENCODING_ENABLE_UTF8",
         "ENABLE_FORMS_AUTOCOMPLETE", "ENABLE_INPLACE_NAVIGATION", "IME_ENABLE_RECONVERSION"});
    return info;
}

const classes::TEnumInfo &OrientationInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TPrintOrientationOption"), {"poPortrait", "poLandscape"});
    return info;
}

} // namespace

const classes::TMetaClass &TMargins::StaticClass()
{
    using T = TMargins;
    static const classes::TMetaClass meta =
        classes::MakeClass<T, classes::TPersistent>("TMargins", [](classes::TClassBuilder<T> &c) {
            c.Double(
                "Left", [](const T &m) { return m.Left; }, [](T &m, double v) { m.Left = v; });
            c.Double(
                "Right", [](const T &m) { return m.Right; }, [](T &m, double v) { m.Right = v; });
            c.Double(
                "Top", [](const T &m) { return m.Top; }, [](T &m, double v) { m.Top = v; });
            c.Double(
                "Bottom", [](const T &m) { return m.Bottom; }, [](T &m, double v) { m.Bottom = v; });
        });
    return meta;
}

TPrintOptions::TPrintOptions()
{
    HTMLHeader->Add(QStringLiteral("<HTML></HTML>"));
}

const classes::TMetaClass &TPrintOptions::StaticClass()
{
    using T = TPrintOptions;
    static const classes::TMetaClass meta =
        classes::MakeClass<T, classes::TPersistent>("TPrintOptions", [](classes::TClassBuilder<T> &c) {
            c.Object("Margins", [](const T &o) { return o.Margins.get(); });
            c.String(
                "Header", [](const T &o) { return o.Header; }, [](T &o, const QString &v) { o.Header = v; });
            c.Object("HTMLHeader", [](const T &o) { return o.HTMLHeader.get(); });
            c.String(
                "Footer", [](const T &o) { return o.Footer; }, [](T &o, const QString &v) { o.Footer = v; });
            c.Enum(
                 "Orientation", OrientationInfo(), [](const T &o) { return o.Orientation; },
                 [](T &o, TPrintOrientationOption v) { o.Orientation = v; })
                .NoDefault();
        });
    return meta;
}

const classes::TMetaClass &TEmbeddedWB::StaticClass()
{
    using T = TEmbeddedWB;
    static const classes::TMetaClass meta =
        classes::MakeClass<T, classes::TComponent>("TEmbeddedWB", [](classes::TClassBuilder<T> &c) {
            c.Set(
                "DownloadOptions", DownloadOptionInfo(), QStringLiteral("TDownloadControlOptions"),
                [](const T &w) { return int64_t(w.GetDownloadOptions().Ordinals()); },
                [](T &w, int64_t v) { w.SetDownloadOptions(TDownloadControlOptions::FromOrdinals(uint32_t(v))); });
            c.Set(
                "UserInterfaceOptions", UserInterfaceOptionInfo(), QStringLiteral("TUserInterfaceOptions"),
                [](const T &w) { return int64_t(w.GetUserInterfaceOptions().Ordinals()); },
                [](T &w, int64_t v) { w.SetUserInterfaceOptions(TUserInterfaceOptions::FromOrdinals(uint32_t(v))); });
            c.String(
                "UserAgent", [](const T &w) { return w.UserAgent; }, [](T &w, const QString &v) { w.UserAgent = v; });
            c.Boolean(
                 "ReplaceCaption", [](const T &w) { return w.ReplaceCaption; },
                 [](T &w, bool v) { w.ReplaceCaption = v; })
                .Default(false);
            c.Boolean("EnableDDE", &T::GetEnableDDE, &T::SetEnableDDE).Default(false);
            c.Boolean("fpExceptions", &T::GetfpExceptions, &T::SetfpExceptions).Default(true);
            c.String(
                "HelpFile", [](const T &w) { return rtl::FileNameText(w.HelpFile); },
                [](T &w, const QString &v) { w.HelpFile = rtl::FileNameBytes(v); });
            c.Object("PrintOptions", [](const T &w) { return w.PrintOptions.get(); });
            c.Event("OnRefresh", &T::OnRefresh, QStringLiteral("TRefreshEvent"));
            c.Event("OnScriptError", &T::OnScriptError, QStringLiteral("TScriptErrorEvent"));
            c.Event("OnUnload", &T::OnUnload, QStringLiteral("TUnloadEvent"));
            c.Event("OnGetOverrideKeyPath", &T::OnGetOverrideKeyPath, QStringLiteral("TGetOverrideKeyPathEvent"));
            c.Event("OnShowContextMenu", &T::OnShowContextMenu, QStringLiteral("TShowContextMenuEvent"));
            c.Event("OnGetHostInfo", &T::OnGetHostInfo, QStringLiteral("TGetHostInfoEvent"));
            c.Event("OnShowUI", &T::OnShowUI, QStringLiteral("TShowUIEvent"));
            c.Event("OnHideUI", &T::OnHideUI, QStringLiteral("THideUIEvent"));
            c.Event("OnUpdateUI", &T::OnUpdateUI, QStringLiteral("TUpdateUIEvent"));
            c.Event("OnEnableModeless", &T::OnEnableModeless, QStringLiteral("TEnableModelessEvent"));
            c.Event("OnOnDocWindowActivate", &T::OnOnDocWindowActivate, QStringLiteral("TOnDocWindowActivateEvent"));
            c.Event("OnOnFrameWindowActivate", &T::OnOnFrameWindowActivate,
                    QStringLiteral("TOnFrameWindowActivateEvent"));
            c.Event("OnResizeBorder", &T::OnResizeBorder, QStringLiteral("TResizeBorderEvent"));
            c.Event("OnTranslateAccelerator", &T::OnTranslateAccelerator, QStringLiteral("TTranslateAcceleratorEvent"));
            c.Event("OnGetOptionKeyPath", &T::OnGetOptionKeyPath, QStringLiteral("TGetOptionKeyPathEvent"));
            c.Event("OnGetDropTarget", &T::OnGetDropTarget, QStringLiteral("TGetDropTargetEvent"));
            c.Event("OnGetExternal", &T::OnGetExternal, QStringLiteral("TGetExternalEvent"));
            c.Event("OnTranslateUrl", &T::OnTranslateUrl, QStringLiteral("TTranslateUrlEvent"));
            c.Event("OnFilterDataObject", &T::OnFilterDataObject, QStringLiteral("TFilterDataObjectEvent"));
            c.Event("OnShowMessage", &T::OnShowMessage, QStringLiteral("TShowMessageEvent"));
            c.Event("OnShowHelp", &T::OnShowHelp, QStringLiteral("TShowHelpEvent"));
            c.Event("OnGetTypeInfoCount", &T::OnGetTypeInfoCount, QStringLiteral("TGetTypeInfoCountEvent"));
            c.Event("OnGetTypeInfo", &T::OnGetTypeInfo, QStringLiteral("TGetTypeInfoEvent"));
            c.Event("OnGetIDsOfNames", &T::OnGetIDsOfNames, QStringLiteral("TGetIDsOfNamesEvent"));
            c.Event("OnInvoke", &T::OnInvoke, QStringLiteral("TInvokeEvent"));
            c.Event("OnQueryService", &T::OnQueryService, QStringLiteral("TQueryServiceEvent"));
            c.Event("OnCloseQuery", &T::OnCloseQuery, QStringLiteral("TCloseQueryEvent"));
            c.Event("OnShowDialog", &T::OnShowDialog, QStringLiteral("TShowDialogEvent"));
        });
    return meta;
}

void RegisterEmbeddedWBClasses()
{
    classes::RegisterClasses({&TEmbeddedWB::StaticClass()});
}

TEmbeddedWB::TEmbeddedWB(classes::TComponent *Owner)
    : classes::TComponent(Owner)
    , m_dde([this](const std::string &target) { Navigate(target); },
            [this](const TItemList &list) { NavigateItemList(list); })
{
    PrintOptions->Inches = measuresInInches();
    SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                        TDownloadControlOption::DLCTL_BGSOUNDS});
    SetUserInterfaceOptions({});
    SetEnableDDE(false);
}

TEmbeddedWB::~TEmbeddedWB()
{
    Stop();
    // The token goes by the name it was registered under: a UserAgent
    // changed after Loaded must not leave the old token on every later page.
    if (m_registeredAgent)
        unregisterAgent(*m_registeredAgent);
}

void TEmbeddedWB::Loaded()
{
    classes::TComponent::Loaded();
    recompute();
    if (m_loaded)
        return;
    m_loaded = true;
    m_registeredAgent = UserAgent;
    registerAgent(UserAgent);
}

QString TEmbeddedWB::RegisteredUserAgentTokens()
{
    registry::Registry key(registry::RootKey::CurrentUser);
    if (!key.openKey(PostPlatformKey, false))
        return {};
    QString tokens;
    for (const std::string &name : key.valueNames()) {
        if (name.empty())
            continue;
        if (!tokens.isEmpty())
            tokens += QStringLiteral("; ");
        tokens += ini::FromStoredText(name);
    }
    return tokens;
}

void TEmbeddedWB::SetfpExceptions(bool value)
{
    m_fpExceptions = value;
    if (value)
        std::fesetenv(&s_startingFloatState.env);
    else {
        // Every exception masked, as pages with scripts and plug-ins expect.
        std::fenv_t held;
        std::feholdexcept(&held);
    }
}

void TEmbeddedWB::recompute()
{
    m_downloadValue = webbrowser::DownloadControlValue(m_downloadOptions);
    m_uiValue = webbrowser::UserInterfaceValue(m_uiOptions);
}

// A change takes effect with the next page: the page under way keeps the
// options it was started with.
void TEmbeddedWB::SetDownloadOptions(TDownloadControlOptions options)
{
    m_downloadOptions = options;
    recompute();
}

void TEmbeddedWB::SetUserInterfaceOptions(TUserInterfaceOptions options)
{
    m_uiOptions = options;
    recompute();
}

// ---------------------------------------------------------------------------

void TEmbeddedWB::NavigateUrl(const std::string &URL)
{
    startNavigation(URL, URL == Blank);
}

void TEmbeddedWB::Navigate(const std::string &URL)
{
    startNavigation(URL, URL == Blank);
}

void TEmbeddedWB::NavigateItemList(const TItemList &list)
{
    const std::string path = ItemListPath(list);
    if (path.empty())
        return;
    // The path is the system's bytes; the address goes on percent-encoded,
    // which every code page holds.
    Navigate(QUrl::fromLocalFile(rtl::FileNameText(path)).toEncoded().toStdString());
}

void TEmbeddedWB::startNavigation(const std::string &url, bool blank)
{
    bool cancel = false;
    if (OnBeforeNavigate2)
        OnBeforeNavigate2(this, this, url, cancel);
    if (cancel)
        return;
    Stop();
    m_location = url;
    m_document.reset();
    m_lastResult = {};
    if (blank) {
        // The blank page is made here; it needs no trip to the GUI thread.
        m_blankPending = true;
        return;
    }
    browser::PageOptions options = PageOptionsFor(m_downloadOptions, m_uiOptions);
    options.userAgentToken = RegisteredUserAgentTokens();
    options.timeLimit = RequestTimeLimit;
    options.proxy = Proxy;
    // The page asks only what a handler is there to answer; each question
    // comes back to this thread while the wrapper waits for the page.
    if (OnTranslateUrl)
        options.host.translateUrl = [this](const QUrl &from) {
            std::string to;
            if (TranslateUrl(0, from.toEncoded().toStdString(), to) != S_OK || to.empty())
                return from;
            return QUrl(rtl::ToQString(to));
        };
    if (OnNewWindow2)
        options.host.newWindow = [this](const QUrl &target) {
            bool refused = false;
            OnNewWindow2(this, target.toEncoded().toStdString(), refused);
        };
    if (OnShowMessage)
        options.host.showMessage = [this](const QString &text, const QString &caption) {
            // MB_ICONWARNING: the box an alert would have been.
            ShowMessage(rtl::FromQString(text), rtl::FromQString(caption), 0x30);
        };
    if (OnScriptError)
        options.host.scriptError = [this](int line, const QString &message, const QString &source) {
            // Offered as the browser offers a script error to its host; the
            // engine does not tell the column or an error number.
            TScriptErrorEventObject error;
            error.Set("errorLine", std::to_string(line));
            error.Set("errorCharacter", "0");
            error.Set("errorCode", "0");
            error.Set("errorMessage", rtl::FromQString(message));
            error.Set("errorUrl", rtl::FromQString(source));
            std::optional<bool> continueScript;
            Exec(TCommandGroup::DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, &error, &continueScript);
        };
    m_request = browser::FetchRequest::start(QUrl(rtl::ToQString(url)), options);
}

void TEmbeddedWB::Stop()
{
    if (m_request) {
        m_request->abort();
        m_request.reset();
    }
    m_blankPending = false;
}

bool TEmbeddedWB::Busy() const
{
    return m_blankPending || m_request != nullptr;
}

int32_t TEmbeddedWB::ReadyState() const
{
    if (Busy())
        return READYSTATE_LOADING;
    return m_location.empty() ? READYSTATE_UNINITIALIZED : READYSTATE_COMPLETE;
}

std::string TEmbeddedWB::DocumentHtml() const
{
    return m_document.value_or(std::string());
}

void TEmbeddedWB::ProcessMessages(std::chrono::milliseconds wait)
{
    if (m_blankPending) {
        m_blankPending = false;
        browser::FetchResult blank;
        blank.status = browser::FetchStatus::Completed;
        blank.html = QString::fromLatin1(BlankDocument);
        deliver(blank);
        return;
    }
    if (!m_request)
        return;
    // The wait also answers the page's questions, whose handlers may
    // navigate again or stop: the request is held until the wait is over.
    const std::shared_ptr<browser::FetchRequest> request = m_request;
    const bool finished = wait.count() > 0 || !onGuiThread() ? request->waitFor(wait) : request->isFinished();
    if (!finished || request != m_request)
        return;
    const browser::FetchResult result = request->result();
    m_request.reset();
    deliver(result);
}

void TEmbeddedWB::deliver(const browser::FetchResult &result)
{
    m_lastResult = result;
    if (result.ok()) {
        m_document = rtl::FromQString(result.html);
    } else {
        m_document.reset();
        if (OnNavigateError)
            OnNavigateError(this, this, m_location,
                            result.status == browser::FetchStatus::HttpError ? result.httpStatus : -1);
    }
    // A handler may navigate again; the events then belong to the new page.
    const std::string url = m_location;
    if (OnNavigateComplete2)
        OnNavigateComplete2(this, this, url);
    if (!Busy() && OnDocumentComplete)
        OnDocumentComplete(this, this, url);
}

// ---------------------------------------------------------------------------

std::optional<int32_t> TEmbeddedWB::AmbientProperty(int32_t dispId) const
{
    if (dispId == DISPID_AMBIENT_DLCONTROL)
        return int32_t(m_downloadValue);
    return std::nullopt;
}

HRESULT TEmbeddedWB::GetHostInfo(THostInfo &info)
{
    info.cbSize = 20;
    info.dwFlags = m_uiValue;
    info.dwDoubleClick = 0;
    return OnGetHostInfo ? OnGetHostInfo(this, info) : S_OK;
}

HRESULT TEmbeddedWB::ShowMessage(const std::string &text, const std::string &caption, uint32_t type)
{
    return OnShowMessage ? OnShowMessage(this, text, caption, type) : S_FALSE;
}

HRESULT TEmbeddedWB::ShowHelp(void *window, const std::string &helpFile, uint32_t command, uintptr_t data)
{
    if (OnShowHelp)
        return OnShowHelp(this, helpFile, command, data);
    // Only help that showed counts as handled; otherwise the browser is left
    // to show its own.
    if (!HelpFile.empty() && HtmlHelp(window, HelpFile, command, data) != 0)
        return S_OK;
    return S_FALSE;
}

HRESULT TEmbeddedWB::Exec(TCommandGroup group, uint32_t command, const TScriptErrorEventObject *in,
                          std::optional<bool> *out)
{
    if (group == TCommandGroup::None)
        return OLECMDERR_E_UNKNOWNGROUP;
    HRESULT result = OLECMDERR_E_NOTSUPPORTED;
    if (group == TCommandGroup::Explorer && command == 37) {
        if (OnUnload)
            OnUnload(this);
    } else if (group == TCommandGroup::DocHostCommandHandler) {
        if ((command == 6041 || command == 6042 || command == 2300) && OnRefresh) {
            bool cancel = false;
            OnRefresh(this, command, cancel);
            if (cancel)
                result = S_OK;
        } else if (command == OLECMDID_SHOWSCRIPTERROR && OnScriptError && in) {
            const std::string line = in->Get("errorLine");
            const std::string character = in->Get("errorCharacter");
            const std::string code = in->Get("errorCode");
            const std::string message = in->Get("errorMessage");
            const std::string url = in->Get("errorUrl");
            bool continueScript = true;
            bool showDialog = true;
            OnScriptError(this, line, character, code, message, url, continueScript, showDialog);
            if (out)
                *out = continueScript;
            if (!showDialog)
                result = S_OK;
        }
    }
    return result;
}

HRESULT TEmbeddedWB::QueryStatus(TCommandGroup, std::vector<TOleCmd> &)
{
    return S_OK;
}

HRESULT TEmbeddedWB::QueryService(const std::string &guidService, const std::string &riid, TInterface &ppvObject)
{
    ppvObject = nullptr;
    return OnQueryService ? OnQueryService(this, guidService, riid, ppvObject) : E_NOINTERFACE;
}

HRESULT TEmbeddedWB::GetTypeInfoCount(uint32_t &count)
{
    if (OnGetTypeInfoCount)
        return OnGetTypeInfoCount(this, count);
    count = 0;
    return E_NOTIMPL;
}

HRESULT TEmbeddedWB::GetTypeInfo(uint32_t index, uint32_t localeId, TInterface &typeInfo)
{
    if (OnGetTypeInfo)
        return OnGetTypeInfo(this, index, localeId, typeInfo);
    typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TEmbeddedWB::GetIDsOfNames(const std::string &iid, const std::vector<std::string> &names, uint32_t localeId,
                                   std::vector<int32_t> &dispIds)
{
    return OnGetIDsOfNames ? OnGetIDsOfNames(this, iid, names, localeId, dispIds) : E_NOTIMPL;
}

HRESULT TEmbeddedWB::Invoke(int32_t dispId, const std::string &iid, uint32_t localeId, uint16_t flags,
                            const std::vector<TVariant> &params, TVariant *varResult)
{
    // The download control is the browser's to ask and the wrapper's to
    // answer; no handler may change it.
    if (dispId == DISPID_AMBIENT_DLCONTROL && (flags & DISPATCH_PROPERTYGET) && varResult) {
        *varResult = int32_t(m_downloadValue);
        return S_OK;
    }
    if (OnInvoke)
        return OnInvoke(this, dispId, iid, localeId, flags, params, varResult);
    // The ambient properties any control host answers: a running, live host
    // that reflects messages and draws no design-time decorations.
    if (!(flags & DISPATCH_PROPERTYGET) || !varResult)
        return DISP_E_MEMBERNOTFOUND;
    switch (dispId) {
    case -706: // DISPID_AMBIENT_MESSAGEREFLECT
    case -709: // DISPID_AMBIENT_USERMODE
    case -714: // DISPID_AMBIENT_SUPPORTSMNEMONICS
    case -715: // DISPID_AMBIENT_AUTOCLIP
        *varResult = true;
        return S_OK;
    case -710: // DISPID_AMBIENT_UIDEAD
    case -711: // DISPID_AMBIENT_SHOWGRABHANDLES
    case -712: // DISPID_AMBIENT_SHOWHATCHING
        *varResult = false;
        return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT TEmbeddedWB::ShowContextMenu(uint32_t id, const TPoint &point, TInterface commandTarget, TInterface hitObject)
{
    return OnShowContextMenu ? OnShowContextMenu(this, id, point, commandTarget, hitObject) : S_FALSE;
}

HRESULT TEmbeddedWB::ShowUI(uint32_t id, TInterface activeObject, TInterface commandTarget, TInterface frame,
                            TInterface doc)
{
    return OnShowUI ? OnShowUI(this, id, activeObject, commandTarget, frame, doc) : S_FALSE;
}

HRESULT TEmbeddedWB::HideUI()
{
    return OnHideUI ? OnHideUI(this) : S_FALSE;
}

HRESULT TEmbeddedWB::UpdateUI()
{
    return OnUpdateUI ? OnUpdateUI(this) : S_FALSE;
}

HRESULT TEmbeddedWB::EnableModeless(bool enable)
{
    return OnEnableModeless ? OnEnableModeless(this, enable) : S_FALSE;
}

HRESULT TEmbeddedWB::OnDocWindowActivate(bool activate)
{
    return OnOnDocWindowActivate ? OnOnDocWindowActivate(this, activate) : S_FALSE;
}

HRESULT TEmbeddedWB::OnFrameWindowActivate(bool activate)
{
    return OnOnFrameWindowActivate ? OnOnFrameWindowActivate(this, activate) : S_FALSE;
}

HRESULT TEmbeddedWB::ResizeBorder(const TRect &border, TInterface uiWindow, bool frameWindow)
{
    return OnResizeBorder ? OnResizeBorder(this, border, uiWindow, frameWindow) : S_FALSE;
}

HRESULT TEmbeddedWB::TranslateAccelerator(const TKeyMessage &msg, TCommandGroup group, uint32_t cmdId)
{
    return OnTranslateAccelerator ? OnTranslateAccelerator(this, msg, group, cmdId) : S_FALSE;
}

HRESULT TEmbeddedWB::GetOptionKeyPath(std::string &key, uint32_t dw)
{
    return OnGetOptionKeyPath ? OnGetOptionKeyPath(this, key, dw) : S_FALSE;
}

HRESULT TEmbeddedWB::GetOverrideKeyPath(std::string &key, uint32_t dw)
{
    return OnGetOverrideKeyPath ? OnGetOverrideKeyPath(this, key, dw) : S_OK;
}

HRESULT TEmbeddedWB::GetDropTarget(TInterface dropTarget, TInterface &result)
{
    result = nullptr;
    return OnGetDropTarget ? OnGetDropTarget(this, dropTarget, result) : S_OK;
}

HRESULT TEmbeddedWB::GetExternal(TInterface &dispatch)
{
    dispatch = nullptr;
    return OnGetExternal ? OnGetExternal(this, dispatch) : S_FALSE;
}

HRESULT TEmbeddedWB::TranslateUrl(uint32_t translate, const std::string &urlIn, std::string &urlOut)
{
    return OnTranslateUrl ? OnTranslateUrl(this, translate, urlIn, urlOut) : S_FALSE;
}

HRESULT TEmbeddedWB::FilterDataObject(TInterface dataObject, TInterface &result)
{
    result = nullptr;
    return OnFilterDataObject ? OnFilterDataObject(this, dataObject, result) : S_FALSE;
}

bool TEmbeddedWB::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

} // namespace webbrowser
