// The text-file device: records in the four formats against golden files,
// what a page without saved texts writes, the order of the fields, and the
// record state a save-text handler sees.

#include "report/content/drawcommands/DrawText.h"
#include "report/model/pages/Page.h"
#include "report/output/TextFileDevice.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace report;

namespace {

struct TextFileField
{
    QString text;
    int32_t saveLength;
    classes::TAlignment alignment;
};

TppDrawText *addSavedText(TppPage &aPage, const QString &aText, int32_t aBand, int32_t aOrder, int32_t aSaveLength = 0,
                          classes::TAlignment aAlignment = classes::TAlignment::taLeftJustify)
{
    auto *text = new TppDrawText;
    text->SetText(aText);
    text->SetBandSave(true);
    text->SetBandSaveNo(aBand);
    text->SetComponentSave(true);
    text->SetComponentSaveNo(aOrder);
    text->SetSaveLength(aSaveLength);
    text->SetAlignment(aAlignment);
    aPage.AddDrawCommand(text);
    return text;
}

std::unique_ptr<TppPage> textFilePage(int32_t aPageNo, bool aLast)
{
    auto page = std::make_unique<TppPage>();
    page->SetPageNo(aPageNo);
    page->SetAbsolutePageNo(aPageNo);
    page->SetLastPage(aLast);
    return page;
}

// Two pages of two records each; the fields are added out of order, and a
// text the band does not save stays out.
std::vector<std::unique_ptr<TppPage>> textFileSamplePages()
{
    using A = classes::TAlignment;
    const std::vector<std::vector<TextFileField>> records = {
        {{QStringLiteral("Smith, Jo"), 12, A::taLeftJustify},
         {QStringLiteral("say \"hi\""), 4, A::taRightJustify},
         {QStringLiteral("plain"), 8, A::taCenter}},
        {{QStringLiteral("x y"), 5, A::taCenter},
         {QStringLiteral("line\nbreak"), 3, A::taLeftJustify},
         {QStringLiteral("\u00e9"), 2, A::taRightJustify}},
        {{QStringLiteral("a\tb"), 4, A::taLeftJustify},
         {QString(), 2, A::taRightJustify},
         {QStringLiteral("end"), 6, A::taCenter}},
        {{QStringLiteral("last"), 4, A::taLeftJustify},
         {QStringLiteral("z"), 1, A::taLeftJustify},
         {QStringLiteral("9"), 2, A::taCenter}},
    };
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(textFilePage(1, false));
    pages.push_back(textFilePage(2, true));
    for (int r = 0; r < 4; ++r) {
        TppPage &page = *pages[r / 2];
        for (int f = 2; f >= 0; --f) {
            const TextFileField &field = records[r][f];
            addSavedText(page, field.text, r + 1, f, field.saveLength, field.alignment);
        }
        addSavedText(page, QStringLiteral("not saved"), r + 1, 9)->SetComponentSave(false);
    }
    return pages;
}

QByteArray textFileRun(TppFileType aType, const std::vector<std::unique_ptr<TppPage>> &aPages,
                       TppTextFileDevice *aDevice = nullptr)
{
    QTemporaryDir folder;
    TppTextFileDevice own;
    TppTextFileDevice &device = aDevice ? *aDevice : own;
    device.SetFileName(folder.filePath(QStringLiteral("out.txt")));
    device.SetTextFileType(aType);
    device.StartJob();
    for (const auto &page : aPages)
        device.WritePage(page.get());
    device.EndJob();
    QFile file(device.FileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray textFileGolden(const char *aName)
{
    QFile file(QStringLiteral(ZVO_TEXT_FILE_GOLDENS "/textfile_%1.txt").arg(QLatin1String(aName)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no golden>");
}

} // namespace

TEST(TextFileDevice, RecordsMatchTheGoldenFilesInEveryFormat)
{
    const auto pages = textFileSamplePages();
    EXPECT_EQ(textFileRun(TppFileType::ftComma, pages), textFileGolden("comma"));
    EXPECT_EQ(textFileRun(TppFileType::ftTab, pages), textFileGolden("tab"));
    EXPECT_EQ(textFileRun(TppFileType::ftFixedLength, pages), textFileGolden("fixed"));
    EXPECT_EQ(textFileRun(TppFileType::ftCustom, pages), textFileGolden("custom"));
}

// A device with a save-text handler builds each field as a string for the
// handler to see; one without writes it straight to the file. Both must
// write the same bytes, characters beyond one UTF-16 unit and broken ones
// included.
TEST(TextFileDevice, AHandlerThatKeepsTheFieldsWritesTheSameBytes)
{
    using A = classes::TAlignment;
    std::vector<std::unique_ptr<TppPage>> pages = textFileSamplePages();
    pages.back()->SetLastPage(false);
    pages.push_back(textFilePage(3, true));
    const QString wide = QStringLiteral("\U0001F600 \u65E5\u672C");
    const QString broken = QString(QChar(0xD800)) + QStringLiteral("x\"y");
    addSavedText(*pages.back(), wide, 5, 0, 7, A::taCenter);
    addSavedText(*pages.back(), broken, 5, 1, 5, A::taRightJustify);
    for (const TppFileType type :
         {TppFileType::ftComma, TppFileType::ftTab, TppFileType::ftFixedLength, TppFileType::ftCustom}) {
        TppTextFileDevice handled;
        handled.OnSaveText.Set([](classes::TObject *, classes::TObject *, QString &) {});
        const QByteArray direct = textFileRun(type, pages);
        EXPECT_EQ(direct, textFileRun(type, pages, &handled)) << int(type);
        if (type == TppFileType::ftCustom) {
            EXPECT_TRUE(direct.endsWith((wide + broken).toUtf8()));
        }
    }
}

TEST(TextFileDevice, CommaFieldsAreQuotedOnlyWhenTheyMustBe)
{
    EXPECT_EQ(TppTextFileDevice::QuoteCommaField(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(TppTextFileDevice::QuoteCommaField(QString()), QString());
    EXPECT_EQ(TppTextFileDevice::QuoteCommaField(QStringLiteral("tab\there")), QStringLiteral("tab\there"));
    EXPECT_EQ(TppTextFileDevice::QuoteCommaField(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    EXPECT_EQ(TppTextFileDevice::QuoteCommaField(QStringLiteral("cr\r")), QStringLiteral("\"cr\r\""));
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(TppTextFileDevice::QuoteCommaField(withNul), withNul);
}

TEST(TextFileDevice, OrderEmptyRecordsAndPagesWithoutSavedTexts)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    // Negative numbers come first, as numbers; equal keys keep page order.
    pages.push_back(textFilePage(1, false));
    addSavedText(*pages[0], QStringLiteral("b"), 1, 0);
    addSavedText(*pages[0], QStringLiteral("neg"), -5, 0);
    addSavedText(*pages[0], QStringLiteral("a"), 1, -1);
    addSavedText(*pages[0], QStringLiteral("c"), 1, 0);
    // An empty record writes neither text nor line end.
    addSavedText(*pages[0], QString(), 2, 0);
    // Nothing saved on this page.
    pages.push_back(textFilePage(2, false));
    addSavedText(*pages[1], QStringLiteral("hidden"), 3, 0)->SetBandSave(false);
    pages.push_back(textFilePage(3, true));
    addSavedText(*pages[2], QStringLiteral("end"), 4, 0);
    EXPECT_EQ(textFileRun(TppFileType::ftComma, pages), QByteArray("neg\r\na,b,c\r\nend"));

    // SaveLength 0 empties a fixed field; a long one pads it.
    std::vector<std::unique_ptr<TppPage>> fixed;
    fixed.push_back(textFilePage(1, true));
    addSavedText(*fixed[0], QStringLiteral("gone"), 1, 0, 0);
    addSavedText(*fixed[0], QStringLiteral("x"), 1, 1, 10000);
    const QByteArray padded = textFileRun(TppFileType::ftFixedLength, fixed);
    EXPECT_EQ(padded.size(), 10000);
    EXPECT_TRUE(padded.startsWith("x "));
}

TEST(TextFileDevice, TheSaveTextHandlerSeesTheRecordStateAndMayReplaceTheField)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(textFilePage(1, false));
    addSavedText(*pages[0], QStringLiteral("a"), 1, 0);
    addSavedText(*pages[0], QStringLiteral("b"), 1, 1);
    pages.push_back(textFilePage(2, true));
    addSavedText(*pages[1], QStringLiteral("c"), 2, 0);
    addSavedText(*pages[1], QStringLiteral("d"), 3, 0);

    TppTextFileDevice device;
    QStringList seen;
    device.OnSaveText.Set([&](classes::TObject *Sender, classes::TObject *, QString &aText) {
        auto &d = *static_cast<TppTextFileDevice *>(Sender);
        seen.append(QStringLiteral("%1 i%2 n%3 %4%5%6%7%8%9")
                        .arg(aText)
                        .arg(d.FieldIndex())
                        .arg(d.RecordCount())
                        .arg(d.EndOfRecord() ? "E" : "-")
                        .arg(d.LastRecordOfPage() ? "P" : "-")
                        .arg(d.FirstPage() ? "1" : "-")
                        .arg(d.LastRecordOfReport() ? "R" : "-")
                        .arg(d.FirstField() ? "F" : "-")
                        .arg(d.FirstRecord() ? "f" : "-"));
        aText = aText.toUpper();
    });
    EXPECT_EQ(textFileRun(TppFileType::ftComma, pages, &device), QByteArray("A,B\r\nC\r\nD"));
    EXPECT_EQ(seen, QStringList({"a i0 n0 --1-Ff", "b i1 n0 EP1---", "c i0 n1 E---Ff", "d i0 n2 EP-RF-"}));
}

TEST(TextFileDevice, SettingsHoldStillWhileAJobRuns)
{
    QTemporaryDir folder;
    TppTextFileDevice device;
    EXPECT_EQ(device.DeviceName(), QStringLiteral("TextFile"));
    EXPECT_EQ(device.DefaultExt(), QStringLiteral("txt"));
    EXPECT_EQ(device.DeviceDescription(0), QStringLiteral("Text File"));
    device.SetFileName(folder.filePath(QStringLiteral("x.txt")));
    device.StartJob();
    device.SetTextFileType(TppFileType::ftTab);
    EXPECT_EQ(device.TextFileType(), TppFileType::ftComma);
    device.EndJob();

    // A file that cannot be made ends the job: another name is taken.
    device.SetFileName(folder.filePath(QStringLiteral("missing/x.txt")));
    EXPECT_ANY_THROW(device.StartJob());
    EXPECT_FALSE(device.Busy());
    device.SetFileName(folder.filePath(QStringLiteral("y.txt")));
    device.StartJob();
    device.EndJob();
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("y.txt"))));
}

// Fixed lengths count characters: a character beyond one UTF-16 unit is
// one, and a cut never leaves half of one behind.
TEST(TextFileDevice, FixedLengthsCountCharacters)
{
    using A = classes::TAlignment;
    const QString smile = QStringLiteral("\U0001F600");
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(textFilePage(1, true));
    addSavedText(*pages[0], smile + smile, 1, 0, 3);
    addSavedText(*pages[0], smile + smile, 1, 1, 1);
    addSavedText(*pages[0], smile, 1, 2, 4, A::taCenter);
    const QByteArray want = (smile + smile + " " + smile + "  " + smile + " ").toUtf8();
    EXPECT_EQ(textFileRun(TppFileType::ftFixedLength, pages), want);
    TppTextFileDevice handled;
    handled.OnSaveText.Set([](classes::TObject *, classes::TObject *, QString &) {});
    EXPECT_EQ(textFileRun(TppFileType::ftFixedLength, pages, &handled), want);
}
