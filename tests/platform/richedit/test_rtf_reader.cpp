// The RTF reader and writer: what a document says survives a write and a
// read, the writer is repeatable, and bad input reads as far as it goes.

#include "platform/richedit/RtfReader.h"
#include "platform/richedit/RtfWriter.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include <gtest/gtest.h>

namespace {

QString rtfPlain(const QTextDocument &document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

QString rtfPlain(const QByteArray &rtf)
{
    QTextDocument document;
    richedit::ReadRtf(rtf, document);
    return rtfPlain(document);
}

QTextCharFormat rtfFormatAt(const QTextDocument &document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument *>(&document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

const QByteArray rtfFormatted =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}"
    "{\\f2\\fcharset204 Courier New;}}{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "{\\stylesheet{\\s0 Normal;}}{\\*\\generator Writer;}{\\info{\\title T}}\n"
    "\\pard\\qc\\li720\\ri360\\fi-180\\sb120\\sa240\\sl-300\\tx1440\\tqr\\tx5000 "
    "\\f1\\fs32\\b Title\\b0\\tab {\\i it}\\'e9\\par\n"
    "\\pard\\qj\\f0\\fs20 {\\cf1 red} {\\highlight2 back} \\ul under\\ulnone  {\\strike s}"
    "{\\super 2}{\\sub x} \\u8364? \\uc2\\u955 ab c {\\f2\\'c0}\\line next\\par\n"
    "{\\pntext 1.\\tab }item\\par\n"
    "\\trowd\\cellx1000\\cellx2000 \\intbl a\\cell b\\cell\\row\n"
    "\\pard tail {\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}}";

TEST(RtfReader, ReadsTextFormatsAndStructure)
{
    QTextDocument document;
    richedit::ReadRtf(rtfFormatted, document);
    EXPECT_EQ(rtfPlain(document), QStringLiteral("Title\tit\u00e9\n"
                                                 "red back under s2x \u20ac \u03bb c \u0410\u2028next\n"
                                                 "1.\titem\na\tb\ntail link"));

    const QTextBlock first = document.begin();
    const QTextBlockFormat para = first.blockFormat();
    EXPECT_EQ(para.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(para.leftMargin(), 48);
    EXPECT_DOUBLE_EQ(para.rightMargin(), 24);
    EXPECT_DOUBLE_EQ(para.textIndent(), -12);
    EXPECT_DOUBLE_EQ(para.topMargin(), 8);
    EXPECT_DOUBLE_EQ(para.bottomMargin(), 16);
    EXPECT_EQ(para.lineHeightType(), QTextBlockFormat::FixedHeight);
    ASSERT_EQ(para.tabPositions().size(), 2);
    EXPECT_DOUBLE_EQ(para.tabPositions()[0].position, 96);
    EXPECT_EQ(para.tabPositions()[1].type, QTextOption::RightTab);

    const QTextCharFormat title = rtfFormatAt(document, 0);
    EXPECT_EQ(title.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_DOUBLE_EQ(title.fontPointSize(), 16);
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_TRUE(rtfFormatAt(document, 6).fontItalic());
    EXPECT_FALSE(rtfFormatAt(document, 8).fontItalic());

    const int second = document.begin().next().position();
    EXPECT_EQ(document.begin().next().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_EQ(rtfFormatAt(document, second).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(rtfFormatAt(document, second + 4).background().color(), QColor(0, 0, 255));
    EXPECT_TRUE(rtfFormatAt(document, second + 9).fontUnderline());
    EXPECT_TRUE(rtfFormatAt(document, second + 15).fontStrikeOut());
    EXPECT_EQ(rtfFormatAt(document, second + 16).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(rtfFormatAt(document, second + 17).verticalAlignment(), QTextCharFormat::AlignSubScript);
}

TEST(RtfReader, WriteThenReadKeepsTextAndFormatsAndWritesTheSameBytes)
{
    QTextDocument document;
    richedit::ReadRtf(rtfFormatted, document);
    const QByteArray once = richedit::WriteRtf(document);
    QTextDocument again;
    richedit::ReadRtf(once, again);
    EXPECT_EQ(rtfPlain(again), rtfPlain(document));
    EXPECT_EQ(richedit::WriteRtf(again), once);
    EXPECT_EQ(richedit::WriteRtf(document), once);

    // Format by format, every character of both documents.
    for (int p = 0; p < document.characterCount() - 1; ++p) {
        const QTextCharFormat a = rtfFormatAt(document, p);
        const QTextCharFormat b = rtfFormatAt(again, p);
        ASSERT_EQ(a.fontFamilies(), b.fontFamilies()) << p;
        ASSERT_EQ(a.fontPointSize(), b.fontPointSize()) << p;
        ASSERT_EQ(a.fontWeight(), b.fontWeight()) << p;
        ASSERT_EQ(a.fontItalic(), b.fontItalic()) << p;
        ASSERT_EQ(a.fontUnderline(), b.fontUnderline()) << p;
        ASSERT_EQ(a.foreground(), b.foreground()) << p;
        ASSERT_EQ(a.background(), b.background()) << p;
        ASSERT_EQ(a.verticalAlignment(), b.verticalAlignment()) << p;
    }
    for (QTextBlock x = document.begin(), y = again.begin(); x.isValid(); x = x.next(), y = y.next()) {
        ASSERT_TRUE(y.isValid());
        EXPECT_EQ(x.blockFormat().alignment(), y.blockFormat().alignment());
        EXPECT_EQ(x.blockFormat().tabPositions(), y.blockFormat().tabPositions());
        EXPECT_EQ(x.blockFormat().lineHeight(), y.blockFormat().lineHeight());
        EXPECT_EQ(x.blockFormat().leftMargin(), y.blockFormat().leftMargin());
    }
}

TEST(RtfReader, PicturesShowAndComeBackAsPng)
{
    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    const QByteArray rtf = "{\\rtf1 a{\\*\\shppict{\\pict\\pngblip\\picwgoal600\\pichgoal300 " + png.toHex() +
                           "}}{\\nonshppict{\\pict\\wmetafile8 0102}}b{\\pict\\pngblip 0011zz2}c"
                           "{\\pict\\pngblip 89504e470d0a1a0aff}{\\v{\\pict\\pngblip " +
                           png.toHex() + "}}}";
    QTextDocument document;
    richedit::ReadRtf(rtf, document);
    // The corrupt PNG, the PNG of three nibbles and the hidden one show nothing.
    EXPECT_EQ(rtfPlain(document), QStringLiteral("a\uFFFCbc"));
    const QTextImageFormat image = rtfFormatAt(document, 1).toImageFormat();
    ASSERT_TRUE(image.isValid());
    EXPECT_DOUBLE_EQ(image.width(), 40);
    EXPECT_DOUBLE_EQ(image.height(), 20);
    EXPECT_EQ(document.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>().pixelColor(1, 1),
              QColor(Qt::red));

    QTextDocument again;
    richedit::ReadRtf(richedit::WriteRtf(document), again);
    EXPECT_EQ(rtfPlain(again), rtfPlain(document));
    EXPECT_DOUBLE_EQ(rtfFormatAt(again, 1).toImageFormat().width(), 40);
}

TEST(RtfReader, BadInputReadsAsFarAsItGoes)
{
    // Unbalanced both ways, unknown words, bad escapes, indexes past the tables.
    EXPECT_EQ(rtfPlain(QByteArray("{\\rtf1 a{\\b b")), QStringLiteral("ab"));
    EXPECT_EQ(rtfPlain(QByteArray("{\\rtf1 a}}} b")), QStringLiteral("a"));
    EXPECT_EQ(rtfPlain(QByteArray("{\\rtf1 \\zzunknown42 x\\'zz\\'4y\\f999\\cf77\\highlight9 y}")),
              QStringLiteral("xy"));
    EXPECT_EQ(rtfPlain(QByteArray("{\\rtf1 \\u-32768?\\u-1?\\uc1000\\u65 skipped all of this}z")),
              QStringLiteral("\u8000\uFFFFA"));
    EXPECT_EQ(rtfPlain(QByteArray("{\\rtf1 a\\bin-5 b\\bin99999999 cd}")), QStringLiteral("ab"));
    EXPECT_EQ(rtfPlain(QByteArray("{\\rtf1 a\\bin2 xyb}")), QStringLiteral("ab"));
    EXPECT_EQ(rtfPlain(QByteArray("{\\rtf1 a\0b\\'00c}", 16)), QStringLiteral("ab") + QChar(0) + u'c');

    // Nesting past the limit is dropped, and the groups still balance.
    const QByteArray deep = "{\\rtf1 a" + QByteArray(100000, '{') + "lost" + QByteArray(100000, '}') + "b}";
    EXPECT_EQ(rtfPlain(deep), QStringLiteral("ab"));
    const QByteArray nested = "{\\rtf1 " + QByteArray(500, '{') + "kept" + QByteArray(500, '}') + "}";
    EXPECT_EQ(rtfPlain(nested), QStringLiteral("kept"));

    QByteArray tabs = "{\\rtf1 \\pard";
    for (int i = 0; i < 10000; ++i)
        tabs += "\\tx" + QByteArray::number(i * 10);
    QTextDocument document;
    richedit::ReadRtf(tabs + " t}", document);
    EXPECT_EQ(document.begin().blockFormat().tabPositions().size(), richedit::RtfMaxTabStops);

    QByteArray colors = "{\\rtf1{\\colortbl";
    for (int i = 0; i < 100000; ++i)
        colors += "\\red1;";
    richedit::ReadRtf(colors + "}\\cf99999 c}", document);
    EXPECT_EQ(rtfPlain(document), QStringLiteral("c"));
    EXPECT_FALSE(rtfFormatAt(document, 0).hasProperty(QTextFormat::ForegroundBrush));
}

TEST(RtfReader, AnOverlongFontNameIsCutOnceAndWrittenAsRead)
{
    QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0 ";
    for (int i = 0; i < 300; ++i)
        rtf += (i % 2) ? "\\u255?" : "ab";
    rtf += ";}}\\f0 x}";
    QTextDocument first;
    richedit::ReadRtf(rtf, first);
    const QString name = rtfFormatAt(first, 0).fontFamilies().toStringList().value(0);
    EXPECT_EQ(name.size(), 256);
    QTextDocument second;
    richedit::ReadRtf(richedit::WriteRtf(first), second);
    EXPECT_EQ(rtfFormatAt(second, 0).fontFamilies().toStringList().value(0), name);
}

TEST(RtfReader, CodePagesFollowTheFontsCharset)
{
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}"
                           "{\\f2\\fcharset128 MS Mincho;}{\\f3\\fcharset238 Arial CE;}}"
                           "\\f0\\'e4\\f1\\'e4\\f2\\'82\\'a0\\f3\\'b9\\f0 \\'80}";
    EXPECT_EQ(rtfPlain(rtf), QStringLiteral("\u00e4\u0434\u3042\u0105\u20ac"));
}

} // namespace

namespace {

TEST(RtfReader, ManyLargePicturesStopAtTheDocumentsShare)
{
    QImage large(5000, 5000, QImage::Format_Grayscale8);
    large.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    large.save(&buffer, "PNG");
    QTextDocument document;
    richedit::ReadRtf("{\\rtf1 " + ("{\\pict\\pngblip " + png.toHex() + "}").repeated(5) + "}", document);
    EXPECT_EQ(document.toRawText().count(QChar::ObjectReplacementCharacter), 4);
}

} // namespace
