// What the user can do in the main window: the enabled state of its
// controls, the status-bar hints, and the commands of its buttons, menus and
// row popup.

#include "app/MainUnit.h"
#include "app/SiteListView.h"
#include "app/about/AboutUnit.h"
#include "foundation/MyOptions.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesUi.h"
#include "foundation/MyWebUtilities.h"
#include "platform/controls/Guard.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Modal.h"
#include "settings/CheckForUpdatesUnit.h"
#include "settings/OptionsUnit.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <cerrno>

namespace app {

using namespace foundation;
using namespace settings;

namespace {

// The maker's site; the product lives there too.
constexpr const char *ProductHomePageURL = "http://www.zarvello.example/?zvo";
constexpr const char *MakerHomePageURL = "http://www.zarvello.example/?zvologo";
constexpr const char *NewsletterURL = "http://www.zarvello.example/subscribe.htm?zvo";
constexpr const char *IncreaseLinkPopularityURL = "http://www.zarvello.example/link-popularity.htm?zvo";

constexpr const char *RecommendationRecipient = "your.friend@example.com";
constexpr const char *RecommendationSubject = "A free tool that measures link popularity";
constexpr const char *RecommendationBody =
    "Hi,\r\n\r\n"
    "I have found a free tool that shows how many web pages link to a web site, "
    "on several search engines at once, and compares it with the competition: Zarvello.\r\n\r\n"
    "You can get it at http://www.zarvello.example/\r\n";

constexpr const char *AddWebSiteTitle = "Add Web Site";
constexpr const char *AddWebSitePrompt = "Enter the web page URL:";
constexpr const char *AddWebSitePlaceholder = "http://www.your-site.example";
constexpr int InputBoxMinimumWidth = 360;

std::string percentEncoded(const char *text)
{
    return QUrl::toPercentEncoding(QString::fromLatin1(text)).toStdString();
}

std::string trimmedText(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

void TMainForm::setEnabledIfChanged(QWidget *control, bool enabled)
{
    if (control && control->isEnabled() != enabled)
        control->setEnabled(enabled);
}

void TMainForm::setEnabledIfChanged(QAction *action, bool enabled)
{
    if (action && action->isEnabled() != enabled)
        action->setEnabled(enabled);
}

void TMainForm::UpdateControls()
{
    const bool selected = !ListView1->selectedItems().isEmpty();
    const bool hasRows = ListView1->topLevelItemCount() > 0;
    for (QWidget *control :
         {static_cast<QWidget *>(AddWebSiteButton), static_cast<QWidget *>(GetLatestVersionButton),
          static_cast<QWidget *>(HelpButton), static_cast<QWidget *>(ImproveYourLinkPopularityButton),
          static_cast<QWidget *>(NewsletterButton), static_cast<QWidget *>(OptionsButton),
          static_cast<QWidget *>(TellYourFriendsButton), static_cast<QWidget *>(ListView1)})
        setEnabledIfChanged(control, !Busy);
    setEnabledIfChanged(RemoveSelectedWebSiteButton, selected && !Busy);
    setEnabledIfChanged(UpdateAllButton, !Busy && hasRows);
    setEnabledIfChanged(UpdateSelectedButton, !Busy && hasRows && selected);
    for (QAction *entry : ListPopupMenu->actions()) {
        if (!entry->isSeparator())
            setEnabledIfChanged(entry, selected);
    }
    for (QAction *entry : {MenuEditUndo, MenuEditCut, MenuEditCopy, MenuEditPaste, MenuEditSelectAll})
        setEnabledIfChanged(entry, selected);
}

void TMainForm::HintTimerTimer()
{
    HintTimer->stop();
    // A hint is not worth an error.
    controls::guarded(controls::Report::none(), [this] {
        if (!Busy) {
            // The hint of the window's control under the mouse pointer,
            // disabled controls included.
            QString hint;
            for (QWidget *w = QApplication::widgetAt(QCursor::pos()); w && w != this; w = w->parentWidget()) {
                if (w->isWindow())
                    break;
                if (!w->statusTip().isEmpty()) {
                    hint = w->statusTip();
                    break;
                }
            }
            if (hint != statusBar()->currentMessage())
                statusBar()->showMessage(hint);
        }
    });
    HintTimer->start();
}

void TMainForm::ListView1SelectItem()
{
    UpdateControls();
}

void TMainForm::UpdateSelectedWebSite()
{
    const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
    if (!selected.isEmpty())
        UpdateLinkPopularity(rtl::FromQString(selected.first()->text(0)));
}

void TMainForm::UpdateAllButtonClick()
{
    UpdateLinkPopularity(std::string());
}

void TMainForm::UpdateSelectedButtonClick()
{
    UpdateSelectedWebSite();
}

// ---------------------------------------------------------------------------
// The list

std::string TMainForm::SelectedDomain() const
{
    const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
    return selected.isEmpty() ? std::string() : rtl::FromQString(selected.first()->text(0));
}

std::optional<std::string> TMainForm::AskForText(const std::string &Caption, const std::string &Prompt,
                                                 const std::string &Default)
{
    QInputDialog box(this);
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(rtl::ToQString(Caption));
    box.setLabelText(rtl::ToQString(Prompt));
    box.setTextValue(rtl::ToQString(Default));
    // Wide enough to show a whole address, as the platform's input box is.
    if (auto *edit = box.findChild<QLineEdit *>())
        edit->setMinimumWidth(InputBoxMinimumWidth);
    if (shell::execDialog(box) != QDialog::Accepted)
        return std::nullopt;
    // The one text asked for is a site's address.
    return TypedAddress(box.textValue());
}

void TMainForm::AddWebSiteButtonClick()
{
    const std::optional<std::string> entered = AskForText(AddWebSiteTitle, AddWebSitePrompt, AddWebSitePlaceholder);
    if (!entered)
        return;
    // The address check itself overlooks blanks around the text; kept, they
    // would become part of the row's caption and of every query.
    const std::string url = trimmedText(*entered);
    if (!IsValidURL(url)) {
        ShowMessageBox(this, ReplaceText("The URL \"%0\" is not valid.", "%0", *entered, true), 'i');
        return;
    }
    QTreeWidgetItem *row = AddWebSite(url);
    SortSiteList();
    // The list shows the address without its scheme, so a search for the
    // text as typed would miss the row; the new row itself is selected (a
    // site already listed was selected when it was found).
    if (row) {
        ListView1->clearSelection();
        ListView1->setCurrentItem(row);
        row->setSelected(true);
        ListView1->scrollToItem(row);
    }
    ListView1->setFocus();
    UpdateControls();
}

void TMainForm::RemoveSelectedWebSiteButtonClick()
{
    DeleteSelectedListItem(ListView1);
    UpdateControls();
}

void TMainForm::OpenSelectedWebSite()
{
    const std::string domain = SelectedDomain();
    if (!domain.empty())
        OpenURL("http://" + domain + "/");
}

void TMainForm::ListPopupMenuShowLinkPopularityClick(QAction *entry)
{
    const QList<QAction *> entries = ListPopupMenu->actions();
    const int position = int(entries.indexOf(entry));
    if (position < 0)
        return;
    const int index = position - (int(entries.size()) - SearchEngineCount()) + 1;
    const std::string domain = SelectedDomain();
    if (domain.empty() || index < 1 || index > SearchEngineCount())
        return;
    OpenURL(GetSearchEngineQueryURL(index, domain));
}

void TMainForm::ListView1DblClick()
{
    OpenSelectedWebSite();
}

bool TMainForm::ListView1KeyDown(int key)
{
    if (key != Qt::Key_Delete || ListView1->selectedItems().isEmpty())
        return false;
    RemoveSelectedWebSiteButtonClick();
    return true;
}

// ---------------------------------------------------------------------------
// Windows and pages

void TMainForm::ShowOptionsWindow()
{
    StoreWindowBounds();
    std::unique_ptr<TOptionsForm> form;
    try {
        form = std::make_unique<TOptionsForm>(this);
    } catch (const std::exception &) {
        ShowMessageBox(this, "There is not enough memory to open the Options window.", '!');
        return;
    }
    form->SaveSettings = [] {
        errno = 0;
        return SaveOptions() ? QString() : saveFailureText(OptionsFileName, systemReason(errno));
    };
    form->ShowPage(1);
    if (shell::execDialog(*form) == QDialog::Accepted)
        UpdateControls();
    form.reset();
    SaveOptions();
}

void TMainForm::ShowAboutWindow()
{
    StoreWindowBounds();
    TAboutForm::ShowAbout(this);
}

void TMainForm::OptionsButtonClick()
{
    ShowOptionsWindow();
}

void TMainForm::GetLatestVersionButtonClick()
{
    ShowCheckForUpdatesForm();
}

void TMainForm::TellYourFriendsButtonClick()
{
    OpenURL(std::string("mailto:") + RecommendationRecipient + "?subject=" + percentEncoded(RecommendationSubject) +
            "&body=" + percentEncoded(RecommendationBody));
}

void TMainForm::HelpButtonClick()
{
    ShowContentsHelp();
}

void TMainForm::ImproveYourLinkPopularityButtonClick()
{
    OpenURL(IncreaseLinkPopularityURL);
}

void TMainForm::NewsletterButtonClick()
{
    OpenURL(NewsletterURL);
}

void TMainForm::LogoImageDblClick()
{
    OpenURL(MakerHomePageURL);
}

void TMainForm::MenuHelpVisitHomepageClick()
{
    OpenURL(ProductHomePageURL);
}

void TMainForm::MenuFileExitClick()
{
    closeOtherWindows();
    // A refused close (a check still running) keeps the program: ending it
    // now would skip saving the list.
    if (close())
        QCoreApplication::quit();
}

} // namespace app
