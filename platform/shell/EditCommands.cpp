#include "platform/shell/EditCommands.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVariant>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTextEdit>

namespace shell {

namespace {

template <typename Edit>
void runOnTextEdit(Edit *edit, EditCommand command)
{
    switch (command) {
    case EditCommand::Copy: edit->copy(); break;
    case EditCommand::Cut: edit->cut(); break;
    case EditCommand::Paste: edit->paste(); break;
    case EditCommand::Undo: edit->undo(); break;
    case EditCommand::SelectAll: edit->selectAll(); break;
    }
}

QLineEdit *lineEditOf(QWidget *widget)
{
    if (auto *line = qobject_cast<QLineEdit *>(widget))
        return line;
    // An editable combo box hands the focus to its line edit, but callers may
    // also name the box itself.
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    return nullptr;
}

// A one-line edit draws its caret as wide as its style says; this style says
// nothing, until the edit loses the focus, when it gets its caret back as a
// system edit does.
class HiddenCaretStyle : public QProxyStyle
{
public:
    explicit HiddenCaretStyle(QStyle *base)
        : QProxyStyle(base)
    {}
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_TextCursorWidth)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Lives beside the edit, not as its child: a child would go while the
// edit is half destroyed and still drawing with this style.
class CaretRestorer : public QObject
{
public:
    explicit CaretRestorer(QLineEdit *line)
        : m_line(line)
        , m_own(line->testAttribute(Qt::WA_SetStyle) ? line->style() : nullptr)
        , m_hidden(QStyleFactory::create(line->style()->name()))
    {
        line->setProperty(Name, true);
        line->setStyle(&m_hidden);
        line->installEventFilter(this);
        // The edit is no line edit any more when it says so.
        QObject::connect(line, &QObject::destroyed, this, [this] {
            m_line = nullptr;
            delete this;
        });
    }
    ~CaretRestorer() override
    {
        if (!m_line)
            return;
        m_line->removeEventFilter(this);
        m_line->setStyle(m_own);
        m_line->setProperty(Name, QVariant());
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_line && event->type() == QEvent::FocusOut)
            deleteLater();
        return false;
    }

    static constexpr const char *Name = "zvoHiddenCaret";

private:
    QLineEdit *m_line;
    QPointer<QStyle> m_own;
    HiddenCaretStyle m_hidden;
};

void hideCaret(QLineEdit *line)
{
    if (!line->property(CaretRestorer::Name).toBool())
        new CaretRestorer(line);
}

} // namespace

bool sendEditCommand(EditCommand command, QWidget *target)
{
    if (!target && qobject_cast<QApplication *>(QCoreApplication::instance()))
        target = QApplication::focusWidget();
    if (!target)
        return false;
    if (QLineEdit *line = lineEditOf(target)) {
        runOnTextEdit(line, command);
        return true;
    }
    if (auto *text = qobject_cast<QTextEdit *>(target)) {
        runOnTextEdit(text, command);
        return true;
    }
    if (auto *plain = qobject_cast<QPlainTextEdit *>(target)) {
        runOnTextEdit(plain, command);
        return true;
    }
    return false;
}

void hideSelection(QWidget *control)
{
    if (QLineEdit *line = lineEditOf(control)) {
        if (line->hasSelectedText()) {
            line->deselect();
            line->setCursorPosition(0);
        }
        hideCaret(line);
        return;
    }
    auto collapse = [](auto *edit) {
        QTextCursor cursor = edit->textCursor();
        if (cursor.hasSelection()) {
            cursor.clearSelection();
            cursor.movePosition(QTextCursor::Start);
            edit->setTextCursor(cursor);
        }
        edit->setCursorWidth(0);
    };
    if (auto *text = qobject_cast<QTextEdit *>(control))
        collapse(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        collapse(plain);
}

} // namespace shell
