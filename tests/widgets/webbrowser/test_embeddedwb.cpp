#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/help/HtmlHelp.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/Exceptions.h"
#include "widgets/webbrowser/EmbeddedWB.h"
#include "widgets/webbrowser/IEUtils.h"

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
    wb.OnGetHostInfo.Set([](TEmbeddedWB *, THostInfo &i) {
        EXPECT_EQ(i.dwFlags, 0xCu); // filled before the handler runs
        return S_FALSE;
    });
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
    wb.OnScriptError.Set([&](TEmbeddedWB *, const std::string &line, const std::string &, const std::string &,
                             const std::string &message, const std::string &, bool &cont, bool &show) {
        EXPECT_TRUE(cont && show);
        seen = line + ": " + message;
        cont = show = false;
    });
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
    wb.OnUnload.Set([&](TEmbeddedWB *) { ++unloads; });
    EXPECT_EQ(wb.Exec(TCommandGroup::Explorer, 37, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(unloads, 1);

    std::vector<uint32_t> refreshes;
    wb.OnRefresh.Set([&](TEmbeddedWB *, uint32_t id, bool &cancel) {
        refreshes.push_back(id);
        cancel = id != 2300;
    });
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

    wb.OnQueryService.Set([&](TEmbeddedWB *, const std::string &svc, const std::string &iid, TInterface &o) {
        EXPECT_EQ(o, nullptr); // cleared before the handler
        note("service " + svc + " " + iid);
        o = &supplied;
        return S_OK;
    });
    wb.OnGetDropTarget.Set([&](TEmbeddedWB *, TInterface given, TInterface &o) {
        EXPECT_EQ(given, &dummy);
        EXPECT_EQ(o, nullptr);
        o = &supplied;
        return S_FALSE;
    });
    wb.OnShowContextMenu.Set([&](TEmbeddedWB *, uint32_t id, const TPoint &p, TInterface, TInterface) {
        note("menu " + std::to_string(id) + " " + std::to_string(p.X) + "," + std::to_string(p.Y));
        return S_OK;
    });
    wb.OnTranslateUrl.Set([&](TEmbeddedWB *, uint32_t, const std::string &in, std::string &outUrl) {
        outUrl = in + "?via=host";
        return S_OK;
    });
    wb.OnEnableModeless.Set([&](TEmbeddedWB *, bool enable) { return note(enable ? "modeless on" : "off"), S_OK; });
    wb.OnGetOverrideKeyPath.Set([&](TEmbeddedWB *, std::string &key, uint32_t) {
        key = "Software\\Zarvello\\IE";
        return S_OK;
    });
    wb.OnGetTypeInfoCount.Set([&](TEmbeddedWB *, uint32_t &count) { return count = 1, S_OK; });
    wb.OnCloseQuery.Set([&](TEmbeddedWB *, bool &canClose) {
        EXPECT_TRUE(canClose);
        canClose = false;
    });

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
    wb.OnInvoke.Set([&](TEmbeddedWB *, int32_t id, const std::string &, uint32_t, uint16_t,
                        const std::vector<TVariant> &, TVariant *r) {
        invoked.push_back(id);
        if (r)
            *r = std::string("handled");
        return S_OK;
    });
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
    wb.OnBeforeNavigate2.Set(
        [&](TEmbeddedWB *, const void *, const std::string &url, bool &) { events.push_back("before " + url); });
    wb.OnNavigateComplete2.Set([&](TEmbeddedWB *, const void *frame, const std::string &url) {
        EXPECT_EQ(frame, &wb);
        events.push_back("navigated " + url);
    });
    wb.OnDocumentComplete.Set(
        [&](TEmbeddedWB *, const void *, const std::string &url) { events.push_back("complete " + url); });
    wb.OnNavigateError.Set([&](TEmbeddedWB *, const void *, const std::string &url, int32_t status) {
        events.push_back("error " + url + " " + std::to_string(status));
    });

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

    wb.OnBeforeNavigate2.Set([](TEmbeddedWB *, const void *, const std::string &, bool &cancel) { cancel = true; });
    wb.Navigate("http://127.0.0.1:9/other");
    EXPECT_EQ(wb.LocationURL(), "http://127.0.0.1:9/q");
}

namespace {

QByteArray asText(classes::TMemoryStream &binary)
{
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    binary.SetPosition(0);
    return QByteArray(text.Memory(), int(text.Size()));
}

} // namespace

// The wrapper in a stored layout: its settings, its page setup and the names
// of its handlers come back, and the values derived from them are made anew.
TEST(EmbeddedWBStream, SettingsPageSetupAndHandlersReadBack)
{
    RegisterEmbeddedWBClasses();
    {
        TEmbeddedWB fresh;
        fresh.SetName("Fresh");
        classes::TMemoryStream stream;
        stream.WriteComponent(&fresh);
        const QByteArray written = asText(stream);
        for (const char *line :
             {"DownloadOptions = [DLCTL_DLIMAGES, DLCTL_VIDEOS, DLCTL_BGSOUNDS]", "UserInterfaceOptions = []",
              "'<HTML></HTML>'", "PrintOptions.Orientation = poPortrait"})
            EXPECT_TRUE(written.contains(line)) << line << "\n" << written.constData();
        // What Create gives is not repeated.
        for (const char *name : {"fpExceptions", "EnableDDE", "ReplaceCaption", "UserAgent", "HelpFile", "OnRefresh"})
            EXPECT_FALSE(written.contains(name)) << name << "\n" << written.constData();
    }

    TEmbeddedWB wb;
    wb.SetName("EmbeddedWB1");
    wb.SetDownloadOptions(workerSet());
    wb.SetUserInterfaceOptions({U::DIALOG, U::SCROLL_NO});
    wb.UserAgent = "ZVO-Stream/1";
    wb.ReplaceCaption = true;
    wb.SetEnableDDE(true);
    wb.SetfpExceptions(false);
    wb.HelpFile = "ZVO.chm";
    wb.PrintOptions->Header = "&w&bPage &p";
    wb.PrintOptions->Margins->Left = 12.5;
    wb.PrintOptions->Orientation = TPrintOrientationOption::poLandscape;
    wb.OnCloseQuery.Set(QStringLiteral("EmbeddedWB1CloseQuery"), nullptr);
    wb.OnShowMessage.Set(QStringLiteral("EmbeddedWB1ShowMessage"), nullptr);
    classes::TMemoryStream stream;
    stream.WriteComponent(&wb);
    wb.SetfpExceptions(true);
    const QByteArray written = asText(stream);
    for (const char *line : {"fpExceptions = False", "EnableDDE = True", "UserAgent = 'ZVO-Stream/1'",
                             "OnCloseQuery = EmbeddedWB1CloseQuery", "PrintOptions.Margins.Left = 12.5"})
        EXPECT_TRUE(written.contains(line)) << line << "\n" << written.constData();

    TEmbeddedWB restored;
    restored.DefineMethod<void(TEmbeddedWB *, bool &)>("EmbeddedWB1CloseQuery",
                                                       [](TEmbeddedWB *, bool &canClose) { canClose = false; });
    restored.DefineMethod<HRESULT(TEmbeddedWB *, const std::string &, const std::string &, uint32_t)>(
        "EmbeddedWB1ShowMessage",
        [](TEmbeddedWB *, const std::string &, const std::string &, uint32_t) { return S_OK; });
    stream.ReadComponent(&restored);
    const bool masked = restored.GetfpExceptions() == false;
    restored.SetfpExceptions(true);
    EXPECT_TRUE(masked);
    EXPECT_EQ(restored.GetDownloadOptions(), workerSet());
    EXPECT_EQ(restored.DownloadControlValue(), 0x40000710u);
    EXPECT_EQ(restored.UserInterfaceValue(), 0x9u);
    EXPECT_EQ(restored.UserAgent, "ZVO-Stream/1");
    EXPECT_TRUE(restored.ReplaceCaption);
    EXPECT_TRUE(restored.GetEnableDDE());
    EXPECT_EQ(restored.HelpFile, "ZVO.chm");
    EXPECT_EQ(restored.PrintOptions->Header, "&w&bPage &p");
    EXPECT_EQ(restored.PrintOptions->Margins->Left, 12.5);
    EXPECT_EQ(restored.PrintOptions->Orientation, TPrintOrientationOption::poLandscape);
    EXPECT_EQ(restored.PrintOptions->HTMLHeader->Count(), 1);
    EXPECT_FALSE(restored.CloseQuery());
    EXPECT_EQ(restored.ShowMessage("hi", "page", 0), S_OK);
    // Read, the wrapper is loaded: its token is registered.
    EXPECT_EQ(TEmbeddedWB::RegisteredUserAgentTokens(), "ZVO-Stream/1");
}

// Page set-up texts and the user agent hold any script, through the stored
// layout and the token sent with every page; the help file and a local page
// are paths, the system's bytes, and a path reaches the page as an address
// every code page holds.
TEST(EmbeddedWBStream, TextsAndPathsKeepEveryCharacter)
{
    const QString agent = QString::fromUtf8("\xD0\x97\xD0\xBE\xD0\xBD\xD0\xB4/1 \xF0\x9F\x98\x80");
    const QString header = QString::fromUtf8("&w \xE9\xA1\xB5 &p");
    const QString footer = QString::fromUtf8("\xD8\xAA\xD8\xB0\xD9\x8A\xD9\x8A\xD9\x84 \xF0\x9F\x98\x80");
    const std::string help = "/srv/\xD0\xA1\xD0\xBF\xD1\x80\xD0\xB0\xD0\xB2\xD0\xBA\xD0\xB0/ZVO.chm";
    TEmbeddedWB wb;
    wb.SetName("EmbeddedWB1");
    wb.UserAgent = agent;
    wb.HelpFile = help;
    wb.PrintOptions->Header = header;
    wb.PrintOptions->Footer = footer;
    classes::TMemoryStream stream;
    stream.WriteComponent(&wb);
    classes::TMemoryStream text, fromText;
    stream.SetPosition(0);
    classes::ObjectBinaryToText(stream, text);
    text.SetPosition(0);
    classes::ObjectTextToBinary(text, fromText);
    for (classes::TMemoryStream *binary : {&stream, &fromText}) {
        binary->SetPosition(0);
        TEmbeddedWB restored;
        binary->ReadComponent(&restored);
        EXPECT_EQ(restored.UserAgent, agent);
        EXPECT_EQ(restored.HelpFile, help);
        EXPECT_EQ(restored.PrintOptions->Header, header);
        EXPECT_EQ(restored.PrintOptions->Footer, footer);
        EXPECT_EQ(TEmbeddedWB::RegisteredUserAgentTokens(), agent);
    }
    EXPECT_TRUE(postPlatformValues().empty());

    std::string address;
    wb.OnBeforeNavigate2.Set([&](TEmbeddedWB *, const void *, const std::string &url, bool &cancel) {
        address = url;
        cancel = true;
    });
    wb.NavigateItemList(MakeItemList({"tmp", "\xD0\x97", "caf\xC3\xA9.htm"}));
    EXPECT_EQ(address, "file:///tmp/%D0%97/caf%C3%A9.htm");
}
