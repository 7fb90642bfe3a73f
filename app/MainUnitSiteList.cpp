// The site list of the main window: its columns, its file, adding and
// renaming sites, the order of the rows, and the colours they are drawn in.

#include "app/ColorLegend.h"
#include "app/Controls.h"
#include "app/MainUnit.h"
#include "app/SiteListView.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyWebUtilities.h"
#include "platform/gfx/Colors.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Rounding.h"

#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <limits>

namespace app {

using namespace foundation;

namespace {

constexpr int TotalColumnWidth = 70;
constexpr int EngineColumnWidth = 78;
// Room for the vertical scroll bar and the list's frame.
constexpr int FirstColumnSpare = 22;
constexpr int FirstColumnMinimum = 40;

// The part of the text behind the first "://", or the text itself.
std::string withoutScheme(const std::string &text)
{
    const size_t at = text.find("://");
    return at == std::string::npos ? text : text.substr(at + 3);
}

void fill(QPainter &painter, const rtl::TRect &r, const QColor &color)
{
    if (!r.IsEmpty())
        painter.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), color);
}

} // namespace

void TMainForm::SetupListViewColumns()
{
    ZVO_ASSERT(SearchEngineNames.has_value(), "MainUnit");
    ListView1->clear();
    const int engines = SearchEngineCount();
    ListView1->setColumnCount(2 + engines);
    QStringList captions{QStringLiteral("Domain"), QStringLiteral("Total")};
    for (const std::string &name : *SearchEngineNames)
        captions << rtl::ToQString(name);
    ListView1->setHeaderLabels(captions);
    QTreeWidgetItem *header = ListView1->headerItem();
    header->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 1; c < 2 + engines; ++c)
        header->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    ListView1->header()->setSectionResizeMode(QHeaderView::Interactive);
    QList<int> countWidths{TotalColumnWidth};
    for (int c = 2; c < 2 + engines; ++c)
        countWidths << EngineColumnWidth;
    ListView1->setCountColumnMinimumWidths(countWidths);
    FitFirstColumn();
    ListView1->viewport()->update();
    UpdateControls();
}

void TMainForm::FitFirstColumn()
{
    if (!ListView1 || ListView1->columnCount() == 0)
        return;
    int others = 0;
    for (int c = 1; c < ListView1->columnCount(); ++c)
        others += ListView1->columnWidth(c);
    // With many engines the rule would leave the domains too little room;
    // they stay whole and the list scrolls sideways instead.
    const int fitted = ListView1->width() - others - FirstColumnSpare;
    ListView1->setColumnWidth(0, std::max({FirstColumnMinimum, ListView1->contentWidth(0), fitted}));
}

void TMainForm::LoadDomainData()
{
    const std::string path = programFile(DomainDataFileName);
    m_siteListKept.clear();
    // Only an ordinary file of a sane size is read: a pipe whose writer never
    // ends or a device without end would hold up the start for good.
    const rtl::FileText content = ReadTextFile(path);
    bool loaded = false;
    try {
        // A file that is there but cannot be read would otherwise read as an
        // empty list, and the next save would replace it.
        if (content || content.failure == rtl::ReadFailure::Missing)
            loaded = LoadListViewFromText(content.text, ListView1, "\t");
    } catch (...) {
        loaded = false;
    }
    if (!loaded)
        keepUnreadableList(path, content);
    normalizeRows();
    SortSiteList();
}

void TMainForm::keepUnreadableList(const std::string &path, const rtl::FileText &content)
{
    // The program goes on as with an empty list.
    ListView1->clear();
    const QString file = QFile::decodeName(QByteArray::fromStdString(path));
    struct stat st
    {};
    const bool there = ::lstat(path.c_str(), &st) == 0;
    if (there && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
        // Kept aside for the user, never deleted, and an older copy set
        // aside is not overwritten either; the next save makes a new list.
        QString aside = file + QStringLiteral(".bad");
        for (int n = 1; QFileInfo::exists(aside) && n < 1000; ++n)
            aside = file + QStringLiteral(".bad.%1").arg(n);
        QFile::rename(file, aside);
    } else if (there && S_ISLNK(st.st_mode) && content.failure != rtl::ReadFailure::NotRegular) {
        // Moved aside, the link the user made would be lost; saved through,
        // the file it leads to would be replaced by the empty list.
        m_siteListKept = QStringLiteral("it could not be read: ") + QString::fromLocal8Bit(content.reason(path));
    }
    // A pipe or a device, directly or by a link, stays too: saves go into it
    // as into any pipe or device, and replace nothing.
}

bool TMainForm::SaveDomainData()
{
    if (!m_siteListKept.isEmpty()) {
        m_saveFailure = m_siteListKept;
        return false;
    }
    // The save is atomic: whatever fails, the previous file is still there.
    errno = 0;
    try {
        if (SaveListViewToFile(programFile(DomainDataFileName), ListView1, "\t"))
            return true;
        m_saveFailure = systemReason(errno);
    } catch (const std::exception &e) {
        m_saveFailure = errno != 0 ? systemReason(errno) : QString::fromLocal8Bit(e.what());
    } catch (...) {
        m_saveFailure = systemReason(errno != 0 ? errno : EIO);
    }
    return false;
}

void TMainForm::normalizeRows()
{
    const int subItems = std::max(0, ListView1->columnCount() - 1);
    const QList<QTreeWidgetItem *> loaded = ListView1->invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(loaded.size());
    for (QTreeWidgetItem *item : loaded) {
        std::unique_ptr<QTreeWidgetItem> old(item);
        auto *row = new TSiteRow;
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        row->setText(0, old->text(0));
        // An older file may lack the counts of engines added since: they read
        // as never checked. Fields beyond the list's columns are dropped.
        for (int i = 1; i <= subItems; ++i)
            row->setText(i, i < old->columnCount() ? old->text(i) : QStringLiteral("0"));
        rows.append(row);
    }
    ListView1->addTopLevelItems(rows);
}

QTreeWidgetItem *TMainForm::AddWebSite(const std::string &domain)
{
    // The address check overlooks blanks and control characters around the
    // text; kept, a line break would split the row in the list's file.
    const std::string site(TrimmedAddress(withoutScheme(domain)));
    if (!IsStorableSite(site))
        return nullptr;
    const QString caption = rtl::ToQString(site);
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = ListView1->topLevelItem(i);
        if (row->text(0).compare(caption, Qt::CaseInsensitive) == 0) {
            ListView1->setCurrentItem(row);
            row->setSelected(true);
            ListView1->setFocus();
            return nullptr;
        }
    }
    auto *row = new TSiteRow;
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    row->setText(0, caption);
    for (int i = 1; i < ListView1->columnCount(); ++i)
        row->setText(i, QStringLiteral("0"));
    ListView1->addTopLevelItem(row);
    UpdateControls();
    return row;
}

void TMainForm::ListView1Edited(QTreeWidgetItem *item, std::string &text)
{
    text = std::string(TrimmedAddress(withoutScheme(text)));
    const std::string old = rtl::FromQString(item->text(0));
    if (!IsValidURL(text)) {
        text = old;
        return;
    }
    if (text != old) {
        // The counts belonged to the old site.
        for (int i = 1; i < ListView1->columnCount(); ++i)
            item->setText(i, QStringLiteral("0"));
        SortSiteList();
    }
}

int64_t TMainForm::GetLinkCountFromText(const std::string &text)
{
    std::string digits = NormalizeWhitespace(RemoveNonASCIIChars(text, "", false));
    digits = ReplaceText(digits, " ", "", true);
    digits = ReplaceText(digits, ".", "", true);
    digits = ReplaceText(digits, ",", "", true);
    const double value = StrToNumber(digits);
    // A hand-edited list may hold anything; hold absurd counts at the limits
    // instead of failing while the list is drawn or sorted.
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9.2e18)
        return std::numeric_limits<int64_t>::min();
    return rtl::Round64(value);
}

int TMainForm::ListView1Compare(const QTreeWidgetItem *item1, const QTreeWidgetItem *item2)
{
    const int64_t total1 = GetLinkCountFromText(rtl::FromQString(item1->text(1)));
    const int64_t total2 = GetLinkCountFromText(rtl::FromQString(item2->text(1)));
    if (total1 == total2)
        return 0;
    return total1 > total2 ? 1 : -1;
}

void TMainForm::SortSiteList()
{
    ListView1->AlphaSort();
}

std::string TMainForm::RowCaption(int row) const
{
    const QTreeWidgetItem *item = ListView1->topLevelItem(row);
    return item ? rtl::FromQString(item->text(0)) : std::string();
}

std::string TMainForm::RowSubItem(int row, int subItem) const
{
    const QTreeWidgetItem *item = ListView1->topLevelItem(row);
    return item ? rtl::FromQString(item->text(subItem + 1)) : std::string();
}

std::optional<rtl::TColor> TMainForm::ListView1CustomDrawItem(int row) const
{
    if (row == HighlightRow)
        return HighlightColor;
    const int step = ColorScaleStepForTotal(GetLinkCountFromText(RowSubItem(row, 0)));
    if (step < 0)
        return std::nullopt;
    return ColorScaleColors[size_t(step)];
}

std::optional<rtl::TColor> TMainForm::ListView1CustomDrawSubItem(int row, int column) const
{
    if (row == HighlightRow && column == HighlightColumn)
        return HighlightColor;
    if (row == HighlightRow) {
        const int step = ColorScaleStepForTotal(GetLinkCountFromText(RowSubItem(row, 0)));
        return step < 0 ? std::nullopt : std::optional<rtl::TColor>(ColorScaleColors[size_t(step)]);
    }
    return ListView1CustomDrawItem(row);
}

void TMainForm::PaintBox1Paint(QPainter &painter)
{
    const LegendLayout layout = CalcLegendLayout(PaintBox1->width(), PaintBox1->height());
    fill(painter, layout.inside, Qt::white);
    for (const rtl::TRect &edge : layout.frame)
        fill(painter, edge, Qt::black);
    for (size_t step = 0; step < layout.fills.size(); ++step)
        fill(painter, layout.fills[step], gfx::ToQColor(ColorScaleColors[step]));
    for (const rtl::TRect &line : layout.separators)
        fill(painter, line, Qt::black);
}

void TMainForm::PaintBox1MouseMove(int x, int)
{
    const int step = LegendStepAt(PaintBox1->width(), x);
    if (step < 0)
        return;
    PaintBox1->setStatusTip(rtl::ToQString(LegendHint(step)));
}

} // namespace app
