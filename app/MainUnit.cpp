#include "app/MainUnit.h"

#include "app/ColorLegend.h"
#include "app/Controls.h"
#include "app/ProgressUnit.h"
#include "app/SearchEngines.h"
#include "app/SiteListView.h"
#include "app/about/AboutUnit.h"
#include "app/help/HelpRouter.h"
#include "foundation/MyOptions.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/controls/Direction.h"
#include "platform/controls/Guard.h"
#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/LocalNames.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/WindowFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSessionManager>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

namespace app {

using namespace foundation;

namespace {

constexpr int ClientWidth = 622;
constexpr int ClientHeight = 502;
constexpr int MinimumHeight = 340;
constexpr int UpdateCheckInterval = 100000;
constexpr int HintInterval = 200;
constexpr const char *ListHint =
    "Tip: Click a web site name in the list with the right mouse button to get more options.";

QPushButton *makeButton(QWidget *parent, const char *name, const char *caption, const char *hint)
{
    auto *button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setStatusTip(QString::fromLatin1(hint));
    button->setAutoDefault(false);
    return button;
}

// A command of the window, as a slot: it runs under the guard, so that its
// error reaches the user as a message and never Qt's event loop.
template <typename Work>
auto command(TMainForm *form, Work work)
{
    return [form, work] { controls::guarded(controls::Report::toUser(form), work); };
}

QAction *makeAction(QMenu *menu, const char *name, const char *caption, QKeySequence shortcut = {})
{
    QAction *action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Zarvello"));
    createControls();
    createMenus();

    CheckForUpdatesTimer = new QTimer(this);
    CheckForUpdatesTimer->setObjectName(QStringLiteral("CheckForUpdatesTimer"));
    CheckForUpdatesTimer->setInterval(UpdateCheckInterval);
    connect(CheckForUpdatesTimer, &QTimer::timeout, this, [this] { CheckForUpdatesTimerTimer(); });

    HintTimer = new QTimer(this);
    HintTimer->setObjectName(QStringLiteral("HintTimer"));
    HintTimer->setInterval(HintInterval);
    connect(HintTimer, &QTimer::timeout, this, [this] { HintTimerTimer(); });
    HintTimer->start();

    // No visual-styles manifest either: Qt draws every widget in the
    // platform's style by itself.
    HelpRouter1 = CreateMainHelpRouter(this);

    // The desktop session's end closes the program as its own close does; a
    // close the user refused keeps the session from ending.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        if (!CloseOnRequest())
            manager.cancel();
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { SaveAtQuit(); });

    fitMinimumSize();
    resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    SetMainForm(this);
}

TMainForm::~TMainForm()
{
    if (GetMainForm() == this)
        SetMainForm(nullptr);
    detachControls();
}

void TMainForm::detachControls()
{
    // QWidget's destructor hides a shown window and deletes its controls
    // after this form's own part is gone: the list lays its rows out again,
    // an open in-place editor hands in its text, the selection goes. None of
    // that may reach a form that no longer exists.
    ListView1->OnCustomDraw = nullptr;
    ListView1->OnEdited = nullptr;
    ListView1->OnKeyDown = nullptr;
    PaintBox1->OnPaint = nullptr;
    PaintBox1->OnMouseMove = nullptr;
    LogoImage->OnDblClick = nullptr;
    for (QObject *control : findChildren<QObject *>())
        disconnect(control, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
}

void TMainForm::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 4);
    column->setSpacing(4);

    // Read now rather than whenever the icon is first drawn, and as the
    // other files beside the program are.
    ImageList1 = QIcon(LoadPictureFile(programFile("ZVO-RowIcon.png")));
    setWindowIcon(ImageList1);

    LogoImage = new TImage(client);
    LogoImage->setObjectName(QStringLiteral("LogoImage"));
    LogoImage->setStatusTip(QStringLiteral("Zarvello - Please tell your friends about it! :-)"));
    LogoImage->setFixedHeight(60);
    LogoImage->setPixmap(LoadPictureFile(programFile("ZVO-Logo.png")));
    // The picture fades into this colour towards the right, so a wider window
    // continues it; at the right end, right to left, its light left edge would
    // stand against the colour.
    LogoImage->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter);
    LogoImage->setAutoFillBackground(true);
    QPalette logoPalette = LogoImage->palette();
    logoPalette.setColor(QPalette::Window, QColor(0x1F, 0x3A, 0x68));
    LogoImage->setPalette(logoPalette);
    LogoImage->OnDblClick = [this] { LogoImageDblClick(); };
    column->addWidget(LogoImage);

    // The scale runs from the lowest colour on the left to the highest on the
    // right in every language; a right-to-left layout would swap the
    // captions' ends but not the colours'.
    auto *legend = new QWidget(client);
    legend->setObjectName(QStringLiteral("LegendRow"));
    auto *legendRow = new QHBoxLayout(legend);
    legendRow->setContentsMargins(8, 0, 8, 0);
    legendRow->setSpacing(6);
    QFont bold = font();
    bold.setBold(true);
    LeftLabel = new QLabel(QStringLiteral("Limited Presence..."), legend);
    LeftLabel->setObjectName(QStringLiteral("LeftLabel"));
    LeftLabel->setFont(bold);
    PaintBox1 = new TPaintBox(legend);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setFixedHeight(16);
    PaintBox1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    PaintBox1->OnPaint = [this](QPainter &painter) { PaintBox1Paint(painter); };
    PaintBox1->OnMouseMove = [this](int x, int y) { PaintBox1MouseMove(x, y); };
    RightLabel = new QLabel(QStringLiteral("...Major Player"), legend);
    RightLabel->setObjectName(QStringLiteral("RightLabel"));
    RightLabel->setFont(bold);
    legendRow->addWidget(LeftLabel);
    legendRow->addWidget(PaintBox1, 1);
    legendRow->addWidget(RightLabel);
    controls::KeepLeftToRight(legend);
    column->addWidget(legend);

    ListView1 = new TSiteListView(client);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setStatusTip(QString::fromLatin1(ListHint));
    ListView1->RowIcon = ImageList1;
    ListView1->OnCompare = [](const QTreeWidgetItem *a, const QTreeWidgetItem *b) { return ListView1Compare(a, b); };
    ListView1->OnSortKey = [](const QString &total) { return GetLinkCountFromText(rtl::FromQString(total)); };
    ListView1->OnCustomDraw = [this](int row, int col) {
        return col == 0 ? ListView1CustomDrawItem(row) : ListView1CustomDrawSubItem(row, col);
    };
    ListView1->OnEdited = [this](QTreeWidgetItem *item, std::string &text) { ListView1Edited(item, text); };
    // A count column that widens for its values takes the room from the domains.
    connect(ListView1->header(), &QHeaderView::sectionResized, this, [this](int section, int, int) {
        if (section != 0)
            controls::guarded(controls::Report::none(), [this] { FitFirstColumn(); });
    });
    ListView1->OnKeyDown = [this](int key) { return ListView1KeyDown(key); };
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        controls::guarded(controls::Report::toUser(this), [&] {
            if (ListPopupMenu)
                ListPopupMenu->popup(ListView1->viewport()->mapToGlobal(at));
        });
    });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, command(this, [this] { ListView1DblClick(); }));
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, command(this, [this] { ListView1SelectItem(); }));
    auto *listRow = new QHBoxLayout;
    listRow->setContentsMargins(8, 0, 8, 0);
    listRow->addWidget(ListView1);
    column->addLayout(listRow, 1);

    AddWebSiteButton =
        makeButton(client, "AddWebSiteButton", "&Add Web Site...", "Add a web site to check its link popularity");
    RemoveSelectedWebSiteButton = makeButton(client, "RemoveSelectedWebSiteButton", "&Remove Selected Web Site",
                                             "Remove the selected web site from the list");
    UpdateAllButton =
        makeButton(client, "UpdateAllButton", "&Update All", "Update all link popularity numbers in the list");
    UpdateSelectedButton = makeButton(client, "UpdateSelectedButton", "Update &Selected",
                                      "Update the link popularity numbers for the selected web site");
    OptionsButton =
        makeButton(client, "OptionsButton", "&Options...", "Change the connection, proxy and update settings");
    GetLatestVersionButton = makeButton(client, "GetLatestVersionButton", "&Get The Latest Version...",
                                        "Check if there's a new version of this tool");
    TellYourFriendsButton = makeButton(client, "TellYourFriendsButton", "&Tell Your Friends...",
                                       "Tell your friends about this free tool and make them happy");
    HelpButton = makeButton(client, "HelpButton", "&Help...", "Shows the help file");
    ImproveYourLinkPopularityButton =
        makeButton(client, "ImproveYourLinkPopularityButton", "How To &Increase Your Link Popularity (free eBook)...",
                   "Click here to learn how to improve your link popularity");
    NewsletterButton = makeButton(client, "NewsletterButton", "&Free Weekly Search Engine Facts Newsletter...",
                                  "Click here to learn about our exclusive newsletter");

    auto *buttons = new QGridLayout;
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->setHorizontalSpacing(6);
    buttons->setVerticalSpacing(4);
    const QPushButton *firstRows[2][4] = {
        {AddWebSiteButton, RemoveSelectedWebSiteButton, UpdateAllButton, UpdateSelectedButton},
        {OptionsButton, GetLatestVersionButton, TellYourFriendsButton, HelpButton}};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 4; ++c)
            buttons->addWidget(const_cast<QPushButton *>(firstRows[r][c]), r, c);
    }
    buttons->addWidget(ImproveYourLinkPopularityButton, 2, 0, 1, 2);
    buttons->addWidget(NewsletterButton, 2, 2, 1, 2);
    for (int c = 0; c < 4; ++c)
        buttons->setColumnStretch(c, 1);
    column->addLayout(buttons);

    connect(AddWebSiteButton, &QPushButton::clicked, this, command(this, [this] { AddWebSiteButtonClick(); }));
    connect(RemoveSelectedWebSiteButton, &QPushButton::clicked, this,
            command(this, [this] { RemoveSelectedWebSiteButtonClick(); }));
    connect(UpdateAllButton, &QPushButton::clicked, this, command(this, [this] { UpdateAllButtonClick(); }));
    connect(UpdateSelectedButton, &QPushButton::clicked, this, command(this, [this] { UpdateSelectedButtonClick(); }));
    connect(OptionsButton, &QPushButton::clicked, this, command(this, [this] { OptionsButtonClick(); }));
    connect(GetLatestVersionButton, &QPushButton::clicked, this,
            command(this, [this] { GetLatestVersionButtonClick(); }));
    connect(TellYourFriendsButton, &QPushButton::clicked, this,
            command(this, [this] { TellYourFriendsButtonClick(); }));
    connect(HelpButton, &QPushButton::clicked, this, command(this, [this] { HelpButtonClick(); }));
    connect(ImproveYourLinkPopularityButton, &QPushButton::clicked, this,
            command(this, [this] { ImproveYourLinkPopularityButtonClick(); }));
    connect(NewsletterButton, &QPushButton::clicked, this, command(this, [this] { NewsletterButtonClick(); }));

    QWidget *order[] = {ListView1,
                        AddWebSiteButton,
                        RemoveSelectedWebSiteButton,
                        UpdateAllButton,
                        UpdateSelectedButton,
                        OptionsButton,
                        GetLatestVersionButton,
                        TellYourFriendsButton,
                        HelpButton,
                        ImproveYourLinkPopularityButton,
                        NewsletterButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
}

void TMainForm::createMenus()
{
    MenuFile = menuBar()->addMenu(QStringLiteral("&File"));
    MenuFile->setObjectName(QStringLiteral("MenuFile"));
    MenuFileExit = makeAction(MenuFile, "MenuFileExit", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(MenuFileExit, &QAction::triggered, this, command(this, [this] { MenuFileExitClick(); }));

    EditMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    MenuEditUndo = makeAction(EditMenu, "MenuEditUndo", "Undo");
    EditMenu->addSeparator();
    MenuEditCut = makeAction(EditMenu, "MenuEditCut", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X));
    MenuEditCopy = makeAction(EditMenu, "MenuEditCopy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    MenuEditPaste = makeAction(EditMenu, "MenuEditPaste", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V));
    MenuEditSelectAll = makeAction(EditMenu, "MenuEditSelectAll", "Select &All", QKeySequence(Qt::CTRL | Qt::Key_A));
    EditMenu->addSeparator();
    MenuEditOptions = makeAction(EditMenu, "MenuEditOptions", "&Options...");
    connect(MenuEditUndo, &QAction::triggered, this, command(this, [] { EditUndo(); }));
    connect(MenuEditCut, &QAction::triggered, this, command(this, [] { EditCut(); }));
    connect(MenuEditCopy, &QAction::triggered, this, command(this, [] { EditCopy(); }));
    connect(MenuEditPaste, &QAction::triggered, this, command(this, [] { EditPaste(); }));
    connect(MenuEditSelectAll, &QAction::triggered, this, command(this, [] { EditSelectAll(); }));
    connect(MenuEditOptions, &QAction::triggered, this, command(this, [this] { ShowOptionsWindow(); }));

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    MenuHelpHelpTopics = makeAction(Help1, "MenuHelpHelpTopics", "&Help Topics", QKeySequence(Qt::Key_F1));
    Help1->addSeparator();
    MenuHelpVisitHomepage = makeAction(Help1, "MenuHelpVisitHomepage", "&Visit Homepage...");
    MenuHelpGetTheLatestVersion = makeAction(Help1, "MenuHelpGetTheLatestVersion", "&Get The Latest Version...");
    Help1->addSeparator();
    MenuHelpAboutZarvello = makeAction(Help1, "MenuHelpAboutZarvello", "&About Zarvello...");
    connect(MenuHelpHelpTopics, &QAction::triggered, this, command(this, [this] { HelpButtonClick(); }));
    connect(MenuHelpVisitHomepage, &QAction::triggered, this, command(this, [this] { MenuHelpVisitHomepageClick(); }));
    connect(MenuHelpGetTheLatestVersion, &QAction::triggered, this,
            command(this, [this] { GetLatestVersionButtonClick(); }));
    connect(MenuHelpAboutZarvello, &QAction::triggered, this, command(this, [this] { ShowAboutWindow(); }));

    ListPopupMenu = new QMenu(this);
    ListPopupMenu->setObjectName(QStringLiteral("ListPopupMenu"));
    ListPopupMenuOpenWebSiteInBrowser =
        makeAction(ListPopupMenu, "ListPopupMenuOpenWebSiteInBrowser", "&Open Web Site In Browser");
    ListPopupMenu->addSeparator();
    ListPopupMenuUpdateLinkPopularityOnlyForThisWebSite =
        makeAction(ListPopupMenu, "ListPopupMenuUpdateLinkPopularityOnlyForThisWebSite",
                   "&Update Link Popularity Only For This Web Site...");
    ListPopupMenu->addSeparator();
    connect(ListPopupMenuOpenWebSiteInBrowser, &QAction::triggered, this,
            command(this, [this] { OpenSelectedWebSite(); }));
    connect(ListPopupMenuUpdateLinkPopularityOnlyForThisWebSite, &QAction::triggered, this,
            command(this, [this] { UpdateSelectedWebSite(); }));
}

namespace {

// Gives a caption the first of its letters and digits that no other entry of
// the menu uses as its accelerator yet; a caption with none left stays
// without one.
QString withAutomaticAccelerator(const QString &caption, QString &used)
{
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i].toUpper();
        if (c.unicode() < 128 && c.isLetterOrNumber() && !used.contains(c)) {
            used += c;
            return caption.left(i) + QLatin1Char('&') + caption.mid(i);
        }
    }
    return caption;
}

} // namespace

void TMainForm::addSearchEngineMenuEntries()
{
    QString used;
    for (const QAction *entry : ListPopupMenu->actions()) {
        const qsizetype at = entry->text().indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < entry->text().size())
            used += entry->text()[at + 1].toUpper();
    }
    for (const std::string &name : *SearchEngineNames) {
        const std::string caption = ReplaceText("Show link popularity on %0 in web browser", "%0", name, true);
        // A "&" in an engine's name is shown, not taken as an accelerator.
        QString text = rtl::ToQString(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction *entry = ListPopupMenu->addAction(withAutomaticAccelerator(text, used));
        entry->setEnabled(true);
        entry->setVisible(true);
        connect(entry, &QAction::triggered, this,
                command(this, [this, entry] { ListPopupMenuShowLinkPopularityClick(entry); }));
    }
}

std::string TMainForm::programFile(const char *name) const
{
    return GetApplicationPath() + name;
}

// ---------------------------------------------------------------------------
// Start-up and shut-down

bool TMainForm::FormCreate()
{
    CheckForUpdatesTimer->stop();
    // The hourglass stays until the window shows, on every way out.
    struct WaitCursor
    {
        bool active = true;
        WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
        ~WaitCursor() { release(); }
        void release()
        {
            if (active)
                QGuiApplication::restoreOverrideCursor();
            active = false;
        }
    } waitCursor;

    std::srand(unsigned(std::time(nullptr)));
    // Saves cut short by a kill or a power loss leave their temporary files
    // behind, some of them as large as the list.
    rtl::removeAtomicSaveLeftovers(GetApplicationPath());

    // Reads each key on its own: a value it cannot read falls back to that
    // key's default alone, so the close never writes defaults over the
    // user's other settings.
    LoadOptions();

    HighlightRow = -1;
    HighlightColumn = -1;
    Busy = false;
    SearchEngineNames.reset();
    SearchEngineURLs.reset();

    // Shown and painted at once; it stays at least its minimum time while
    // the start-up goes on.
    std::unique_ptr<TSplashScreen> splash = CreateSplashWindow();
    // No anti-freeze: no HTTP request blocks this thread, the queries and
    // the update downloads each run on a thread of their own.

    if (!LoadSearchEngines())
        return false;

    addSearchEngineMenuEntries();
    setWindowTitle(rtl::ToQString("Zarvello " + GetFileVersionString()));
    HelpFile = programFile("ZVO.chm");
    SetupListViewColumns();

    if (splash) {
        splash->Finish();
        splash.reset();
    }

    // The height is fitted to the rows only when none was stored; placing
    // and showing the window stores its bounds, so decide it now.
    const bool heightStored = MainWindowH != -1;
    SetFormBounds(this, MainWindowX, MainWindowY, MainWindowW, MainWindowH);
    if (MainWindowState == TWindowState::wsMaximized)
        setWindowState(Qt::WindowMaximized);
    else if (MainWindowState == TWindowState::wsMinimized)
        setWindowState(Qt::WindowMinimized);
    show();
    // The list has its width from the layout only once the window shows;
    // the domain column takes what the engines leave.
    FitFirstColumn();
    UpdateSelectedButton->setFocus();
    repaint();
    waitCursor.release();

    LoadDomainData();
    bool wizardRan = false;
    if (ListView1->topLevelItemCount() == 0) {
        // A close asked for while the splash showed found no wizard to take
        // it as Exit, and the wizard would wait for a user who asked to go.
        wizardRan = m_closeRequested || RunFirstStartWizard();
        SaveDomainData();
    }
    if (wizardRan && ListView1->topLevelItemCount() == 0)
        return false;
    if (!heightStored)
        FitHeightToRows();
    UpdateControls();
    m_started = true;
    if (wizardRan)
        UpdateLinkPopularity(std::string());
    CheckForUpdatesTimer->start();
    // A close asked for meanwhile ends the program here, before its event
    // loop would run.
    if (std::exchange(m_closeRequested, false)) {
        closeOtherWindows();
        if (close())
            return false;
    }
    return true;
}

bool TMainForm::CloseOnRequest()
{
    if (Busy) {
        // The run winds down first and comes back here when it is over.
        m_closeRequested = true;
        if (auto *progress = findChild<TMyProgressForm *>(); progress && !progress->IsCancelled())
            progress->CancelButtonClick();
        return true;
    }
    if (!m_started) {
        // The start-up looks at the request when it is done; a first-start
        // wizard takes the close as Exit.
        m_closeRequested = true;
        closeOtherWindows();
        return true;
    }
    m_closeRequested = false;
    closeOtherWindows();
    if (!close())
        return false;
    QCoreApplication::quit();
    return true;
}

void TMainForm::CloseOnTerminationSignal()
{
    m_unattended = true;
    CloseOnRequest();
}

void TMainForm::SaveAtQuit()
{
    if (!m_started)
        return;
    m_quitting = true;
    FormClose();
}

void TMainForm::closeOtherWindows()
{
    // Newest first, so that none of them is left standing without the window
    // it belongs to.
    QList<QPointer<QWidget>> others;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && !(w->windowType() == Qt::Popup))
            others.prepend(w);
    }
    for (const QPointer<QWidget> &w : others) {
        if (w)
            w->close();
    }
}

bool TMainForm::FormClose()
{
    CheckForUpdatesTimer->stop();
    // A caption being edited in place is part of the list too.
    ListView1->CommitEdit();
    std::vector<QString> failures;
    if (!SaveDomainData())
        failures.push_back(saveFailureText(programFile(DomainDataFileName), m_saveFailure));
    const Qt::WindowStates state = windowState();
    if (!(state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        StoreWindowBounds();
    if (state & Qt::WindowMinimized)
        MainWindowState = TWindowState::wsMinimized;
    else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        MainWindowState = TWindowState::wsMaximized;
    else
        MainWindowState = TWindowState::wsNormal;
    errno = 0;
    if (!SaveOptions())
        failures.push_back(saveFailureText(OptionsFileName, systemReason(errno)));
    if (!failures.empty() && !closeDespite(failures)) {
        CheckForUpdatesTimer->start();
        return false;
    }
    CloseHelp();
    SearchEngineNames.reset();
    SearchEngineURLs.reset();
    m_started = false;
    return true;
}

QString TMainForm::systemReason(int error)
{
    // The C library words it in the user's language and encoding, which
    // the program's code page need not hold.
    return QString::fromLocal8Bit(std::strerror(error));
}

QString TMainForm::saveFailureText(const std::string &fileName, const QString &reason)
{
    return QStringLiteral("The file \"%1\" could not be saved (%2).").arg(rtl::FileNameText(fileName), reason);
}

bool TMainForm::closeDespite(const std::vector<QString> &failures)
{
    QString text;
    for (const QString &failure : failures)
        text += failure + QStringLiteral("\r\n");
    if (m_unattended) {
        // A kill or a terminal that went away: a box would wait for ever.
        const QString lines = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        std::fputs(lines.toLocal8Bit().constData(), stderr);
        return true;
    }
    // Once the program is quitting there is nothing left to ask.
    if (m_quitting) {
        ShowMessageBox(this, text + QStringLiteral("\r\nThe changes since the last save are lost."), '!');
        return true;
    }
    return ShowMessageBox(this,
                          text + QStringLiteral("\r\nIf you close Zarvello now, the changes since the last save "
                                                "are lost. Close Zarvello anyway?"),
                          'D') == shell::IDYES;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // A check run pumps messages while it works; closing under it would pull
    // the list away from the driver.
    if (Busy) {
        event->ignore();
        return;
    }
    // A save that failed leaves the choice to the user: the program stays
    // open for them to make room or give it write access. A failure of
    // another kind closes the window anyway; what could be saved was saved.
    bool keepOpen = false;
    controls::guarded(controls::Report::none(), [&] { keepOpen = m_started && !FormClose(); });
    if (keepOpen) {
        event->ignore();
        return;
    }
    event->accept();
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    controls::guarded(controls::Report::none(), [this] { FormResize(); });
}

void TMainForm::FormResize()
{
    FitFirstColumn();
    StoreWindowBounds();
}

void TMainForm::StoreWindowBounds()
{
    // Bounds include the window frame, as the placement routine takes them.
    const QRect outer = shell::outerGeometry(this);
    MainWindowX = outer.x();
    MainWindowY = outer.y();
    MainWindowW = outer.width();
    MainWindowH = outer.height();
}

bool TMainForm::event(QEvent *event)
{
    // The hint timer alone writes the status bar.
    if (event->type() == QEvent::StatusTip)
        return true;
    const bool handled = QMainWindow::event(event);
    // A font changed while the window shows reaches the buttons' sizes only
    // when the layout has been asked again, after the font change itself.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::LayoutRequest)
        fitMinimumSize();
    return handled;
}

void TMainForm::fitMinimumSize()
{
    // Never narrower than the button rows need: a larger font would cut
    // every caption at both ends. A width stored or set smaller is raised
    // to it as the window is sized.
    const QSize needed = minimumSizeHint();
    setMinimumSize(std::max(MainWindowMinWidth, needed.width()), MinimumHeight);
}

void TMainForm::CheckForUpdatesTimerTimer()
{
    CheckForUpdatesTimer->stop();
    // A failed update check waits for the next tick.
    controls::guarded(controls::Report::none(), [this] {
        bool dialogOpen = false;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QDialog *>(w))
                dialogOpen = true;
        }
        if (!Busy && !dialogOpen) {
            StoreWindowBounds();
            CheckForUpdatesIfDue();
        }
    });
    CheckForUpdatesTimer->start();
}

void TMainForm::FitHeightToRows()
{
    // Window height is the outer height; the client area starts below the
    // menu bar and holds the list, the buttons and the status bar.
    const QRect outer = shell::outerGeometry(this);
    const int windowHeight = outer.height();
    const int clientHeight = centralWidget()->height() + statusBar()->height();
    const int listTop = ListView1->mapTo(centralWidget(), QPoint(0, 0)).y();
    const int buttonTop = AddWebSiteButton->mapTo(centralWidget(), QPoint(0, 0)).y();
    int fitted = (ListView1->topLevelItemCount() + 2) * ListView1->ShownRowHeight() + (windowHeight - clientHeight) +
                 listTop + (windowHeight - buttonTop);
    const int limit = int(shell::screenSize().cy * 0.8);
    if (fitted > limit)
        fitted = limit;
    // The window was placed for its former height; a taller one is moved up
    // rather than left hanging below the work area.
    SetFormBounds(this, outer.x(), outer.y(), outer.width(), fitted);
}

// ---------------------------------------------------------------------------
// Engine table

bool TMainForm::LoadSearchEngines()
{
    const std::string path = programFile(SearchEngineFileName);
    const auto report = [this](const char *what) {
        ShowMessageBox(
            this, std::string("The file \"ZVO-SearchEngines.txt\" ") + what + ". Please re-install Zarvello.", '!');
        return false;
    };
    const rtl::FileText table = ReadTextFile(path);
    if (table.failure == rtl::ReadFailure::Missing)
        return report("does not exists");
    // A table that is there but cannot be read ends the program without a
    // box, also when it is a pipe or a device: read as empty, it would ask
    // the user to re-install over a table that may well be fine. Standard
    // error says why, for whoever started it from a shell.
    if (!table) {
        std::fprintf(stderr, "Zarvello: %s\n", table.reasonAfter("cannot read the engine table", path).c_str());
        return false;
    }
    try {
        std::vector<std::string> names;
        std::vector<std::string> urls;
        std::vector<TSearchEngineEntry> engines = ParseSearchEngineTable(table.text);
        if (engines.size() > MaxSearchEngines) {
            std::fprintf(stderr, "Zarvello: the engine table \"%s\" holds %zu search engines; the first %zu are used\n",
                         path.c_str(), engines.size(), MaxSearchEngines);
            engines.resize(MaxSearchEngines);
        }
        for (TSearchEngineEntry &entry : engines) {
            names.push_back(std::move(entry.Name));
            urls.push_back(std::move(entry.URLTemplate));
        }
        // Without an engine the list has no count columns, and the next save
        // would write every row without its counts.
        if (names.empty())
            return report("holds no search engine");
        SearchEngineNames = std::move(names);
        SearchEngineURLs = std::move(urls);
        return true;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "Zarvello: cannot read the engine table \"%s\": %s\n", path.c_str(), e.what());
        return false;
    } catch (...) {
        std::fprintf(stderr, "Zarvello: cannot read the engine table \"%s\"\n", path.c_str());
        return false;
    }
}

std::string TMainForm::GetSearchEngineQueryURL(int32_t SearchEngineIndex, const std::string &Domain) const
{
    ZVO_ASSERT(SearchEngineURLs.has_value(), "MainUnit");
    ZVO_ASSERT(SearchEngineIndex >= 1 && SearchEngineIndex <= int32_t(SearchEngineURLs->size()), "MainUnit");
    ZVO_ASSERT(!Domain.empty(), "MainUnit");
    return BuildSearchEngineQueryURL((*SearchEngineURLs)[size_t(SearchEngineIndex - 1)], Domain);
}

} // namespace app

#include "moc_MainUnit.cpp"
