#include "griddemo_script.h"

#include "grid/widgets/TreeListWidget.h"
#include "platform/ini/PrivateProfile.h"
#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/LocalNames.h"
#include "platform/shell/Beep.h"
#include "platform/shell/MessageBox.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string_view>

namespace griddemo {

namespace {

using namespace grid;

// A script that cannot go on.
struct ScriptError
{
    QString message;
};

QStringList scriptTokens(const QString &line)
{
    QStringList tokens;
    QString current;
    bool quoted = false, any = false;
    for (QChar ch : line) {
        if (ch == '"') {
            quoted = !quoted;
            any = true;
        } else if (ch.isSpace() && !quoted) {
            if (any)
                tokens << current;
            current.clear();
            any = false;
        } else {
            current += ch;
            any = true;
        }
    }
    if (quoted)
        throw ScriptError{"unterminated quote"};
    if (any)
        tokens << current;
    return tokens;
}

QString scriptUnescape(QString text)
{
    text.replace("\\t", "\t").replace("\\r", "\r").replace("\\n", "\n");
    return text;
}

class ScriptRun
{
public:
    ScriptRun(GridDemo &demo, TreeListWidget &widget)
        : m_tree(*demo.tree)
        , m_widget(widget)
    {
        // What a program listening to the grid would hear, counted.
        m_tree.OnKeyDown.Set([this](classes::TObject *, TKey &, TShiftState) { ++m_events["keydown"]; });
        m_tree.OnKeyPress.Set([this](classes::TObject *, TChar &) { ++m_events["keypress"]; });
        m_tree.OnMouseDown.Set(
            [this](classes::TObject *, TMouseButton, TShiftState, int, int) { ++m_events["mousedown"]; });
        m_tree.OnMouseUp.Set(
            [this](classes::TObject *, TMouseButton, TShiftState, int, int) { ++m_events["mouseup"]; });
        m_tree.OnClick.Set([this](classes::TObject *) { ++m_events["click"]; });
        m_tree.OnDblClick.Set([this](classes::TObject *) { ++m_events["dblclick"]; });
    }
    ~ScriptRun()
    {
        m_tree.OnKeyDown.Clear();
        m_tree.OnKeyPress.Clear();
        m_tree.OnMouseDown.Clear();
        m_tree.OnMouseUp.Clear();
        m_tree.OnClick.Clear();
        m_tree.OnDblClick.Clear();
    }
    ScriptRun(const ScriptRun &) = delete;
    ScriptRun &operator=(const ScriptRun &) = delete;

    // False when a check failed; throws ScriptError when it cannot run.
    bool run(const QStringList &t, const QString &where);

private:
    int integer(const QString &text) const
    {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok)
            throw ScriptError{QString("not a number: \"%1\"").arg(text)};
        return value;
    }
    void need(const QStringList &t, int count) const
    {
        if (t.size() < count)
            throw ScriptError{QString("\"%1\" needs more arguments").arg(t.value(0))};
    }
    TdxTreeListNode *node(const QString &text) const
    {
        for (TdxTreeListNode *n = m_tree.Items(0); n; n = n->GetNext())
            if (m_tree.GetNodeString(n, 0) == text)
                return n;
        throw ScriptError{QString("no node \"%1\"").arg(text)};
    }
    int column(const QString &name) const
    {
        for (int i = 0; i < m_tree.ColumnCount(); ++i)
            if (m_tree.Columns(i)->Name() == name)
                return i;
        throw ScriptError{QString("no column \"%1\"").arg(name)};
    }
    TdxTreeListLayoutInfo layout() const
    {
        TdxTreeListLayoutInfo info;
        m_tree.CalcLayout(info);
        return info;
    }
    QPoint centre(const rtl::TRect &r, const QString &what) const
    {
        if (r.IsEmpty())
            throw ScriptError{QString("%1 is not shown").arg(what)};
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // X Y, or a place; consumes its tokens from index at.
    QPoint point(const QStringList &t, int &at) const;
    bool check(const QStringList &t, const QString &where);
    bool expect(bool holds, const QString &where, const QString &expected, const QString &got) const
    {
        if (!holds)
            std::fprintf(stderr, "%s: expected %s, got %s\n", qPrintable(where), qPrintable(expected), qPrintable(got));
        return holds;
    }
    QWidget *target() const { return m_widget.viewport(); }
    // Keys go where a user's would: to the widget with the focus, the
    // editor's while editing, the field's when Tab took it there.
    QWidget *keyTarget() const
    {
        QWidget *focused = m_widget.window()->focusWidget();
        return focused ? focused : &m_widget;
    }
    Qt::KeyboardModifiers modifiers(const QString &text) const
    {
        Qt::KeyboardModifiers m;
        for (const QString &part : text.split('+')) {
            if (part == "Ctrl")
                m |= Qt::ControlModifier;
            else if (part == "Shift")
                m |= Qt::ShiftModifier;
            else if (!part.isEmpty())
                throw ScriptError{QString("bad modifiers \"%1\"").arg(text)};
        }
        return m;
    }
    Qt::MouseButton mouseButton(const QString &text) const
    {
        if (text.isEmpty() || text == "left")
            return Qt::LeftButton;
        if (text == "middle")
            return Qt::MiddleButton;
        if (text == "right")
            return Qt::RightButton;
        throw ScriptError{QString("bad button \"%1\"").arg(text)};
    }

    // Stores or restores the layout under the section; "-" leaves the
    // section to be derived from the form and grid names. A file that cannot
    // be read or written stops the script rather than the program.
    static std::string readIniFile(const QString &name)
    {
        const std::string fileName = QFile::encodeName(name).toStdString();
        const rtl::FileText read = ini::readFileText(fileName);
        if (!read)
            throw ScriptError{QString::fromLocal8Bit(read.reasonAfter("cannot read", fileName))};
        return read.text;
    }

    void iniLayout(const QStringList &t, bool save)
    {
        need(t, 3);
        // The ini reader takes a file it cannot read for an empty one and
        // would give the defaults; a script asked for this file.
        if (!save)
            readIniFile(t[1]);
        m_tree.SetIniSectionName(t[2] == "-" ? QString() : t[2]);
        try {
            if (save)
                m_tree.SaveToIniFile(t[1]);
            else
                m_tree.LoadFromIniFile(t[1]);
        } catch (const std::exception &error) {
            throw ScriptError{QString("%1 \"%2\": %3").arg(save ? "cannot write" : "cannot read", t[1], error.what())};
        }
    }

    TCustomdxTreeListControl &m_tree;
    TreeListWidget &m_widget;
    // Every box the grid shows is answered at once and kept for the checks.
    shell::RecordingMessageBoxes m_messages;
    std::size_t m_messagesChecked = 0;
    // The editors beep through the platform, the grid through its window;
    // a script hears both.
    int m_platformBeeps = 0;
    // The grid's events heard since the script began, or since the last
    // "expect events ... reset".
    std::map<QString, int> m_events;
    shell::ScopedBeepSink m_beeps{[this](shell::BeepKind) { ++m_platformBeeps; }};
};

QPoint ScriptRun::point(const QStringList &t, int &at) const
{
    const QString kind = t.value(at);
    auto arg = [&](int i) {
        if (at + i >= t.size())
            throw ScriptError{QString("\"%1\" needs more arguments").arg(kind)};
        return t[at + i];
    };
    const TdxTreeListLayoutInfo info = layout();
    if (kind == "cell") {
        TdxTreeListNode *n = node(arg(1));
        const int c = column(arg(2));
        rtl::TRect r = m_tree.CellRect(n, m_tree.PositionOfColumn(c));
        at += 3;
        // A cell passing its band's edge, or the window's, is clipped
        // there: a click goes to the part that shows.
        for (const TdxTreeListHeaderCell &cell : info.HeaderCells)
            if (cell.ColumnIndex == c && !r.IsEmpty()) {
                r.Left = std::max(r.Left, cell.ClipRect.Left);
                r.Right = std::min(r.Right, cell.ClipRect.Right);
            }
        return centre(r, "the cell");
    }
    if (kind == "header" || kind == "edge") {
        const int c = column(arg(1));
        at += 2;
        for (const TdxTreeListHeaderCell &cell : info.HeaderCells)
            if (cell.ColumnIndex == c)
                return kind == "header"
                           ? centre(cell.ClipRect, "the header")
                           : QPoint(cell.CellRect.Right - 1, (cell.CellRect.Top + cell.CellRect.Bottom) / 2);
        throw ScriptError{QString("column \"%1\" is not shown").arg(t[at - 1])};
    }
    if (kind == "band") {
        const QString caption = arg(1);
        at += 2;
        for (const TdxTreeListBandInfo &band : info.Bands)
            if (m_tree.VisibleBandCaption(band.BandIndex) == caption)
                return centre(band.BandClipRect, "the band");
        throw ScriptError{QString("band \"%1\" is not shown").arg(caption)};
    }
    if (kind == "button") {
        TdxTreeListNode *n = node(arg(1));
        at += 2;
        for (const TdxTreeListRowInfo &row : info.Rows)
            if (row.Node == n) {
                const TreeListIndentRects parts = m_tree.NodeIndentRects(n, row.Height);
                const int left = info.RowsRect.Left - (m_tree.LeftFixedBand() < 0 ? m_tree.HorzOffset() : 0);
                const rtl::TRect b = parts.Button;
                return centre(rtl::Rect(left + b.Left, row.Top + b.Top, left + b.Right, row.Top + b.Bottom),
                              "the button");
            }
        throw ScriptError{QString("node \"%1\" is not shown").arg(t[at - 1])};
    }
    const int x = integer(arg(0));
    const int y = integer(arg(1));
    at += 2;
    return QPoint(x, y);
}

bool ScriptRun::run(const QStringList &t, const QString &where)
{
    const QString &command = t[0];
    int at = 1;
    if (command == "click" || command == "dblclick") {
        const QPoint p = point(t, at);
        const Qt::KeyboardModifiers m = modifiers(t.value(at));
        if (command == "click") {
            QTest::mouseClick(target(), Qt::LeftButton, m, p);
        } else {
            // The second press of a double click, and its release.
            QTest::mouseDClick(target(), Qt::LeftButton, m, p);
            QTest::mouseRelease(target(), Qt::LeftButton, m, p);
        }
    } else if (command == "press" || command == "move" || command == "release") {
        const QPoint p = point(t, at);
        const Qt::MouseButton button = mouseButton(t.value(at));
        if (command == "press")
            QTest::mousePress(target(), button, {}, p);
        else if (command == "release")
            QTest::mouseRelease(target(), button, {}, p);
        else
            QTest::mouseMove(target(), p);
    } else if (command == "drag") {
        const QPoint from = point(t, at);
        const QPoint to = point(t, at);
        QTest::mousePress(target(), Qt::LeftButton, {}, from);
        const QPoint step = to - from;
        const int steps = std::max(1, std::max(std::abs(step.x()), std::abs(step.y())) / 8);
        for (int i = 1; i <= steps; ++i) {
            QMouseEvent move(QEvent::MouseMove, from + step * i / steps, target()->mapToGlobal(from + step * i / steps),
                             Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(target(), &move);
        }
        QTest::mouseRelease(target(), Qt::LeftButton, {}, to);
    } else if (command == "key") {
        need(t, 2);
        const QKeySequence sequence(t[1]);
        if (sequence.isEmpty() || sequence[0].key() == Qt::Key_unknown)
            throw ScriptError{QString("unknown key \"%1\"").arg(t[1])};
        const QKeyCombination combination = sequence[0];
        QTest::keyClick(keyTarget(), combination.key(), combination.keyboardModifiers());
    } else if (command == "type") {
        need(t, 2);
        // A character beyond ASCII is typed as the keyboard layout types
        // it: a key the test library cannot name, with the text it makes.
        for (const char32_t ch : t.mid(1).join(' ').toUcs4()) {
            if (ch < 0x80)
                QTest::keyClick(keyTarget(), char(ch));
            else
                QTest::sendKeyEvent(QTest::Click, keyTarget(), Qt::Key_unknown, QString::fromUcs4(&ch, 1),
                                    Qt::NoModifier);
        }
    } else if (command == "wheel") {
        need(t, 2);
        const int notches = integer(t[1]);
        const QPoint p(target()->width() / 2, target()->height() / 2);
        QWheelEvent wheel(p, target()->mapToGlobal(p), {}, QPoint(0, notches * 120), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target(), &wheel);
    } else if (command == "wait") {
        need(t, 2);
        QTest::qWait(integer(t[1]));
    } else if (command == "render") {
        need(t, 2);
        if (const QString failed = SavePicture(m_widget.render(m_widget.hasFocus()), t[1]); !failed.isEmpty())
            throw ScriptError{failed};
    } else if (command == "dump") {
        const TdxTreeListLayoutInfo info = layout();
        auto show = [](const char *name, const rtl::TRect &r) {
            std::printf("%s %d %d %d %d\n", name, r.Left, r.Top, r.Right, r.Bottom);
        };
        show("BandPanelRect", info.BandPanelRect);
        show("HeaderPanelRect", info.HeaderPanelRect);
        show("IndicatorRect", info.IndicatorRect);
        show("RowsRect", info.RowsRect);
        show("LeftFixedRect", info.LeftFixedRect);
        show("RightFixedRect", info.RightFixedRect);
        for (const TdxTreeListHeaderCell &cell : info.HeaderCells)
            show(qPrintable(m_tree.Columns(cell.ColumnIndex)->Name()), cell.CellRect);
    } else if (command == "save-ini" || command == "load-ini") {
        iniLayout(t, command == "save-ini");
    } else if (command == "band-fixed") {
        // The demo's bands as a script wants them: a band freed from its
        // side can be dragged like any other.
        need(t, 3);
        TdxTreeListBand *band = nullptr;
        for (int i = 0; i < m_tree.Bands()->Count() && !band; ++i)
            if (m_tree.Bands()->Items(i)->Caption() == t[1])
                band = m_tree.Bands()->Items(i);
        if (!band)
            throw ScriptError{QString("no band \"%1\"").arg(t[1])};
        if (t[2] != "left" && t[2] != "right" && t[2] != "none")
            throw ScriptError{QString("band-fixed left, right or none, not \"%1\"").arg(t[2])};
        band->SetFixed(t[2] == "left" ? bfLeft : t[2] == "right" ? bfRight : bfNone);
    } else if (command == "column-min") {
        // column-min COLUMN WIDTH: how narrow the column may get.
        need(t, 3);
        m_tree.Columns(column(t[1]))->SetMinWidth(integer(t[2]));
    } else if (command == "expect") {
        QApplication::processEvents();
        return check(t, where);
    } else {
        throw ScriptError{QString("unknown command \"%1\"").arg(command)};
    }
    QApplication::processEvents();
    return true;
}

bool ScriptRun::check(const QStringList &t, const QString &where)
{
    need(t, 2);
    const QString &what = t[1];
    auto nodeName = [&](TdxTreeListNode *n) { return n ? m_tree.GetNodeString(n, 0) : QString("none"); };
    if (what == "focus") {
        need(t, 3);
        if (t[2] == "grid")
            return expect(m_widget.hasFocus(), where, "the focus on the grid", "it elsewhere");
        if (t[2] == "field") {
            // The other control of the grid's window.
            const QWidget *focused = m_widget.window()->focusWidget();
            const bool inField = focused && focused->objectName() == "field";
            return expect(inField, where, "the focus on the field", inField ? "it there" : "it elsewhere");
        }
        if (t[2] == "editor") {
            // Editing, and the keys go to the editor's window.
            const auto *editor = dynamic_cast<QWidget *>(m_tree.Editor());
            const QWidget *focused = m_widget.window()->focusWidget();
            const bool inEditor = editor && focused && (focused == editor || editor->isAncestorOf(focused));
            return expect(m_tree.State() == tsEditing && inEditor, where, "the focus in an editor",
                          QString("state %1, %2").arg(m_tree.State()).arg(inEditor ? "the editor" : "elsewhere"));
        }
        TdxTreeListNode *n = node(t[2]);
        bool holds = expect(m_tree.FocusedNode() == n, where, "focus on " + t[2], nodeName(m_tree.FocusedNode()));
        if (t.size() > 3) {
            const int c = column(t[3]);
            const int focused = m_tree.FocusedColumnIndex();
            holds = expect(focused == c, where, "focused column " + t[3],
                           focused >= 0 ? m_tree.Columns(focused)->Name() : QString("none")) &&
                    holds;
        }
        return holds;
    }
    if (what == "editing") {
        need(t, 3);
        const bool got = m_tree.State() == tsEditing;
        return expect(got == (t[2] == "yes"), where, "editing " + t[2], got ? "yes" : "no");
    }
    if (what == "text" && t.size() > 2 && t[2] == "editor") {
        need(t, 4);
        const QString got = m_tree.GetEditorText();
        return expect(got == t[3], where, "\"" + t[3] + "\"", "\"" + got + "\"");
    }
    if (what == "text") {
        need(t, 5);
        const QString got = m_tree.GetNodeString(node(t[2]), column(t[3]));
        return expect(got == t[4], where, "\"" + t[4] + "\"", "\"" + got + "\"");
    }
    if (what == "export") {
        need(t, 4);
        QStringList list;
        if (t[2] == "all")
            m_tree.SaveAllToStrings(list);
        else if (t[2] == "selected")
            list = QStringList{QApplication::clipboard()->text()};
        else
            throw ScriptError{"export all or selected"};
        const QString got = t[2] == "all" ? list.join("\r\n") + "\r\n" : list.value(0);
        const QString wanted = scriptUnescape(t[3]);
        return expect(got == wanted, where, "\"" + t[3] + "\"",
                      "\"" + QString(got).replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n") + "\"");
    }
    if (what == "order") {
        need(t, 3);
        QStringList got;
        QStringList wanted = t.mid(3);
        if (t[2] == "columns") {
            for (int p = 0; p < m_tree.VisibleColumnCount(); ++p)
                got << m_tree.Columns(m_tree.ColumnAtPosition(p))->Name();
        } else if (t[2] == "bands") {
            for (int p = 0; p < m_tree.VisibleBandCount(); ++p)
                got << m_tree.VisibleBandCaption(p);
        } else if (t[2] == "nodes") {
            TdxTreeListNode *parent = nullptr;
            if (!wanted.isEmpty()) {
                // A first name that is a parent of the second names the list.
                TdxTreeListNode *first = node(wanted[0]);
                if (wanted.size() > 1 && node(wanted[1])->Parent() == first) {
                    parent = first;
                    wanted.removeFirst();
                }
            }
            const int count = parent ? parent->Count() : m_tree.Count();
            for (int i = 0; i < count; ++i)
                got << nodeName(parent ? parent->Items(i) : m_tree.Items(i));
            got = got.mid(0, wanted.size());
        } else {
            throw ScriptError{"order columns, bands or nodes"};
        }
        return expect(got == wanted, where, wanted.join(' '), got.join(' '));
    }
    if (what == "width") {
        need(t, 5);
        int got = 0;
        if (t[2] == "column")
            got = m_tree.Columns(column(t[3]))->Width();
        else if (t[2] == "band") {
            got = -1;
            for (int i = 0; i < m_tree.Bands()->Count(); ++i)
                if (m_tree.Bands()->Items(i)->Caption() == t[3])
                    got = m_tree.Bands()->Items(i)->Width();
            if (got < 0)
                throw ScriptError{QString("no band \"%1\"").arg(t[3])};
        } else
            throw ScriptError{"width column or band"};
        return expect(got == integer(t[4]), where, t[4], QString::number(got));
    }
    if (what == "hit") {
        int at = 2;
        const QPoint p = point(t, at);
        need(t, at + 1);
        const int got = m_tree.HitTest(p.x(), p.y()).HitCode;
        return expect(got == integer(t[at]), where, "hit code " + t[at], QString::number(got));
    }
    if (what == "state") {
        need(t, 3);
        return expect(m_tree.State() == integer(t[2]), where, "state " + t[2], QString::number(m_tree.State()));
    }
    if (what == "expanded") {
        need(t, 4);
        const bool got = node(t[2])->Expanded();
        if (t[3] != "yes" && t[3] != "no")
            throw ScriptError{"expanded NODE yes|no"};
        return expect(got == (t[3] == "yes"), where, t[3], got ? "yes" : "no");
    }
    if (what == "selected") {
        QStringList got;
        for (TdxTreeListNode *n = m_tree.Items(0); n; n = n->GetNext())
            if (n->Selected())
                got << nodeName(n);
        for (const QString &name : t.mid(2))
            node(name);
        return expect(got == t.mid(2), where, t.mid(2).join(' '), got.join(' '));
    }
    if (what == "top") {
        need(t, 3);
        TdxTreeListNode *n = node(t[2]);
        return expect(m_tree.TopNode() == n || (!m_tree.TopNode() && m_tree.Items(0) == n), where, t[2],
                      nodeName(m_tree.TopNode() ? m_tree.TopNode() : m_tree.Items(0)));
    }
    if (what == "sorted") {
        need(t, 4);
        const int state = m_tree.ColumnSortState(column(t[2]));
        const QString got = state == 1 ? "up" : state == 2 ? "down" : "none";
        return expect(got == t[3], where, t[3], got);
    }
    if (what == "events") {
        // expect events NAME COUNT [reset]
        need(t, 4);
        static const QStringList names{"keydown", "keypress", "mousedown", "mouseup", "click", "dblclick"};
        if (!names.contains(t[2]))
            throw ScriptError{QString("events of %1, not \"%2\"").arg(names.join(", "), t[2])};
        const int got = m_events[t[2]];
        if (t.value(4) == "reset")
            m_events.clear();
        return expect(got == integer(t[3]), where, t[3] + " " + t[2], QString::number(got));
    }
    if (what == "offset") {
        // expect offset PIXELS: how far the scrolling bands are scrolled.
        need(t, 3);
        return expect(m_tree.HorzOffset() == integer(t[2]), where, "offset " + t[2],
                      QString::number(m_tree.HorzOffset()));
    }
    if (what == "header") {
        // expect header COLUMN LEFT RIGHT, or COLUMN none: the column's
        // header cell as laid out.
        need(t, 4);
        const int c = column(t[2]);
        QString got = "none";
        for (const TdxTreeListHeaderCell &cell : layout().HeaderCells)
            if (cell.ColumnIndex == c)
                got = QString("%1 %2").arg(cell.CellRect.Left).arg(cell.CellRect.Right);
        const QString wanted = t.size() > 4 ? t[3] + " " + t[4] : t[3];
        return expect(got == wanted, where, wanted, got);
    }
    if (what == "beeps") {
        need(t, 3);
        const int heard = m_widget.beeps() + m_platformBeeps;
        return expect(heard == integer(t[2]), where, t[2] + " beeps", QString::number(heard));
    }
    if (what == "ini") {
        // expect ini FILE SECTION yes|no: the file as saved, not as the grid
        // reads it back.
        need(t, 5);
        const QString header = "[" + t[3] + "]";
        const QStringList lines = QString::fromUtf8(readIniFile(t[2])).split(QLatin1Char('\n'));
        const bool found = std::any_of(lines.begin(), lines.end(),
                                       [&header](const QString &line) { return line.trimmed() == header; });
        return expect(found == (t[4] == "yes"), where, "section " + t[3] + " " + t[4], found ? "yes" : "no");
    }
    if (what == "boxes") {
        need(t, 3);
        const auto shown = static_cast<qsizetype>(m_messages.requests().size());
        return expect(shown == integer(t[2]), where, t[2] + " boxes", QString::number(shown));
    }
    if (what == "message") {
        // The boxes are checked in the order they came, each once.
        need(t, 3);
        const QString text = scriptUnescape(t.mid(2).join(' '));
        const auto &shown = m_messages.requests();
        const QString got =
            m_messagesChecked < shown.size() ? "\"" + shown[m_messagesChecked].text + "\"" : "no message";
        if (m_messagesChecked < shown.size())
            ++m_messagesChecked;
        return expect(got == "\"" + text + "\"", where, "the message \"" + text + "\"", got);
    }
    throw ScriptError{QString("unknown check \"%1\"").arg(what)};
}

} // namespace

QString SavePicture(const QImage &image, const QString &path)
{
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (!image.save(&png, "PNG"))
        return QString("cannot write \"%1\": the picture cannot be encoded").arg(path);
    // A device or a pipe is written in place.
    rtl::AtomicSaveOptions options;
    options.existing = rtl::ExistingFile::Update;
    const rtl::SaveResult saved =
        rtl::atomicSave(QFile::encodeName(path).toStdString(),
                        std::string_view(png.data().constData(), size_t(png.data().size())), options);
    if (!saved)
        return QString("cannot write \"%1\": %2").arg(path, QString::fromLocal8Bit(saved.reason().c_str()));
    return {};
}

int RunGridScript(const QString &path, GridDemo &demo, TreeListWidget &widget)
{
    // A script may come through a pipe; a device without end is stopped at the limit.
    const rtl::FileText script = rtl::readWholeFile(QFile::encodeName(path).toStdString(), {.regularOnly = false});
    if (!script) {
        const std::string name = QFile::encodeName(path).toStdString();
        std::fprintf(stderr, "griddemo: %s\n", script.reasonAfter("cannot read the script", name).c_str());
        return 2;
    }
    // A name in the script is bytes as much as one on the command line: a
    // line Qt would decode to other bytes would save or read another file.
    // Refused before any line runs, so nothing of the script is done.
    for (size_t start = 0, number = 1; start < script.text.size(); ++number) {
        const size_t end = std::min(script.text.find('\n', start), script.text.size());
        const std::string_view line = std::string_view(script.text).substr(start, end - start);
        if (!rtl::decodesFaithfully(line)) {
            constexpr size_t shown = 120;
            const std::string text = rtl::printableBytes(line.substr(0, shown)) + (line.size() > shown ? "..." : "");
            std::fprintf(stderr,
                         "%s:%zu: the line \"%s\" is not UTF-8 text; a name in it would open another file "
                         "than the one named\n",
                         QFile::encodeName(path).constData(), number, text.c_str());
            return 2;
        }
        start = end + 1;
    }
    const QStringList lines =
        QString::fromUtf8(script.text.data(), qsizetype(script.text.size())).replace("\r\n", "\n").split('\n');
    ScriptRun run(demo, widget);
    bool allHeld = true;
    for (int i = 0; i < lines.size(); ++i) {
        const QString where = QString("%1:%2").arg(path).arg(i + 1);
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        try {
            allHeld = run.run(scriptTokens(line), where) && allHeld;
        } catch (const ScriptError &error) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(where), qPrintable(error.message));
            return 2;
        }
    }
    return allHeld ? 0 : 1;
}

} // namespace griddemo
