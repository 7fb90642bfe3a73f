#include "platform/rtl/Exceptions.h"
#include "widgets/webbrowser/EmbeddedWB.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace webbrowser;

using D = TDownloadControlOption;
using U = TUserInterfaceOption;

namespace {

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
    const ScopedHtmlHelpFunction helpFunction(
        [&](void *, const std::string &file, uint32_t command, uintptr_t data) -> intptr_t {
            helpCalls.push_back(file + ":" + std::to_string(command) + ":" + std::to_string(data));
            return 0;
        });
    wb.HelpFile = "Zarvello.chm";
    EXPECT_EQ(wb.ShowHelp(nullptr, "ignored.chm", 15, 7), S_OK);
    EXPECT_EQ(helpCalls, (std::vector<std::string>{"Zarvello.chm:15:7"}));
}

TEST(EmbeddedWBAgent, TokenIsTheOneRegisteredAtLoaded)
{
    {
        TEmbeddedWB early;
        early.UserAgent = "Probe/1";
        early.Loaded();
        EXPECT_EQ(TEmbeddedWB::RegisteredUserAgentTokens(), "Probe/1");

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
