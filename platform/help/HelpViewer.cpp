#include "platform/help/HelpViewer.h"

#include "platform/controls/Guard.h"
#include "platform/rtl/QtFileText.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/WindowFrame.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace help {

namespace {

constexpr int PageRole = Qt::UserRole + 1;

QString pageKey(const QString &page)
{
    QString key = page;
    const qsizetype anchor = key.indexOf(QLatin1Char('#'));
    if (anchor >= 0)
        key.truncate(anchor);
    return key.toLower();
}

// The pictures and style sheets a page names are read as every file beside
// the program is: a pipe or a device in their place leaves a gap in the page
// instead of holding up the help window or filling the memory.
class HelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &name) override
    {
        const QUrl resolved = name.isRelative() && source().isValid() ? source().resolved(name) : name;
        if (!resolved.isLocalFile() && !resolved.scheme().isEmpty())
            return QTextBrowser::loadResource(type, name);
        QStringList candidates{resolved.isLocalFile() ? resolved.toLocalFile() : resolved.path()};
        if (name.isRelative())
            for (const QString &folder : searchPaths())
                candidates.append(QDir(folder).filePath(name.path()));
        for (const QString &file : candidates) {
            const rtl::FileText read = rtl::readWholeFile(file);
            if (read.failure == rtl::ReadFailure::Missing)
                continue;
            // Empty bytes, not nothing: the document would try the file
            // again itself.
            return QVariant(QByteArray::fromStdString(read.text));
        }
        return {};
    }
};

} // namespace

HelpViewer::HelpViewer(std::shared_ptr<const HelpBook> book, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_book(std::move(book))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(m_book->title().isEmpty() ? tr("Help") : m_book->title());
    resize(760, 520);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    m_navigation = new QTabWidget(splitter);

    m_contentsTree = new QTreeWidget(m_navigation);
    m_contentsTree->setHeaderHidden(true);
    m_contentsTree->setRootIsDecorated(true);
    m_navigation->addTab(m_contentsTree, tr("Contents"));

    auto *indexPage = new QWidget(m_navigation);
    auto *indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    m_indexEdit = new QLineEdit(indexPage);
    m_indexEdit->setPlaceholderText(tr("Type in the keyword to find"));
    m_indexList = new QListWidget(indexPage);
    indexLayout->addWidget(m_indexEdit);
    indexLayout->addWidget(m_indexList);
    m_navigation->addTab(indexPage, tr("Index"));

    m_browser = new HelpBrowser(splitter);
    m_browser->setOpenLinks(false);
    m_browser->setSearchPaths({m_book->folder()});

    splitter->addWidget(m_navigation);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 540});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    buildContents();
    buildIndex();

    // The viewer's commands run under the guard: an error is shown over the
    // viewer, never handed to Qt.
    const auto command = [this](auto work) { controls::guarded(controls::Report::toUser(this), work); };
    const auto showEntry = [this, command](QTreeWidgetItem *item) {
        command([&] {
            const QString page = item->data(0, PageRole).toString();
            if (!page.isEmpty())
                showPage(page);
        });
    };
    const auto openEntry = [this, command](QListWidgetItem *item) {
        command([&] { openIndexEntry(m_indexList->row(item)); });
    };
    connect(m_contentsTree, &QTreeWidget::itemActivated, this, showEntry);
    connect(m_contentsTree, &QTreeWidget::itemClicked, this, showEntry);
    connect(m_indexEdit, &QLineEdit::textEdited, this,
            [this, command](const QString &text) { command([&] { indexTextEdited(text); }); });
    connect(m_indexEdit, &QLineEdit::returnPressed, this,
            [this, command] { command([&] { openIndexEntry(m_indexList->currentRow()); }); });
    connect(m_indexList, &QListWidget::itemActivated, this, openEntry);
    connect(m_indexList, &QListWidget::itemClicked, this, openEntry);
    connect(m_browser, &QTextBrowser::anchorClicked, this,
            [this, command](const QUrl &url) { command([&] { linkClicked(url); }); });
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::buildContents()
{
    std::vector<QTreeWidgetItem *> parents;
    for (const ContentsEntry &entry : m_book->contents()) {
        const size_t level = std::min<size_t>(size_t(entry.level), parents.size());
        parents.resize(level);
        QTreeWidgetItem *item =
            parents.empty() ? new QTreeWidgetItem(m_contentsTree) : new QTreeWidgetItem(parents.back());
        item->setText(0, entry.title);
        item->setData(0, PageRole, entry.page);
        parents.push_back(item);
    }
    m_contentsTree->expandAll();
}

void HelpViewer::buildIndex()
{
    QString previous;
    for (const IndexEntry &entry : m_book->index()) {
        // A keyword listed for several pages appears once and opens the
        // first of them, as the index shows keywords, not pages.
        auto *item = new QListWidgetItem(entry.keyword, m_indexList);
        item->setData(PageRole, entry.page);
        if (entry.keyword.compare(previous, Qt::CaseInsensitive) == 0)
            item->setHidden(true);
        previous = entry.keyword;
    }
}

void HelpViewer::showPage(const QString &page)
{
    const QString name = page.isEmpty() ? m_book->defaultPage() : page;
    const QString file = m_book->pageFile(name);
    if (file.isEmpty()) {
        m_currentPage.clear();
        m_browser->setHtml(
            tr("<h3>Page not found</h3><p>The page \"%1\" is not part of this help.</p>").arg(name.toHtmlEscaped()));
    } else {
        m_currentPage = name;
        QUrl url = QUrl::fromLocalFile(file);
        const qsizetype anchor = name.indexOf(QLatin1Char('#'));
        if (anchor >= 0)
            url.setFragment(name.mid(anchor + 1));
        m_browser->setSource(url, QTextDocument::HtmlResource);
    }
    selectContentsEntry(m_currentPage);
    showAndActivate();
}

void HelpViewer::showAndActivate()
{
    if (!m_placed)
        placeWithinWorkArea();
    show();
    raise();
    activateWindow();
}

void HelpViewer::placeWithinWorkArea()
{
    m_placed = true;
    const rtl::TRect work = shell::workArea();
    const QRect area(work.Left, work.Top, work.Width(), work.Height());
    if (area.isEmpty())
        return;
    const QSize frame = shell::outerGeometry(this).size() - size();
    const QSize inside = size().boundedTo(area.size() - frame).expandedTo(minimumSize());
    resize(inside);
    const QSize outer = inside + frame;
    move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
         area.y() + std::max(0, (area.height() - outer.height()) / 2));
}

void HelpViewer::showContents()
{
    m_navigation->setCurrentIndex(0);
    showPage(QString());
}

void HelpViewer::showIndex(const QString &keyword)
{
    m_navigation->setCurrentIndex(1);
    m_indexEdit->setText(keyword);
    const int row = m_book->findKeyword(keyword);
    if (row < 0) {
        showAndActivate();
        return;
    }
    openIndexEntry(row);
}

void HelpViewer::indexTextEdited(const QString &text)
{
    const int row = m_book->findKeyword(text);
    if (row >= 0) {
        m_indexList->setCurrentRow(row);
        m_indexList->scrollToItem(m_indexList->item(row), QAbstractItemView::PositionAtTop);
    }
}

void HelpViewer::openIndexEntry(int row)
{
    if (row < 0 || row >= m_indexList->count())
        return;
    // A hidden duplicate stands for the first entry of its keyword.
    while (row > 0 && m_indexList->item(row)->isHidden())
        --row;
    m_indexList->setCurrentRow(row);
    showPage(m_indexList->item(row)->data(PageRole).toString());
}

void HelpViewer::selectContentsEntry(const QString &page)
{
    const QString key = pageKey(page);
    for (QTreeWidgetItemIterator it(m_contentsTree); *it; ++it) {
        if (!key.isEmpty() && pageKey((*it)->data(0, PageRole).toString()) == key) {
            m_contentsTree->setCurrentItem(*it);
            return;
        }
    }
    m_contentsTree->clearSelection();
}

void HelpViewer::linkClicked(const QUrl &url)
{
    if (!url.isRelative() && !url.isLocalFile()) {
        shell::openUrl(url.toString());
        return;
    }
    QString page = url.isLocalFile() ? QDir(m_book->folder()).relativeFilePath(url.toLocalFile()) : url.path();
    if (page.isEmpty()) {
        m_browser->scrollToAnchor(url.fragment());
        return;
    }
    if (url.hasFragment())
        page += QLatin1Char('#') + url.fragment();
    showPage(page);
}

} // namespace help

#include "moc_HelpViewer.cpp"
