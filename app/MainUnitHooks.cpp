// The places where the main window hands over to the windows and services
// of its neighbours: the splash window, the first-start wizard and the update
// scheduler.

#include "app/MainUnit.h"
#include "app/SiteListView.h"
#include "app/StoredDomains.h"
#include "app/about/AboutUnit.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/QtText.h"
#include "settings/CheckForUpdatesUnit.h"
#include "settings/FirstStartWizardUnit.h"

#include <QApplication>
#include <QHash>
#include <QScopeGuard>

namespace app {

using namespace foundation;
using namespace settings;

namespace {

constexpr const char *StoredDomainsFileName = "ZVO-Domains.txt";

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
    const std::string text = LoadTextFile(programFile(StoredDomainsFileName));
    const int subItems = ListView1->columnCount() - 1;
    // The file may hold hundreds of thousands of sites: each line is looked
    // at once, and each site is looked up among the listed ones by its
    // folded name, as AddWebSite compares them.
    QHash<QString, QTreeWidgetItem *> listed;
    listed.reserve(ListView1->topLevelItemCount());
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        listed.insert(ListView1->topLevelItem(i)->text(0).toCaseFolded(), ListView1->topLevelItem(i));
    QList<QTreeWidgetItem *> added;
    QTreeWidgetItem *alreadyListed = nullptr;
    // Whatever stops the walk, the rows made so far join the list, and the
    // last site found listed already is selected, as AddWebSite selects it.
    const auto addRows = qScopeGuard([&] {
        if (!added.isEmpty()) {
            ListView1->addTopLevelItems(added);
            UpdateControls();
        }
        if (alreadyListed) {
            ListView1->setCurrentItem(alreadyListed);
            alreadyListed->setSelected(true);
            ListView1->setFocus();
        }
    });
    for (size_t at = 0; at < text.size();) {
        // People edit the file with editors that end lines with a lone LF.
        const size_t lf = text.find('\n', at);
        std::string_view line(text.data() + at, (lf == std::string::npos ? text.size() : lf) - at);
        at = lf == std::string::npos ? text.size() : lf + 1;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::optional<StoredSite> stored = ReadStoredSite(line);
        if (!stored)
            continue;
        const QString caption = rtl::ToQString(stored->Site);
        const QString folded = caption.toCaseFolded();
        if (const auto found = listed.constFind(folded); found != listed.constEnd()) {
            alreadyListed = found.value();
            continue;
        }
        auto *row = new TSiteRow;
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        row->setText(0, caption);
        // With fewer than five engines the counts of the missing ones have no
        // column; the values that fit are kept.
        for (int i = 1; i <= subItems; ++i)
            row->setText(i, i - 1 < int(stored->Counts.size())
                                ? rtl::ToQString(rtl::FormatFloat(",0", stored->Counts[size_t(i - 1)]))
                                : QStringLiteral("0"));
        listed.insert(folded, row);
        added.append(row);
    }
}

void TMainForm::CheckForUpdatesIfDue()
{
    settings::CheckForUpdatesIfDue(false);
}

} // namespace app
