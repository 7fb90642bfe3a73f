// Rich text controls in a report: a stretching text continues where the
// page before stopped and its pages cover every position once, keeping it
// together moves it once and then splits it, and mail merge replaces the
// tags it knows, by name or alias, and leaves the rest.

#include "MemoFixture.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/richtext/RichText.h"
#include "report/content/richtext/RichTextAttributes.h"
#include "report/content/richtext/RichTextRTTI.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/gfx/Canvas.h"
#include "platform/richedit/RichEdit.h"

#include <QImage>

namespace {

using namespace memotest;

struct RichTextPiece
{
    int page = 0;
    int start = -1;
    int end = -1;
    int32_t top = 0;
    QString text; // the whole text the command carries
};

class RichTextControls : public MemoFixture
{
protected:
    RichTextControls()
    {
        memo->SetVisible(false);
        report.OnEndPage.Set([this](classes::TObject *) { readRichText(); });
    }

    void readRichText()
    {
        const TppPage *page = engine()->Page();
        ++pageCount;
        for (int i = 0; i < page->DrawCommandCount(); ++i) {
            const auto *command = dynamic_cast<const TppDrawRichText *>(page->DrawCommands(i));
            if (!command)
                continue;
            auto &stream = command->RichTextStream();
            richedit::RichEdit edit;
            edit.LoadFromBytes(QByteArray(stream.Memory(), qsizetype(stream.Size())));
            pieces.append({pageCount, command->StartCharPos(), command->EndCharPos(), command->Top(), edit.Text()});
        }
    }

    static QString longRtf(int aParagraphs)
    {
        QString rtf = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ");
        for (int p = 0; p < aParagraphs; ++p)
            rtf += QStringLiteral("{\\b Paragraph %1} holds words enough to wrap onto a second line at the width "
                                  "of this control.\\par ")
                       .arg(p);
        return rtf + u'}';
    }

    int pageCount = 0;
    QList<RichTextPiece> pieces;
};

TEST_F(RichTextControls, ALongTextContinuesAndItsPagesCoverEveryPositionOnce)
{
    auto *rich = addMemo<TppDBRichText>(0, 60);
    rich->SetDataPipeline(&data);
    rich->SetDataField(QStringLiteral("Text"));
    rows({longRtf(150), QStringLiteral("{\\rtf1 short}")});
    generate();
    ASSERT_GE(pieces.size(), 4);
    const QString whole = pieces.first().text;
    int expected = 0;
    int i = 0;
    for (; i < pieces.size() && pieces[i].text == whole; ++i) {
        EXPECT_EQ(pieces[i].start, expected) << i;
        EXPECT_GE(pieces[i].end, pieces[i].start) << i;
        expected = pieces[i].end + 1;
        if (i > 0) {
            EXPECT_GT(pieces[i].page, pieces[i - 1].page);
        }
    }
    EXPECT_GT(i, 2);
    EXPECT_EQ(expected, whole.size());
    // The next record's text begins at its start, below the end of the long one.
    ASSERT_EQ(i + 1, pieces.size());
    EXPECT_EQ(pieces[i].text, QStringLiteral("short"));
    EXPECT_EQ(pieces[i].start, 0);
    EXPECT_EQ(pieces[i].page, pieces[i - 1].page);
    EXPECT_GT(pieces[i].top, pieces[i - 1].top);
}

// A rich text that does not stretch (the default) prints whole at its own
// height: its own text, and a data rich text the record's.
TEST_F(RichTextControls, ATextThatDoesNotStretchPrintsWholeForEveryRecord)
{
    auto *own = addMemo<TppRichText>(0, 60);
    auto *field = addMemo<TppDBRichText>(LineMM, 60);
    own->SetRichText(QStringLiteral("{\\rtf1 own}"));
    field->SetDataPipeline(&data);
    field->SetDataField(QStringLiteral("Text"));
    for (TppCustomRichText *rich : std::initializer_list<TppCustomRichText *>{own, field})
        rich->SetStretch(false);
    rows({QStringLiteral("{\\rtf1 one}"), QStringLiteral("{\\rtf1 two}")});
    generate();
    QStringList printed;
    for (const RichTextPiece &piece : pieces)
        printed << QStringLiteral("%1 %2-%3").arg(piece.text).arg(piece.start).arg(piece.end);
    EXPECT_EQ(printed, QStringList({QStringLiteral("own 0-3"), QStringLiteral("one 0-3"), QStringLiteral("own 0-3"),
                                    QStringLiteral("two 0-3")}));
}

TEST_F(RichTextControls, KeepTogetherMovesOnceThenSplits)
{
    auto *rich = addMemo<TppDBRichText>(0, 60);
    rich->SetDataPipeline(&data);
    rich->SetDataField(QStringLiteral("Text"));
    rich->SetKeepTogether(true);
    rows({QStringLiteral("{\\rtf1 first}"), longRtf(150)});
    generate();
    ASSERT_GE(pieces.size(), 3);
    EXPECT_EQ(pieces[0].text, QStringLiteral("first"));
    // Taller than a page: moved to the next one, then split from its start.
    EXPECT_EQ(pieces[1].page, 2);
    EXPECT_EQ(pieces[1].start, 0);
    EXPECT_EQ(pieces[2].start, pieces[1].end + 1);
}

TEST_F(RichTextControls, ALineTallerThanAnEmptyPageDoesNotPrintPagesWithoutEnd)
{
    auto *rich = addMemo<TppDBRichText>(0, 60);
    rich->SetDataPipeline(&data);
    rich->SetDataField(QStringLiteral("Text"));
    rows({QStringLiteral("{\\rtf1\\fs3000 X}"), QStringLiteral("{\\rtf1 after}")});
    // The engine's guard ends the report, as for any band taller than a page.
    EXPECT_ANY_THROW(generate());
    EXPECT_LT(pageCount, 30);
    EXPECT_TRUE(pieces.isEmpty());
}

// The pages of one long text hold one copy of its RTF between them, and each
// draws from that shared copy what it would draw from a copy of its own; a
// change of the text, by whatever path, is printed from then on.
TEST_F(RichTextControls, ThePagesOfOneTextShareItsRtfAndDrawAsFromTheirOwnCopy)
{
    auto *rich = addMemo<TppDBRichText>(0, 60);
    rich->SetDataPipeline(&data);
    rich->SetDataField(QStringLiteral("Text"));
    rows({longRtf(150)});
    const auto drawn = [](TppDrawRichText &aCommand) {
        QImage image(600, 900, QImage::Format_RGB32);
        image.fill(Qt::white);
        gfx::Canvas canvas(&image);
        aCommand.DrawToPrinter(canvas, rtl::Rect(0, 0, 600, 900), {96, 96});
        return image;
    };
    QList<const char *> rtf;
    report.OnEndPage.Set([&](classes::TObject *) {
        const TppPage *page = engine()->Page();
        for (int i = 0; i < page->DrawCommandCount(); ++i) {
            auto *command = dynamic_cast<TppDrawRichText *>(page->DrawCommands(i));
            if (!command)
                continue;
            rtf << command->RichTextBytes().constData();
            TppDrawRichText own;
            own.Assign(command);
            EXPECT_GT(own.RichTextStream().Size(), 0);
            EXPECT_EQ(drawn(*command), drawn(own)) << "page " << rtf.size();
        }
    });
    generate();
    ASSERT_GE(rtf.size(), 3);
    EXPECT_EQ(rtf.count(rtf.first()), rtf.size());

    TppRichText alone;
    alone.SetRichText(QStringLiteral("{\\rtf1 first}"));
    TppDrawRichText before;
    TppDrawRichText after;
    alone.PropertiesToDrawCommand(&before);
    alone.RichEdit().SetText(QStringLiteral("second"));
    alone.PropertiesToDrawCommand(&after);
    EXPECT_TRUE(before.RichTextBytes().contains("first"));
    EXPECT_TRUE(after.RichTextBytes().contains("second"));
}

TEST_F(RichTextControls, MailMergeReplacesKnownTagsOnce)
{
    data.AddField(QStringLiteral("City"), TppDataType::dtString, 10, QStringLiteral("Town"));
    auto *rich = addMemo<TppRichText>(0, 60);
    rich->SetRichText(QStringLiteral("{\\rtf1 Dear {\\b <Key>}, a > b, <Town> <Nothing> <Text> <<Key>> <Key"));
    rich->SetMailMerge(true);
    data.AddRow({QStringLiteral("Ann"), QStringLiteral("<Key>"), QStringLiteral("Oslo")});
    report.SetDataPipeline(&data);
    generate();
    ASSERT_EQ(pieces.size(), 1);
    // A value holding a tag is not merged again; an unterminated tag ends it.
    EXPECT_EQ(pieces[0].text, QStringLiteral("Dear Ann, a > b, Oslo <Nothing> <Key> <Ann> <Key"));
    // The merge kept the tag's format.
    richedit::RichEdit edit;
    edit.LoadFromBytes(rich->RichTextBytes());
    EXPECT_EQ(edit.Text(), QStringLiteral("Dear <Key>, a > b, <Town> <Nothing> <Text> <<Key>> <Key"));
}

TEST_F(RichTextControls, Event53SuppliesTheTextAndAnEmptyAnswerLeavesTheField)
{
    auto *rich = addMemo<TppDBRichText>(0, 60);
    rich->SetDataPipeline(&data);
    rich->SetDataField(QStringLiteral("Text"));
    TppCommunicator receiver(nullptr);
    receiver.SubscribeEvent(ppEvent::OnGetRichText);
    int calls = 0;
    receiver.OnEventNotify.Set([&calls](classes::TObject *, TppCommunicator *, int, TraParamList *aParams) {
        // The first record's text comes from the script, the second's from the field.
        if (calls++ == 0)
            aParams->SetParamValue(0, QStringLiteral("{\\rtf1 scripted}"));
    });
    rich->AddEventNotify(&receiver);
    rows({QStringLiteral("{\\rtf1 one}"), QStringLiteral("{\\rtf1 two}")});
    generate();
    rich->RemoveEventNotify(&receiver);
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces[0].text, QStringLiteral("scripted"));
    EXPECT_EQ(pieces[1].text, QStringLiteral("two"));

    // Scripts read the range and the text and search it.
    const TraTppCustomRichTextRTTI &rtti = TraTppCustomRichTextRTTI::Instance();
    int32_t end = 0;
    ASSERT_TRUE(rtti.GetPropValue(rich, QStringLiteral("endcharpos"), &end));
    EXPECT_EQ(end, 2);
    std::unique_ptr<TraParamList> find = rtti.GetParams(QStringLiteral("FindText"));
    QString searched = QStringLiteral("WO");
    int32_t from = 0, length = -1, found = -1;
    bool wholeWord = false, matchCase = false;
    find->BindParamValue(0, &searched);
    find->BindParamValue(1, &from);
    find->BindParamValue(2, &length);
    find->BindParamValue(3, &wholeWord);
    find->BindParamValue(4, &matchCase);
    find->BindParamValue(5, &found);
    ASSERT_TRUE(rtti.CallMethod(rich, QStringLiteral("FindText"), *find));
    EXPECT_EQ(found, 1);
}

// A handler that frees its rich text while the text is loaded, directly or
// through event 53, stretching or not: the page goes on without it and the
// other rich text prints every record.
TEST_F(RichTextControls, ARichTextFreedWhileItsTextIsLoadedLeavesThePageToTheOthers)
{
    for (const int run : {0, 1, 2, 3}) {
        const bool throughEvent = run & 1;
        SCOPED_TRACE(run);
        pieces.clear();
        auto *freed = addMemo<TppDBRichText>(0, 60);
        auto *kept = addMemo<TppDBRichText>(LineMM, 60);
        for (TppDBRichText *rich : {freed, kept}) {
            rich->SetDataPipeline(&data);
            rich->SetDataField(QStringLiteral("Text"));
            rich->SetStretch(run < 2);
        }
        TppCommunicator receiver(nullptr);
        const auto freeIt = [&freed] {
            delete freed;
            freed = nullptr;
        };
        if (throughEvent) {
            receiver.SubscribeEvent(ppEvent::OnGetRichText);
            receiver.OnEventNotify.Set(
                [&](classes::TObject *aSender, TppCommunicator *aFrom, int, TraParamList *) {
                    if (freed && (aSender == freed || aFrom == freed))
                        freeIt();
                });
            freed->AddEventNotify(&receiver);
        } else {
            freed->OnGetRichText.Set([&](classes::TObject *, QString &) { freeIt(); });
        }
        if (data.RecordCount() == 0)
            rows({QStringLiteral("{\\rtf1 one}"), QStringLiteral("{\\rtf1 two}")});
        generate();
        EXPECT_EQ(freed, nullptr);
        QStringList printed;
        for (const RichTextPiece &piece : pieces)
            printed << piece.text;
        EXPECT_EQ(printed, QStringList({QStringLiteral("one"), QStringLiteral("two")}));
        delete freed;
        delete kept;
    }
}

TEST_F(RichTextControls, ScriptsCarryTheRtfThroughStreams)
{
    auto *rich = addMemo<TppRichText>(0, 60);
    auto *other = addMemo<TppRichText>(LineMM, 60);
    rich->SetRichText(QStringLiteral("{\\rtf1 {\\b stream}ed}"));
    const TraTppCustomRichTextRTTI &rtti = TraTppCustomRichTextRTTI::Instance();
    classes::TObject *stream = nullptr;
    ASSERT_TRUE(rtti.GetPropValue(rich, QStringLiteral("RichTextStream"), &stream));
    std::unique_ptr<TraParamList> params = rtti.GetParams(QStringLiteral("LoadFromRTFStream"));
    params->BindParamValue(0, &stream);
    ASSERT_TRUE(rtti.CallMethod(other, QStringLiteral("LoadFromRTFStream"), *params));
    classes::TMemoryStream saved;
    stream = &saved;
    ASSERT_TRUE(rtti.CallMethod(other, QStringLiteral("SaveToRTFStream"), *params));
    EXPECT_EQ(QByteArray(saved.Memory(), qsizetype(saved.Size())), rich->RichEdit().SaveToBytes());
}

// A script formats the selection and its paragraph through their objects
// and replaces its text; each change is kept in the stored RTF, not only in
// the edit that prints.
TEST_F(RichTextControls, ScriptsFormatTheSelectionAndItsParagraphAndTheReportKeepsIt)
{
    auto *rich = addMemo<TppRichText>(0, 60);
    rich->SetRichText(QStringLiteral("{\\rtf1 plain words}"));
    const TraTppCustomRichTextRTTI &rtti = TraTppCustomRichTextRTTI::Instance();
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppRichText::StaticClass(), QStringLiteral("selattributes"), rec));
    EXPECT_EQ(rec.ClassType, &TTextAttributes::StaticClass());
    ASSERT_TRUE(rtti.GetPropRec(TppRichText::StaticClass(), QStringLiteral("Paragraph"), rec));
    EXPECT_EQ(rec.ClassType, &TParaAttributes::StaticClass());
    classes::TObject *selection = nullptr;
    classes::TObject *paragraph = nullptr;
    ASSERT_TRUE(rtti.GetPropValue(rich, QStringLiteral("SelAttributes"), &selection));
    ASSERT_TRUE(rtti.GetPropValue(rich, QStringLiteral("Paragraph"), &paragraph));
    ASSERT_NE(selection, nullptr);
    ASSERT_NE(paragraph, nullptr);

    int32_t start = 6, length = 5;
    ASSERT_TRUE(rtti.SetPropValue(rich, QStringLiteral("SelStart"), &start));
    ASSERT_TRUE(rtti.SetPropValue(rich, QStringLiteral("SelLength"), &length));
    const TraRTTI &published = TraTPersistentRTTI::Instance();
    int32_t size = 20;
    EXPECT_TRUE(published.SetPropValue(selection, QStringLiteral("Size"), &size));
    uint8_t centre = uint8_t(classes::TAlignment::taCenter);
    EXPECT_TRUE(published.SetPropValue(paragraph, QStringLiteral("Alignment"), &centre));
    int32_t readBack = 0;
    EXPECT_TRUE(published.GetPropValue(selection, QStringLiteral("Size"), &readBack));
    EXPECT_EQ(readBack, 20);
    QString text = QStringLiteral("WORDS");
    EXPECT_TRUE(rtti.SetPropValue(rich, QStringLiteral("SelText"), &text));

    richedit::RichEdit kept;
    kept.LoadFromBytes(rich->RichText().toLatin1());
    EXPECT_EQ(kept.Text(), QStringLiteral("plain WORDS"));
    kept.SetSelStart(6);
    EXPECT_EQ(kept.SelAttributes().size, 20);
    EXPECT_TRUE(kept.Paragraph().alignment & Qt::AlignHCenter);
}

TEST_F(RichTextControls, TheDesignerShowsTheTextOrElseTheCaptionInAFrame)
{
    TppRichText rich;
    rich.SetSpBounds(0, 0, 185, 89);
    rich.SetCaption(QStringLiteral("RichText1"));
    QImage image(185, 89, QImage::Format_RGB32);
    const auto darkFrom = [&](int aTop) {
        image.fill(Qt::gray);
        gfx::Canvas canvas(&image);
        rich.PaintDesignControl(canvas);
        int dark = 0;
        for (int y = aTop; y < 87; ++y)
            for (int x = 2; x < 183; ++x)
                dark += qGray(image.pixel(x, y)) < 100;
        return dark;
    };
    EXPECT_GT(darkFrom(2), 20);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    rich.SetRichText(QStringLiteral("{\\rtf1\\fs20 first line\\par\\par\\par\\par fifth line}"));
    EXPECT_GT(darkFrom(40), 20);
}

// Plain text is a text, not bytes: Latin-1 that happens to spell UTF-8
// ("Ã©"), a C1 character Windows-1252 would read as a quote, and text
// beyond U+FFFF all print, read back and survive a template as given.
TEST_F(RichTextControls, PlainTextComesBackAsItWasGivenInEveryScript)
{
    const QStringList texts = {QStringLiteral("Ã©"), QStringLiteral("é ü"), QStringLiteral("x\u0092y"),
                               QStringLiteral("日本 \U0001F600")};
    auto *rich = addMemo<TppDBRichText>(0, 60);
    rich->SetDataPipeline(&data);
    rich->SetDataField(QStringLiteral("Text"));
    rows(texts);
    generate();
    ASSERT_EQ(pieces.size(), texts.size());
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(pieces[i].text, texts[i]);

    for (const QString &text : texts) {
        TppRichText given;
        given.SetName(QStringLiteral("Given"));
        given.SetRichText(text);
        EXPECT_EQ(given.PlainText(), text);
        EXPECT_EQ(given.RichText(), text);
        richedit::RichEdit searched;
        searched.LoadFromBytes(given.RichTextBytes());
        EXPECT_EQ(searched.Text(), text);

        classes::TMemoryStream binary;
        binary.WriteComponent(&given);
        classes::TMemoryStream textForm;
        binary.SetPosition(0);
        classes::ObjectBinaryToText(binary, textForm);
        textForm.SetPosition(0);
        classes::TMemoryStream again;
        classes::ObjectTextToBinary(textForm, again);
        for (classes::TMemoryStream *stream : {&binary, &again}) {
            TppRichText read;
            stream->SetPosition(0);
            classes::TReader reader(*stream);
            reader.ReadRootComponent(&read);
            EXPECT_EQ(read.PlainText(), text);
        }
    }
}

TEST(RichTextMailMerge, ManyTagsAndEmptyOnesEnd)
{
    reporttest::MemoryPipeline data;
    data.AddField(QStringLiteral("A"));
    data.AddRow({QStringLiteral("x")});
    data.Open();
    richedit::RichEdit edit;
    QString text;
    for (int i = 0; i < 10000; ++i)
        text += QStringLiteral("<A><>");
    edit.SetText(text + QStringLiteral("<<>>"));
    EXPECT_EQ(report::ppMailMerge(edit, data), 10000);
    EXPECT_EQ(edit.Text(), QStringLiteral("x<>").repeated(10000) + QStringLiteral("<<>>"));
}

} // namespace
