#include "platform/help/HtmlHelp.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/Exceptions.h"
#include "widgets/webbrowser/EmbeddedWB.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cfenv>
#include <fenv.h>
#include <memory>
#include <string>
#include <vector>

using namespace webbrowser;

using D = TDownloadControlOption;
using U = TUserInterfaceOption;

namespace {

// The registry of these tests lives in a folder of their own, with the
// desktop's shell registration in it.
class TemporaryRegistry : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_store = std::make_unique<registry::ScopedStoreFilePath>(
            m_folder.filePath(QStringLiteral("registry.ini")).toStdString());
        RegisterDesktopShellDde();
    }
    void TearDown() override { m_store.reset(); }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<registry::ScopedStoreFilePath> m_store;
};
::testing::Environment *const s_registry = ::testing::AddGlobalTestEnvironment(new TemporaryRegistry);

const char *const PostPlatform =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

std::vector<std::string> postPlatformValues()
{
    registry::Registry key(registry::RootKey::CurrentUser);
    return key.openKey(PostPlatform, false) ? key.valueNames() : std::vector<std::string>{};
}

TDownloadControlOptions workerSet()
{
    return {D::DLCTL_DLIMAGES, D::DLCTL_NO_JAVA, D::DLCTL_NO_RUNACTIVEXCTLS, D::DLCTL_NO_DLACTIVEXCTLS,
            D::DLCTL_SILENT};
}

TScriptErrorEventObject errorEvent(bool withUrl)
{
    TScriptErrorEventObject e;
    e.Set("errorLine", "12");
    e.Set("errorCharacter", "4");
    e.Set("errorCode", "0");
    e.Set("errorMessage", "'x' is undefined");
    if (withUrl)
        e.Set("errorUrl", "http://127.0.0.1/a");
    return e;
}

} // namespace

TEST(EmbeddedWBOptions, FlagValuesFollowTheSets)
{
    TEmbeddedWB wb;
    EXPECT_EQ(wb.DownloadControlValue(), 0x70u); // images, videos, background sounds
    EXPECT_EQ(wb.UserInterfaceValue(), 0u);

    wb.SetDownloadOptions(workerSet());
    EXPECT_EQ(wb.AmbientProperty(DISPID_AMBIENT_DLCONTROL), int32_t(0x40000710));
    EXPECT_FALSE(wb.AmbientProperty(-5513).has_value());

    // The outer ends of both tables, where an off-by-one would show.
    EXPECT_EQ(DownloadControlValue({D::DLCTL_FORCEOFFLINE, D::DLCTL_OFFLINE, D::DLCTL_URL_ENCODING_ENABLE_UTF8}),
              0x90040000u);
    EXPECT_EQ(UserInterfaceValue(
                  {U::DIALOG, U::ENABLE_FORMS_AUTOCOMPLETE, U::ENABLE_INPLACE_NAVIGATION, U::IME_ENABLE_RECONVERSION}),
              0x34001u);

    wb.SetUserInterfaceOptions({U::NO3DBORDER, U::SCROLL_NO});
    THostInfo info;
    EXPECT_EQ(wb.GetHostInfo(info), S_OK);
    EXPECT_EQ(info.cbSize, 20u);
    EXPECT_EQ(info.dwFlags, 0xCu);
    wb.OnGetHostInfo = [](TEmbeddedWB *, THostInfo &i) {
        EXPECT_EQ(i.dwFlags, 0xCu); // filled before the handler runs
        return S_FALSE;
    };
    EXPECT_EQ(wb.GetHostInfo(info), S_FALSE);
}

TEST(EmbeddedWBOptions, WorkerSetLoadsImagesWithoutPlugInsOrSound)
{
    const browser::PageOptions worker = PageOptionsFor(workerSet(), {});
    EXPECT_TRUE(worker.loadImages && worker.javaScript && worker.settleTime.count() > 0);
    EXPECT_FALSE(worker.plugins || worker.audible || worker.bypassCache);

    const browser::PageOptions strict = PageOptionsFor(
        {D::DLCTL_NO_SCRIPTS, D::DLCTL_PRAGMA_NO_CACHE, D::DLCTL_BGSOUNDS, D::DLCTL_NO_CLIENTPULL}, {U::SCROLL_NO});
    EXPECT_FALSE(strict.loadImages || strict.javaScript || strict.scrollBars || strict.settleTime.count() > 0);
    EXPECT_TRUE(strict.plugins && strict.bypassCache && strict.audible);
}

TEST(EmbeddedWBHost, ScriptErrorAnswers)
{
    TEmbeddedWB wb;
    const TScriptErrorEventObject event = errorEvent(true);
    std::optional<bool> out;

    EXPECT_EQ(wb.Exec(TCommandGroup::DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, &event, &out),
              OLECMDERR_E_NOTSUPPORTED);
    EXPECT_FALSE(out.has_value());

    std::string seen;
    wb.OnScriptError = [&](TEmbeddedWB *, const std::string &line, const std::string &, const std::string &,
                           const std::string &message, const std::string &, bool &cont, bool &show) {
        EXPECT_TRUE(cont && show);
        seen = line + ": " + message;
        cont = show = false;
    };
    EXPECT_EQ(wb.Exec(TCommandGroup::DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, &event, &out), S_OK);
    EXPECT_EQ(out, std::optional<bool>(false));
    EXPECT_EQ(seen, "12: 'x' is undefined");

    const TScriptErrorEventObject partial = errorEvent(false);
    try {
        wb.Exec(TCommandGroup::DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, &partial, &out);
        ADD_FAILURE() << "a missing property must raise";
    } catch (const rtl::Exception &e) {
        EXPECT_STREQ(e.what(), "'errorUrl' not supported.");
    }
}

TEST(EmbeddedWBHost, CommandGroupsRefreshUnloadAndHelp)
{
    TEmbeddedWB wb;
    EXPECT_EQ(wb.Exec(TCommandGroup::None, 37, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);

    int unloads = 0;
    wb.OnUnload = [&](TEmbeddedWB *) { ++unloads; };
    EXPECT_EQ(wb.Exec(TCommandGroup::Explorer, 37, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(unloads, 1);

    std::vector<uint32_t> refreshes;
    wb.OnRefresh = [&](TEmbeddedWB *, uint32_t id, bool &cancel) {
        refreshes.push_back(id);
        cancel = id != 2300;
    };
    EXPECT_EQ(wb.Exec(TCommandGroup::DocHostCommandHandler, 6041, nullptr, nullptr), S_OK);
    EXPECT_EQ(wb.Exec(TCommandGroup::DocHostCommandHandler, 2300, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(wb.Exec(TCommandGroup::DocHostCommandHandler, 6043, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(refreshes, (std::vector<uint32_t>{6041, 2300}));

    EXPECT_EQ(wb.ShowHelp(nullptr, "x.chm", 1, 0), S_FALSE);
    std::vector<std::string> helpCalls;
    intptr_t shown = 0;
    const ScopedHtmlHelpFunction helpFunction(
        [&](void *, const std::string &file, uint32_t command, uintptr_t data) -> intptr_t {
            helpCalls.push_back(file + ":" + std::to_string(command) + ":" + std::to_string(data));
            return shown;
        });
    wb.HelpFile = "Zarvello.chm";
    // Help that did not show is not handled: the browser shows its own.
    EXPECT_EQ(wb.ShowHelp(nullptr, "ignored.chm", 15, 7), S_FALSE);
    shown = 0x1234;
    EXPECT_EQ(wb.ShowHelp(nullptr, "ignored.chm", 15, 7), S_OK);
    EXPECT_EQ(helpCalls, (std::vector<std::string>{"Zarvello.chm:15:7", "Zarvello.chm:15:7"}));
}

TEST(EmbeddedWBHost, HelpFileOpensTheProgramsViewer)
{
    std::vector<std::string> viewerCalls;
    // The viewer's window is only passed on, never touched: a marker will do
    // where no application could make a real one.
    int marker = 0;
    QWidget *answer = reinterpret_cast<QWidget *>(&marker);
    const help::ScopedHtmlHelpEntry viewer(
        [&](QWidget *, const QString &path, help::HtmlHelpCommand command, const help::HtmlHelpArg &arg) {
            viewerCalls.push_back(path.toStdString() + " " + std::to_string(int(command)) + " #" +
                                  std::to_string(arg.context));
            return answer;
        });
    BindHtmlHelp(ViewerHtmlHelp());
    TEmbeddedWB wb;
    wb.HelpFile = "/opt/zarvello/ZVO.chm";
    EXPECT_EQ(wb.ShowHelp(nullptr, "", HH_HELP_CONTEXT, 42), S_OK);
    EXPECT_EQ(wb.ShowHelp(nullptr, "", HH_DISPLAY_TOC, 0), S_OK);
    // A command the viewer does not know shows nothing.
    EXPECT_EQ(wb.ShowHelp(nullptr, "", 0x7777, 0), S_FALSE);
    answer = nullptr; // an unknown context
    EXPECT_EQ(wb.ShowHelp(nullptr, "", HH_HELP_CONTEXT, 43), S_FALSE);
    EXPECT_EQ(viewerCalls, (std::vector<std::string>{"/opt/zarvello/ZVO.chm 4 #42", "/opt/zarvello/ZVO.chm 1 #0",
                                                     "/opt/zarvello/ZVO.chm 4 #43"}));
    BindHtmlHelp({});
}

// Without a handler every host method gives its fixed answer, and out
// arguments come back cleared.
TEST(EmbeddedWBHost, FixedAnswersWithoutHandlers)
{
    TEmbeddedWB wb;
    int dummy = 0;
    TInterface out = &dummy;
    std::string key = "kept";

    std::vector<TOleCmd> commands{{2300, 0}, {6041, 7}};
    EXPECT_EQ(wb.QueryStatus(TCommandGroup::DocHostCommandHandler, commands), S_OK);
    EXPECT_EQ(commands[0].Flags, 0u);
    EXPECT_EQ(commands[1].Flags, 7u);

    EXPECT_EQ(wb.QueryService("{svc}", "{iid}", out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    uint32_t count = 5;
    EXPECT_EQ(wb.GetTypeInfoCount(count), E_NOTIMPL);
    EXPECT_EQ(count, 0u);
    out = &dummy;
    EXPECT_EQ(wb.GetTypeInfo(0, 0, out), E_NOTIMPL);
    EXPECT_EQ(out, nullptr);
    std::vector<int32_t> ids;
    EXPECT_EQ(wb.GetIDsOfNames("{iid}", {"x"}, 0, ids), E_NOTIMPL);

    const HRESULT falses[] = {
        wb.ShowContextMenu(1, {3, 4}, nullptr, nullptr),
        wb.ShowUI(1, nullptr, nullptr, nullptr, nullptr),
        wb.HideUI(),
        wb.UpdateUI(),
        wb.EnableModeless(true),
        wb.OnDocWindowActivate(true),
        wb.OnFrameWindowActivate(false),
        wb.ResizeBorder({0, 0, 10, 10}, nullptr, true),
        wb.TranslateAccelerator({0x100, 'A', 0, 0}, TCommandGroup::None, 0),
        wb.GetOptionKeyPath(key, 0),
        wb.TranslateUrl(0, "http://a/", key),
    };
    for (size_t i = 0; i < std::size(falses); ++i)
        EXPECT_EQ(falses[i], S_FALSE) << "answer " << i;

    out = &dummy;
    EXPECT_EQ(wb.GetDropTarget(&dummy, out), S_OK);
    EXPECT_EQ(out, nullptr);
    out = &dummy;
    EXPECT_EQ(wb.GetExternal(out), S_FALSE);
    EXPECT_EQ(out, nullptr);
    out = &dummy;
    EXPECT_EQ(wb.FilterDataObject(&dummy, out), S_FALSE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(wb.GetOverrideKeyPath(key, 0), S_OK);
    EXPECT_EQ(key, "kept");
    EXPECT_TRUE(wb.CloseQuery());
}

TEST(EmbeddedWBHost, HandlersGetTheArgumentsAndGiveTheAnswer)
{
    TEmbeddedWB wb;
    int dummy = 0, supplied = 0;
    std::vector<std::string> seen;
    auto note = [&](const std::string &what) { seen.push_back(what); };

    wb.OnQueryService = [&](TEmbeddedWB *, const std::string &svc, const std::string &iid, TInterface &o) {
        EXPECT_EQ(o, nullptr); // cleared before the handler
        note("service " + svc + " " + iid);
        o = &supplied;
        return S_OK;
    };
    wb.OnGetDropTarget = [&](TEmbeddedWB *, TInterface given, TInterface &o) {
        EXPECT_EQ(given, &dummy);
        EXPECT_EQ(o, nullptr);
        o = &supplied;
        return S_FALSE;
    };
    wb.OnShowContextMenu = [&](TEmbeddedWB *, uint32_t id, const TPoint &p, TInterface, TInterface) {
        note("menu " + std::to_string(id) + " " + std::to_string(p.X) + "," + std::to_string(p.Y));
        return S_OK;
    };
    wb.OnTranslateUrl = [&](TEmbeddedWB *, uint32_t, const std::string &in, std::string &outUrl) {
        outUrl = in + "?via=host";
        return S_OK;
    };
    wb.OnEnableModeless = [&](TEmbeddedWB *, bool enable) { return note(enable ? "modeless on" : "off"), S_OK; };
    wb.OnGetOverrideKeyPath = [&](TEmbeddedWB *, std::string &key, uint32_t) {
        key = "Software\\Zarvello\\IE";
        return S_OK;
    };
    wb.OnGetTypeInfoCount = [&](TEmbeddedWB *, uint32_t &count) { return count = 1, S_OK; };
    wb.OnCloseQuery = [&](TEmbeddedWB *, bool &canClose) {
        EXPECT_TRUE(canClose);
        canClose = false;
    };

    TInterface out = &dummy;
    EXPECT_EQ(wb.QueryService("{svc}", "{iid}", out), S_OK);
    EXPECT_EQ(out, &supplied);
    out = &dummy;
    EXPECT_EQ(wb.GetDropTarget(&dummy, out), S_FALSE);
    EXPECT_EQ(out, &supplied);
    EXPECT_EQ(wb.ShowContextMenu(5, {12, 34}, nullptr, nullptr), S_OK);
    std::string url;
    EXPECT_EQ(wb.TranslateUrl(0, "http://a/", url), S_OK);
    EXPECT_EQ(url, "http://a/?via=host");
    EXPECT_EQ(wb.EnableModeless(true), S_OK);
    std::string key;
    EXPECT_EQ(wb.GetOverrideKeyPath(key, 0), S_OK);
    EXPECT_EQ(key, "Software\\Zarvello\\IE");
    uint32_t count = 0;
    EXPECT_EQ(wb.GetTypeInfoCount(count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_FALSE(wb.CloseQuery());
    // The events not assigned keep their fixed answers.
    EXPECT_EQ(wb.HideUI(), S_FALSE);
    EXPECT_EQ(seen, (std::vector<std::string>{"service {svc} {iid}", "menu 5 12,34", "modeless on"}));
}

TEST(EmbeddedWBHost, InvokeAnswersTheDownloadControlBeforeAnyHandler)
{
    TEmbeddedWB wb;
    wb.SetDownloadOptions(workerSet());
    TVariant result;
    EXPECT_EQ(wb.Invoke(DISPID_AMBIENT_DLCONTROL, "", 0, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result, TVariant(int32_t(0x40000710)));
    // Without a handler: the ambient properties of any running host.
    EXPECT_EQ(wb.Invoke(-709, "", 0, DISPATCH_PROPERTYGET, {}, &result), S_OK); // user mode
    EXPECT_EQ(result, TVariant(true));
    EXPECT_EQ(wb.Invoke(-712, "", 0, DISPATCH_PROPERTYGET, {}, &result), S_OK); // show hatching
    EXPECT_EQ(result, TVariant(false));
    EXPECT_EQ(wb.Invoke(-5513, "", 0, DISPATCH_PROPERTYGET, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(wb.Invoke(DISPID_AMBIENT_DLCONTROL, "", 0, DISPATCH_PROPERTYGET, {}, nullptr), DISP_E_MEMBERNOTFOUND);

    std::vector<int32_t> invoked;
    wb.OnInvoke = [&](TEmbeddedWB *, int32_t id, const std::string &, uint32_t, uint16_t, const std::vector<TVariant> &,
                      TVariant *r) {
        invoked.push_back(id);
        if (r)
            *r = std::string("handled");
        return S_OK;
    };
    result = {};
    EXPECT_EQ(wb.Invoke(DISPID_AMBIENT_DLCONTROL, "", 0, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result, TVariant(int32_t(0x40000710)));
    EXPECT_EQ(wb.Invoke(DISPID_AMBIENT_DLCONTROL, "", 0, DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(wb.Invoke(-709, "", 0, DISPATCH_PROPERTYGET, {TVariant(1)}, &result), S_OK);
    EXPECT_EQ(result, TVariant(std::string("handled")));
    EXPECT_EQ(invoked, (std::vector<int32_t>{DISPID_AMBIENT_DLCONTROL, -709}));
}

// Off, every floating-point exception is masked; on, the state of the
// program's start comes back (here: its rounding).
TEST(EmbeddedWBHost, FpExceptionsMaskAndRestoreTheFloatingPointState)
{
    const int startRounding = std::fegetround();
    TEmbeddedWB wb;
    EXPECT_TRUE(wb.GetfpExceptions());
    feenableexcept(FE_DIVBYZERO | FE_INVALID); // as a library might leave it
    wb.SetfpExceptions(false);
    EXPECT_FALSE(wb.GetfpExceptions());
    EXPECT_EQ(fegetexcept(), 0);

    std::fesetround(FE_UPWARD);
    wb.SetfpExceptions(true);
    EXPECT_EQ(std::fegetround(), startRounding);
    EXPECT_EQ(fegetexcept(), 0);
}

TEST(EmbeddedWBAgent, TokenIsTheOneRegisteredAtLoaded)
{
    EXPECT_TRUE(postPlatformValues().empty());
    {
        TEmbeddedWB early;
        early.UserAgent = "Probe/1";
        early.Loaded();
        EXPECT_EQ(TEmbeddedWB::RegisteredUserAgentTokens(), "Probe/1");
        EXPECT_EQ(postPlatformValues(), std::vector<std::string>{"Probe/1"});

        TEmbeddedWB late;
        late.Loaded();
        late.UserAgent = "Late/2"; // after Loaded: not registered
        EXPECT_EQ(TEmbeddedWB::RegisteredUserAgentTokens(), "Probe/1");

        {
            TEmbeddedWB same;
            same.UserAgent = "Probe/1";
            same.Loaded();
        }
        // One wrapper's end does not take the token from another still alive.
        EXPECT_EQ(TEmbeddedWB::RegisteredUserAgentTokens(), "Probe/1");

        TEmbeddedWB renamed;
        renamed.UserAgent = "Gone/3";
        renamed.Loaded();
        renamed.UserAgent = "Other/4";
    }
    // Nothing lingers: a renamed wrapper still removes what it registered.
    EXPECT_EQ(TEmbeddedWB::RegisteredUserAgentTokens(), "");
    EXPECT_TRUE(postPlatformValues().empty());

    // A token another program put there is sent as well.
    registry::Registry key(registry::RootKey::CurrentUser);
    ASSERT_TRUE(key.openKey(PostPlatform, true));
    key.writeText("Other/9", "");
    EXPECT_EQ(TEmbeddedWB::RegisteredUserAgentTokens(), "Other/9");
    key.deleteValue("Other/9");
}

TEST(EmbeddedWBNavigation, BlankCompletesLocallyAndFailuresCompleteWithoutDocument)
{
    TEmbeddedWB wb;
    EXPECT_EQ(wb.ReadyState(), READYSTATE_UNINITIALIZED);
    std::vector<std::string> events;
    wb.OnBeforeNavigate2 = [&](TEmbeddedWB *, const void *, const std::string &url, bool &) {
        events.push_back("before " + url);
    };
    wb.OnNavigateComplete2 = [&](TEmbeddedWB *, const void *frame, const std::string &url) {
        EXPECT_EQ(frame, &wb);
        events.push_back("navigated " + url);
    };
    wb.OnDocumentComplete = [&](TEmbeddedWB *, const void *, const std::string &url) {
        events.push_back("complete " + url);
    };
    wb.OnNavigateError = [&](TEmbeddedWB *, const void *, const std::string &url, int32_t status) {
        events.push_back("error " + url + " " + std::to_string(status));
    };

    wb.NavigateUrl("about:blank");
    EXPECT_TRUE(wb.Busy());
    EXPECT_EQ(wb.ReadyState(), READYSTATE_LOADING);
    wb.ProcessMessages();
    EXPECT_FALSE(wb.Busy());
    EXPECT_EQ(wb.ReadyState(), READYSTATE_COMPLETE);
    EXPECT_TRUE(wb.HasDocument());

    // No application here to run the browser on: the load fails, and still
    // completes, so that a waiting worker is released.
    wb.Navigate("http://127.0.0.1:9/q");
    EXPECT_FALSE(wb.HasDocument());
    wb.ProcessMessages(std::chrono::milliseconds(200));
    EXPECT_FALSE(wb.Busy());
    EXPECT_EQ(wb.ReadyState(), READYSTATE_COMPLETE);
    EXPECT_EQ(wb.DocumentHtml(), "");
    EXPECT_EQ(wb.LastResult().status, browser::FetchStatus::Unavailable);
    EXPECT_EQ(events, (std::vector<std::string>{"before about:blank", "navigated about:blank", "complete about:blank",
                                                "before http://127.0.0.1:9/q", "error http://127.0.0.1:9/q -1",
                                                "navigated http://127.0.0.1:9/q", "complete http://127.0.0.1:9/q"}));

    wb.OnBeforeNavigate2 = [](TEmbeddedWB *, const void *, const std::string &, bool &cancel) { cancel = true; };
    wb.Navigate("http://127.0.0.1:9/other");
    EXPECT_EQ(wb.LocationURL(), "http://127.0.0.1:9/q");
}
