#include "StreamHelpers.h"

#include "platform/classes/ClassErrors.h"
#include "platform/rtl/AtomicSave.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace classes;
using namespace sample;

namespace {

class Fixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterSampleClasses();
        SampleLog().clear();
    }
    const QByteArray binary = readDataFile("sample.bin");
    const QByteArray text = readDataFile("sample.txt");
};

template <class T>
T *find(TComponent &owner, const char16_t *name)
{
    return dynamic_cast<T *>(owner.FindComponent(QStringView(name)));
}

} // namespace

TEST_F(Fixture, TheHandWrittenFormsConvertToEachOtherByteForByte)
{
    ASSERT_EQ(binary.size(), 526);
    EXPECT_EQ(parseHex(readDataFile("sample.hex")), binary);
    EXPECT_EQ(toText(binary), text);
    // The text form has no list end of its own; a template appends it.
    EXPECT_EQ(toBinary(text) + QByteArray(1, '\0'), binary);
}

TEST_F(Fixture, BothFormsReadToEqualTrees)
{
    TSampleRoot root, fromText;
    readInto(&root, binary);
    readInto(&fromText, toBinary(text));
    EXPECT_EQ(writeRoot(&root), writeRoot(&fromText));

    EXPECT_EQ(root.Name(), QStringLiteral("Report"));
    EXPECT_EQ(root.Kind, TSampleKind::skFancy);
    EXPECT_EQ(root.Title()->Caption, QStringLiteral("Sales \u20AC"));
    auto *header = find<TSampleBand>(root, u"Header");
    auto *detail = find<TSampleBand>(root, u"Detail");
    auto *total = find<TSampleLabel>(root, u"Total");
    auto *note = find<TSampleLabel>(root, u"Note");
    ASSERT_TRUE(header && detail && total && note);
    EXPECT_EQ(header->Height, 300);
    EXPECT_EQ(header->Color, rtl::clBtnFace);
    EXPECT_EQ(header->Options, soFirst | soThird);
    EXPECT_EQ(header->Labels(), (std::vector<TSampleLabel *>{note, total})); // Note asked for place 0
    EXPECT_EQ(detail->Caption, QStringLiteral("Tokyo \u6771\u4EAC"));
    EXPECT_EQ(detail->Height, -2);

    EXPECT_EQ(total->Link(), detail);
    EXPECT_EQ(total->Font()->Color(), rtl::clRed);
    EXPECT_EQ(total->Font()->Height(), -13);
    EXPECT_EQ(total->Font()->Name(), QStringLiteral("Arial"));
    EXPECT_EQ(total->Font()->Style(), gfx::fsBold);
    EXPECT_EQ(total->Lines()->Text(), QStringLiteral("one\r\ntwo\r\n"));
    ASSERT_EQ(total->Items()->Count(), 2);
    EXPECT_EQ(total->Items()->Item(0)->Text, QStringLiteral("a"));
    EXPECT_EQ(total->Items()->Item(0)->Value, 1);
    EXPECT_EQ(total->Items()->Item(1)->Weight, 0.5);
    EXPECT_EQ(total->Scale, 1.25f);
    EXPECT_EQ(note->Width, 70000);
    EXPECT_EQ(note->Amount, 15000);
    EXPECT_EQ(note->Big, 5000000000);

    root.OnOpen(&root);
    note->OnClick(note);
    EXPECT_EQ(root.Clicks, 11);
    EXPECT_EQ(note->OnClick.Name(), QStringLiteral("TotalClick"));
}

TEST_F(Fixture, ReadStateThenReferencesThenLoadedInReadOrder)
{
    TSampleRoot root;
    readInto(&root, binary);
    EXPECT_EQ(SampleLog(),
              QStringList({"ReadState Report", "ReadState Title", "ReadState Header", "ReadState Total",
                           "ReadState Note", "ReadState Detail", "Link Total -> Detail", "Loaded Report",
                           "Loaded Title", "Loaded Header", "Loaded Total", "Loaded Note", "Loaded Detail"}));
    for (int i = 0; i < root.ComponentCount(); ++i)
        EXPECT_FALSE(root.Components(i)->HasState(csLoading | csReading)) << i;
}

TEST_F(Fixture, ARenamingSetNameHookTakesTheReferencesAlong)
{
    TSampleRoot form;
    form.SetName(QStringLiteral("Form"));
    auto *existing = new TSampleBand(&form);
    existing->SetName(QStringLiteral("Detail"));

    TMemoryStream in;
    load(in, binary);
    TReader reader(in);
    reader.OnSetName = [](TReader &, TComponent *component, QString &name) {
        TComponent *other = component->Owner() ? component->Owner()->FindComponent(name) : nullptr;
        if (other && other != component)
            name += QStringLiteral("_1");
    };
    std::vector<TComponent *> read;
    reader.ReadComponents(&form, nullptr, [&](TComponent *c) { read.push_back(c); });

    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->Name(), QStringLiteral("Report"));
    auto *renamed = find<TSampleBand>(form, u"Detail_1");
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->Caption, QStringLiteral("Tokyo \u6771\u4EAC"));
    EXPECT_EQ(existing->Name(), QStringLiteral("Detail"));
    EXPECT_EQ(find<TSampleLabel>(form, u"Total")->Link(), renamed);
}

TEST_F(Fixture, DottedReferencesReachRegisteredRoots)
{
    TSampleRoot lookup;
    lookup.SetName(QStringLiteral("Lookup"));
    auto *source = new TSampleBand(&lookup);
    source->SetName(QStringLiteral("Source"));
    RegisterRootComponent(&lookup);

    TSampleLabel main(nullptr);
    main.SetName(QStringLiteral("Main"));
    main.SetLink(source);
    const QByteArray stored = writeRoot(&main);
    EXPECT_TRUE(toText(stored).contains("Link = Lookup.Source\r\n"));
    TSampleLabel copy(nullptr);
    readInto(&copy, stored);
    EXPECT_EQ(copy.Link(), source);

    UnRegisterRootComponent(&lookup);
    TSampleLabel orphan(nullptr);
    int asked = 0;
    readInto(&orphan, stored, [&](TReader &r) {
        r.OnError = [&](TReader &, const std::exception &e, bool &handled) {
            ++asked;
            EXPECT_NE(dynamic_cast<const EReadError *>(&e), nullptr);
            handled = true;
        };
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(orphan.Link(), nullptr);

    {
        TSampleRoot temporary;
        temporary.SetName(QStringLiteral("Temporary"));
        RegisterRootComponent(&temporary);
        EXPECT_EQ(FindGlobalComponent(u"temporary"), &temporary);
    }
    EXPECT_EQ(FindGlobalComponent(u"Temporary"), nullptr);
}

TEST_F(Fixture, ReferencesAndHandlersNamedLikeWordsOfTheTextFormRoundTrip)
{
    // True, False and Null have value types of their own in the binary form;
    // the others are words the text reader knows.
    for (const char16_t *word : {u"True", u"false", u"NULL", u"end", u"object", u"inherited", u"inline", u"item"}) {
        const QString name = QString::fromUtf16(word);
        TSampleRoot root;
        root.SetName(QStringLiteral("Form"));
        root.DefineMethod<void(TObject *)>(name, [](TObject *) {});
        auto *target = new TSampleBand(&root);
        target->SetName(name);
        auto *pointer = new TSampleLabel(&root);
        pointer->SetName(QStringLiteral("Pointer"));
        pointer->SetLink(target);
        pointer->OnClick.Set(name, [](TObject *) {});
        const QByteArray written = writeRoot(&root);
        for (const QByteArray &stored : {written, toBinary(toText(written))}) {
            TSampleRoot copy;
            copy.DefineMethod<void(TObject *)>(name, [](TObject *) {});
            ASSERT_NO_THROW(readInto(&copy, stored)) << name.toStdString();
            const auto *label = find<TSampleLabel>(copy, u"Pointer");
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->Link(), copy.FindComponent(name)) << name.toStdString();
            EXPECT_NE(label->Link(), nullptr) << name.toStdString();
            EXPECT_TRUE(SameName(label->OnClick.Name(), name)) << label->OnClick.Name().toStdString();
        }
    }

    // "nil" is no reference in either form, so a component of that name
    // cannot be referred to; the write says so instead of losing the link.
    TSampleRoot root;
    auto *target = new TSampleBand(&root);
    target->SetName(QStringLiteral("Nil"));
    auto *pointer = new TSampleLabel(&root);
    pointer->SetName(QStringLiteral("Pointer"));
    pointer->SetLink(target);
    EXPECT_THROW(writeRoot(&root), EWriteError);
    pointer->SetLink(nullptr);
    pointer->OnClick.Set(QStringLiteral("nil"), [](TObject *) {});
    EXPECT_THROW(writeRoot(&root), EWriteError);
}

TEST_F(Fixture, APartOfAFormWrittenUnderItsRootReadsIntoAnotherForm)
{
    // As a template stores a report: the form is the writer's root and the
    // stream holds one of its components; references name the form's
    // components without the form's name.
    TSampleRoot form;
    form.SetName(QStringLiteral("Form1"));
    auto *band = new TSampleBand(&form);
    band->SetName(QStringLiteral("Band"));
    auto *a = new TSampleLabel(&form);
    a->SetName(QStringLiteral("A"));
    a->SetParentComponent(band);
    auto *b = new TSampleLabel(&form);
    b->SetName(QStringLiteral("B"));
    b->SetParentComponent(band);
    b->SetLink(a);
    TMemoryStream stream;
    {
        TWriter writer(stream, 1024);
        writer.SetRoot(&form);
        writer.WriteSignature();
        writer.WriteComponent(band);
        writer.WriteListEnd();
    }
    EXPECT_TRUE(toText(bytesOf(stream)).contains("Link = A\r\n"));

    TSampleRoot other;
    other.SetName(QStringLiteral("Form2"));
    stream.SetPosition(0);
    TReader reader(stream, 1024);
    reader.ReadComponents(&other, nullptr, {});
    auto *copyA = find<TSampleLabel>(other, u"A");
    auto *copyB = find<TSampleLabel>(other, u"B");
    ASSERT_TRUE(copyA && copyB);
    EXPECT_EQ(copyB->Link(), copyA);
}

TEST_F(Fixture, EveryKindOfValueRoundTripsThroughBothForms)
{
    TSampleRoot root;
    root.SetName(QStringLiteral("R"));
    root.Active = true;
    root.OnOpen.Set(QStringLiteral("ReportOpen"), [](TObject *) {});
    auto *band = new TSampleBand(&root);
    band->SetName(QStringLiteral("B"));
    band->Caption = QString(300, u'x'); // a long single-byte text
    auto *l = new TSampleLabel(&root);
    l->SetName(QStringLiteral("L"));
    l->SetParentComponent(band);
    l->Caption =
        QStringLiteral("Tab\there, 'quoted', line\r\nend; \u00DCnic\u00F6de \u20AC \u4E2D and enough to run past "
                       "sixty-four characters");
    l->Kind = TSampleKind::skFancy;
    l->Options = soSecond;
    l->Ratio = 1.0 / 3;
    l->Precise = 1e-4L;
    l->Scale = 0.1f;
    l->Amount = -15000;
    l->When = 45000.5;
    l->Big = -5000000000;
    l->Letter = QChar(0xE9);
    l->Color = 0x123456;
    l->Extra = QVariant(7);
    l->Font()->SetName(QStringLiteral("Liberation Sans"));
    l->Font()->SetHeight(-15);
    l->Font()->SetColor(rtl::clHighlight);
    l->Font()->SetCharset(204);
    l->Font()->SetPitch(TFontPitch::fpFixed);
    l->Lines()->SetText(QStringLiteral("one\ntwo\n\nfour"));
    auto *item = static_cast<TSampleItem *>(l->Items()->Add());
    item->Text = QStringLiteral("a");
    item->Value = -300;
    item->Weight = 2.5;
    item->Link = band;
    l->Items()->Add();
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    image.setPixel(2, 1, qRgb(200, 100, 0));
    l->Picture()->SetImage(image);
    l->SetLink(band);
    l->OnClick.Set(QStringLiteral("TotalClick"), [](TObject *) {});

    const QByteArray stored = writeRoot(&root);
    const QByteArray asText = toText(stored);
    EXPECT_EQ(toBinary(asText), stored);
    EXPECT_TRUE(asText.contains("Font.Charset = RUSSIAN_CHARSET\r\n"));
    // Cut after 64 characters; everything outside printable ASCII as #nnn.
    EXPECT_TRUE(
        asText.contains("      Caption =\r\n        'Tab'#9'here, ''quoted'', line'#13#10'end; '#220'nic'#246'de '"
                        "#8364' '#20013' and enough to run pas' +\r\n        't sixty-four characters'\r\n"))
        << asText.constData();

    TSampleRoot copy;
    readInto(&copy, stored);
    EXPECT_EQ(writeRoot(&copy), stored);
    auto *label = find<TSampleLabel>(copy, u"L");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->Picture()->Image().pixel(2, 1), qRgb(200, 100, 0));
    EXPECT_EQ(label->Items()->Item(0)->Link, find<TSampleBand>(copy, u"B"));
    label->OnClick(nullptr);
    EXPECT_EQ(copy.Clicks, 10);
}

namespace {

struct ToolRun
{
    int exitCode;
    QByteArray out;
    QByteArray err;
};

ToolRun streamconv(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(STREAMCONV_PATH), arguments);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

TEST_F(Fixture, StreamconvConvertsTheSampleThereAndBack)
{
    QTemporaryDir dir;
    const QString asText = dir.filePath(QStringLiteral("s.txt")), asBinary = dir.filePath(QStringLiteral("s.bin"));
    EXPECT_EQ(streamconv({QStringLiteral("--to-text"), dataFile("sample.bin"), asText}).exitCode, 0);
    EXPECT_EQ(readFile(asText), text);
    EXPECT_EQ(streamconv({QStringLiteral("--to-binary"), asText, asBinary}).exitCode, 0);
    EXPECT_EQ(readFile(asBinary), binary);
}

TEST_F(Fixture, StreamconvSaysInOneLineWhyAndWritesNothing)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    struct Case
    {
        const char *option;
        QByteArray input;
    };
    const Case cases[] = {
        {"--to-text", binary.left(100)},             // cut short
        {"--to-text", binary + "xy"},                // something after the component
        {"--to-text", text},                         // the wrong form
        {"--to-binary", text.left(text.size() - 6)}, // no final end
        {"--to-binary", text + "end\r\n"},           // one end too many
    };
    for (const Case &c : cases) {
        const QString in = dir.filePath(QStringLiteral("in"));
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.input);
        f.close();
        const ToolRun r = streamconv({QString::fromLatin1(c.option), in, out});
        EXPECT_EQ(r.exitCode, 1) << c.option;
        EXPECT_TRUE(r.err.startsWith("streamconv: ")) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(QFile::exists(out)) << c.option;
    }
    const ToolRun usage = streamconv({QStringLiteral("--sideways")});
    EXPECT_NE(usage.exitCode, 0);
    EXPECT_EQ(usage.err.count('\n'), 1);
    const ToolRun missing = streamconv({QStringLiteral("--to-text"), dir.filePath(QStringLiteral("none")), out});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(QFile::exists(out));
}

// A write the disk cannot take is told to the writer at once: WriteBuffer
// raises, rather than the bytes vanishing when the file is closed.
TEST(FileStream, AWriteTheDiskRefusesFailsWhenItIsMade)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full on this machine";
    TFileStream full(QStringLiteral("/dev/full"), fmOpenWrite);
    const char data[64] = {};
    EXPECT_EQ(full.Write(data, sizeof data), 0);
    EXPECT_THROW(full.WriteBuffer(data, sizeof data), EWriteError);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("cache.tmp"));
    {
        TFileStream file(name, fmCreate);
        file.WriteBuffer("abcdef", 6);
        file.Seek(2, TSeekOrigin::soBeginning);
        char back[3] = {};
        file.ReadBuffer(back, 3);
        EXPECT_EQ(QByteArray(back, 3), "cde");
    }
    QFile written(name);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "abcdef");
}

// A link put at the name after the look and before the open, or a hard link
// to the caller's file in a shared sticky folder, is refused, and the file it
// leads to is neither written nor emptied.
TEST(FileStream, NothingPutAtTheNameAfterTheLookIsWrittenOrEmptied)
{
    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("own.txt"));
    {
        TFileStream file(own, fmCreate);
        file.WriteBuffer("private", 7);
    }
    const QByteArray shared = QFile::encodeName(dir.filePath(QStringLiteral("shared")));
    ASSERT_EQ(::mkdir(shared.constData(), 0777), 0);
    ASSERT_EQ(::chmod(shared.constData(), 01777), 0);
    const std::string page = QFile::encodeName(dir.filePath(QStringLiteral("page.tmp"))).toStdString();
    {
        const rtl::ScopedBeforeInPlaceOpen plant([&](const std::string &name) {
            if (name == page)
                ASSERT_EQ(::symlink(QFile::encodeName(own).constData(), name.c_str()), 0);
        });
        EXPECT_THROW(TFileStream(QFile::decodeName(QByteArray::fromStdString(page)), fmCreate), EFCreateError);
    }
    const QByteArray hardLink = shared + "/page.tmp";
    ASSERT_EQ(::link(QFile::encodeName(own).constData(), hardLink.constData()), 0);
    EXPECT_THROW(TFileStream(QFile::decodeName(hardLink), fmCreate), EFCreateError);
    EXPECT_THROW(TFileStream(QFile::decodeName(hardLink), fmOpenWrite), EFOpenError);
    QFile back(own);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), "private");
}

// A file stream opened to write goes into what stands at the name, as the
// system's calls go; in a shared sticky folder, a link, a file or a pipe
// another user planted there is refused as a save refuses it, and stays as
// it was. The caller's own file there is written as ever.
TEST(FileStream, WhatSomebodyElsePlantedInASharedFolderIsNotWritten)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting as another user needs root";
    constexpr uid_t nobody = 65534;
    QTemporaryDir dir;
    const QByteArray shared = QFile::encodeName(dir.filePath(QStringLiteral("shared")));
    const QByteArray secret = QFile::encodeName(dir.filePath(QStringLiteral("secret.txt")));
    ASSERT_EQ(::mkdir(shared.constData(), 0777), 0);
    ASSERT_EQ(::chmod(shared.constData(), 01777), 0);
    QFile victim(QFile::decodeName(secret));
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("root's own");
    victim.close();
    const QByteArray file = shared + "/page.tmp";
    const QByteArray link = shared + "/link.tmp";
    QFile planted(QFile::decodeName(file));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("the planter's");
    planted.close();
    ASSERT_EQ(::symlink(secret.constData(), link.constData()), 0);
    ASSERT_EQ(::chown(file.constData(), nobody, nobody), 0);
    ASSERT_EQ(::lchown(link.constData(), nobody, nobody), 0);

    for (const QByteArray &name : {file, link}) {
        SCOPED_TRACE(name.constData());
        EXPECT_THROW(TFileStream(QFile::decodeName(name), fmCreate), EFCreateError);
        EXPECT_THROW(TFileStream(QFile::decodeName(name), fmOpenWrite), EFOpenError);
        EXPECT_THROW(TFileStream(QFile::decodeName(name), fmOpenReadWrite), EFOpenError);
        EXPECT_NO_THROW(TFileStream(QFile::decodeName(name), fmOpenRead));
    }
    const auto bytes = [](const QByteArray &name) {
        QFile f(QFile::decodeName(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_EQ(bytes(file), "the planter's");
    EXPECT_EQ(bytes(secret), "root's own");

    const QString own = QFile::decodeName(shared + "/own.tmp");
    {
        TFileStream created(own, fmCreate);
        created.WriteBuffer("mine", 4);
    }
    TFileStream again(own, fmOpenReadWrite);
    again.WriteBuffer("MINE", 4);
}
