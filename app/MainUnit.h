#pragma once

// The main window: the site list with one column per search engine, the
// colour legend, the buttons and menus, and the program's start-up and
// shut-down around them.

#include "app/MyConstants.h"
#include "platform/rtl/FileDescriptor.h"

#include <QIcon>
#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QTimer;
class QTreeWidgetItem;

namespace app {

class TCheckSEThread;
class THelpRouter;
class TImage;
class TMyProgressForm;
class TPaintBox;
class TSiteListView;
class TSplashScreen;

inline constexpr const char *DomainDataFileName = "Domain-Data.txt";

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // --- life cycle ---------------------------------------------------------
    // The start-up. Answers false when the program is to end instead of
    // running its event loop.
    bool FormCreate();
    // The shut-down work of a close: list, window bounds and state, settings.
    // When the list or the settings cannot be saved, the user is told which
    // file and why and asked whether to close anyway; false keeps the program
    // running.
    bool FormClose();
    void FormResize();
    void StoreWindowBounds();
    // The first start with an empty list. Answers true when a wizard ran (and
    // the list was filled from it); false leaves the program running as it is.
    bool RunFirstStartWizard();
    void CheckForUpdatesTimerTimer();
    void HintTimerTimer();
    // True once the start-up has completed; only then does a close save.
    bool IsStarted() const { return m_started; }
    // A close that did not come from the window: a termination signal or the
    // end of the desktop session. It closes as the window's own close does,
    // once a running check has been cancelled and has wound down. False when
    // the user chose to keep the program (a save failed).
    bool CloseOnRequest();
    // A termination signal: the close as above, but nobody is there to
    // answer a question, so a failed save is told on standard error and the
    // program ends with the file it could not save as it was.
    void CloseOnTerminationSignal();
    // The event loop has ended without a close: save what a close saves.
    void SaveAtQuit();

    // --- engine table -------------------------------------------------------
    bool LoadSearchEngines();
    std::string GetSearchEngineQueryURL(int32_t SearchEngineIndex, const std::string &Domain) const;
    int SearchEngineCount() const { return SearchEngineNames ? int(SearchEngineNames->size()) : 0; }

    // --- site list ----------------------------------------------------------
    void SetupListViewColumns();
    void LoadDomainData();
    bool SaveDomainData();
    QTreeWidgetItem *AddWebSite(const std::string &domain);
    // A displayed count read back as a number: separators, blanks and
    // characters outside ASCII are dropped, the rest read leniently. Totals
    // beyond 64 bits are held at the limits.
    static int64_t GetLinkCountFromText(const std::string &text);
    static int ListView1Compare(const QTreeWidgetItem *item1, const QTreeWidgetItem *item2);
    void ListView1Edited(QTreeWidgetItem *item, std::string &text);
    std::optional<rtl::TColor> ListView1CustomDrawItem(int row) const;
    std::optional<rtl::TColor> ListView1CustomDrawSubItem(int row, int column) const;
    void PaintBox1Paint(QPainter &painter);
    void PaintBox1MouseMove(int x, int y);
    void SortSiteList();
    void FitFirstColumn();
    void FitHeightToRows();
    // The caption and the sub-items of a row as the file and the driver see
    // them (Windows-1252 bytes).
    std::string RowCaption(int row) const;
    std::string RowSubItem(int row, int subItem) const;

    // --- commands -----------------------------------------------------------
    void UpdateControls();
    void UpdateLinkPopularity(const std::string &Domain);
    void SetLinkPopularityResult(const std::string &Domain, int32_t SearchEngineIndex, int32_t LinkCount);
    void CancelRunningChecks(TMyProgressForm *ProgressForm, std::vector<std::unique_ptr<TCheckSEThread>> *Threads);
    // The progress window's status line during a run, by the checks left and
    // the connections running.
    static std::string CheckStatusText(int64_t ChecksLeft, int32_t Running);
    static std::string RemainingConnectionsText(int64_t Remaining);
    void UpdateSelectedWebSite();
    void ShowOptionsWindow();
    void ShowAboutWindow();
    void AddWebSiteButtonClick();
    void RemoveSelectedWebSiteButtonClick();
    void UpdateAllButtonClick();
    void UpdateSelectedButtonClick();
    void OptionsButtonClick();
    void GetLatestVersionButtonClick();
    void TellYourFriendsButtonClick();
    void HelpButtonClick();
    void ImproveYourLinkPopularityButtonClick();
    void NewsletterButtonClick();
    void LogoImageDblClick();
    void MenuFileExitClick();
    void MenuHelpVisitHomepageClick();
    void OpenSelectedWebSite();
    void ListPopupMenuShowLinkPopularityClick(QAction *entry);
    void ListView1DblClick();
    bool ListView1KeyDown(int key);
    void ListView1SelectItem();
    // The caption of the selected row; empty without a selection.
    std::string SelectedDomain() const;

    // --- state --------------------------------------------------------------
    int32_t HighlightRow = -1;
    int32_t HighlightColumn = -1;
    bool Busy = false;
    // The engine table, entry i at position i - 1; absent until read.
    std::optional<std::vector<std::string>> SearchEngineNames;
    std::optional<std::vector<std::string>> SearchEngineURLs;
    std::string HelpFile;

    // --- controls -----------------------------------------------------------
    TImage *LogoImage = nullptr;
    QLabel *LeftLabel = nullptr;
    TPaintBox *PaintBox1 = nullptr;
    QLabel *RightLabel = nullptr;
    TSiteListView *ListView1 = nullptr;
    QPushButton *AddWebSiteButton = nullptr;
    QPushButton *RemoveSelectedWebSiteButton = nullptr;
    QPushButton *UpdateAllButton = nullptr;
    QPushButton *UpdateSelectedButton = nullptr;
    QPushButton *OptionsButton = nullptr;
    QPushButton *GetLatestVersionButton = nullptr;
    QPushButton *TellYourFriendsButton = nullptr;
    QPushButton *HelpButton = nullptr;
    QPushButton *ImproveYourLinkPopularityButton = nullptr;
    QPushButton *NewsletterButton = nullptr;

    QMenu *MenuFile = nullptr;
    QAction *MenuFileExit = nullptr;
    QMenu *EditMenu = nullptr;
    QAction *MenuEditUndo = nullptr;
    QAction *MenuEditCut = nullptr;
    QAction *MenuEditCopy = nullptr;
    QAction *MenuEditPaste = nullptr;
    QAction *MenuEditSelectAll = nullptr;
    QAction *MenuEditOptions = nullptr;
    QMenu *Help1 = nullptr;
    QAction *MenuHelpHelpTopics = nullptr;
    QAction *MenuHelpVisitHomepage = nullptr;
    QAction *MenuHelpGetTheLatestVersion = nullptr;
    QAction *MenuHelpAboutZarvello = nullptr;

    QMenu *ListPopupMenu = nullptr;
    QAction *ListPopupMenuOpenWebSiteInBrowser = nullptr;
    QAction *ListPopupMenuUpdateLinkPopularityOnlyForThisWebSite = nullptr;

    QTimer *CheckForUpdatesTimer = nullptr;
    QTimer *HintTimer = nullptr;
    // Takes the program's help requests to the help viewer; owned by the
    // window, null when it could not be made.
    THelpRouter *HelpRouter1 = nullptr;
    // The row icon (image 0 of the row image list).
    QIcon ImageList1;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void createControls();
    void createMenus();
    void fitMinimumSize();
    // Cuts every callback and connection from the controls to the form.
    void detachControls();
    // Closes every other window of the program, the newest first.
    void closeOtherWindows();
    // The C library's words for an errno value, in the user's language.
    static QString systemReason(int error);
    // The file's name is the system's bytes.
    static QString saveFailureText(const std::string &fileName, const QString &reason);
    // Tells the user what could not be saved; true when the close goes on.
    bool closeDespite(const std::vector<QString> &failures);
    void addSearchEngineMenuEntries();
    // Rebuilds the rows with exactly one sub-item per column after the first.
    void normalizeRows();
    void setEnabledIfChanged(QWidget *control, bool enabled);
    void setEnabledIfChanged(QAction *action, bool enabled);
    std::string programFile(const char *name) const;
    // After a failed load: what stays of the file, and whether saves may
    // replace it.
    void keepUnreadableList(const std::string &path, const rtl::FileText &content);
    // The splash window while the start-up runs; null when it is turned off.
    std::unique_ptr<TSplashScreen> CreateSplashWindow();
    // The site list's own file of stored counts, added after the first start.
    void AddStoredDomains();
    std::optional<std::string> AskForText(const std::string &Caption, const std::string &Prompt,
                                          const std::string &Default);
    // The update scheduler's periodic check.
    void CheckForUpdatesIfDue();

    bool m_started = false;
    // Why the last save of the site list failed.
    QString m_saveFailure;
    // Why the site list's file, which could not be read, is left alone by
    // saves; empty when saves may replace it.
    QString m_siteListKept;
    // The event loop has ended: a close can no longer be refused.
    bool m_quitting = false;
    // A close was asked for while a check ran or the start-up went on.
    bool m_closeRequested = false;
    // The close came from a signal: no box may wait for an answer.
    bool m_unattended = false;
};

} // namespace app
