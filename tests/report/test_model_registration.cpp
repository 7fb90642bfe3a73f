#include "report/model/objects/Communicator.h"
#include "report/model/objects/Descriptors.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/objects/EnumRegistry.h"
#include "report/model/base/Messages.h"
#include "report/model/ModelRegistration.h"
#include "report/model/data/PipelineFields.h"
#include "report/model/objects/Relative.h"
#include "report/model/base/Utils.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/model/bands/BandClasses.h"

#include "platform/classes/ClassRegistry.h"

#include <gtest/gtest.h>

#include <thread>

using namespace report;

// What the layer's start-up registers lives exactly until its release.
TEST(ModelRegistration, StartUpAndReleaseUndoEachOther)
{
    ppFreeResourceManager();
    ppFreeEnumRegistry();
    raFreeRTTIRegistry();
    ppModelLayerInit();
    ppModelLayerInit();
    EXPECT_EQ(raRegisteredRTTIClassNames(),
              (QStringList{"TObject", "TComponent", "TppCommunicator", "TppRelative", "TppTreeNode", "TppPrinterSetup",
                           "TppCacheable", "TppDataPipeline", "TppField", "TppDrawCommand", "TppPage", "TppPrintable",
                           "TppComponent", "TppStretchable", "TppBand", "TppProducer", "TppCustomBand", "TppPageBand",
                           "TppReportBand", "TppFooterBand", "TppDetailBand", "TppColumnFooterBand", "TppGroupBand",
                           "TppGroupHeaderBand", "TppGroup", "TppCustomReport", "TppBandedReport",
                           "TppReport", "TppSubReport", "TppTemplateDBSettings", "TppCustomTemplate", "TppTemplate",
                           "TppReportTemplate", "TppAutoSearchField"}));
    EXPECT_EQ(classes::GetClass(u"TppPageStyle"), &TppPageStyle::StaticClass());
    EXPECT_EQ(ppFindEnumType(QStringLiteral("TppColumnTraversalType")), &EnumInfo<TppColumnTraversalType>());
    EXPECT_EQ(classes::GetClass(u"tppfield"), &TppField::StaticClass());
    EXPECT_EQ(classes::GetClass(u"TppMasterFieldLink"), &TppMasterFieldLink::StaticClass());
    EXPECT_EQ(raFindRTTI("tpprelative"), &TraTppRelativeRTTI::Instance());
    // The library's 29, then those of the preview settings and the column
    // traversal.
    EXPECT_EQ(ppEnumTypeNames().size(), 32);
    EXPECT_EQ(classes::GetClass(u"TppPreviewFormSettings"), &TppPreviewFormSettings::StaticClass());
    EXPECT_EQ(classes::GetClass(u"TppTextSearchSettings"), &TppTextSearchSettings::StaticClass());
    EXPECT_EQ(ppDisplayFormatClass(), &ppDefaultDisplayFormat());
    EXPECT_EQ(ppGetResourceManager().ModuleNames(), QStringList{"bvPrint"});
    EXPECT_EQ(ppGetResourceManager().ModuleCount(), 1);
    EXPECT_EQ(ppLoadStr(119), QStringLiteral("Label"));
    EXPECT_EQ(ppLoadStr(18), QStringLiteral("Page"));
    EXPECT_EQ(ppLoadStr(21), QString());
    EXPECT_TRUE(ppInMainThread());
    bool elsewhere = true;
    std::thread([&] { elsewhere = ppInMainThread(); }).join();
    EXPECT_FALSE(elsewhere);

    ppModelLayerFinalize();
    EXPECT_TRUE(raRegisteredRTTIClassNames().isEmpty());
    EXPECT_EQ(classes::GetClass(u"TppField"), nullptr);
    EXPECT_EQ(classes::GetClass(u"TppTextSearchSettings"), nullptr);
    EXPECT_EQ(classes::GetClass(u"TppDetailBand"), nullptr);
    EXPECT_TRUE(ppEnumTypeNames().isEmpty());
    EXPECT_EQ(ppDisplayFormatClass(), nullptr);
    EXPECT_EQ(ppLoadStr(119), QString());
    EXPECT_TRUE(ppGetResourceManager().ModuleNames().isEmpty());
    ppFreeResourceManager();
    ppModelLayerFinalize();
}
