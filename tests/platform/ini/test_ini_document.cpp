#include "platform/ini/IniDocument.h"

#include <gtest/gtest.h>

using ini::IniDocument;

namespace {

const std::string HandWritten = "; settings written by hand\n[Other]\r\nFoo = keep me \r\n\n"
                                "[zarvello]\n  useproxy = 'true'  \nUseProxy=second\n"
                                "Quoted=\"  padded  \"\nHalf=\"open\nNoEquals\n; a comment in the section\n"
                                "Bin=\x01\x02\xff\x80\n\n; belongs to the next section\n[Last]\nX=1";

TEST(IniDocumentTest, ReadsWindowsStyleValues)
{
    const IniDocument doc(HandWritten);
    // Names match whatever their case; the first duplicate wins; blanks and
    // one pair of quotes go.
    EXPECT_EQ(doc.value("ZARVELLO", "UseProxy"), "true");
    EXPECT_EQ(doc.value("zarvello", "quoted"), "  padded  ");
    EXPECT_EQ(doc.value("zarvello", "Half"), "\"open");
    EXPECT_EQ(doc.value("other", "foo"), "keep me");
    EXPECT_EQ(doc.value("zarvello", "Bin"), "\x01\x02\xff\x80");
    EXPECT_EQ(doc.value("Last", "X"), "1");
    EXPECT_FALSE(doc.value("zarvello", "NoEquals"));
    EXPECT_FALSE(doc.value("zarvello", "Foo"));
    EXPECT_FALSE(doc.value("Missing", "X"));
    EXPECT_FALSE(doc.value("zarvello", "; a comment in the section"));
    EXPECT_EQ(IniDocument("[\xe9t\xe9]\nCl\xe9=1\n").value("\xc9T\xc9", "CL\xc9"), "1");
}

TEST(IniDocumentTest, ListsSectionsKeysAndEntries)
{
    const IniDocument doc(HandWritten + "\n[other]\nBar=2\n");
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"Other", "zarvello", "Last"}));
    EXPECT_EQ(doc.keyNames("Zarvello"),
              (std::vector<std::string>{"useproxy", "UseProxy", "Quoted", "Half", "NoEquals", "Bin"}));
    const std::vector<ini::IniEntry> entries = doc.sectionEntries("other");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (ini::IniEntry{"Foo", "keep me"}));
}

TEST(IniDocumentTest, ReplacesOnlyTheValueOfTheFirstDuplicate)
{
    IniDocument doc(HandWritten);
    doc.setValue("Zarvello", "USEPROXY", "false");
    std::string expected = HandWritten;
    expected.replace(expected.find(" 'true'  "), 9, "false");
    EXPECT_EQ(doc.text(), expected);
    EXPECT_EQ(doc.value("zarvello", "useproxy"), "false");
}

TEST(IniDocumentTest, AppendsNewKeysAfterTheLastKeyOfTheirSection)
{
    IniDocument doc(HandWritten);
    doc.setValue("zarvello", "New", "v");
    std::string expected = HandWritten;
    expected.insert(expected.find("\x80\n") + 2, "New=v\r\n");
    EXPECT_EQ(doc.text(), expected);

    // A key without value gets one; a last line without line end gets one.
    doc.setValue("zarvello", "NoEquals", "now");
    EXPECT_EQ(doc.value("zarvello", "noequals"), "now");
    doc.setValue("Last", "Y", "2");
    EXPECT_TRUE(doc.text().ends_with("[Last]\nX=1\r\nY=2\r\n"));
}

TEST(IniDocumentTest, AppendsNewSectionsAtTheEnd)
{
    IniDocument empty;
    empty.setValue("S", "K", "V");
    EXPECT_EQ(empty.text(), "[S]\r\nK=V\r\n");
    empty.setValue("T", "K", "W");
    EXPECT_EQ(empty.text(), "[S]\r\nK=V\r\n\r\n[T]\r\nK=W\r\n");

    IniDocument unterminated("[A]\nB=1");
    unterminated.setValue("C", "D", "2");
    EXPECT_EQ(unterminated.text(), "[A]\nB=1\r\n\r\n[C]\r\nD=2\r\n");
}

TEST(IniDocumentTest, ValuesSurviveTheirRoundTrip)
{
    // Values whose blanks or quotes a read would strip, and a line break that
    // would otherwise inject a section.
    for (const std::string v : {" lead", "trail ", "'q'", "\"dq\"", "\"", "a=b;c", "", "x\x01\xff"}) {
        IniDocument doc("[S]\r\n");
        doc.setValue("S", "K", v);
        EXPECT_EQ(doc.value("S", "K"), v) << v;
    }
    IniDocument doc;
    doc.setValue("S", "K", "one\r\n[Evil]\r\nK=2");
    EXPECT_EQ(doc.value("S", "K"), "one");
    EXPECT_FALSE(doc.hasSection("Evil"));
}

TEST(IniDocumentTest, RemovesKeysAndSections)
{
    IniDocument doc(HandWritten);
    EXPECT_TRUE(doc.removeKey("zarvello", "useproxy"));
    EXPECT_FALSE(doc.value("zarvello", "UseProxy"));
    EXPECT_FALSE(doc.removeKey("zarvello", "useproxy"));
    EXPECT_EQ(doc.value("zarvello", "Quoted"), "  padded  ");

    EXPECT_TRUE(doc.removeSection("ZARVELLO"));
    EXPECT_EQ(doc.text(), "; settings written by hand\n[Other]\r\nFoo = keep me \r\n\n[Last]\nX=1");
    EXPECT_FALSE(doc.removeSection("zarvello"));

    IniDocument twice("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n");
    EXPECT_TRUE(twice.removeSection("a"));
    EXPECT_EQ(twice.text(), "[B]\ny=2\n");
}

TEST(IniDocumentTest, ToleratesBinaryInput)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) & 0xff);
    IniDocument doc(binary);
    doc.setValue("S", "K", "V");
    EXPECT_EQ(doc.text().substr(0, binary.size()), binary);
    EXPECT_EQ(doc.value("S", "K"), "V");
}

} // namespace
