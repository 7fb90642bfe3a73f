#include "report/model/ModelRegistration.h"

#include "report/model/autosearch/AutoSearchRTTI.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/BandClassesRTTI.h"
#include "report/model/bands/BandRTTI.h"
#include "report/model/bands/Component.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/bands/PrintableRTTI.h"
#include "report/model/bands/StretchableRTTI.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Utils.h"
#include "report/model/components/ComponentRegistry.h"
#include "report/model/data/Cacheable.h"
#include "report/model/data/DataPipelineRTTI.h"
#include "report/model/data/PipelineFields.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/groups/GroupRTTI.h"
#include "report/model/objects/Communicator.h"
#include "report/model/objects/Descriptors.h"
#include "report/model/objects/EnumRegistry.h"
#include "report/model/objects/Relative.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/outline/TreeNodeRTTI.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetupRTTI.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/ProducerRTTI.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/model/reports/CustomReportRTTI.h"
#include "report/model/reports/Report.h"
#include "report/model/reports/ReportRTTI.h"
#include "report/model/storage/IniStorage.h"
#include "report/model/subreports/SubReport.h"
#include "report/model/subreports/SubReportRTTI.h"
#include "report/model/templates/ReportModuleTemplate.h"
#include "report/model/templates/ReportTemplate.h"
#include "report/model/templates/TemplateRTTI.h"

#include "platform/classes/ClassRegistry.h"

namespace report {

namespace {

bool g_initialised = false;

const QString LibraryModule = QStringLiteral("bvPrint");

const QString ColumnTraversalTypeName = QStringLiteral("TppColumnTraversalType");

// The band classes in the order they are registered.
std::vector<const classes::TMetaClass *> modelBandClasses()
{
    return {&TppHeaderBand::StaticClass(),       &TppTitleBand::StaticClass(),
            &TppDetailBand::StaticClass(),       &TppSummaryBand::StaticClass(),
            &TppFooterBand::StaticClass(),       &TppGroupHeaderBand::StaticClass(),
            &TppGroupFooterBand::StaticClass(),  &TppColumnHeaderBand::StaticClass(),
            &TppColumnFooterBand::StaticClass(), &TppPageStyle::StaticClass()};
}

// The outline's classes: its nodes, settings and page command.
std::vector<const classes::TMetaClass *> modelOutlineClasses()
{
    return {&TppTreeNode::StaticClass(), &TppOutlineNode::StaticClass(), &TppOutlineSettings::StaticClass(),
            &TppOutlineReportSettings::StaticClass(), &TppOutlineDrawCommand::StaticClass()};
}

// The report classes a stored report may name.
std::vector<const classes::TMetaClass *> modelReportClasses()
{
    return {&TppBandedReport::StaticClass(), &TppReport::StaticClass(), &TppChildReport::StaticClass(),
            &TppSubReport::StaticClass(), &TppReportTemplate::StaticClass(), &TppGroup::StaticClass(),
            &TppReportModuleTemplate::StaticClass()};
}

std::vector<const TraRTTI *> modelBandDescriptors()
{
    return {&TraTppCustomBandRTTI::Instance(),   &TraTppPageBandRTTI::Instance(),
            &TraTppReportBandRTTI::Instance(),   &TraTppFooterBandRTTI::Instance(),
            &TraTppDetailBandRTTI::Instance(),   &TraTppColumnFooterBandRTTI::Instance(),
            &TraTppGroupBandRTTI::Instance(),    &TraTppGroupHeaderBandRTTI::Instance(),
            &TraTppGroupRTTI::Instance(),        &TraTppCustomReportRTTI::Instance(),
            &TraTppBandedReportRTTI::Instance(), &TraTppReportRTTI::Instance(),
            &TraTppSubReportRTTI::Instance()};
}

std::vector<const TraRTTI *> modelTemplateDescriptors()
{
    return {&TraTppTemplateDBSettingsRTTI::Instance(), &TraTppCustomTemplateRTTI::Instance(),
            &TraTppTemplateRTTI::Instance(), &TraTppReportTemplateRTTI::Instance()};
}

} // namespace

void ppModelLayerInit()
{
    if (g_initialised)
        return;
    g_initialised = true;
    ppSetMainThread();
    ppRegisterLibraryEnumTypes();
    ppSetDisplayFormatClass(&ppDefaultDisplayFormat());
    ppGetResourceManager().RegisterModule(LibraryModule);
    raRegisterRTTI(TraTObjectRTTI::Instance());
    raRegisterRTTI(TraTComponentRTTI::Instance());
    raRegisterRTTI(TraTppCommunicatorRTTI::Instance());
    raRegisterRTTI(TraTppRelativeRTTI::Instance());
    raRegisterRTTI(TraTppTreeNodeRTTI::Instance());
    raRegisterRTTI(TraTppPrinterSetupRTTI::Instance());
    raRegisterRTTI(TraTppCacheableRTTI::Instance());
    raRegisterRTTI(TraTppDataPipelineRTTI::Instance());
    raRegisterRTTI(TraTppFieldRTTI::Instance());
    raRegisterRTTI(TraTppDrawCommandRTTI::Instance());
    raRegisterRTTI(TraTppPageRTTI::Instance());
    raRegisterRTTI(TraTppPrintableRTTI::Instance());
    raRegisterRTTI(TraTppComponentRTTI::Instance());
    raRegisterRTTI(TraTppStretchableRTTI::Instance());
    raRegisterRTTI(TraTppBandRTTI::Instance());
    classes::RegisterClasses({&TppField::StaticClass(), &TppMasterFieldLink::StaticClass()});
    ppComponentRegistryInit();
    ppRegisterPreviewFormSettings();
    classes::RegisterClass(TppTextSearchSettings::StaticClass());
    raRegisterRTTI(TraTppProducerRTTI::Instance());
    for (const TraRTTI *descriptor : modelBandDescriptors())
        raRegisterRTTI(*descriptor);
    for (const TraRTTI *descriptor : modelTemplateDescriptors())
        raRegisterRTTI(*descriptor);
    for (const classes::TMetaClass *meta : modelBandClasses())
        classes::RegisterClass(*meta);
    for (const classes::TMetaClass *meta : modelReportClasses())
        classes::RegisterClass(*meta);
    ppRegisterPaletteComponent(TppSubReport::StaticClass());
    for (const classes::TMetaClass *meta : modelOutlineClasses())
        classes::RegisterClass(*meta);
    ppRegisterEnumType(ColumnTraversalTypeName, &EnumInfo<TppColumnTraversalType>());
    ppIniStorageInit();
    ppAutoSearchInit();
}

void ppModelLayerFinalize()
{
    if (!g_initialised)
        return;
    g_initialised = false;
    ppIniStorageFinalize();
    ppAutoSearchFinalize();
    ppUnRegisterEnumType(ColumnTraversalTypeName);
    for (const classes::TMetaClass *meta : modelOutlineClasses())
        classes::UnRegisterClass(*meta);
    ppUnRegisterComponent(TppSubReport::StaticClass());
    for (const classes::TMetaClass *meta : modelReportClasses())
        classes::UnRegisterClass(*meta);
    for (const classes::TMetaClass *meta : modelBandClasses())
        classes::UnRegisterClass(*meta);
    const std::vector<const TraRTTI *> templateDescriptors = modelTemplateDescriptors();
    for (auto it = templateDescriptors.rbegin(); it != templateDescriptors.rend(); ++it)
        raUnRegisterRTTI(**it);
    const std::vector<const TraRTTI *> descriptors = modelBandDescriptors();
    for (auto it = descriptors.rbegin(); it != descriptors.rend(); ++it)
        raUnRegisterRTTI(**it);
    raUnRegisterRTTI(TraTppProducerRTTI::Instance());
    classes::UnRegisterClass(TppTextSearchSettings::StaticClass());
    ppUnRegisterPreviewFormSettings();
    ppComponentRegistryFinalize();
    ppFreeFormClassList();
    classes::UnRegisterClasses({&TppField::StaticClass(), &TppMasterFieldLink::StaticClass()});
    raUnRegisterRTTI(TraTppBandRTTI::Instance());
    raUnRegisterRTTI(TraTppStretchableRTTI::Instance());
    raUnRegisterRTTI(TraTppComponentRTTI::Instance());
    raUnRegisterRTTI(TraTppPrintableRTTI::Instance());
    raUnRegisterRTTI(TraTppPageRTTI::Instance());
    raUnRegisterRTTI(TraTppDrawCommandRTTI::Instance());
    raUnRegisterRTTI(TraTppFieldRTTI::Instance());
    raUnRegisterRTTI(TraTppDataPipelineRTTI::Instance());
    raUnRegisterRTTI(TraTppCacheableRTTI::Instance());
    raUnRegisterRTTI(TraTppPrinterSetupRTTI::Instance());
    raUnRegisterRTTI(TraTppTreeNodeRTTI::Instance());
    raUnRegisterRTTI(TraTppRelativeRTTI::Instance());
    raUnRegisterRTTI(TraTppCommunicatorRTTI::Instance());
    raUnRegisterRTTI(TraTComponentRTTI::Instance());
    raUnRegisterRTTI(TraTObjectRTTI::Instance());
    raFreeRTTIRegistry();
    ppUnRegisterLibraryEnumTypes();
    ppFreeEnumRegistry();
    ppSetDisplayFormatClass(nullptr);
    ppGetResourceManager().UnregisterModule(LibraryModule);
    ppFreeResourceManager();
    ppFreePrinters();
}

} // namespace report
