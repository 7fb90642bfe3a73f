#include "report/model/ModelRegistration.h"

#include "report/model/Cacheable.h"
#include "report/model/Communicator.h"
#include "report/model/DataPipelineRTTI.h"
#include "report/model/Descriptors.h"
#include "report/model/DisplayFormat.h"
#include "report/model/EnumRegistry.h"
#include "report/model/Messages.h"
#include "report/model/PipelineFields.h"
#include "report/model/PrinterList.h"
#include "report/model/Relative.h"
#include "report/model/Utils.h"

#include "platform/classes/ClassRegistry.h"

namespace report {

namespace {

bool g_initialised = false;

const QString LibraryModule = QStringLiteral("bvPrint");

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
    raRegisterRTTI(TraTppCacheableRTTI::Instance());
    raRegisterRTTI(TraTppDataPipelineRTTI::Instance());
    raRegisterRTTI(TraTppFieldRTTI::Instance());
    classes::RegisterClasses({&TppField::StaticClass(), &TppMasterFieldLink::StaticClass()});
}

void ppModelLayerFinalize()
{
    if (!g_initialised)
        return;
    g_initialised = false;
    classes::UnRegisterClasses({&TppField::StaticClass(), &TppMasterFieldLink::StaticClass()});
    raUnRegisterRTTI(TraTppFieldRTTI::Instance());
    raUnRegisterRTTI(TraTppDataPipelineRTTI::Instance());
    raUnRegisterRTTI(TraTppCacheableRTTI::Instance());
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
