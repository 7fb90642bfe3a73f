#pragma once

// TEmbeddedWB: the browser a query worker runs hidden and silent. It keeps the
// control's host settings (download options, user-interface flags, the
// user-agent token) and loads pages through the hidden browser service on the
// GUI thread, so that it can live on a worker thread that touches no widget.
//
// The worker's round: Navigate, then ProcessMessages(200 ms) until Busy is
// false, ReadyState is complete and OnDocumentComplete has fired for the top
// frame; DocumentHtml then holds the page. A navigation that fails fires
// OnNavigateError and completes without a document (DocumentHtml empty).

#include "platform/browser/BrowserTypes.h"
#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "platform/classes/StringList.h"
#include "widgets/webbrowser/ShellDde.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace browser {
class FetchRequest;
}

namespace webbrowser {

// A set of enumeration values by ordinal, as the component model stores it.
template <typename E>
class TOptionSet
{
public:
    TOptionSet() = default;
    TOptionSet(std::initializer_list<E> values)
    {
        for (E v : values)
            Include(v);
    }
    bool Contains(E v) const { return (m_bits >> unsigned(v)) & 1u; }
    void Include(E v) { m_bits |= 1u << unsigned(v); }
    void Exclude(E v) { m_bits &= ~(1u << unsigned(v)); }
    bool Empty() const { return m_bits == 0; }
    static TOptionSet FromOrdinals(uint32_t bits)
    {
        TOptionSet set;
        set.m_bits = bits;
        return set;
    }
    // The ordinal bits, as the set is held in memory and streamed.
    uint32_t Ordinals() const { return m_bits; }
    bool operator==(const TOptionSet &) const = default;

private:
    uint32_t m_bits = 0;
};

enum class TDownloadControlOption {
    DLCTL_DLIMAGES,
    DLCTL_VIDEOS,
    DLCTL_BGSOUNDS,
    DLCTL_NO_SCRIPTS,
    DLCTL_NO_JAVA,
    DLCTL_NO_RUNACTIVEXCTLS,
    DLCTL_NO_DLACTIVEXCTLS,
    DLCTL_DOWNLOADONLY,
    DLCTL_NO_FRAMEDOWNLOAD,
    DLCTL_RESYNCHRONIZE,
    DLCTL_PRAGMA_NO_CACHE,
    DLCTL_NO_BEHAVIORS,
    DLCTL_NO_METACHARSET,
    DLCTL_URL_ENCODING_DISABLE_UTF8,
    DLCTL_URL_ENCODING_ENABLE_UTF8,
    DLCTL_FORCEOFFLINE,
    DLCTL_NO_CLIENTPULL,
    DLCTL_SILENT,
    DLCTL_OFFLINE,
};

enum class TUserInterfaceOption {
    DIALOG,
    DISABLE_HELP_MENU,
    NO3DBORDER,
    SCROLL_NO,
    DISABLE_SCRIPT_INACTIVE,
    OPENNEWWIN,
    DISABLE_OFFSCREEN,
    FLAT_SCROLLBAR,
    DIV_BLOCKDEFAULT,
    ACTIVATE_CLIENTHIT_ONLY,
    OVERRIDEBEHAVIORFACTORY,
    CODEPAGELINKEDFONTS,
    URL_ENCODING_DISABLE_UTF8,
    URL_ENCODING_ENABLE_UTF8,
    ENABLE_FORMS_AUTOCOMPLETE,
    ENABLE_INPLACE_NAVIGATION,
    IME_ENABLE_RECONVERSION,
};

using TDownloadControlOptions = TOptionSet<TDownloadControlOption>;
using TUserInterfaceOptions = TOptionSet<TUserInterfaceOption>;

// The flag word each option stands for, and a set's flags added up.
uint32_t DownloadControlFlag(TDownloadControlOption option);
uint32_t UserInterfaceFlag(TUserInterfaceOption option);
uint32_t DownloadControlValue(TDownloadControlOptions options);
uint32_t UserInterfaceValue(TUserInterfaceOptions options);

// How the options are carried out by the hidden browser's page.
browser::PageOptions PageOptionsFor(TDownloadControlOptions download, TUserInterfaceOptions ui);

// Result codes of the host answers.
using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = HRESULT(0x80020003u);
constexpr HRESULT OLECMDERR_E_NOTSUPPORTED = HRESULT(0x80040100u);
constexpr HRESULT OLECMDERR_E_UNKNOWNGROUP = HRESULT(0x80040104u);
constexpr int32_t DISPID_AMBIENT_DLCONTROL = -5512;
constexpr uint16_t DISPATCH_METHOD = 1;
constexpr uint16_t DISPATCH_PROPERTYGET = 2;
constexpr int32_t READYSTATE_UNINITIALIZED = 0;
constexpr int32_t READYSTATE_LOADING = 1;
constexpr int32_t READYSTATE_COMPLETE = 4;

// The command groups the host's Exec answers.
enum class TCommandGroup { None, Explorer, DocHostCommandHandler, Other };
constexpr uint32_t OLECMDID_SHOWSCRIPTERROR = 40;

enum class TPrintOrientationOption { poPortrait, poLandscape };

class TMargins : public classes::TPersistent
{
    ZVO_CLASS(TMargins)
public:
    double Left = 0, Right = 0, Top = 0, Bottom = 0;
};

// Page-setup values of the browser; the program does not print.
class TPrintOptions : public classes::TPersistent
{
    ZVO_CLASS(TPrintOptions)
public:
    TPrintOptions();

    const std::unique_ptr<TMargins> Margins = std::make_unique<TMargins>();
    QString Header;
    const std::unique_ptr<classes::TStringList> HTMLHeader = std::make_unique<classes::TStringList>();
    QString Footer;
    TPrintOrientationOption Orientation = TPrintOrientationOption::poPortrait;
    // Not published: the user's locale decides it.
    bool Inches = false;
};

struct TPoint
{
    int32_t X = 0, Y = 0;
};

struct TRect
{
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// A key message offered to the host before the page handles it.
struct TKeyMessage
{
    uint32_t Message = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    uint32_t Time = 0;
};

// One command of a status query: its id and the flags the answer would fill.
struct TOleCmd
{
    uint32_t CmdID = 0;
    uint32_t Flags = 0;
};

// A dispatch argument or result.
using TVariant = std::variant<std::monostate, bool, int32_t, std::string>;

// Interfaces are handed over as opaque pointers: the wrapper has none of its
// own to give, and passes on what a handler supplies.
using TInterface = void *;

struct THostInfo
{
    uint32_t cbSize = 0;
    uint32_t dwFlags = 0;
    uint32_t dwDoubleClick = 0;
};

// The properties of a script error event, read by name: a name the event does
// not carry raises "'<name>' not supported.".
class TScriptErrorEventObject
{
public:
    void Set(const std::string &name, std::string value);
    const std::string &Get(const std::string &name) const;

private:
    std::vector<std::pair<std::string, std::string>> m_values;
};

class TEmbeddedWB;

using TScriptErrorEvent = classes::TEvent<void(
    TEmbeddedWB *Sender, const std::string &ErrorLine, const std::string &ErrorCharacter, const std::string &ErrorCode,
    const std::string &ErrorMessage, const std::string &ErrorUrl, bool &ContinueScript, bool &Showdialog)>;
using TRefreshEvent = classes::TEvent<void(TEmbeddedWB *Sender, uint32_t CmdID, bool &Cancel)>;
using TUnloadEvent = classes::TEvent<void(TEmbeddedWB *Sender)>;
using TShowMessageEvent =
    classes::TEvent<HRESULT(TEmbeddedWB *Sender, const std::string &Text, const std::string &Caption, uint32_t Type)>;
using TShowHelpEvent =
    classes::TEvent<HRESULT(TEmbeddedWB *Sender, const std::string &HelpFile, uint32_t Command, uintptr_t Data)>;
using TGetHostInfoEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, THostInfo &Info)>;
// The host-interface events carry the method's arguments and return its result.
using TKeyPathEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, std::string &Key, uint32_t dw)>;
using TShowContextMenuEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, uint32_t dwID, const TPoint &ppt,
                                                      TInterface pcmdtReserved, TInterface pdispReserved)>;
using TShowUIEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, uint32_t dwID, TInterface pActiveObject,
                                             TInterface pCommandTarget, TInterface pFrame, TInterface pDoc)>;
using THostNotifyEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender)>;
using THostSwitchEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, bool Value)>;
using TResizeBorderEvent =
    classes::TEvent<HRESULT(TEmbeddedWB *Sender, const TRect &prcBorder, TInterface pUIWindow, bool fRameWindow)>;
using TTranslateAcceleratorEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, const TKeyMessage &lpMsg,
                                                           TCommandGroup pguidCmdGroup, uint32_t nCmdID)>;
using TGetDropTargetEvent =
    classes::TEvent<HRESULT(TEmbeddedWB *Sender, TInterface pDropTarget, TInterface &ppDropTarget)>;
using TGetExternalEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, TInterface &ppDispatch)>;
using TTranslateUrlEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, uint32_t dwTranslate,
                                                   const std::string &pchURLIn, std::string &ppchURLOut)>;
using TFilterDataObjectEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, TInterface pDO, TInterface &ppDORet)>;
using TGetTypeInfoCountEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, uint32_t &Count)>;
using TGetTypeInfoEvent =
    classes::TEvent<HRESULT(TEmbeddedWB *Sender, uint32_t Index, uint32_t LocaleID, TInterface &TypeInfo)>;
using TGetIDsOfNamesEvent =
    classes::TEvent<HRESULT(TEmbeddedWB *Sender, const std::string &IID, const std::vector<std::string> &Names,
                            uint32_t LocaleID, std::vector<int32_t> &DispIDs)>;
using TInvokeEvent =
    classes::TEvent<HRESULT(TEmbeddedWB *Sender, int32_t DispID, const std::string &IID, uint32_t LocaleID,
                            uint16_t Flags, const std::vector<TVariant> &Params, TVariant *VarResult)>;
using TQueryServiceEvent = classes::TEvent<HRESULT(TEmbeddedWB *Sender, const std::string &guidService,
                                                   const std::string &riid, TInterface &ppvObject)>;
using TCloseQueryEvent = classes::TEvent<void(TEmbeddedWB *Sender, bool &CanClose)>;
using TShowDialogEvent = classes::TEvent<void(TEmbeddedWB *Sender, void *h)>;
// The page asked for a window of its own. A hidden browser opens none,
// whatever Cancel says.
using TNewWindowEvent = classes::TEvent<void(TEmbeddedWB *Sender, const std::string &URL, bool &Cancel)>;
// The frame is an identity only: the top frame is the wrapper itself.
using TNavigateEvent = classes::TEvent<void(TEmbeddedWB *Sender, const void *Frame, const std::string &URL)>;
using TBeforeNavigateEvent =
    classes::TEvent<void(TEmbeddedWB *Sender, const void *Frame, const std::string &URL, bool &Cancel)>;
// StatusCode: the HTTP status of the top-level document, -1 for failures
// without one. The document completes (empty) after it all the same.
using TNavigateErrorEvent =
    classes::TEvent<void(TEmbeddedWB *Sender, const void *Frame, const std::string &URL, int32_t StatusCode)>;

// A component, so that a stored layout can carry its settings and name its
// handlers; the worker makes it in code.
class TEmbeddedWB : public classes::TComponent
{
    ZVO_CLASS(TEmbeddedWB)
public:
    // The wrapper has no window: its owner is the component that frees it.
    explicit TEmbeddedWB(classes::TComponent *Owner = nullptr);
    ~TEmbeddedWB() override;
    TEmbeddedWB(const TEmbeddedWB &) = delete;
    TEmbeddedWB &operator=(const TEmbeddedWB &) = delete;

    // Derived values recomputed and the user-agent token registered: set
    // UserAgent before this call for the token to reach the servers.
    void Loaded() override;

    TDownloadControlOptions GetDownloadOptions() const { return m_downloadOptions; }
    void SetDownloadOptions(TDownloadControlOptions options);
    TUserInterfaceOptions GetUserInterfaceOptions() const { return m_uiOptions; }
    void SetUserInterfaceOptions(TUserInterfaceOptions options);
    uint32_t DownloadControlValue() const { return m_downloadValue; }
    uint32_t UserInterfaceValue() const { return m_uiValue; }
    bool GetfpExceptions() const { return m_fpExceptions; }
    // True brings back the floating-point state of the program's start;
    // false masks every floating-point exception. Either holds for the
    // calling thread.
    void SetfpExceptions(bool value);
    bool GetEnableDDE() const { return m_dde.Enabled(); }
    void SetEnableDDE(bool value) { m_dde.SetEnabled(value); }

    QString UserAgent;
    bool ReplaceCaption = false;
    // A path: the system's bytes.
    std::string HelpFile;
    const std::unique_ptr<TPrintOptions> PrintOptions = std::make_unique<TPrintOptions>();
    // Bound of one page load, from Navigate to the answer.
    std::chrono::milliseconds RequestTimeLimit{60000};
    // The route of the pages; a change takes effect with the next one.
    browser::PageProxy Proxy;
    // Placement kept as given: the wrapper is never shown.
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Visible = false;

    // --- navigation (the base control's part the worker uses)
    void NavigateUrl(const std::string &URL);
    void Navigate(const std::string &URL);
    // The shell's folder form: the control is sent to the path the list
    // stands for.
    void NavigateItemList(const TItemList &list);
    void Stop();
    bool Busy() const;
    int32_t ReadyState() const;
    std::string LocationURL() const { return m_location; }
    // The current document's HTML as the application's text; empty when no
    // document has loaded or the last navigation failed.
    std::string DocumentHtml() const;
    bool HasDocument() const { return m_document.has_value(); }
    // What the last page load ended with (also for failures).
    const browser::FetchResult &LastResult() const { return m_lastResult; }
    // Waits up to `wait` for the page under way, then delivers the events
    // that are due, on the calling thread.
    void ProcessMessages(std::chrono::milliseconds wait = std::chrono::milliseconds(0));

    // --- host answers
    // The ambient property get; none for dispatch ids the wrapper leaves to
    // the control.
    std::optional<int32_t> AmbientProperty(int32_t dispId) const;
    HRESULT GetHostInfo(THostInfo &info);
    HRESULT ShowMessage(const std::string &text, const std::string &caption, uint32_t type);
    HRESULT ShowHelp(void *window, const std::string &helpFile, uint32_t command, uintptr_t data);
    HRESULT Exec(TCommandGroup group, uint32_t command, const TScriptErrorEventObject *in, std::optional<bool> *out);
    // Nothing is filled in: every command keeps the flags it came with.
    HRESULT QueryStatus(TCommandGroup group, std::vector<TOleCmd> &commands);
    HRESULT QueryService(const std::string &guidService, const std::string &riid, TInterface &ppvObject);
    HRESULT GetTypeInfoCount(uint32_t &count);
    HRESULT GetTypeInfo(uint32_t index, uint32_t localeId, TInterface &typeInfo);
    HRESULT GetIDsOfNames(const std::string &iid, const std::vector<std::string> &names, uint32_t localeId,
                          std::vector<int32_t> &dispIds);
    HRESULT Invoke(int32_t dispId, const std::string &iid, uint32_t localeId, uint16_t flags,
                   const std::vector<TVariant> &params, TVariant *varResult);
    HRESULT ShowContextMenu(uint32_t id, const TPoint &point, TInterface commandTarget, TInterface hitObject);
    HRESULT ShowUI(uint32_t id, TInterface activeObject, TInterface commandTarget, TInterface frame, TInterface doc);
    HRESULT HideUI();
    HRESULT UpdateUI();
    HRESULT EnableModeless(bool enable);
    HRESULT OnDocWindowActivate(bool activate);
    HRESULT OnFrameWindowActivate(bool activate);
    HRESULT ResizeBorder(const TRect &border, TInterface uiWindow, bool frameWindow);
    HRESULT TranslateAccelerator(const TKeyMessage &msg, TCommandGroup group, uint32_t cmdId);
    HRESULT GetOptionKeyPath(std::string &key, uint32_t dw);
    HRESULT GetOverrideKeyPath(std::string &key, uint32_t dw);
    HRESULT GetDropTarget(TInterface dropTarget, TInterface &result);
    HRESULT GetExternal(TInterface &dispatch);
    HRESULT TranslateUrl(uint32_t translate, const std::string &urlIn, std::string &urlOut);
    HRESULT FilterDataObject(TInterface dataObject, TInterface &result);
    // A request to close the browser's window: OnCloseQuery decides (true
    // when it may close). The hidden page never asks: a script may close only
    // a window it opened.
    bool CloseQuery();

    // --- events, in their published order
    TRefreshEvent OnRefresh;
    TScriptErrorEvent OnScriptError;
    TUnloadEvent OnUnload;
    TKeyPathEvent OnGetOverrideKeyPath;
    TShowContextMenuEvent OnShowContextMenu;
    TGetHostInfoEvent OnGetHostInfo;
    TShowUIEvent OnShowUI;
    THostNotifyEvent OnHideUI;
    THostNotifyEvent OnUpdateUI;
    THostSwitchEvent OnEnableModeless;
    THostSwitchEvent OnOnDocWindowActivate;
    THostSwitchEvent OnOnFrameWindowActivate;
    TResizeBorderEvent OnResizeBorder;
    TTranslateAcceleratorEvent OnTranslateAccelerator;
    TKeyPathEvent OnGetOptionKeyPath;
    TGetDropTargetEvent OnGetDropTarget;
    TGetExternalEvent OnGetExternal;
    TTranslateUrlEvent OnTranslateUrl;
    TFilterDataObjectEvent OnFilterDataObject;
    TShowMessageEvent OnShowMessage;
    TShowHelpEvent OnShowHelp;
    TGetTypeInfoCountEvent OnGetTypeInfoCount;
    TGetTypeInfoEvent OnGetTypeInfo;
    TGetIDsOfNamesEvent OnGetIDsOfNames;
    TInvokeEvent OnInvoke;
    TQueryServiceEvent OnQueryService;
    TCloseQueryEvent OnCloseQuery;
    TShowDialogEvent OnShowDialog;
    // Of the base control.
    TNewWindowEvent OnNewWindow2;
    TBeforeNavigateEvent OnBeforeNavigate2;
    TNavigateEvent OnNavigateComplete2;
    TNavigateEvent OnDocumentComplete;
    TNavigateErrorEvent OnNavigateError;

    // The hidden conversation window of the shell's DDE service.
    TShellDdeWindow &DdeWindow() { return m_dde; }

    // The user-agent tokens in the registry (the names of the values under
    // the browser's "Post Platform" key), as the servers get them appended
    // to the browser's own string.
    static QString RegisteredUserAgentTokens();

private:
    void recompute();
    void startNavigation(const std::string &url, bool blank);
    void deliver(const browser::FetchResult &result);

    TDownloadControlOptions m_downloadOptions;
    TUserInterfaceOptions m_uiOptions;
    uint32_t m_downloadValue = 0;
    uint32_t m_uiValue = 0;
    bool m_fpExceptions = true;
    bool m_loaded = false;
    std::optional<QString> m_registeredAgent;

    std::shared_ptr<browser::FetchRequest> m_request;
    bool m_blankPending = false;
    std::string m_pendingUrl;
    std::string m_location;
    std::optional<std::string> m_document;
    browser::FetchResult m_lastResult;
    TShellDdeWindow m_dde;
};

// Makes the wrapper known to component streams; called once at start-up.
void RegisterEmbeddedWBClasses();

} // namespace webbrowser
