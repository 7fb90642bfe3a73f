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
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/ProducerRTTI.h"
#include "report/model/reports/CustomReportRTTI.h"
#include "report/model/reports/Report.h"
#include "report/model/reports/ReportRTTI.h"
#include "report/model/templates/ReportTemplate.h"

#include "tests/support/report/MemoryPipeline.h"

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
}

} // namespace
