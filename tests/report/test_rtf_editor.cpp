// The RTF editor: what it is given comes back after OK with the changes
// made to the selection, and the library registers it for its dialog.

#include "report/output/LibraryInit.h"
#include "report/output/forms/RTFEditor.h"

#include "report/model/forms/FormClassRegistry.h"

#include "platform/richedit/RichEdit.h"

#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using report::TppRTFEditor;

TEST(RTFEditor, ChangesToTheSelectionComeBackAsRtf)
{
    TppRTFEditor editor;
    editor.SetRichText("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 plain {\\i words} here}");
    EXPECT_EQ(editor.Editor()->toPlainText(), QStringLiteral("plain words here"));
    QTextCursor cursor = editor.Editor()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    editor.Editor()->setTextCursor(cursor);
    editor.btnBold()->click();
    editor.spnSize()->setValue(18);

    richedit::RichEdit result;
    result.LoadFromBytes(editor.RichText());
    EXPECT_EQ(result.Text(), QStringLiteral("plain words here"));
    result.SetSelStart(0);
    EXPECT_TRUE(result.SelAttributes().bold);
    EXPECT_DOUBLE_EQ(result.SelAttributes().size, 18);
    result.SetSelStart(7);
    EXPECT_FALSE(result.SelAttributes().bold);
    EXPECT_TRUE(result.SelAttributes().italic);
    EXPECT_DOUBLE_EQ(result.SelAttributes().size, 10);

    // Plain text is taken as it stands.
    editor.SetRichText("no {rtf} at all");
    EXPECT_EQ(editor.Editor()->toPlainText(), QStringLiteral("no {rtf} at all"));
}

TEST(RTFEditor, TheLibraryRegistersItForItsDialog)
{
    report::ppLibraryInit();
    EXPECT_EQ(report::ppGetFormClass(report::TppCustomRTFEditor::StaticClass()), &TppRTFEditor::StaticClass());
    report::ppLibraryFinalize();
}

} // namespace
