#include "grid/widgets/InplaceTextEdit.h"

#include "grid/core/CharCase.h"
#include "grid/core/Container.h"
#include "grid/widgets/InplaceLineEdit.h"
#include "grid/widgets/KeyTranslation.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/gfx/Colors.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QProxyStyle>

#include <algorithm>
#include <climits>

namespace grid {

// The line edit shows a password with the editor's own character.
class PasswordCharStyle : public QProxyStyle
{
public:
    QChar character;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter && !character.isNull())
            return character.unicode();
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

namespace {

// Editing keys of Qt's line edit beyond the platform's own edit keys.
bool changesText(const QKeyEvent *event)
{
    static const QKeySequence::StandardKey keys[] = {
        QKeySequence::Undo,
        QKeySequence::Redo,
        QKeySequence::Cut,
        QKeySequence::Paste,
        QKeySequence::Delete,
        QKeySequence::Backspace,
        QKeySequence::DeleteEndOfLine,
        QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord,
        QKeySequence::DeleteCompleteLine,
    };
    for (QKeySequence::StandardKey key : keys)
        if (event->matches(key))
            return true;
    return false;
}

} // namespace

// The class name tells the editors of the grid's columns apart.
const classes::TMetaClass &TdxInplaceTextEdit::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TdxInplaceTextEdit, InplaceEditor>("TdxInplaceTextEdit");
    return meta;
}

TdxInplaceTextEdit::TdxInplaceTextEdit(TCustomdxContainer *container, QWidget *parent)
    : TdxInplaceEdit(container, parent)
    , m_line(new InplaceLineEdit(this))
    , m_passwordStyle(std::make_unique<PasswordCharStyle>())
{
    setFocusProxy(m_line);
    m_line->setFrame(false);
    // Nothing can be dropped into an editor.
    m_line->setAcceptDrops(false);
    m_line->setDragEnabled(false);
    // MaxLength is kept by the editor: the line edit would cut a longer value.
    m_line->setMaxLength(INT_MAX);
    m_line->setStyle(m_passwordStyle.get());
    m_line->setAutoFillBackground(true);
    connect(m_line, &QLineEdit::textChanged, this, [this]() { atEdge([this] { lineTextChanged(); }); });
    const auto selectionMoved = [this]() {
        if (!HasState(classes::csLoading))
            atEdge([this] { SelectionChange(); });
    };
    connect(m_line, &QLineEdit::selectionChanged, this, selectionMoved);
    connect(m_line, &QLineEdit::cursorPositionChanged, this, selectionMoved);
    applyPalette();
    FontChanged();
    AlignmentChanged();
}

TdxInplaceTextEdit::~TdxInplaceTextEdit()
{
    // The line edit goes before the style it was given.
    delete m_line;
    m_line = nullptr;
}

QLineEdit *TdxInplaceTextEdit::lineEdit() const
{
    return m_line;
}

QWidget *TdxInplaceTextEdit::inputWidget() const
{
    return m_line ? static_cast<QWidget *>(m_line) : TdxInplaceEdit::inputWidget();
}

void TdxInplaceTextEdit::SetSelectionBar(bool value)
{
    if (value == m_selectionBar)
        return;
    m_selectionBar = value;
    applyTextMargins();
}

// ---- Properties -------------------------------------------------------------------

void TdxInplaceTextEdit::SetCharCase(TEditCharCase value)
{
    if (value == m_charCase)
        return;
    m_charCase = value;
    UpdateCharCase();
}

void TdxInplaceTextEdit::SetMaxLength(int value)
{
    ApplyMaxLength(value);
    SetStoredValue(svsMaxLength);
}

void TdxInplaceTextEdit::ApplyMaxLength(int value)
{
    m_maxLength = value < 0 ? 0 : value;
}

void TdxInplaceTextEdit::SetPasswordChar(QChar value)
{
    if (value == m_passwordChar)
        return;
    m_passwordChar = value;
    m_passwordStyle->character = value;
    // The line edit asks its style for the character when the style changes.
    QEvent styleChange(QEvent::StyleChange);
    QApplication::sendEvent(m_line, &styleChange);
    m_line->setEchoMode(value.isNull() ? QLineEdit::Normal : QLineEdit::Password);
    m_line->update();
}

void TdxInplaceTextEdit::EmptyUndoBuffer()
{
    // Setting the text again is the line edit's only way to forget its undo.
    const bool modified = GetModified();
    const int start = GetSelStart();
    const int length = GetSelLength();
    const bool converting = m_converting;
    m_converting = true;
    m_line->setText(m_line->text());
    m_converting = converting;
    SetModified(modified);
    m_line->setSelection(start, length);
}

int TdxInplaceTextEdit::GetSelStart() const
{
    return m_line->hasSelectedText() ? m_line->selectionStart() : m_line->cursorPosition();
}

int TdxInplaceTextEdit::GetSelLength() const
{
    return m_line->hasSelectedText() ? m_line->selectionLength() : 0;
}

QString TdxInplaceTextEdit::GetSelText() const
{
    return m_line->selectedText();
}

void TdxInplaceTextEdit::SetSelStart(int start)
{
    m_line->setCursorPosition(start);
}

void TdxInplaceTextEdit::SetSelLength(int length)
{
    m_line->setSelection(GetSelStart(), length);
}

int TdxInplaceTextEdit::GetSelTextBuffer(QChar *buffer, int size) const
{
    const QString selected = GetSelText();
    const qsizetype count = WholeCharacterUnits(selected, size);
    std::copy_n(selected.constData(), count, buffer);
    return int(count);
}

void TdxInplaceTextEdit::SelectionChange()
{
    const std::pair<int, int> now{GetSelStart(), GetSelLength()};
    // Qt tells of a moved caret and of a changed selection apart, often
    // both for one change; the event comes once for it.
    if (now == m_toldSelection)
        return;
    m_toldSelection = now;
    if (OnSelectionChange)
        OnSelectionChange(this);
}

// ---- Value -----------------------------------------------------------------------

QString TdxInplaceTextEdit::Text() const
{
    return m_line->text();
}

void TdxInplaceTextEdit::SetText(const QString &text)
{
    m_line->setText(text);
}

void TdxInplaceTextEdit::SetEditValue(const QVariant &value)
{
    m_settingValue = true;
    InplaceEditor::SetEditValue(value);
    m_settingValue = false;
}

bool TdxInplaceTextEdit::GetModified() const
{
    return m_line->isModified();
}

void TdxInplaceTextEdit::SetModified(bool value)
{
    m_line->setModified(value);
}

void TdxInplaceTextEdit::SetReadOnly(bool value)
{
    TdxInplaceEdit::SetReadOnly(value);
    m_line->setReadOnly(!IsEditable());
}

void TdxInplaceTextEdit::MoveCaretToEnd()
{
    m_line->deselect();
    m_line->setCursorPosition(int(m_line->text().size()));
}

void TdxInplaceTextEdit::ClickAt(const rtl::TPoint &point)
{
    QWidget *container = parentWidget();
    if (!container)
        return;
    const QPoint at = m_line->mapFrom(container, QPoint(point.X, point.Y));
    m_line->deselect();
    m_line->setCursorPosition(m_line->cursorPositionAt(at));
}

void TdxInplaceTextEdit::SelectAll()
{
    m_line->selectAll();
}

void TdxInplaceTextEdit::RestoreDefaults()
{
    TdxInplaceEdit::RestoreDefaults();
    ApplyMaxLength(DefaultMaxLength());
    m_line->setReadOnly(!IsEditable());
}

void TdxInplaceTextEdit::RefreshDefaults()
{
    TdxInplaceEdit::RefreshDefaults();
    if (!(StoredValues() & svsMaxLength))
        ApplyMaxLength(DefaultMaxLength());
    m_line->setReadOnly(!IsEditable());
}

void TdxInplaceTextEdit::lineTextChanged()
{
    if (m_converting)
        return;
    textChanged();
}

void TdxInplaceTextEdit::textChanged()
{
    UpdateCharCase();
    if (!m_settingValue)
        Change();
}

void TdxInplaceTextEdit::UpdateCharCase()
{
    if (m_charCase == ecNormal)
        return;
    const QString text = Text();
    const QString converted = CaseConverted(text, m_charCase);
    if (converted == text)
        return;
    m_converting = true;
    const int start = GetSelStart();
    const int length = GetSelLength();
    const bool modified = GetModified();
    m_line->setText(converted);
    SetModified(modified);
    if (length > 0)
        m_line->setSelection(start, length);
    else
        m_line->setCursorPosition(start);
    m_converting = false;
}

// ---- Keys and commands ----------------------------------------------------------------

void TdxInplaceTextEdit::Enter()
{
    // Entering by a click leaves the caret where the click put it.
    if (m_autoSelect && !enteredByMouse())
        SelectAll();
    TdxInplaceEdit::Enter();
}

void TdxInplaceTextEdit::OwnKeyDown(TKey &key, TShiftState shift)
{
    const bool ctrl = (shift & ssCtrl) && !(shift & ssAlt);
    if ((ctrl && key == 'V') || (shift == ssShift && key == VK_INSERT)) {
        pasteText(QApplication::clipboard()->text());
        key = 0;
    } else if ((ctrl && key == 'X') || (shift == ssShift && key == VK_DELETE)) {
        // A password cannot be copied, so it is not cut either: the menu's
        // Cut is off for it too.
        if (m_passwordChar.isNull())
            cutText();
        key = 0;
    } else if (shift == ssShift && key == VK_F10) {
        // A request from the keyboard, as the platform makes it: the line
        // shows the editor's menu, or passes it up to a control's own.
        const QPoint caret = m_line->caretRect().topLeft();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, caret, m_line->mapToGlobal(caret));
        QApplication::sendEvent(m_line, &request);
        key = 0;
    }
}

void TdxInplaceTextEdit::KeyPress(TChar &key)
{
    if (IsTypedChar(key))
        key = CaseConverted(key, m_charCase);
    TdxInplaceEdit::KeyPress(key);
}

void TdxInplaceTextEdit::OwnKeyPress(TChar &key)
{
    // Backspace deletes as the character it types, not as the key: so the
    // one the grid hands over when it opens the editor on it deletes too,
    // and a handler that takes the character keeps the text.
    if (key == '\b') {
        if (CanModify())
            m_line->backspace();
        key = 0;
        return;
    }
    if (!IsTypedChar(key))
        return;
    insertText(CharacterText(key));
    key = 0;
}

void TdxInplaceTextEdit::ownKeyEvent(QKeyEvent *event, TKey key, const QString &characters)
{
    // Typed characters went in through KeyPress, so that the routing and
    // MaxLength hold for them, and for the one that opened the editor alike.
    if (TypesCharacters(characters) || characters.contains(u'\b'))
        return;
    if (key == 0 || (!CanModify() && changesText(event)))
        return;
    m_line->lineEditKeyPress(event);
}

QString TdxInplaceTextEdit::fitToMaxLength(const QString &text) const
{
    if (m_maxLength <= 0)
        return text;
    // The limit counts UTF-16 units; a character of two is left out whole.
    const qsizetype room = m_maxLength - (m_line->text().size() - m_line->selectedText().size());
    return text.left(WholeCharacterUnits(text, room));
}

void TdxInplaceTextEdit::insertText(const QString &text)
{
    const QString part = fitToMaxLength(text);
    if (!part.isEmpty())
        m_line->insert(part);
}

void TdxInplaceTextEdit::cutText()
{
    if (CanModify())
        m_line->cut();
}

void TdxInplaceTextEdit::pasteText(const QString &text)
{
    if (CanModify() && IsEditable())
        insertText(text);
}

void TdxInplaceTextEdit::clearText()
{
    if (CanModify() && m_line->hasSelectedText())
        m_line->del();
}

void TdxInplaceTextEdit::pasteSelection()
{
    if (QClipboard *clipboard = QApplication::clipboard(); clipboard->supportsSelection())
        pasteText(clipboard->text(QClipboard::Selection));
}

// ---- Context menu ----------------------------------------------------------------------

void TdxInplaceTextEdit::showContextMenu(const QPoint &pos, bool fromKeyboard)
{
    QPoint at = pos;
    if (fromKeyboard) {
        const QRect caret = m_line->caretRect();
        at = QPoint(std::min(caret.left(), m_line->width()), caret.top());
    } else if (!m_line->rect().contains(pos)) {
        return;
    }
    if (!m_menu) {
        m_menu = new QMenu(this);
        const struct
        {
            const char *caption;
            int tag;
        } items[] = {
            {"&Undo", mtUndo},     {"&Redo", mtRedo}, {"-", INT_MAX},
            {"Cu&t", mtCut},       {"&Copy", mtCopy}, {"&Paste", mtPaste},
            {"&Delete", mtDelete}, {"-", INT_MAX},    {"Select &All", mtSelectAll},
        };
        for (const auto &item : items) {
            QAction *action = item.tag == INT_MAX ? m_menu->addSeparator() : m_menu->addAction(item.caption);
            action->setData(item.tag);
            if (item.tag != INT_MAX)
                connect(action, &QAction::triggered, this,
                        [this, tag = item.tag]() { atEdge([&] { menuTriggered(tag); }); });
        }
    }
    const bool selection = m_line->hasSelectedText();
    const bool hidden = !m_passwordChar.isNull();
    for (QAction *action : m_menu->actions()) {
        switch (action->data().toInt()) {
        case mtUndo: action->setEnabled(m_line->isUndoAvailable()); break;
        case mtRedo: action->setEnabled(m_line->isRedoAvailable()); break;
        case mtCut: action->setEnabled(selection && IsEditable() && !hidden); break;
        case mtCopy: action->setEnabled(selection && !hidden); break;
        case mtPaste: action->setEnabled(IsEditable() && !QApplication::clipboard()->text().isEmpty()); break;
        case mtDelete: action->setEnabled(selection && IsEditable()); break;
        case mtSelectAll: action->setEnabled(m_line->selectedText().size() != m_line->text().size()); break;
        default: break;
        }
    }
    m_menu->popup(m_line->mapToGlobal(at));
}

void TdxInplaceTextEdit::menuTriggered(int tag)
{
    switch (tag) {
    case mtUndo: m_line->undo(); break;
    case mtRedo: m_line->redo(); break;
    case mtCut: cutText(); break;
    case mtCopy: m_line->copy(); break;
    case mtPaste: pasteText(QApplication::clipboard()->text()); break;
    case mtDelete: clearText(); break;
    case mtSelectAll: SelectAll(); break;
    default: break;
    }
}

// ---- Look ------------------------------------------------------------------------------

std::unique_ptr<TdxEditViewData> TdxInplaceTextEdit::NewViewData() const
{
    return std::make_unique<TdxTextEditViewData>();
}

void TdxInplaceTextEdit::FillViewData(TdxEditViewData &viewData, bool forPaint)
{
    TdxInplaceEdit::FillViewData(viewData, forPaint);
    if (auto *textData = dynamic_cast<TdxTextEditViewData *>(&viewData)) {
        textData->CharCase = m_charCase;
        textData->PasswordChar = m_passwordChar;
        textData->SelectionBar = m_selectionBar;
    }
}

void TdxInplaceTextEdit::applyPalette()
{
    QPalette palette = m_line->palette();
    const QColor base = gfx::ToQColor(Color());
    const QColor text = gfx::ToQColor(Font().Color());
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::Window, base);
        palette.setColor(group, QPalette::Text, text);
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, gfx::ToQColor(rtl::clBtnFace));
    palette.setColor(QPalette::Disabled, QPalette::Window, gfx::ToQColor(rtl::clBtnFace));
    palette.setColor(QPalette::Disabled, QPalette::Text, gfx::ToQColor(rtl::clGrayText));
    m_line->setPalette(palette);
}

void TdxInplaceTextEdit::applyTextMargins()
{
    const rtl::TRect &m = Margins();
    m_line->setTextMargins(m.Left + (m_selectionBar ? 8 : 0), m.Top, m.Right + (Alignment() == taRightJustify ? 1 : 0),
                           0);
}

void TdxInplaceTextEdit::ColorChanged()
{
    applyPalette();
    TdxInplaceEdit::ColorChanged();
}

void TdxInplaceTextEdit::FontChanged()
{
    m_line->setFont(gfx::ToQFont(Font().Font(), logicalDpiY()));
    applyPalette();
    TdxInplaceEdit::FontChanged();
}

void TdxInplaceTextEdit::MarginsChanged()
{
    applyTextMargins();
}

void TdxInplaceTextEdit::AlignmentChanged()
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (Alignment() == taRightJustify)
        horizontal = Qt::AlignRight;
    else if (Alignment() == taCenter)
        horizontal = Qt::AlignHCenter;
    m_line->setAlignment(horizontal | Qt::AlignTop);
    applyTextMargins();
}

void TdxInplaceTextEdit::clientRectChanged(const QRect &client)
{
    m_line->setGeometry(client);
}

void TdxInplaceTextEdit::changeEvent(QEvent *event)
{
    TdxInplaceEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        applyPalette(); // no code of others runs here
}

} // namespace grid

#include "moc_InplaceTextEdit.cpp"
