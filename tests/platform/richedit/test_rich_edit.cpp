// The window-less rich edit: positions, selections, search, plain-text
// loading, and unrtf's reading of what the writer gives as the oracle of
// the plain text.

#include "platform/richedit/RichEdit.h"
#include "platform/richedit/RtfReader.h"
#include "platform/richedit/RtfWriter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

using richedit::FindOption;
using richedit::RichEdit;

const QByteArray richEditSample = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl;\\red0\\green128"
                                  "\\blue0;}\\f0\\fs20 The cat\\par {\\b\\f1 Category} cat\\tab Cat\\par\\cf1 end}";

TEST(RichEdit, PositionsCountOnePerParagraphBreak)
{
    RichEdit edit;
    edit.LoadFromBytes(richEditSample);
    EXPECT_EQ(edit.Text(), QStringLiteral("The cat\nCategory cat\tCat\nend"));
    EXPECT_EQ(edit.TextLength(), edit.Text().size());
    EXPECT_EQ(edit.Lines(),
              (QStringList{QStringLiteral("The cat"), QStringLiteral("Category cat\tCat"), QStringLiteral("end")}));
    edit.SetSelStart(8);
    edit.SetSelLength(8);
    EXPECT_EQ(edit.SelText(), QStringLiteral("Category"));
    const richedit::TextAttributes bold = edit.SelAttributes();
    EXPECT_TRUE(bold.bold);
    EXPECT_EQ(bold.name, QStringLiteral("Courier New"));
    EXPECT_DOUBLE_EQ(bold.size, 10);
    edit.SetSelStart(26);
    EXPECT_EQ(edit.SelAttributes().color, 0x008000);
    EXPECT_EQ(edit.SelAttributes().backColor, 0);
    // Past the end the selection stops at it.
    edit.SetSelStart(1000);
    EXPECT_EQ(edit.SelStart(), edit.TextLength());
}

TEST(RichEdit, FindTextGoesForwardWithWholeWordAndCase)
{
    RichEdit edit;
    edit.LoadFromBytes(richEditSample);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 0, -1, 0), 4);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 5, -1, 0), 8); // "Category"
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 5, -1, int(FindOption::WholeWord)), 17);
    EXPECT_EQ(edit.FindText(QStringLiteral("Cat"), 9, -1, int(FindOption::WholeWord) | int(FindOption::MatchCase)), 21);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 18, 5, 0), -1); // "Cat" ends past the range
    EXPECT_EQ(edit.FindText(QStringLiteral("end"), 0, -1, int(FindOption::MatchCase)), 25);
    EXPECT_EQ(edit.FindText(QStringLiteral("dog"), 0, -1, 0), -1);
}

// Hidden text is left out on reading: it shows nowhere, takes no room, is
// not found, and so is not written back either.
TEST(RichEdit, HiddenTextIsNeitherShownNorFoundNorSaved)
{
    RichEdit edit;
    edit.LoadFromBytes("{\\rtf1\\ansi visible {\\v hidden} end}");
    EXPECT_EQ(edit.Text(), QStringLiteral("visible  end"));
    EXPECT_EQ(edit.FindText(QStringLiteral("hidden"), 0, -1, 0), -1);

    // \v0 shows again, \plain resets, a hidden paragraph mark joins two
    // paragraphs.
    edit.LoadFromBytes("{\\rtf1 a\\v b\\v0 c\\v d\\plain e\\par f{\\v\\par g}h\\par i}");
    EXPECT_EQ(edit.Text(), QStringLiteral("ace\nfh\ni"));

    RichEdit reread;
    reread.LoadFromBytes(edit.SaveToBytes());
    EXPECT_EQ(reread.Text(), edit.Text());
}

TEST(RichEdit, ReplacingTheSelectionKeepsItsFormat)
{
    RichEdit edit;
    edit.LoadFromBytes(richEditSample);
    edit.SetSelStart(8);
    edit.SetSelLength(8);
    edit.SetSelText(QStringLiteral("Dog"));
    EXPECT_EQ(edit.Text(), QStringLiteral("The cat\nDog cat\tCat\nend"));
    edit.SetSelStart(9);
    EXPECT_TRUE(edit.SelAttributes().bold);
    EXPECT_EQ(edit.SelAttributes().name, QStringLiteral("Courier New"));

    edit.SetSelStart(0);
    edit.SetSelLength(3);
    richedit::TextAttributes marked = edit.SelAttributes();
    marked.backColor = 0x00FFFF;
    edit.SetSelAttributes(marked);
    EXPECT_EQ(edit.SelAttributes().backColor, 0x00FFFF);
    marked.backColor = 0;
    edit.SetSelAttributes(marked);
    EXPECT_EQ(edit.SelAttributes().backColor, 0);
    EXPECT_FALSE(edit.SaveToBytes().contains("\\highlight"));
}

TEST(RichEdit, DataThatIsNoRtfLoadsAsPlainText)
{
    RichEdit edit;
    edit.LoadFromBytes(QByteArray("line one\r\nline {two}\rthree\n\\rtf"));
    EXPECT_EQ(edit.Text(), QStringLiteral("line one\nline {two}\nthree\n\\rtf"));
    edit.LoadFromBytes(QByteArray("caf\xe9"));
    EXPECT_EQ(edit.Text(), QStringLiteral("caf\u00e9"));
    edit.LoadFromBytes(QByteArray("caf\xc3\xa9"));
    EXPECT_EQ(edit.Text(), QStringLiteral("caf\u00e9"));
    // Plain text saved and loaded again is the same text.
    RichEdit copy;
    copy.LoadFromBytes(edit.SaveToBytes());
    EXPECT_EQ(copy.Text(), edit.Text());
}

#ifdef ZVO_UNRTF_PATH
// unrtf's text output: "###" lines and a rule of dashes, then the text.
QString unrtfText(const QByteArray &rtf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.rtf"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(rtf);
    file.close();
    QProcess unrtf;
    unrtf.start(QStringLiteral(ZVO_UNRTF_PATH), {QStringLiteral("--text"), path});
    if (!unrtf.waitForFinished(30000))
        return QStringLiteral("<unrtf did not finish>");
    QStringList lines = QString::fromUtf8(unrtf.readAllStandardOutput()).split(u'\n');
    while (!lines.isEmpty() && (lines.first().startsWith(QLatin1String("###")) || lines.first().isEmpty() ||
                                lines.first().startsWith(QLatin1String("-----"))))
        lines.removeFirst();
    return lines.join(u'\n');
}

// Blanks and line ends are where the two readers differ, and unrtf's text
// output shows a question mark for every character past ASCII; the
// characters and their order are what must agree.
QString unrtfVisible(QString text)
{
    QString visible;
    for (const QChar c : text) {
        if (!c.isSpace())
            visible.append(c.unicode() >= 0x80 ? u'?' : c);
    }
    return visible;
}

TEST(RichEdit, UnrtfReadsTheWritersTextAsWeDo)
{
    const QList<QByteArray> documents = {
        richEditSample,
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard\\qc\\b Head\\b0\\par\\pard\\tx720 a\\tab b \\u8364? "
        "\\'e9\\line x {\\i y} \\{z\\}\\par {\\pntext 1.\\tab}item\\par\\trowd\\intbl c1\\cell c2\\cell\\row end}",
    };
    for (const QByteArray &rtf : documents) {
        RichEdit edit;
        edit.LoadFromBytes(rtf);
        const QByteArray written = edit.SaveToBytes();
        EXPECT_EQ(unrtfVisible(unrtfText(written)), unrtfVisible(edit.Text())) << written.constData();
    }
}
#endif

} // namespace
