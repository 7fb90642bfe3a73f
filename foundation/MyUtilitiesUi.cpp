#include "foundation/MyUtilitiesUi.h"

#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesFiles.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Win1252.h"
#include "platform/shell/Beep.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/EditCommands.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/WindowFrame.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QTreeWidget>
#include <QUrl>

#include <cstdlib>
#include <mutex>
#include <random>

namespace foundation {

namespace {

QPointer<QWidget> g_mainForm;

struct KindStyle
{
    shell::MessageButtons buttons;
    shell::MessageIcon icon;
    shell::BeepKind sound;
};

KindStyle styleOf(MessageKind kind)
{
    switch (kind) {
    case 'S':
    case 's': return {shell::MessageButtons::Ok, shell::MessageIcon::Stop, shell::BeepKind::Stop};
    case '!': return {shell::MessageButtons::Ok, shell::MessageIcon::Exclamation, shell::BeepKind::Exclamation};
    case '?': return {shell::MessageButtons::YesNo, shell::MessageIcon::Question, shell::BeepKind::Question};
    case 'D':
    case 'd': return {shell::MessageButtons::YesNo, shell::MessageIcon::Exclamation, shell::BeepKind::Simple};
    default: return {shell::MessageButtons::Ok, shell::MessageIcon::Information, shell::BeepKind::Default};
    }
}

// A top-level window's size includes its frame, as stored bounds do, also
// before the window shows.
rtl::TRect outerBounds(QWidget *widget)
{
    const QRect r = shell::outerGeometry(widget);
    return rtl::Bounds(r.x(), r.y(), r.width(), r.height());
}

rtl::TSize currentPlacementArea()
{
    return PlacementArea(GetWorkArea(), shell::screenSize());
}

void selectOnly(QTreeWidget *listView, QTreeWidgetItem *item)
{
    listView->clearSelection();
    listView->setCurrentItem(item);
    item->setSelected(true);
}

} // namespace

int ShowMessageBox(QWidget *owner, const std::string &text, MessageKind kind, const std::string &caption)
{
    return ShowMessageBox(owner, rtl::ToQString(text), kind, caption);
}

int ShowMessageBox(QWidget *owner, const QString &text, MessageKind kind, const std::string &caption)
{
    const KindStyle style = styleOf(kind);
    const QString title = caption.empty() ? QStringLiteral("Zarvello") : rtl::ToQString(caption);
    shell::MessageBeep(style.sound);
    // A hidden owner would hide the box with it; the main window stands in
    // for the application's own window then.
    QWidget *parent = nullptr;
    if (owner && owner->isVisible())
        parent = owner;
    else if (QWidget *main = GetMainForm(); main && main->isVisible())
        parent = main;
    return shell::MessageBox(parent, text, title, style.buttons, style.icon);
}

rtl::TSize PlacementArea(const rtl::TRect &workArea, const rtl::TSize &screen)
{
    if (workArea.Right != 0 && workArea.Bottom != 0)
        return rtl::TSize{workArea.Width(), workArea.Height()};
    return rtl::TSize{screen.cx, screen.cy - 32};
}

rtl::TPoint CalcCenteredPosition(const rtl::TSize &size, const rtl::TRect *control, const rtl::TSize &area)
{
    if (control)
        return rtl::TPoint{control->Left + (control->Width() - size.cx) / 2,
                           control->Top + (control->Height() - size.cy) / 2};
    return rtl::TPoint{(area.cx - size.cx) / 2, (area.cy - size.cy) / 2};
}

rtl::TRect CalcFormBounds(const rtl::TRect &current, int left, int top, int width, int height, const rtl::TSize &area)
{
    const int areaWidth = area.cx;
    const int areaHeight = area.cy;
    if (width == -1 && height == -1) {
        rtl::TSize size{current.Width(), current.Height()};
        if (areaWidth >= 641 && areaHeight >= 481)
            size = area;
        const rtl::TPoint at = CalcCenteredPosition(size, nullptr, area);
        return rtl::Bounds(at.X, at.Y, size.cx, size.cy);
    }

    const int newWidth = (width != 0 && width != -1 && width <= areaWidth + 8) ? width : current.Width();
    int newLeft = left == -1 ? (areaWidth - newWidth) / 2 : left;
    if (newLeft + newWidth > areaWidth + 8)
        newLeft = (areaWidth - newWidth) / 2;

    const int newHeight = (height != 0 && height != -1 && height <= areaHeight + 8) ? height : current.Height();
    int newTop = top == -1 ? (areaHeight - newHeight) / 2 : top;
    if (newTop + newHeight > areaHeight + 8)
        newTop = areaHeight - newHeight;

    return rtl::Bounds(newLeft, newTop, newWidth, newHeight);
}

void SetFormBounds(QWidget *form, int left, int top, int width, int height)
{
    ZVO_ASSERT(form != nullptr, MyUtilitiesUnit);
    const rtl::TRect bounds = CalcFormBounds(outerBounds(form), left, top, width, height, currentPlacementArea());
    form->move(bounds.Left, bounds.Top);
    shell::resizeOuter(form, QSize(bounds.Width(), bounds.Height()));
    // The window may refuse the size (minimum or maximum sizes); centre what
    // it actually took.
    if (width == -1 && height == -1)
        CenterForm(form, nullptr);
}

void CenterForm(QWidget *form, QWidget *control)
{
    ZVO_ASSERT(form != nullptr, MyUtilitiesUnit);
    const rtl::TRect own = outerBounds(form);
    const rtl::TSize size{own.Width(), own.Height()};
    rtl::TPoint at;
    if (control) {
        const rtl::TRect over = outerBounds(control);
        at = CalcCenteredPosition(size, &over, rtl::TSize{});
    } else {
        at = CalcCenteredPosition(size, nullptr, currentPlacementArea());
    }
    form->move(at.X, at.Y);
}

rtl::TRect GetWorkArea()
{
    return shell::workArea();
}

int RandomRange(int a, int b)
{
    if (a > b)
        return b;
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard lock(mutex);
    // 64-bit bounds: b - a + 1 overflows an int for the widest ranges.
    std::uniform_int_distribution<long long> distribution(0, static_cast<long long>(b) - a);
    return static_cast<int>(a + distribution(generator));
}

std::string TypedAddress(const QString &typed)
{
    // Question marks in place of the letters would name another site, or
    // none; every search engine and browser takes the ASCII form instead.
    const std::string text = rtl::FromQString(typed);
    if (rtl::ToQString(text) == typed)
        return text;
    const QString address = typed.trimmed();
    const bool withScheme = address.contains(QLatin1String("://"));
    const QUrl url(withScheme ? address : QStringLiteral("http://") + address, QUrl::TolerantMode);
    if (!url.isValid() || url.host(QUrl::EncodeUnicode).isEmpty())
        return text;
    std::string ascii = url.toEncoded().toStdString();
    if (!withScheme)
        ascii.erase(0, std::string_view("http://").size());
    return ascii;
}

void OpenURL(const std::string &url, int /*showCommand*/)
{
    shell::openUrl(rtl::ToQString(url));
}

void ShowContentsHelp()
{
    if (const HelpHandler handler = ScopedHelpHandler::valueOr({}); handler.showTopic)
        handler.showTopic(std::string());
}

void ShowHelpKeyword(const std::string &topic)
{
    if (const HelpHandler handler = ScopedHelpHandler::valueOr({}); handler.showTopic)
        handler.showTopic(topic);
}

void CloseHelp()
{
    if (const HelpHandler handler = ScopedHelpHandler::valueOr({}); handler.close)
        handler.close();
}

void EditCopy()
{
    shell::sendEditCommand(shell::EditCommand::Copy);
}

void EditCut()
{
    shell::sendEditCommand(shell::EditCommand::Cut);
}

void EditPaste()
{
    shell::sendEditCommand(shell::EditCommand::Paste);
}

void EditUndo()
{
    shell::sendEditCommand(shell::EditCommand::Undo);
}

void EditSelectAll()
{
    shell::sendEditCommand(shell::EditCommand::SelectAll);
}

void HideEditSelection(QWidget *control)
{
    ZVO_ASSERT(control != nullptr, MyUtilitiesUnit);
    shell::hideSelection(control);
}

void DeleteSelectedListItem(QTreeWidget *listView)
{
    ZVO_ASSERT(listView != nullptr, MyUtilitiesUnit);
    int index = -1;
    for (int row = 0; row < listView->topLevelItemCount(); ++row) {
        if (listView->topLevelItem(row)->isSelected()) {
            index = row;
            break;
        }
    }
    if (index < 0)
        return;
    delete listView->takeTopLevelItem(index);
    const int count = listView->topLevelItemCount();
    if (count > 0)
        selectOnly(listView, listView->topLevelItem(index < count ? index : count - 1));
    listView->setFocus();
}

void SelectListItemByCaption(QTreeWidget *listView, const std::string &text)
{
    ZVO_ASSERT(listView != nullptr, MyUtilitiesUnit);
    const std::string prefix = rtl::AnsiUpperCase(text);
    for (int row = 0; row < listView->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = listView->topLevelItem(row);
        const std::string caption = rtl::AnsiUpperCase(rtl::FromQString(item->text(0)));
        if (caption.compare(0, prefix.size(), prefix) == 0) {
            selectOnly(listView, item);
            return;
        }
    }
}

void SelectComboBoxItem(QComboBox *comboBox, const std::string &text)
{
    ZVO_ASSERT(comboBox != nullptr, MyUtilitiesUnit);
    const QString wanted = rtl::ToQString(text);
    for (int i = 0; i < comboBox->count(); ++i) {
        if (comboBox->itemText(i) == wanted) {
            comboBox->setCurrentIndex(i);
            return;
        }
    }
    comboBox->setCurrentIndex(-1);
}

QWidget *GetMainForm()
{
    if (g_mainForm)
        return g_mainForm;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow *>(widget))
            return widget;
    }
    return nullptr;
}

void SetMainForm(QWidget *form)
{
    g_mainForm = form;
}

bool IsDevelopmentEnvironmentRunning()
{
    if (std::getenv("ZVO_DEVELOPER"))
        return true;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("TracerPid:"))
            return line.mid(10).trimmed().toLongLong() != 0;
    }
    return false;
}

QPixmap LoadPictureFile(const std::string &fileName, const char *format)
{
    const rtl::FileText read = ReadTextFile(fileName);
    QPixmap picture;
    if (read)
        picture.loadFromData(reinterpret_cast<const uchar *>(read.text.data()), uint(read.text.size()), format);
    return picture;
}

} // namespace foundation
