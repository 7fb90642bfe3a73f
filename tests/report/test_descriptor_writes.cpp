// What scripts may write through the descriptors. A script hands over any
// byte for an enumeration and any object for a class-typed name; a write or
// call that took a value its type lacks would report success while it broke
// the next save, changed nothing or cleared a value. Every registered
// descriptor is swept over live objects of a whole report.

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/ProducerRTTI.h"
#include "report/model/reports/CustomReportRTTI.h"
#include "report/model/reports/Report.h"
#include "report/model/reports/ReportRTTI.h"
#include "report/model/templates/ReportTemplate.h"

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/ReportFakes.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/MetaClass.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace report;
using reporttest::MemoryPipeline;

namespace {

const char *const PaletteClasses[] = {"TppLabel",    "TppDBText",         "TppMemo",    "TppDBMemo",  "TppShape",
                                      "TppLine",     "TppImage",          "TppDBImage", "TppBarCode", "TppDBBarCode",
                                      "TppVariable", "TppSystemVariable", "TppDBCalc",  "TppRegion",  "TppSubReport",
                                      "TppRichText", "TppDBRichText"};

class DescriptorWrites : public ::testing::Test
{
protected:
    DescriptorWrites()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        form.SetName(QStringLiteral("Form1"));
        report = new TppReport(&form);
        report->SetName(QStringLiteral("ppReport1"));
        pipeline = new MemoryPipeline(&form);
        pipeline->SetName(QStringLiteral("plCustomers"));
        detail = new TppDetailBand(&form);
        detail->SetName(QStringLiteral("ppDetailBand1"));
        detail->SetReport(report);
        group = new TppGroup(&form);
        group->SetName(QStringLiteral("ppGroup1"));
        group->SetReport(report);
        auto *groupHeader = new TppGroupHeaderBand(&form);
        groupHeader->SetName(QStringLiteral("ppGroupHeaderBand1"));
        groupHeader->SetGroup(group);
        auto *groupFooter = new TppGroupFooterBand(&form);
        groupFooter->SetName(QStringLiteral("ppGroupFooterBand1"));
        groupFooter->SetGroup(group);
        group->SetDataPipeline(pipeline);
        objects.push_back(report);
        objects.push_back(report->PrinterSetup());
        objects.push_back(report->Template());
        objects.push_back(report->Template()->DatabaseSettings());
        objects.push_back(pipeline);
        objects.push_back(detail);
        objects.push_back(group);
        objects.push_back(groupHeader);
        objects.push_back(groupFooter);
        objects.push_back(&outline);
        objects.push_back(pipeline->AddField(QStringLiteral("Name")));
        objects.push_back(new TppPage(&form));
        objects.push_back(new TppDrawText(&form));
        objects.push_back(new TppAutoSearchField(&form));
        for (auto *band : std::initializer_list<TppBand *>{new TppTitleBand(&form), new TppHeaderBand(&form),
                                                           new TppColumnFooterBand(&form), new TppFooterBand(&form),
                                                           new TppSummaryBand(&form)}) {
            band->SetReport(report);
            objects.push_back(band);
        }
        int serial = 0;
        for (const char *className : PaletteClasses) {
            const classes::TMetaClass *meta = classes::GetClass(className);
            EXPECT_NE(meta, nullptr) << className;
            if (!meta)
                continue;
            auto *component = dynamic_cast<TppComponent *>(meta->NewComponent(&form));
            component->SetName(QStringLiteral("c%1").arg(++serial));
            component->SetBand(detail);
            objects.push_back(component);
        }
        label = dynamic_cast<TppComponent *>(objects.at(objects.size() - std::size(PaletteClasses)));
    }
    ~DescriptorWrites() override
    {
        form.DestroyComponents();
        ppContentLayerFinalize();
        ppModelLayerFinalize();
    }

    // The text form of the whole report: what a value the enumeration
    // lacks breaks.
    void saveAsText()
    {
        report->Template()->SetFormat(TppFormatType::ftASCII);
        classes::TMemoryStream stream;
        report->Template()->SaveToStream(stream);
        EXPECT_GT(stream.Size(), 0);
    }

    classes::TComponent form{nullptr};
    TppReport *report = nullptr;
    MemoryPipeline *pipeline = nullptr;
    TppDetailBand *detail = nullptr;
    TppGroup *group = nullptr;
    TppComponent *label = nullptr;
    TppOutlineNode outline;
    std::vector<classes::TObject *> objects;
};

// The most derived registered descriptor of the object's class.
const TraRTTI *descriptorOf(const classes::TObject &aObject)
{
    for (const classes::TMetaClass *meta = &aObject.ClassType(); meta; meta = meta->ClassParent())
        if (const TraRTTI *rtti = raFindRTTI(meta->ClassName()))
            return rtti;
    return nullptr;
}

// Calls aVisit(object, descriptor, name, record) for every name the
// descriptor of each object lists and describes, under a trace of the
// name. A fatal failure ends the sweep.
template <class Visit>
void forEachListedName(const std::vector<classes::TObject *> &aObjects, Visit aVisit)
{
    for (classes::TObject *object : aObjects) {
        const TraRTTI *rtti = descriptorOf(*object);
        ASSERT_NE(rtti, nullptr) << object->ClassName().toStdString();
        classes::TStringList names;
        rtti->GetPropList(object->ClassType(), names);
        for (int i = 0; i < names.Count(); ++i) {
            const QString name = names.Strings(i);
            SCOPED_TRACE((object->ClassName() + u'.' + name).toStdString());
            TraPropRec rec;
            if (!rtti->GetPropRec(object->ClassType(), name, rec))
                continue;
            aVisit(object, *rtti, name, rec);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
}

// Writes aValue to aName; a raised error counts as a refusal too, but the
// value must stay as it was either way.
template <class T>
bool written(const TraRTTI &aRtti, classes::TObject *aObject, const QString &aName, T aValue)
{
    try {
        return aRtti.SetPropValue(aObject, aName, &aValue);
    } catch (const std::exception &) {
        return false;
    }
}

TEST_F(DescriptorWrites, EveryDescriptorRefusesEnumerationsAndObjectsOutsideTheNamedType)
{
    classes::TStringList stranger;
    std::set<const TraRTTI *> reached;
    int enumerations = 0, objectNames = 0;
    for (classes::TObject *object : objects)
        for (const TraRTTI *level = descriptorOf(*object); level; level = level->Parent())
            reached.insert(level);
    ASSERT_NO_FATAL_FAILURE(forEachListedName(
        objects, [&](classes::TObject *object, const TraRTTI &rtti, const QString &name, const TraPropRec &rec) {
            if (rec.ReadOnly)
                return;
            if (rec.DataType == TraDataType::daEnumerated) {
                uint8_t before = 0, after = 0;
                ASSERT_TRUE(rtti.GetPropValue(object, name, &before));
                EXPECT_FALSE(written(rtti, object, name, uint8_t(200)));
                ASSERT_TRUE(rtti.GetPropValue(object, name, &after));
                EXPECT_EQ(after, before);
                ++enumerations;
            } else if (rec.DataType == TraDataType::daClass && rec.ClassType &&
                       !stranger.ClassType().InheritsFrom(*rec.ClassType)) {
                classes::TObject *before = nullptr, *after = nullptr;
                ASSERT_TRUE(rtti.GetPropValue(object, name, &before));
                EXPECT_FALSE(written(rtti, object, name, static_cast<classes::TObject *>(&stranger)));
                ASSERT_TRUE(rtti.GetPropValue(object, name, &after));
                EXPECT_EQ(after, before);
                ++objectNames;
            }
        }));
    // The objects reach every registered descriptor, so a new descriptor
    // cannot slip past the sweep.
    for (const QString &className : raRegisteredRTTIClassNames()) {
        EXPECT_TRUE(reached.count(raFindRTTI(className))) << className.toStdString();
    }
    EXPECT_GT(enumerations, 30);
    EXPECT_GT(objectNames, 20);
    saveAsText();
}

// Variables of every type a parameter can name, bound in place.
struct ArgumentStore
{
    int32_t integer = 0;
    float single = 0;
    double real = 0;
    long double extended = 0;
    int64_t currency = 0;
    QChar character;
    QString text;
    bool boolean = false;
    QVariant variant;
    uint8_t enumerated = 0;
    classes::TObject *object = nullptr;
    const classes::TMetaClass *metaClass = nullptr;

    TraValuePointer pointerFor(const TraParamRec &aRec)
    {
        switch (aRec.DataType) {
        case TraDataType::daInteger: return &integer;
        case TraDataType::daSingle: return &single;
        case TraDataType::daDouble:
        case TraDataType::daDateTime:
        case TraDataType::daDate:
        case TraDataType::daTime: return &real;
        case TraDataType::daExtended: return &extended;
        case TraDataType::daCurrency: return &currency;
        case TraDataType::daChar: return &character;
        case TraDataType::daString: return &text;
        case TraDataType::daBoolean: return &boolean;
        case TraDataType::daVariant: return &variant;
        case TraDataType::daEnumerated: return &enumerated;
        case TraDataType::daClass: return &object;
        case TraDataType::daObject: return object;
        default: return std::monostate{};
        }
    }
};

// Every value a script can hand over beyond the last of an enumeration:
// -1 as the byte it travels as, and a value far past the end.
const uint8_t OutsideEnumerations[] = {uint8_t(-1), uint8_t(200)};

TEST_F(DescriptorWrites, EveryEnumerationRefusesMinusOneAndEveryMethodAnArgumentOutsideItsType)
{
    classes::TStringList stranger;
    int enumerations = 0, arguments = 0;
    ASSERT_NO_FATAL_FAILURE(forEachListedName(
        objects, [&](classes::TObject *object, const TraRTTI &rtti, const QString &name, const TraPropRec &rec) {
            if (!rec.ReadOnly && rec.DataType == TraDataType::daEnumerated && !rec.Params) {
                for (uint8_t outside : OutsideEnumerations) {
                    uint8_t before = 0, after = 0;
                    ASSERT_TRUE(rtti.GetPropValue(object, name, &before));
                    EXPECT_FALSE(written(rtti, object, name, outside)) << int(outside);
                    ASSERT_TRUE(rtti.GetPropValue(object, name, &after));
                    EXPECT_EQ(after, before);
                    ++enumerations;
                }
            }
            if (rec.EventID >= 0 || rec.IsConstructor || !rec.Params)
                return;
            // One argument outside its type at a time, every other one at
            // its type's empty value: the call is refused before it acts.
            for (int arg = 0; arg < rec.Params->Count(); ++arg) {
                const TraParamRec &param = rec.Params->ParamRec(arg);
                if (param.IsVar || param.Name.compare(QLatin1String("Result"), Qt::CaseInsensitive) == 0)
                    continue;
                const bool isEnumeration = param.DataType == TraDataType::daEnumerated;
                const bool isForeignObject = param.DataType == TraDataType::daClass && param.ClassType &&
                                             !stranger.ClassType().InheritsFrom(*param.ClassType);
                if (!isEnumeration && !isForeignObject)
                    continue;
                for (uint8_t outside : OutsideEnumerations) {
                    std::vector<ArgumentStore> stores(rec.Params->Count());
                    std::unique_ptr<TraParamList> params = rtti.GetParams(name);
                    ASSERT_TRUE(params);
                    for (int j = 0; j < params->Count(); ++j)
                        params->SetParamValuePointer(j, stores[j].pointerFor(params->ParamRec(j)));
                    stores[arg].enumerated = outside;
                    stores[arg].object = &stranger;
                    bool answered = false;
                    try {
                        answered = rtti.CallMethod(object, name, *params);
                    } catch (const std::exception &) {
                    }
                    EXPECT_FALSE(answered) << param.Name.toStdString() << ' ' << int(outside);
                    ++arguments;
                    if (!isEnumeration)
                        break;
                }
            }
        }));
    EXPECT_GT(enumerations, 60);
    EXPECT_GT(arguments, 3);
    saveAsText();
    report->Template()->SetFormat(TppFormatType::ftBinary);
    classes::TMemoryStream binary;
    report->Template()->SaveToStream(binary);
    EXPECT_GT(binary.Size(), 0);
}

TEST_F(DescriptorWrites, AProducerEnumerationOutsideItsTypeIsRefusedAndTheReportStillSaves)
{
    const TraRTTI &rtti = TraTppProducerRTTI::Instance();
    uint8_t type = 200;
    EXPECT_FALSE(rtti.SetPropValue(report, QStringLiteral("TextFileType"), &type));
    EXPECT_EQ(report->TextFileType(), TppFileType::ftComma);
    uint8_t language = 200;
    EXPECT_FALSE(rtti.SetPropValue(report, QStringLiteral("Language"), &language));
    type = uint8_t(TppFileType::ftTab);
    EXPECT_TRUE(rtti.SetPropValue(report, QStringLiteral("TextFileType"), &type));
    EXPECT_EQ(report->TextFileType(), TppFileType::ftTab);
    saveAsText();
}

// A device nobody registered and a language without its messages keep the
// old value; the script is told, and learns it when a value does take.
TEST_F(DescriptorWrites, AProducerSetterThatKeepsTheOldValueAnswersFalse)
{
    const TraRTTI &rtti = TraTppProducerRTTI::Instance();
    const QString before = report->DeviceType();
    QString device = QStringLiteral("NoSuchDevice");
    EXPECT_FALSE(rtti.SetPropValue(report, QStringLiteral("DeviceType"), &device));
    EXPECT_EQ(report->DeviceType(), before);
    ppRegisterDevice(&ppDeviceClass<reporttest::RecordingDevice>());
    device = QStringLiteral("RecordingDevice");
    EXPECT_TRUE(rtti.SetPropValue(report, QStringLiteral("DeviceType"), &device));
    ppUnRegisterDevice(&ppDeviceClass<reporttest::RecordingDevice>());
    EXPECT_EQ(report->DeviceType(), device);

    reporttest::LanguageModuleFolder modules;
    auto language = uint8_t(TppLanguageType::lgGerman);
    EXPECT_FALSE(rtti.SetPropValue(report, QStringLiteral("Language"), &language));
    EXPECT_EQ(report->Language(), TppLanguageType::lgDefault);
    ASSERT_TRUE(modules.write("bvPrint." + ppLanguageExtension(TppLanguageType::lgGerman), "43001=x\n"));
    EXPECT_TRUE(rtti.SetPropValue(report, QStringLiteral("Language"), &language));
    EXPECT_EQ(report->Language(), TppLanguageType::lgGerman);
    report->SetLanguage(TppLanguageType::lgDefault);
}

TEST_F(DescriptorWrites, MethodsRefuseAnArgumentOutsideTheParameterType)
{
    const TraRTTI &rtti = TraTppReportRTTI::Instance();
    QString pipelineName = QStringLiteral("plCustomers"), field = QStringLiteral("Name"), expression;
    uint8_t op = 200;
    bool mandatory = false;
    classes::TObject *created = nullptr;
    std::unique_ptr<TraParamList> params = rtti.GetParams(QStringLiteral("CreateAutoSearchCriteria"));
    ASSERT_TRUE(params);
    params->SetParamValuePointer(0, &pipelineName);
    params->SetParamValuePointer(1, &field);
    params->SetParamValuePointer(2, &op);
    params->SetParamValuePointer(3, &expression);
    params->SetParamValuePointer(4, &mandatory);
    params->SetParamValuePointer(5, &created);
    EXPECT_FALSE(rtti.CallMethod(report, QStringLiteral("CreateAutoSearchCriteria"), *params));
    EXPECT_EQ(report->AutoSearchFieldCount(), 0);
    EXPECT_EQ(created, nullptr);
    op = uint8_t(TppSearchOperatorType::soNotEqual);
    EXPECT_TRUE(rtti.CallMethod(report, QStringLiteral("CreateAutoSearchCriteria"), *params));
    EXPECT_EQ(report->AutoSearchFieldCount(), 1);
    saveAsText();

    // Lines into something that holds no lines, and a band kind past the last.
    classes::TObject *notLines = group;
    params = rtti.GetParams(QStringLiteral("GetAutoSearchDescriptionLines"));
    params->SetParamValuePointer(0, &notLines);
    EXPECT_FALSE(rtti.CallMethod(report, QStringLiteral("GetAutoSearchDescriptionLines"), *params));
    uint8_t kind = 200;
    int32_t groupIndex = 0;
    classes::TObject *band = report;
    params = rtti.GetParams(QStringLiteral("GetBand"));
    params->SetParamValuePointer(0, &kind);
    params->SetParamValuePointer(1, &groupIndex);
    params->SetParamValuePointer(2, &band);
    EXPECT_FALSE(rtti.CallMethod(report, QStringLiteral("GetBand"), *params));
    kind = ppDetailBandType;
    EXPECT_TRUE(rtti.CallMethod(report, QStringLiteral("GetBand"), *params));
    EXPECT_EQ(band, detail);

    // A clone under something that is no node is not made at all.
    const TraRTTI *nodeRtti = descriptorOf(outline);
    ASSERT_NE(nodeRtti, nullptr);
    classes::TObject *parent = group, *clone = nullptr;
    bool withChildren = false;
    params = nodeRtti->GetParams(QStringLiteral("CloneNode"));
    ASSERT_TRUE(params);
    params->SetParamValuePointer(0, &parent);
    params->SetParamValuePointer(1, &withChildren);
    params->SetParamValuePointer(2, &clone);
    EXPECT_FALSE(nodeRtti->CallMethod(&outline, QStringLiteral("CloneNode"), *params));
    EXPECT_EQ(clone, nullptr);
}

TEST_F(DescriptorWrites, TheGroupKeepsItsPipelineAndBreakComponentAgainstAnObjectOfAnotherClass)
{
    const TraRTTI &rtti = *descriptorOf(*group);
    group->SetBreakName(label->UserName());
    classes::TObject *other = detail;
    EXPECT_FALSE(rtti.SetPropValue(group, QStringLiteral("DataPipeline"), &other));
    EXPECT_EQ(group->DataPipeline(), pipeline);
    EXPECT_FALSE(rtti.SetPropValue(group, QStringLiteral("BreakComponent"), &other));
    EXPECT_EQ(group->BreakName(), label->UserName());
    // nil still clears, and an object of the class is taken.
    other = nullptr;
    EXPECT_TRUE(rtti.SetPropValue(group, QStringLiteral("DataPipeline"), &other));
    EXPECT_EQ(group->DataPipeline(), nullptr);
    other = pipeline;
    EXPECT_TRUE(rtti.SetPropValue(group, QStringLiteral("DataPipeline"), &other));
    EXPECT_EQ(group->DataPipeline(), pipeline);

    // An owned font is written into; nil leaves nothing to copy.
    classes::TObject *none = nullptr;
    EXPECT_FALSE(descriptorOf(*label)->SetPropValue(label, QStringLiteral("Font"), &none));
}

} // namespace

namespace {

// What a descriptor lists it can read into a variable of the listed type,
// a variable of another type is refused with an error instead of written
// past, and what it calls read-only no write changes, whatever the class
// publishes under the same name.
TEST_F(DescriptorWrites, EveryListedNameReadsAndNoReadOnlyNameIsWritten)
{
    group->SetBreakName(QStringLiteral("Name"));
    int readOnly = 0;
    ASSERT_NO_FATAL_FAILURE(forEachListedName(
        objects, [&](classes::TObject *object, const TraRTTI &rtti, const QString &name, const TraPropRec &rec) {
            if (rec.Params || rec.IsArray || rec.DataType == TraDataType::daObject ||
                rec.DataType == TraDataType::daNotSupported || rec.DataType == TraDataType::daMethod)
                return;
            TraParamRec type;
            type.DataType = rec.DataType;
            ArgumentStore before, after;
            EXPECT_TRUE(rtti.GetPropValue(object, name, before.pointerFor(type)));
            QChar wrongType;
            if (rec.DataType != TraDataType::daChar) {
                EXPECT_THROW(rtti.GetPropValue(object, name, &wrongType), EBrevantorError);
            }
            if (!rec.ReadOnly)
                return;
            ++readOnly;
            // The opposite of what it holds, where that means something.
            ArgumentStore other = before;
            other.boolean = !before.boolean;
            other.integer = before.integer + 1;
            other.text = before.text + u'x';
            bool taken = false;
            try {
                taken = rtti.SetPropValue(object, name, other.pointerFor(type));
            } catch (const std::exception &) {
            }
            EXPECT_FALSE(taken);
            EXPECT_TRUE(rtti.GetPropValue(object, name, after.pointerFor(type)));
            EXPECT_EQ(after.boolean, before.boolean);
            EXPECT_EQ(after.integer, before.integer);
        }));
    EXPECT_GT(readOnly, 20);
}

} // namespace
