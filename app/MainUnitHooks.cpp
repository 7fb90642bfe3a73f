// The places where the main window hands over to the windows and services
// of its neighbours: the splash window, the first-start wizard and the update
// scheduler.

#include "app/MainUnit.h"
#include "app/SiteListView.h"
#include "app/about/AboutUnit.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/QtText.h"
#include "settings/CheckForUpdatesUnit.h"
#include "settings/FirstStartWizardUnit.h"

#include <QApplication>

namespace app {

using namespace foundation;
using namespace settings;

namespace {

constexpr const char *StoredDomainsFileName = "ZVO-Domains.txt";
// A stored line: the domain, the total and the counts of engines 1 to 5.
constexpr int StoredValueCount = 6;

} // namespace

std::unique_ptr<TSplashScreen> TMainForm::CreateSplashWindow()
{
    return TSplashScreen::Show();
}

bool TMainForm::RunFirstStartWizard()
{
    std::unique_ptr<TFirstStartWizardForm> wizard;
    try {
        wizard = std::make_unique<TFirstStartWizardForm>(this);
    } catch (const std::exception &) {
        ShowMessageBox(this, "There is not enough memory to start the application.", '!');
        // The list stays empty, and an empty list ends the program.
        return true;
    }
    wizard->ShowAndWait();
    if (wizard->Finished()) {
        ListView1->clear();
        try {
            AddWebSite(wizard->GetURL());
            TCompetitorURLList competitors;
            wizard->GetCompetitorURLs(competitors);
            for (const std::string &url : competitors)
                AddWebSite(url);
            AddStoredDomains();
        } catch (const std::exception &) {
            // What was added stays.
        }
    }
    SortSiteList();
    wizard.reset();
    return true;
}

void TMainForm::AddStoredDomains()
{
    // People edit the file with editors that end lines with a lone LF.
    std::string text = ReplaceText(LoadTextFile(programFile(StoredDomainsFileName)), "\r\n", "\n", true);
    text = ReplaceText(text, "\n", "\r\n", true);
    const int subItems = ListView1->columnCount() - 1;
    while (!text.empty()) {
        const std::string line = ExtractFirstLine(text);
        const std::string domain = GetField(line, "*", 1);
        // A blank line would become a row without a site, which no engine
        // can be asked about.
        if (domain.find_first_not_of(" \t") == std::string::npos)
            continue;
        QTreeWidgetItem *row = AddWebSite(domain);
        if (!row)
            continue;
        // With fewer than five engines the counts of the missing ones have no
        // column; the values that fit are kept.
        for (int value = 0; value < StoredValueCount && value < subItems; ++value) {
            const double number = StrToNumber(GetField(line, "*", value + 2));
            row->setText(value + 1, rtl::ToQString(rtl::FormatFloat(",0", number)));
        }
    }
}

void TMainForm::CheckForUpdatesIfDue()
{
    settings::CheckForUpdatesIfDue(false);
}

} // namespace app
