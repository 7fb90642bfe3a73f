#include "platform/ini/IniDocument.h"
#include "platform/ini/StoredText.h"
#include "platform/rtl/QtText.h"

#include <gtest/gtest.h>

namespace {

using ini::FromStoredText;
using ini::ToStoredText;

// Every text reads back as it was written, and two texts that differ in more
// than case never meet in one stored name under the stores' case-blind
// comparison.
TEST(StoredText, EveryTextReadsBackWholeAndNoTwoNamesMeet)
{
    const QStringList texts = {
        QString(),
        QStringLiteral("Form1_Grid1"),
        QString::fromUtf8("Größe €"),
        QString::fromUtf8("Ж"),
        QString::fromUtf8("ж"),
        QString::fromUtf8("网格 😀"),
        QStringLiteral("&#x416;"),
        QStringLiteral("&#X416;"),
        QStringLiteral("&#x26;#x416;"),
        QStringLiteral("&#x41;"),
        QStringLiteral("&#x"),
        QStringLiteral("a&b &amp; &#"),
        QStringLiteral("&&#x416;&"),
        QString(QChar(0xD800)) + QStringLiteral("x"),
        QString(QChar(0x81)),
    };
    for (const QString &text : texts) {
        EXPECT_EQ(FromStoredText(ToStoredText(text)), text) << text.toStdString();
        for (const QString &other : texts) {
            if (other.compare(text, Qt::CaseInsensitive) != 0) {
                EXPECT_FALSE(ini::sameName(ToStoredText(text), ToStoredText(other)))
                    << text.toStdString() << " / " << other.toStdString();
            }
        }
    }
    EXPECT_EQ(ToStoredText(QString::fromUtf8("Сетка 😀")), "&#x421;&#x435;&#x442;&#x43A;&#x430; &#x1F600;");
    EXPECT_EQ(ToStoredText(QStringLiteral("&#x41;")), "&#x26;#x41;");
}

// What earlier builds wrote, plain Windows-1252 with any "&" as it stood, reads
// as it did, and the code page's own texts are written as they were.
TEST(StoredText, StoresWrittenBeforeReadAsTheyDid)
{
    for (const char *old : {"Gr\xF6\xDF"
                            "e \x80",
                            "&#x41;", "&#x26;", "&#x26;x", "&#x2;", "&#xZZ;", "&#x110000;", "a&b", "&#x1234567;"})
        EXPECT_EQ(FromStoredText(old), rtl::ToQString(old)) << old;
    EXPECT_EQ(FromStoredText("Gr\xF6\xDF"
                             "e \x80"),
              QString::fromUtf8("Größe €"));
    EXPECT_EQ(ToStoredText(QString::fromUtf8("Größe € a&b")), "Gr\xF6\xDF"
                                                              "e \x80 a&b");
}

} // namespace
