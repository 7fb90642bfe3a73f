#include "EditorFixture.h"
#include "GridPrinters.h"

#include "grid/widgets/InplaceTextEdit.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/controls/PopupMenu.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QMenu>

using namespace grid;
using gridtest::EditorWindow;

namespace {

void typeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

class TextEditors : public EditorWindow
{
protected:
    void SetUp() override
    {
        EditorWindow::SetUp();
        edit = make<TdxInplaceTextEdit>();
        line = edit->lineEdit();
        edit->OnValidate = [this](classes::TObject *, QString &text, bool &accept) {
            ++validations;
            accept = accepting;
            if (!accepting)
                text = "No.";
        };
    }

    void open(const QString &value)
    {
        edit->SetEditValue(value);
        edit->ShowEdit(rtl::TRect{10, 10, 110, 30});
    }

    void expectRefusals(int count)
    {
        EXPECT_EQ(beeps.count(), count);
        ASSERT_EQ(int(boxes.requests().size()), count);
        for (const shell::MessageBoxRequest &box : boxes.requests()) {
            EXPECT_EQ(box.text, "No.");
            EXPECT_EQ(box.caption, "Zarvello");
            EXPECT_EQ(box.icon, shell::MessageIcon::Stop);
            EXPECT_EQ(box.buttons, shell::MessageButtons::Ok);
        }
    }

    TdxInplaceTextEdit *edit = nullptr;
    QLineEdit *line = nullptr;
    int validations = 0;
    bool accepting = true;
};

TEST_F(TextEditors, ShownOverACellWithTwoPixelsToSpare)
{
    open("value");
    EXPECT_EQ(edit->geometry(), QRect(8, 8, 104, 24));
    EXPECT_TRUE(edit->isVisible());
    EXPECT_TRUE(line->hasFocus());
    EXPECT_EQ(line->selectedText(), "value");
    EXPECT_EQ(line->geometry(), edit->clientRect());
    edit->HideEdit();
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(edit->Shown());
}

TEST_F(TextEditors, UpValidatesOnce)
{
    container->onKeyDown = [this](TKey) { edit->ValidateEdit(); };
    open("a");
    QTest::keyClicks(line, "b");
    QTest::keyClick(line, Qt::Key_Up);
    EXPECT_EQ(validations, 1);
    EXPECT_EQ(container->keysDown, std::vector<TKey>{VK_UP});
}

TEST_F(TextEditors, ARefusedTabKeepsTheFocusAndNeverReachesTheContainer)
{
    open("a");
    QTest::keyClicks(line, "b");
    accepting = false;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        QTest::keyClick(line, Qt::Key_Tab);
        QCoreApplication::processEvents();
        expectRefusals(attempt);
        EXPECT_TRUE(line->hasFocus());
    }
    EXPECT_TRUE(container->keysDown.empty());
    EXPECT_EQ(line->text(), "b");
}

TEST_F(TextEditors, RefusedExitsByTabClickAndCloseKeepTheFocus)
{
    container->wantTabs = false; // Tab is the dialog's: it moves the focus
    open("a");
    QTest::keyClicks(line, "b");
    accepting = false;
    int attempts = 0;
    for (int round = 0; round < 2; ++round) {
        QTest::keyClick(line, Qt::Key_Tab);
        QCoreApplication::processEvents();
        expectRefusals(++attempts);
        EXPECT_TRUE(line->hasFocus());

        QTest::mouseClick(other, Qt::LeftButton);
        QCoreApplication::processEvents();
        expectRefusals(++attempts);
        EXPECT_TRUE(line->hasFocus());

        EXPECT_FALSE(window.close());
        QCoreApplication::processEvents();
        expectRefusals(++attempts);
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(line->hasFocus());
    }
    // Accepted, the focus goes where it was sent.
    accepting = true;
    QTest::mouseClick(other, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(other->hasFocus());
    expectRefusals(attempts);
}

TEST_F(TextEditors, AnEditorDestroyedWhileItsMessageIsUp)
{
    open("a");
    QTest::keyClicks(line, "b");
    accepting = false;
    QPointer<TdxInplaceTextEdit> alive(edit);
    const shell::ScopedMessageBoxSink answer([&](const shell::MessageBoxRequest &) {
        delete edit;
        return shell::IDOK;
    });
    QTest::keyClick(line, Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(container->ComponentCount(), 0);
}

TEST_F(TextEditors, EscapeRestoresTheTextAndModifiedFlagOfTheFocus)
{
    open("start");
    QTest::keyClicks(line, "xy");
    EXPECT_EQ(line->text(), "xy");
    EXPECT_TRUE(edit->GetModified());
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_EQ(line->text(), "start");
    EXPECT_FALSE(edit->GetModified());
    EXPECT_EQ(container->keysDown, std::vector<TKey>{VK_ESCAPE});

    edit->HideEdit();
    edit->SetEditValue("kept");
    edit->SetModified(true); // modified when the focus comes
    edit->ShowEdit(rtl::TRect{10, 10, 110, 30});
    QTest::keyClicks(line, "z");
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_EQ(line->text(), "kept");
    EXPECT_TRUE(edit->GetModified());
}

TEST_F(TextEditors, MaxLengthAndTypedCharacters)
{
    edit->SetMaxLength(-5);
    EXPECT_EQ(edit->MaxLength(), 0);
    EXPECT_TRUE(edit->StoredValues() & svsMaxLength);
    open("");
    QTest::keyClicks(line, "hello");
    EXPECT_EQ(line->text(), "hello");
    typeText(line, QStringLiteral(" \u00e9\u20ac\u65e5\U0001F600"));
    EXPECT_EQ(line->text(), QStringLiteral("hello \u00e9\u20ac\u65e5\U0001F600"));

    // A limit holds for typing and pasting, not for the value given.
    edit->SetMaxLength(3);
    edit->SetEditValue("longer than three");
    EXPECT_EQ(line->text(), "longer than three");
    edit->SetEditValue("");
    QTest::keyClicks(line, "abcdef");
    EXPECT_EQ(line->text(), "abc");

    // A text an input method composed is typing as well.
    edit->SetEditValue("ab");
    line->end(false);
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("cdef"));
    QApplication::sendEvent(line, &composed);
    EXPECT_EQ(line->text(), "abc");

    edit->SetMaxLength(0);
    edit->SetEditValue("");
    QApplication::clipboard()->setText(QString(100000, u'z') + "\r\nnext");
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(line->text(), QString(100000, u'z') + "\r\nnext"); // kept as pasted
}

TEST_F(TextEditors, ABaseContainersEditorTakesNoInput)
{
    container->modify = false;
    open("fixed");
    QApplication::clipboard()->setText("pasted");
    QTest::keyClicks(line, "ab");
    QTest::keyClick(line, Qt::Key_Backspace);
    QTest::keyClick(line, Qt::Key_Delete);
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(line, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(line, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(line, Qt::Key_Insert, Qt::ShiftModifier);
    // Nor what an input method commits or deletes next to the caret.
    QInputMethodEvent committed(QString(), {});
    committed.setCommitString("zz");
    QApplication::sendEvent(line, &committed);
    line->setCursorPosition(2);
    QInputMethodEvent deleted(QString(), {});
    deleted.setCommitString(QString(), -1, 1);
    QApplication::sendEvent(line, &deleted);
    EXPECT_EQ(line->text(), "fixed");
    EXPECT_FALSE(edit->GetModified());
}

TEST_F(TextEditors, APasswordHidesTheTextAndItsCutAndCopy)
{
    edit->SetPasswordChar(u'*');
    open("abc");
    EXPECT_EQ(line->displayText(), "***");
    edit->showContextMenu(QPoint(5, 5), false);
    QMenu *menu = edit->contextMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    std::map<int, bool> enabled;
    for (QAction *action : menu->actions())
        if (!action->isSeparator())
            enabled[action->data().toInt()] = action->isEnabled();
    EXPECT_EQ(enabled.size(), 7u);
    EXPECT_FALSE(enabled[TdxInplaceTextEdit::mtCut]);
    EXPECT_FALSE(enabled[TdxInplaceTextEdit::mtCopy]);
    EXPECT_TRUE(enabled[TdxInplaceTextEdit::mtDelete]);
    EXPECT_FALSE(enabled[TdxInplaceTextEdit::mtSelectAll]); // all is selected
    menu->hide();

    // Outside the client area nothing shows.
    edit->showContextMenu(QPoint(-3, 5), false);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_TRUE(line->hasFocus());

    // Cut by the keyboard is the menu's Cut: it would delete what nothing
    // can copy.
    QApplication::clipboard()->setText("before");
    line->selectAll();
    QTest::keyClick(line, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(line, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(line->text(), "abc");
    EXPECT_FALSE(edit->GetModified());
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    edit->SetPasswordChar(QChar());
    line->selectAll();
    QTest::keyClick(line, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(line->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
}

// A password shows a star for each UTF-16 unit, and the line edit steps by
// its stars; a character beyond U+FFFF is still never split: the caret
// passes over both its halves, and typing, Delete and Backspace keep or
// take it whole.
TEST_F(TextEditors, APasswordsCaretAndKeysNeverSplitAPair)
{
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    edit->SetPasswordChar(u'*');
    open("a" + smile + "b");
    line->home(false);
    QTest::keyClick(line, Qt::Key_Right);
    QTest::keyClick(line, Qt::Key_Right);
    EXPECT_EQ(line->cursorPosition(), 3);
    QTest::keyClicks(line, "x");
    EXPECT_EQ(line->text(), "a" + smile + "xb");
    QTest::keyClick(line, Qt::Key_Left);
    QTest::keyClick(line, Qt::Key_Left);
    EXPECT_EQ(line->cursorPosition(), 1);
    QTest::keyClick(line, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(line->selectionLength(), 2);
    line->setCursorPosition(1);
    QTest::keyClick(line, Qt::Key_Delete);
    EXPECT_EQ(line->text(), "axb");
    line->setText("a" + smile + smile);
    line->setCursorPosition(2); // a click between the halves of a star pair
    EXPECT_NE(line->cursorPosition(), 2);
    line->end(false);
    QTest::keyClick(line, Qt::Key_Backspace);
    QTest::keyClick(line, Qt::Key_Backspace);
    EXPECT_EQ(line->text(), "a");
}

TEST_F(TextEditors, UpperCaseKeepsSelectionAndModifiedFlag)
{
    open("mixed Case");
    line->setSelection(2, 3);
    edit->SetModified(true);
    edit->SetCharCase(ecUpperCase);
    EXPECT_EQ(line->text(), "MIXED CASE");
    EXPECT_EQ(line->selectionStart(), 2);
    EXPECT_EQ(line->selectedText(), "XED");
    EXPECT_TRUE(edit->GetModified());
    line->end(false);
    QTest::keyClicks(line, "x");
    EXPECT_EQ(line->text(), "MIXED CASEX");
    // The container sees the character the editor takes.
    EXPECT_EQ(container->charsPressed, "X");
    EXPECT_EQ(container->charsAsked, "X");
    edit->SetCharCase(ecLowerCase);
    QTest::keyClicks(line, "Y");
    EXPECT_EQ(line->text(), "mixed casexy");
    EXPECT_EQ(container->charsPressed, "Xy");
}

TEST_F(TextEditors, WithoutHideSelectionTheSelectionStaysShownWithoutTheFocus)
{
    edit->SetHideSelection(false);
    open("abcdef");
    line->setSelection(1, 3);
    other->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(other->hasFocus());
    EXPECT_EQ(line->selectedText(), "bcd");
    const QImage shown = line->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb highlight = line->palette().color(QPalette::Highlight).rgb();
    int highlighted = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            highlighted += shown.pixel(x, y) == highlight;
    EXPECT_GT(highlighted, 0);
}

// A click that enters the editor leaves the caret where it put it; only the
// left button places a caret.
TEST_F(TextEditors, OnlyALeftClickEntersWithoutSelectingAll)
{
    open("value");
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton}) {
        SCOPED_TRACE(int(button));
        other->setFocus();
        QCoreApplication::processEvents();
        ASSERT_FALSE(line->hasFocus());
        line->deselect();
        QTest::mousePress(line, button, {}, QPoint(3, 5));
        EXPECT_TRUE(line->hasFocus());
        EXPECT_EQ(line->selectedText(), button == Qt::LeftButton ? QString() : QStringLiteral("value"));
        QTest::mouseRelease(line, button, {}, QPoint(3, 5));
        if (QMenu *menu = edit->contextMenu())
            menu->hide();
    }
}

TEST_F(TextEditors, KeysAreDroppedWhileTheContainerIsOutOfSync)
{
    open("a");
    line->end(false);
    container->outOfSync = true;
    QTest::keyClicks(line, "bc");
    QTest::keyClick(line, Qt::Key_Backspace);
    QTest::keyClick(line, Qt::Key_Up);
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_EQ(line->text(), "a");
    EXPECT_TRUE(container->keysDown.empty());
    EXPECT_TRUE(container->charsPressed.isEmpty());
    container->outOfSync = false;
    QTest::keyClicks(line, "b");
    EXPECT_EQ(line->text(), "ab");
}

TEST_F(TextEditors, WheelTurnsScrollTheContainer)
{
    open("a");
    QWheelEvent wheel(QPointF(5, 5), QPointF(line->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(line, &wheel);
    EXPECT_EQ(container->scrolls, std::vector<int>(size_t(QApplication::wheelScrollLines()), SB_LINEDOWN));
}

} // namespace

namespace {

// A hand over the left 10 pixels of the text.
class HandTextEdit : public TdxInplaceTextEdit
{
public:
    using TdxInplaceTextEdit::TdxInplaceTextEdit;
    TCursor GetEditCursor(int x, int, const TdxEditViewData &) override { return x < 10 ? TCursor(-21) : crDefault; }
};

} // namespace

TEST_F(TextEditors, TheTextKeepsItsOwnCursorWhereTheEditorGivesNone)
{
    auto *hand = make<HandTextEdit>();
    hand->ShowEdit(rtl::TRect{10, 40, 110, 60});
    QLineEdit *input = hand->lineEdit();
    EXPECT_EQ(input->cursor().shape(), Qt::IBeamCursor);
    const auto moveTo = [&](int x) {
        const QPointF at = QPointF(input->mapFrom(hand, QPoint(x, 5)));
        QMouseEvent move(QEvent::MouseMove, at, input->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(input, &move);
    };
    moveTo(5);
    EXPECT_EQ(input->cursor().shape(), Qt::PointingHandCursor);
    moveTo(50);
    EXPECT_EQ(input->cursor().shape(), Qt::IBeamCursor);
}

// The selection-change event comes once for each change the user makes,
// by keys, by typing or by the program, and not for a move that changes
// nothing.
TEST_F(TextEditors, OnSelectionChangeComesOnceForEachChangeOfTheSelection)
{
    open("abc");
    std::vector<std::pair<int, int>> told;
    edit->OnSelectionChange = [&](classes::TObject *sender) {
        EXPECT_EQ(sender, static_cast<classes::TObject *>(edit));
        told.emplace_back(edit->GetSelStart(), edit->GetSelLength());
    };
    QTest::keyClick(line, Qt::Key_End);
    QTest::keyClick(line, Qt::Key_End); // already there
    QTest::keyClick(line, Qt::Key_Left, Qt::ShiftModifier);
    edit->SelectAll();
    typeText(line, QStringLiteral("д"));
    edit->SetSelStart(0);
    EXPECT_EQ(told, (std::vector<std::pair<int, int>>{{3, 0}, {2, 1}, {0, 3}, {1, 0}, {0, 0}}));
}

// The selected text copied into a buffer of a given size: no more than
// fits, and never the first half of a pair without the second.
TEST_F(TextEditors, TheSelectedTextGoesIntoABufferWithoutSplittingAPair)
{
    open(QStringLiteral("a\U0001F600b"));
    edit->SelectAll();
    QChar buffer[8];
    EXPECT_EQ(edit->GetSelTextBuffer(buffer, 2), 1);
    EXPECT_EQ(QString(buffer, 1), "a");
    EXPECT_EQ(edit->GetSelTextBuffer(buffer, 3), 3);
    EXPECT_EQ(QString(buffer, 3), QStringLiteral("a\U0001F600"));
    EXPECT_EQ(edit->GetSelTextBuffer(buffer, 8), 4);
    EXPECT_EQ(edit->GetSelTextBuffer(buffer, 0), 0);
}

namespace {

// A text editor whose limit, when none is set, comes from elsewhere.
class LimitedEdit : public TdxInplaceTextEdit
{
public:
    using TdxInplaceTextEdit::TdxInplaceTextEdit;
    int DefaultMaxLength() const override { return 4; }
    void ApplyMaxLength(int value) override
    {
        applied.push_back(value);
        TdxInplaceTextEdit::ApplyMaxLength(value);
    }
    std::vector<int> applied;
};

} // namespace

// Refreshing the defaults takes the editor's default limit unless one was
// set explicitly; every limit goes through ApplyMaxLength.
TEST_F(TextEditors, RefreshingTheDefaultsKeepsAnExplicitMaxLength)
{
    auto *limited = make<LimitedEdit>();
    limited->RefreshDefaults();
    EXPECT_EQ(limited->MaxLength(), 4);
    limited->SetMaxLength(2);
    limited->RefreshDefaults();
    EXPECT_EQ(limited->MaxLength(), 2);
    limited->SetReadOnly(true);
    limited->RefreshDefaults();
    EXPECT_TRUE(limited->lineEdit()->isReadOnly());
    limited->RestoreDefaults();
    EXPECT_EQ(limited->MaxLength(), 4);
    EXPECT_FALSE(limited->lineEdit()->isReadOnly());
    EXPECT_EQ(limited->applied, (std::vector<int>{4, 2, 4}));
}

namespace {

// A control of the class library that names a popup menu of its own.
class MenuPanel
    : public QWidget
    , public classes::TComponent
{
    ZVO_CLASS(MenuPanel)
public:
    explicit MenuPanel(QWidget *parent)
        : QWidget(parent)
        , classes::TComponent(nullptr)
    {}
    controls::TPopupMenu *PopupMenu() const { return menu; }
    void SetPopupMenu(controls::TPopupMenu *value) { menu = value; }
    controls::TPopupMenu *menu = nullptr;
    int requests = 0;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        ++requests;
        event->accept();
    }
};

const classes::TMetaClass &MenuPanel::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<MenuPanel, classes::TComponent>("TMenuPanel", [](classes::TClassBuilder<MenuPanel> &c) {
            c.Reference("PopupMenu", &MenuPanel::PopupMenu, &MenuPanel::SetPopupMenu);
        });
    return meta;
}

} // namespace

// The editor's own menu shows only where no control it sits in has a popup
// menu of its own; otherwise a right click or Shift+F10 goes to that one.
TEST_F(TextEditors, AParentsPopupMenuTakesTheRequestFromTheEditor)
{
    open("abc");
    const auto rightClick = [this] {
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), line->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(line, &request);
    };
    const auto editorMenuShown = [this] {
        QMenu *menu = edit->contextMenu();
        const bool shown = menu && menu->isVisible();
        if (menu)
            menu->hide();
        return shown;
    };
    int windowRequests = 0;
    QObject::connect(&window, &QWidget::customContextMenuRequested, [&] { ++windowRequests; });
    rightClick();
    EXPECT_TRUE(editorMenuShown());

    window.setContextMenuPolicy(Qt::CustomContextMenu);
    rightClick();
    QTest::keyClick(line, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_FALSE(editorMenuShown());
    EXPECT_EQ(windowRequests, 2);
    window.setContextMenuPolicy(Qt::DefaultContextMenu);

    // A control of the class library between the window and the container,
    // with a PopupMenu set, and then without.
    auto *panel = new MenuPanel(&window);
    panel->setGeometry(0, 0, 300, 200);
    container->setParent(panel);
    panel->show();
    container->show();
    controls::TPopupMenu popup;
    panel->SetPopupMenu(&popup);
    rightClick();
    EXPECT_FALSE(editorMenuShown());
    EXPECT_EQ(panel->requests, 1);
    panel->SetPopupMenu(nullptr);
    rightClick();
    EXPECT_TRUE(editorMenuShown());
    EXPECT_EQ(panel->requests, 1);
    container->setParent(&window);
}
