#include "tests/support/report/BandFakes.h"
#include "tests/support/report/FormFakes.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/content/ContentRegistration.h"
#include "report/content/graphics/Region.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/content/text/Memo.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/UniqueNames.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/reports/CustomReportRTTI.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"
#include "report/model/templates/ReportTemplate.h"
#include "report/model/templates/TemplateRTTI.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <any>
#include <functional>
#include <map>

using namespace report;

namespace {

// The error dialog as a user answers it: each showing takes the next
// answer (Ignore when none are left) and keeps the text it was given.
class ScriptedErrorDialog : public reporttest::WindowlessForm<TppCustomTemplateErrorDialog>
{
    ZVO_CLASS(ScriptedErrorDialog)
public:
    using WindowlessForm::WindowlessForm;
    int ShowModal() override
    {
        Messages.append(GetMessage());
        return Answers.isEmpty() ? 5 : Answers.takeFirst();
    }
    static inline QList<int> Answers;
    static inline QStringList Messages;
};

const classes::TMetaClass &ScriptedErrorDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<ScriptedErrorDialog, TppCustomTemplateErrorDialog>("ScriptedErrorDialog");
    return meta;
}

// A label that counts how often its name is asked for.
class CountingLabel : public TppLabel
{
    ZVO_CLASS(CountingLabel)
public:
    using TppLabel::TppLabel;
    QString GetUserName() const override
    {
        ++Asked;
        return TppLabel::GetUserName();
    }
    static inline int64_t Asked = 0;
};

const classes::TMetaClass &CountingLabel::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<CountingLabel, TppLabel>("CountingLabel");
    return meta;
}

QByteArray streamBytes(classes::TMemoryStream &aStream)
{
    return QByteArray(aStream.Memory(), qsizetype(aStream.Size()));
}

class ReportTemplates : public ::testing::Test
{
protected:
    ReportTemplates()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        form.SetName(QStringLiteral("Form1"));
        report = new TppReport(&form);
        report->SetName(QStringLiteral("ppReport1"));
        build(*report, QStringLiteral("Stored"));
    }
    ~ReportTemplates() override
    {
        ppUnRegisterFormClass(TppCustomTemplateErrorDialog::StaticClass());
        ScriptedErrorDialog::Answers.clear();
        ScriptedErrorDialog::Messages.clear();
        ppContentLayerFinalize();
        ppModelLayerFinalize();
    }

    // A header with a label, a detail, and a group with its two bands, the
    // group header holding a text reset by the group.
    void build(TppReport &aReport, const QString &aCaption)
    {
        auto *header = new TppHeaderBand(&form);
        header->SetName(QStringLiteral("ppHeaderBand1"));
        header->SetReport(&aReport);
        auto *label = new TppLabel(&form);
        label->SetName(QStringLiteral("ppLabel1"));
        label->SetBand(header);
        label->SetCaption(aCaption);
        auto *detail = new TppDetailBand(&form);
        detail->SetName(QStringLiteral("ppDetailBand1"));
        detail->SetReport(&aReport);
        auto *group = new TppGroup(&form);
        group->SetName(QStringLiteral("ppGroup1"));
        group->SetReport(&aReport);
        auto *groupHeader = new TppGroupHeaderBand(&form);
        groupHeader->SetName(QStringLiteral("ppGroupHeaderBand1"));
        groupHeader->SetGroup(group);
        auto *groupFooter = new TppGroupFooterBand(&form);
        groupFooter->SetName(QStringLiteral("ppGroupFooterBand1"));
        groupFooter->SetGroup(group);
        auto *text = new TppDBText(&form);
        text->SetName(QStringLiteral("ppDBText1"));
        text->SetBand(groupHeader);
        text->SetResetGroup(group);
    }

    QByteArray save(TppFormatType aFormat, int32_t aOffset = 0)
    {
        report->Template()->SetFormat(aFormat);
        report->Template()->SetOffset(aOffset);
        classes::TMemoryStream stream;
        report->Template()->SaveToStream(stream);
        return streamBytes(stream);
    }

    void load(const QByteArray &aBytes)
    {
        classes::TMemoryStream stream;
        stream.WriteBuffer(aBytes.constData(), aBytes.size());
        stream.SetPosition(0);
        report->Template()->LoadFromStream(stream);
    }

    QString firstCaption() const
    {
        TppBand *header = report->GetBand(0);
        if (!header || header->ObjectCount() == 0)
            return QString();
        auto *label = dynamic_cast<TppLabel *>(header->Objects(0));
        return label ? label->GetCaption() : QString();
    }

    // The report's layout changed to something else, to see a load bring
    // back what the template holds.
    void replaceLayout()
    {
        report->Template()->New();
        ASSERT_EQ(report->GroupCount(), 0);
    }

    classes::TComponent form{nullptr};
    TppReport *report = nullptr;
};

TEST_F(ReportTemplates, BothFormsBringTheLayoutBackIntoTheLiveReport)
{
    for (TppFormatType format : {TppFormatType::ftBinary, TppFormatType::ftASCII}) {
        SCOPED_TRACE(int(format));
        const QByteArray bytes = save(format);
        EXPECT_TRUE(bytes.startsWith(format == TppFormatType::ftBinary ? "TPF0" : "object"));
        replaceLayout();
        load(bytes);
        EXPECT_EQ(report->Template()->Format(), format);
        EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
        ASSERT_EQ(report->GroupCount(), 1);
        TppGroup *group = report->Groups(0);
        ASSERT_TRUE(group->HeaderBand() && group->FooterBand());
        EXPECT_EQ(group->HeaderBand()->Report(), report);
        ASSERT_EQ(group->HeaderBand()->ObjectCount(), 1);
        auto *text = dynamic_cast<TppDBText *>(group->HeaderBand()->Objects(0));
        ASSERT_TRUE(text);
        EXPECT_EQ(text->ResetGroup(), group);
        // The layout read keeps its names: the previous one left the form.
        EXPECT_EQ(group->Name(), QStringLiteral("ppGroup1"));
        EXPECT_EQ(report->GetBand(0)->Name(), QStringLiteral("ppHeaderBand1"));
        EXPECT_EQ(text->Name(), QStringLiteral("ppDBText1"));
        EXPECT_EQ(form.FindComponent(u"ppLabel1"), report->GetBand(0)->Objects(0));
        // The live report stays; what was read is gone again.
        EXPECT_EQ(report->Owner(), &form);
        EXPECT_EQ(report->CommunicatorState() & ppState::FirstLoad, 0);
        int reports = 0;
        for (int i = 0; i < form.ComponentCount(); ++i)
            reports += dynamic_cast<TppCustomReport *>(form.Components(i)) != nullptr;
        EXPECT_EQ(reports, 1);
    }
}

// A memo's tab stops are stored in the report's units and its chain by
// name: both come back as they were, whatever the units.
// Every object read is named, and the name must be free: were it looked
// for among all the objects before it, a load of n objects would take n * n
// steps (100,000 labels took minutes).
TEST_F(ReportTemplates, ALoadAsksEachNameAFewTimesHoweverManyObjectsThereAre)
{
    classes::RegisterClass(CountingLabel::StaticClass());
    constexpr int count = 400;
    TppBand *detail = report->GetBand(4);
    ASSERT_NE(detail, nullptr);
    for (int i = 1; i <= count; ++i) {
        auto *label = new CountingLabel(&form);
        label->SetBand(detail);
        label->SetName(QStringLiteral("ppCounting%1").arg(i));
    }
    const QByteArray bytes = save(TppFormatType::ftBinary);
    CountingLabel::Asked = 0;
    load(bytes);
    EXPECT_EQ(report->GetBand(4)->ObjectCount(), count);
    EXPECT_LT(CountingLabel::Asked, 20 * count);
    classes::UnRegisterClass(CountingLabel::StaticClass());
}

TEST_F(ReportTemplates, FreeUserNamesAreFoundWithoutAskingEveryObject)
{
    constexpr int count = 400;
    TppBand *detail = report->GetBand(4);
    ASSERT_NE(detail, nullptr);
    std::vector<CountingLabel *> labels;
    const QString base = ppUserNameBase(QStringLiteral("CountingLabel"));
    CountingLabel::Asked = 0;
    for (int i = 1; i <= count; ++i) {
        auto *label = new CountingLabel(&form);
        label->SetBand(detail);
        label->SetUserName(report->GetUniqueUserName(label));
        ASSERT_EQ(label->UserName(), base + QString::number(i));
        labels.push_back(label);
    }
    EXPECT_LT(CountingLabel::Asked, 20 * count);

    // A number given up is handed out again, the lowest first; an object
    // may keep its own; other classes' names do not count.
    labels[9]->SetUserName("Total");
    labels[4]->SetUserName("Other");
    EXPECT_EQ(report->GetUniqueUserName(labels[0]), base + "1");
    auto *memo = new TppMemo(&form);
    memo->SetBand(detail);
    memo->SetUserName(base + "5");
    auto *label = new CountingLabel(&form);
    EXPECT_EQ(report->GetUniqueUserName(label), base + "5");
    label->SetBand(detail);
    label->SetUserName(base + "005");
    EXPECT_EQ(report->GetUniqueUserName(labels[count - 1]), base + "10");
    delete labels[1];
    EXPECT_EQ(report->GetUniqueUserName(memo), "Memo1");
    EXPECT_EQ(report->GetUniqueUserName(labels[0]), base + "1");
    EXPECT_EQ(report->GetUniqueUserName(labels[2]), base + "2");
}

TEST_F(ReportTemplates, MemosComeBackWithTheirTabStopsAndChain)
{
    report->SetUnits(TppUnitType::utMillimeters);
    const auto detailBand = [this]() -> TppBand * {
        for (int i = 0; i < report->BandCount(); ++i)
            if (auto *band = dynamic_cast<TppDetailBand *>(report->Bands(i)))
                return band;
        return nullptr;
    };
    TppBand *detail = detailBand();
    ASSERT_TRUE(detail);
    auto *above = new TppMemo(&form);
    above->SetName(QStringLiteral("ppMemo1"));
    above->SetBand(detail);
    classes::TStringList stops;
    stops.Add(QStringLiteral("30"));
    stops.Add(QStringLiteral("45.5"));
    above->SetTabStopPositions(&stops);
    auto *below = new TppMemo(&form);
    below->SetName(QStringLiteral("ppMemo2"));
    below->SetBand(detail);
    below->SetShiftRelativeTo(above);
    const QByteArray bytes = save(TppFormatType::ftASCII);
    replaceLayout();
    load(bytes);
    detail = detailBand();
    ASSERT_TRUE(detail);
    ASSERT_EQ(detail->ObjectCount(), 2);
    auto *readAbove = dynamic_cast<TppMemo *>(detail->Objects(0));
    auto *readBelow = dynamic_cast<TppMemo *>(detail->Objects(1));
    ASSERT_TRUE(readAbove && readBelow);
    EXPECT_EQ(readAbove->mmTabStops(), (QStringList{"30000", "45500"}));
    EXPECT_EQ(readBelow->ShiftRelativeTo(), readAbove);
    EXPECT_TRUE(readAbove->Stretch());
}

TEST_F(ReportTemplates, TheEnvelopeIsFoundAtOffsetAtZeroOrThroughTheLeadingPointer)
{
    const QByteArray data = save(TppFormatType::ftBinary);

    // Saving at 16 leaves 16 zero bytes before the data.
    const QByteArray at16 = save(TppFormatType::ftBinary, 16);
    EXPECT_EQ(at16.left(16), QByteArray(16, '\0'));
    EXPECT_TRUE(at16.mid(16).startsWith("TPF0"));
    replaceLayout();
    report->Template()->SetOffset(16);
    load(at16);
    EXPECT_EQ(report->Template()->Offset(), 16);
    EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));

    // A prefix whose first four bytes point at the data.
    QByteArray pointed(100, 'x');
    const char pointer[4] = {100, 0, 0, 0};
    pointed.replace(0, 4, QByteArray(pointer, 4));
    pointed.append(data);
    replaceLayout();
    report->Template()->SetOffset(0);
    load(pointed);
    EXPECT_EQ(report->Template()->Offset(), 100);
    EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));

    // A stale Offset falls back to the data at 0.
    report->Template()->SetOffset(7);
    load(data);
    EXPECT_EQ(report->Template()->Offset(), 0);
}

TEST_F(ReportTemplates, NoSignatureAnywhereIsInvalidAndLeavesTheReportAlone)
{
    const QByteArray data = save(TppFormatType::ftBinary);
    const auto withPointer = [&data](int32_t aPointer) {
        QByteArray bytes(reinterpret_cast<const char *>(&aPointer), 4);
        bytes.append(QByteArray(60, 'y'));
        bytes.append(data.mid(4)); // the data without its signature
        return bytes;
    };
    for (int32_t pointer : {0, -1, 2147483647, 64}) {
        SCOPED_TRACE(pointer);
        report->Template()->SetOffset(0);
        EXPECT_THROW(load(withPointer(pointer)), EInvalidTemplateError);
        EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
        EXPECT_EQ(report->GroupCount(), 1);
    }
    for (const QByteArray &bytes :
         {QByteArray("TPF0"), QByteArray("object"), QByteArray(), data.left(data.size() / 2)}) {
        SCOPED_TRACE(bytes.left(20).toStdString());
        EXPECT_ANY_THROW(load(bytes));
        EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
        EXPECT_EQ(report->GroupCount(), 1);
    }
}

TEST_F(ReportTemplates, OnlyOneReportIsAcceptedAsTheStreamsComponent)
{
    // A label alone, and two reports one after the other.
    TppLabel loose(nullptr);
    loose.SetCaption(QStringLiteral("loose"));
    classes::TMemoryStream labelStream;
    labelStream.WriteComponent(&loose);
    const QByteArray data = save(TppFormatType::ftBinary);
    QByteArray twice = data.left(data.size() - 1); // without the list end
    twice.append(data.mid(4));
    for (const QByteArray &bytes : {streamBytes(labelStream) + QByteArray(1, '\0'), twice}) {
        EXPECT_THROW(load(bytes), EInvalidTemplateError);
        EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
        EXPECT_EQ(report->GroupCount(), 1);
        EXPECT_EQ(form.ComponentCount(), 8); // the report and its seven objects
    }
    // Without the final list end the template was cut short: it is refused,
    // and the report keeps what it had.
    replaceLayout();
    EXPECT_THROW(load(data.left(data.size() - 1)), classes::EReadError);
    EXPECT_EQ(firstCaption(), QString());
    EXPECT_EQ(report->GroupCount(), 0);
    load(data);
    EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
}

// A report kept in its template loads its layout from it once it is read,
// unless a designer shows it; a child report kept so asks its main report
// first, which may say where its template is.
TEST_F(ReportTemplates, AReportKeptInItsTemplateLoadsItsLayoutWhenRead)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("kept.rtm"));
    report->Template()->SetFileName(file);
    report->Template()->SaveToFile();
    replaceLayout();
    report->Template()->SetFileName(file);
    const auto read = [this] {
        const QByteArray text = "object ppReport1: TppReport\r\n  SaveAsTemplate = True\r\nend\r\n";
        classes::TMemoryStream source;
        source.WriteBuffer(text.constData(), text.size());
        source.SetPosition(0);
        classes::TMemoryStream binary;
        classes::ObjectTextToBinary(source, binary);
        binary.SetPosition(0);
        classes::TReader(binary).ReadRootComponent(report);
    };
    report->IncludeState(ppState::Design);
    read();
    EXPECT_NE(firstCaption(), QStringLiteral("Stored"));
    report->ExcludeState(ppState::Design);
    read();
    EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));

    auto *subreport = new TppSubReport(&form);
    subreport->SetBand(report->GetBand(4));
    TppChildReport *child = subreport->Report();
    ASSERT_TRUE(child);
    child->SetSaveAsTemplate(true);
    TppCustomReport *asked = nullptr;
    report->OnTemplateLoad.Set([&](classes::TObject *, TppCustomReport *aChild) {
        asked = aChild;
        aChild->Template()->SetFileName(file);
    });
    child->Loaded();
    EXPECT_EQ(asked, child);
    EXPECT_EQ(child->GroupCount(), 1);
    // A template load of the main report keeps whom it tells.
    report->Template()->LoadFromFile();
    EXPECT_TRUE(report->OnTemplateLoad);
}

// While a load keeps the previous layout aside, a subreport's child report
// is aside with it: the child read keeps its name, load after load.
TEST_F(ReportTemplates, ASubreportsChildReportComesBackUnderItsOwnName)
{
    auto *subreport = new TppSubReport(&form);
    subreport->SetBand(report->GetBand(4));
    ASSERT_TRUE(subreport->Report());
    const QString childName = subreport->Report()->Name();
    const QByteArray bytes = save(TppFormatType::ftBinary);
    for (int round = 0; round < 2; ++round) {
        load(bytes);
        auto *loaded = dynamic_cast<TppSubReport *>(report->GetBand(4)->Objects(0));
        ASSERT_TRUE(loaded && loaded->Report());
        EXPECT_EQ(loaded->Report()->Name(), childName) << round;
    }
}

TEST_F(ReportTemplates, ClashingNamesAreRenamedAndReferencesFollowThem)
{
    const QByteArray bytes = save(TppFormatType::ftASCII);
    // The group's name is taken in the form by a stranger.
    replaceLayout();
    auto *stranger = new classes::TComponent(&form);
    stranger->SetName(QStringLiteral("ppGroup1"));
    load(bytes);
    ASSERT_EQ(report->GroupCount(), 1);
    TppGroup *group = report->Groups(0);
    EXPECT_NE(group->Name().compare(QStringLiteral("ppGroup1"), Qt::CaseInsensitive), 0);
    EXPECT_EQ(form.FindComponent(group->Name()), group);
    auto *text = dynamic_cast<TppDBText *>(group->HeaderBand()->Objects(0));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->ResetGroup(), group);
    EXPECT_EQ(form.FindComponent(u"ppGroup1"), stranger);
}

TEST_F(ReportTemplates, ReadErrorsAskTheDialogAndCancelRestoresThePreviousReport)
{
    QByteArray text = save(TppFormatType::ftASCII);
    // Two properties nobody knows.
    const qsizetype at = text.indexOf("Caption = 'Stored'");
    ASSERT_GT(at, 0);
    text.insert(at, "Bogus = 1\r\n      Other = 2\r\n      ");
    replaceLayout();
    const int bandsBefore = report->BandCount();

    // Without a dialog a read error fails the load.
    EXPECT_ANY_THROW(load(text));
    EXPECT_EQ(report->BandCount(), bandsBefore);
    EXPECT_EQ(report->GroupCount(), 0);

    ppRegisterFormClass(TppCustomTemplateErrorDialog::StaticClass(), ScriptedErrorDialog::StaticClass());
    ScriptedErrorDialog::Answers = {2};
    EXPECT_ANY_THROW(load(text));
    EXPECT_EQ(report->GroupCount(), 0);
    ASSERT_EQ(ScriptedErrorDialog::Messages.size(), 1);
    EXPECT_TRUE(ScriptedErrorDialog::Messages[0].endsWith(QStringLiteral("\r\nIgnore the error and continue?")));

    ScriptedErrorDialog::Messages.clear();
    ScriptedErrorDialog::Answers = {5, 5};
    load(text);
    EXPECT_EQ(ScriptedErrorDialog::Messages.size(), 2);
    EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));

    ScriptedErrorDialog::Messages.clear();
    ScriptedErrorDialog::Answers = {8};
    replaceLayout();
    load(text);
    EXPECT_EQ(ScriptedErrorDialog::Messages.size(), 1);
    EXPECT_EQ(report->GroupCount(), 1);
}

// A designer that is the report's host: it supplies the handlers it has
// been given, and keeps the name of those it is told to make.
class SupplyingDesigner
    : public classes::TObject
    , public reporttest::RecordingDesigner
    , public IppDesignerHost
{
public:
    void ReportModified(classes::TComponent *, bool) override {}
    bool SupplyMethod(classes::TComponent *aRoot, const QString &aMethodName, const std::any *&aAddress) override
    {
        Asked.append(aMethodName);
        Roots.append(aRoot);
        const auto it = Handlers.find(aMethodName);
        if (it != Handlers.end()) {
            aAddress = &it->second;
            return true;
        }
        return Makes.contains(aMethodName);
    }

    std::map<QString, std::any> Handlers;
    QStringList Makes;
    QStringList Asked;
    QList<classes::TComponent *> Roots;
};

TEST_F(ReportTemplates, AHandlerTheFormLacksComesFromTheDesignerOfTheFormBeingDesigned)
{
    QByteArray text = save(TppFormatType::ftASCII);
    const qsizetype at = text.indexOf("\r\n", text.indexOf("object ppReport1")) + 2;
    ASSERT_GT(at, 2);
    text.insert(at, "  OnEndPage = Form1EndPage\r\n  OnStartPage = Form1StartPage\r\n");

    SupplyingDesigner designer;
    int pagesEnded = 0;
    designer.Handlers[QStringLiteral("Form1EndPage")] =
        std::function<void(classes::TObject *)>([&pagesEnded](classes::TObject *) { ++pagesEnded; });
    designer.Makes = {QStringLiteral("Form1StartPage")};
    report->SetDesigner(&designer);
    EXPECT_EQ(report->Template()->GetDesigner(), &designer);

    // A form that is not being designed has nobody to make handlers.
    EXPECT_ANY_THROW(load(text));
    EXPECT_TRUE(designer.Asked.isEmpty());

    form.SetDesigning(true);
    load(text);
    EXPECT_EQ(designer.Asked, (QStringList{"Form1EndPage", "Form1StartPage"}));
    EXPECT_EQ(designer.Roots, (QList<classes::TComponent *>{&form, &form}));
    EXPECT_EQ(report->OnEndPage.Name(), QStringLiteral("Form1EndPage"));
    report->CheckPageLimit();
    EXPECT_EQ(pagesEnded, 1);
    // Kept by name for the designer to make.
    EXPECT_EQ(report->OnStartPage.Name(), QStringLiteral("Form1StartPage"));
    EXPECT_FALSE(report->OnStartPage.Assigned());

    // One it cannot supply stays an error.
    designer.Makes.clear();
    EXPECT_ANY_THROW(load(text));
    report->SetDesigner(nullptr);
    EXPECT_EQ(report->Template()->GetDesigner(), nullptr);
    form.SetDesigning(false);
}

TEST_F(ReportTemplates, LoadEndFiresAfterFailuresAndTheTemplateKeepsItsOwnSettings)
{
    const QByteArray bytes = save(TppFormatType::ftBinary);
    report->Template()->SetFileName(QStringLiteral("where-it-lives.rtm"));
    int loadEnds = 0;
    report->Template()->OnLoadEnd.Set([&loadEnds](classes::TObject *, classes::TObject *) { ++loadEnds; });
    load(bytes);
    EXPECT_ANY_THROW(load(QByteArray("TPF0garbage")));
    EXPECT_EQ(loadEnds, 2);
    // The stored report carried its own template settings; they do not
    // replace where this one lives.
    EXPECT_EQ(report->Template()->FileName(), QStringLiteral("where-it-lives.rtm"));
}

TEST_F(ReportTemplates, FilesAreReplacedWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("r.rtm"));
    TppReportTemplate &storage = *report->Template();
    storage.SetFileName(name);
    EXPECT_THROW(storage.LoadFromFile(), ETemplateLoadError);
    storage.SaveToFile();
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    EXPECT_TRUE(saved.startsWith("TPF0"));

    replaceLayout();
    storage.SetFileName(name);
    storage.LoadFromFile();
    EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));

    ASSERT_TRUE(QFile::setPermissions(name, QFileDevice::ReadOwner));
    EXPECT_TRUE(storage.GetReadOnly());
    EXPECT_THROW(storage.SaveToFile(), ETemplateSaveError);
    QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    storage.SetFileName(dir.filePath(QStringLiteral("missing/r.rtm")));
    EXPECT_THROW(storage.SaveToFile(), ETemplateSaveError);
    EXPECT_FALSE(QFile::exists(storage.FileName()));
}

// Edits the user has not saved stay marked as unsaved when a save or a load
// fails: a designer that asks before closing must still ask.
TEST_F(ReportTemplates, AFailedSaveOrLoadLeavesUnsavedEditsMarked)
{
    QTemporaryDir dir;
    TppReportTemplate &storage = *report->Template();
    const QByteArray bytes = save(TppFormatType::ftBinary);
    report->SetModified(true);
    storage.SetFileName(dir.filePath(QStringLiteral("missing/r.rtm")));
    EXPECT_THROW(storage.SaveToFile(), ETemplateSaveError);
    EXPECT_TRUE(report->Modified());
    EXPECT_ANY_THROW(load(QByteArray("TPF0garbage")));
    EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
    EXPECT_TRUE(report->Modified());

    storage.SetFileName(dir.filePath(QStringLiteral("r.rtm")));
    storage.SaveToFile();
    EXPECT_FALSE(report->Modified());
    EXPECT_ANY_THROW(load(QByteArray("TPF0garbage")));
    EXPECT_FALSE(report->Modified());
    report->SetModified(true);
    load(bytes);
    EXPECT_FALSE(report->Modified());

    // A child report's failed load leaves the edits of the report around it.
    auto *subreport = new TppSubReport(&form);
    subreport->SetBand(report->GetBand(4));
    subreport->Report()->SetModified(false);
    report->SetModified(true);
    classes::TMemoryStream garbage;
    garbage.WriteBuffer("TPF0garbage", 11);
    garbage.SetPosition(0);
    EXPECT_ANY_THROW(subreport->Report()->Template()->LoadFromStream(garbage));
    EXPECT_TRUE(report->Modified());
}

// A detail band may print from a pipeline nobody named (made in code): both
// forms save the whole report and load it again, the band's entry left out
// since nothing could find the pipeline by an empty name.
TEST_F(ReportTemplates, ADetailPipelineWithoutANameSavesAndLoadsInBothForms)
{
    reporttest::MemoryPipeline unnamed;
    for (TppFormatType format : {TppFormatType::ftBinary, TppFormatType::ftASCII}) {
        SCOPED_TRACE(int(format));
        auto *detail = dynamic_cast<TppDetailBand *>(report->GetBand(4));
        ASSERT_TRUE(detail);
        const QByteArray without = save(format);
        detail->SetDataPipeline(&unnamed);
        ASSERT_EQ(detail->DataPipeline(), &unnamed);
        QByteArray bytes;
        ASSERT_NO_THROW(bytes = save(format));
        EXPECT_EQ(bytes, without);
        replaceLayout();
        ASSERT_NO_THROW(load(bytes));
        EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
        ASSERT_TRUE(report->GetBand(4));
        EXPECT_EQ(dynamic_cast<TppDetailBand *>(report->GetBand(4))->DataPipeline(), nullptr);
    }
}

// A save-start handler that raises ends the save as any failure does: the
// report is not left marked as saving, nor its edits as saved.
TEST_F(ReportTemplates, ARaisingSaveStartHandlerLeavesTheReportOutOfItsSavingState)
{
    QTemporaryDir dir;
    TppReportTemplate &storage = *report->Template();
    storage.SetFileName(dir.filePath(QStringLiteral("r.rtm")));
    storage.OnSaveStart.Set(
        [](classes::TObject *, classes::TObject *) { throw EBrevantorError(QStringLiteral("no")); });
    report->SetModified(true);
    EXPECT_THROW(storage.SaveToFile(), EBrevantorError);
    EXPECT_EQ(report->CommunicatorState() & 256, 0);
    EXPECT_TRUE(report->Modified());
    EXPECT_FALSE(QFile::exists(storage.FileName()));
    classes::TMemoryStream stream;
    EXPECT_THROW(storage.SaveToStream(stream), EBrevantorError);
    EXPECT_EQ(report->CommunicatorState() & 256, 0);
}

} // namespace

namespace {

// Templates kept as records of a pipeline: a name field and two data
// fields, one binary, one text.
class DatabaseTemplates : public ReportTemplates
{
protected:
    DatabaseTemplates()
    {
        store.AddField(QStringLiteral("Name"));
        store.AddField(QStringLiteral("Data"), TppDataType::dtBLOB);
        store.AddField(QStringLiteral("Notes"), TppDataType::dtMemo);
        store.AddField(QStringLiteral("Count"), TppDataType::dtInteger);
        TppTemplateDBSettings &settings = *report->Template()->DatabaseSettings();
        settings.SetDataPipeline(&store);
        settings.SetName(QStringLiteral("Monthly"));
        settings.SetNameField(QStringLiteral("Name"));
        settings.SetTemplateField(QStringLiteral("Data"));
    }
    ~DatabaseTemplates() override { report->Template()->DatabaseSettings()->SetDataPipeline(nullptr); }

    reporttest::MemoryPipeline store;
};

TEST_F(DatabaseTemplates, ASaveAppendsThenEditsAndALoadByNameReadsIt)
{
    TppReportTemplate &storage = *report->Template();
    for (const char *field : {"Data", "Notes"}) {
        SCOPED_TRACE(field);
        storage.DatabaseSettings()->SetTemplateField(QString::fromLatin1(field));
        storage.SetFormat(QByteArrayView(field) == "Notes" ? TppFormatType::ftASCII : TppFormatType::ftBinary);
        const int before = store.RecordCount();
        storage.SaveToDatabase();
        EXPECT_EQ(store.RecordCount(), before == 0 ? 1 : before);
        storage.SaveToDatabase();
        EXPECT_EQ(store.RecordCount(), before == 0 ? 1 : before);
        replaceLayout();
        storage.DatabaseSettings()->SetName(QStringLiteral("Monthly"));
        storage.LoadFromDatabase();
        EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
        EXPECT_EQ(report->GroupCount(), 1);
    }
    EXPECT_EQ(store.Cell(0, QStringLiteral("Name")).toString(), QStringLiteral("Monthly"));
}

TEST_F(DatabaseTemplates, UnusableSettingsAreRefusedWithTheirMessages)
{
    TppReportTemplate &storage = *report->Template();
    storage.SaveToDatabase();
    // An unknown name, a field that cannot hold a template, no name field.
    storage.DatabaseSettings()->SetName(QStringLiteral("Weekly"));
    try {
        storage.LoadFromDatabase();
        ADD_FAILURE() << "an unknown name loaded";
    } catch (const ETemplateLoadError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Record not found: Weekly"));
    }
    storage.DatabaseSettings()->SetName(QStringLiteral("Monthly"));
    storage.DatabaseSettings()->SetTemplateField(QStringLiteral("Count"));
    try {
        storage.SaveToDatabase();
        ADD_FAILURE() << "a number field took a template";
    } catch (const ETemplateSaveError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot store a template to a field of this type."));
    }
    storage.DatabaseSettings()->SetTemplateField(QStringLiteral("Data"));
    storage.DatabaseSettings()->SetNameField(QString());
    const int records = store.RecordCount();
    try {
        storage.SaveToDatabase();
        ADD_FAILURE() << "settings without a name field saved";
    } catch (const ETemplateSaveError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Record not found: Monthly"));
    }
    EXPECT_EQ(store.RecordCount(), records);
    EXPECT_THROW(storage.LoadFromDatabase(), ETemplateLoadError);
    // A user's locate handler decides instead of the pipeline.
    storage.DatabaseSettings()->SetNameField(QStringLiteral("Name"));
    QStringList asked;
    storage.OnLocateRecord.Set([&asked](classes::TObject *, const QString &aName, bool &aFound) {
        asked.append(aName);
        aFound = false;
    });
    EXPECT_THROW(storage.LoadFromDatabase(), ETemplateLoadError);
    EXPECT_EQ(asked, QStringList{QStringLiteral("Monthly")});
    // A pipeline that goes leaves the settings without it.
    storage.OnLocateRecord.Clear();
    {
        reporttest::MemoryPipeline other;
        storage.DatabaseSettings()->SetDataPipeline(&other);
    }
    EXPECT_EQ(storage.DatabaseSettings()->DataPipeline(), nullptr);
    EXPECT_THROW(storage.LoadFromDatabase(), ETemplateLoadError);
}

} // namespace

namespace {

// The fixtures, written by hand from the grammar of component streams.
QByteArray templateFixture(const char *aName)
{
    // From the source folder the test was built from, so that the test
    // runs the same outside ctest and from any folder.
    QFile file(QStringLiteral(ZVO_TEMPLATE_FIXTURES "/") + QString::fromLatin1(aName));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
        return QByteArray();
    }
    const QByteArray bytes = file.readAll();
    if (!QByteArrayView(aName).endsWith(".hex"))
        return bytes;
    QByteArray hex;
    for (QByteArray line : bytes.split('\n')) {
        const qsizetype comment = line.indexOf('#');
        if (comment >= 0)
            line.truncate(comment);
        hex += line.simplified().replace(' ', QByteArray());
    }
    return QByteArray::fromHex(hex);
}

class TemplateFixtures : public ReportTemplates
{
protected:
    TemplateFixtures()
    {
        binary = templateFixture("grouped_report.hex");
        text = templateFixture("grouped_report.txt");
    }

    // What the report holds, as its own binary stream.
    QByteArray loadedTree(const QByteArray &aBytes)
    {
        load(aBytes);
        return save(TppFormatType::ftBinary);
    }

    QByteArray binary;
    QByteArray text;
};

TEST_F(TemplateFixtures, BothFormsConvertToEachOtherByteForByte)
{
    ASSERT_TRUE(binary.startsWith("TPF0"));
    ASSERT_TRUE(text.startsWith("object ppReport1: TppReport\r\n"));
    classes::TMemoryStream in;
    in.WriteBuffer(binary.constData(), binary.size());
    in.SetPosition(0);
    classes::TMemoryStream out;
    classes::ObjectBinaryToText(in, out);
    EXPECT_EQ(streamBytes(out), text);

    classes::TMemoryStream textIn;
    textIn.WriteBuffer(text.constData(), text.size());
    textIn.SetPosition(0);
    classes::TMemoryStream binaryOut;
    classes::ObjectTextToBinary(textIn, binaryOut);
    // The template form ends the component list; a single object does not.
    EXPECT_EQ(streamBytes(binaryOut), binary.left(binary.size() - 1));
}

TEST_F(TemplateFixtures, BothFormsLoadToTheSameReport)
{
    const QByteArray fromBinary = loadedTree(binary);
    replaceLayout();
    EXPECT_EQ(loadedTree(text), fromBinary);

    ASSERT_EQ(report->BandCount(), 4);
    TppBand *header = report->GetBand(0);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->mmHeight(), 12700);
    EXPECT_EQ(firstCaption(), QStringLiteral("$\u00B6"));
    ASSERT_EQ(report->GroupCount(), 1);
    TppGroup *group = report->Groups(0);
    EXPECT_EQ(group->BreakName(), QStringLiteral("Key"));
    EXPECT_TRUE(group->HeaderBand() && group->FooterBand());
    TppBand *detail = report->GetBand(4);
    ASSERT_TRUE(detail);
    ASSERT_EQ(detail->ObjectCount(), 3);
    auto *subreport = dynamic_cast<TppSubReport *>(detail->Objects(0));
    ASSERT_TRUE(subreport);
    ASSERT_TRUE(subreport->Report());
    EXPECT_EQ(subreport->Report()->Name(), QStringLiteral("ppChildReport1"));
    EXPECT_EQ(subreport->ParentReport(), report);
    // The region's child is the band's object too, inside the region.
    auto *region = dynamic_cast<TppRegion *>(form.FindComponent(u"ppRegion1"));
    auto *inside = dynamic_cast<TppLabel *>(form.FindComponent(u"ppLabel2"));
    ASSERT_TRUE(region && inside);
    EXPECT_EQ(region->Band(), detail);
    EXPECT_EQ(inside->Band(), detail);
    EXPECT_EQ(inside->Region(), region);
    EXPECT_EQ(inside->GetCaption(), QStringLiteral("Inside"));
}

TEST_F(TemplateFixtures, FloatsReadTheSameWhateverTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    load(text);
    QLocale::setDefault(previous);
    EXPECT_EQ(report->GetBand(0)->mmHeight(), 12700);
}

TEST_F(TemplateFixtures, AnOldVersionIsBroughtUpToDate)
{
    QByteArray old = text;
    old.replace("Version = '7.01'", "Version = '1.0'");
    load(old);
    // Reports before 4100 did not stop on their own; before 3000 they ran
    // two passes.
    EXPECT_FALSE(report->AutoStop());
    EXPECT_EQ(report->PassSetting(), TppPassSettingType::psTwoPass);
    load(text);
    EXPECT_TRUE(report->AutoStop());
    EXPECT_EQ(report->PassSetting(), TppPassSettingType::psOnePass);
}

} // namespace

namespace {

TEST_F(ReportTemplates, ScriptsReachTheTemplateAndSettingItCopiesTheSettings)
{
    const TraTppCustomReportRTTI &rtti = TraTppCustomReportRTTI::Instance();
    classes::TObject *object = nullptr;
    ASSERT_TRUE(rtti.GetPropValue(report, QStringLiteral("Template"), &object));
    EXPECT_EQ(object, report->Template());
    TppReportTemplate other;
    other.SetFileName(QStringLiteral("other.rtm"));
    other.SetFormat(TppFormatType::ftASCII);
    object = &other;
    ASSERT_TRUE(rtti.SetPropValue(report, QStringLiteral("Template"), &object));
    EXPECT_EQ(report->Template()->FileName(), QStringLiteral("other.rtm"));
    EXPECT_EQ(report->Template()->Format(), TppFormatType::ftASCII);
    object = report;
    EXPECT_FALSE(rtti.SetPropValue(report, QStringLiteral("Template"), &object));
}

// The descriptors a script finds by class name once the library is up: the
// names of all four levels reach the report's template, the methods run, and
// what a script may not change is refused.
TEST_F(ReportTemplates, TheTemplateDescriptorsAreRegisteredAndScriptsDriveTheTemplate)
{
    const TraRTTI *rtti = raFindRTTI(QStringLiteral("TppReportTemplate"));
    ASSERT_EQ(rtti, &TraTppReportTemplateRTTI::Instance());
    EXPECT_EQ(raFindRTTI(QStringLiteral("TppTemplateDBSettings")), &TraTppTemplateDBSettingsRTTI::Instance());
    EXPECT_EQ(raFindRTTI(QStringLiteral("TppCustomTemplate")), &TraTppCustomTemplateRTTI::Instance());
    EXPECT_EQ(raFindRTTI(QStringLiteral("TppTemplate")), &TraTppTemplateRTTI::Instance());

    classes::TStringList names;
    rtti->GetPropList(TppReportTemplate::StaticClass(), names);
    for (const char *name : {"Report", "New", "SaveToFile", "ReadOnly", "SaveTo", "DatabaseSettings"})
        EXPECT_GE(names.IndexOf(QString::fromLatin1(name)), 0) << name;

    TppReportTemplate *subject = report->Template();
    classes::TObject *object = nullptr;
    ASSERT_TRUE(rtti->GetPropValue(subject, QStringLiteral("Report"), &object));
    EXPECT_EQ(object, report);
    ASSERT_TRUE(rtti->GetPropValue(subject, QStringLiteral("DatabaseSettings"), &object));
    ASSERT_EQ(object, subject->DatabaseSettings());
    QString text = QStringLiteral("Layouts");
    EXPECT_TRUE(TraTppTemplateDBSettingsRTTI::Instance().SetPropValue(object, QStringLiteral("Name"), &text));
    EXPECT_EQ(subject->DatabaseSettings()->Name(), QStringLiteral("Layouts"));

    uint8_t format = uint8_t(TppFormatType::ftASCII);
    EXPECT_TRUE(rtti->SetPropValue(subject, QStringLiteral("Format"), &format));
    EXPECT_EQ(subject->Format(), TppFormatType::ftASCII);
    format = 2;
    EXPECT_FALSE(rtti->SetPropValue(subject, QStringLiteral("Format"), &format));
    EXPECT_EQ(subject->Format(), TppFormatType::ftASCII);
    EXPECT_FALSE(rtti->SetPropValue(subject, QStringLiteral("Description"), &text));
    object = nullptr;
    EXPECT_FALSE(rtti->SetPropValue(subject, QStringLiteral("Report"), &object));

    TraPropRec rec;
    ASSERT_TRUE(rtti->GetPropRec(TppReportTemplate::StaticClass(), QStringLiteral("new"), rec));
    EXPECT_EQ(rec.Name, QStringLiteral("New"));
    TraParamList params;
    ASSERT_GT(report->GroupCount(), 0);
    EXPECT_TRUE(rtti->CallMethod(subject, QStringLiteral("New"), params));
    EXPECT_EQ(report->GroupCount(), 0);
    EXPECT_FALSE(rtti->CallMethod(subject, QStringLiteral("Print"), params));
}

} // namespace

namespace {

// Every object that refers to a pipeline may be given one nobody named:
// the report, its groups, data-aware texts and the detail band alike.
TEST_F(ReportTemplates, PipelinesWithoutANameAnywhereSaveAndLoadInBothForms)
{
    reporttest::MemoryPipeline unnamed(&form);
    unnamed.AddField(QStringLiteral("Name"));
    report->SetDataPipeline(&unnamed);
    auto *group = report->Groups(0);
    group->SetDataPipeline(&unnamed);
    auto *text = dynamic_cast<TppDBText *>(group->HeaderBand()->Objects(0));
    ASSERT_TRUE(text);
    text->SetDataPipeline(&unnamed);
    text->SetDataField(QStringLiteral("Name"));
    dynamic_cast<TppDetailBand *>(report->GetBand(4))->SetDataPipeline(&unnamed);
    for (TppFormatType format : {TppFormatType::ftBinary, TppFormatType::ftASCII}) {
        SCOPED_TRACE(int(format));
        QByteArray bytes;
        ASSERT_NO_THROW(bytes = save(format));
        replaceLayout();
        ASSERT_NO_THROW(load(bytes));
        EXPECT_EQ(firstCaption(), QStringLiteral("Stored"));
    }
}

} // namespace
