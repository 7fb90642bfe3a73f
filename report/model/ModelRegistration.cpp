#include "report/model/ModelRegistration.h"

#include "report/model/Communicator.h"
#include "report/model/Descriptors.h"
#include "report/model/DisplayFormat.h"
#include "report/model/EnumRegistry.h"
#include "report/model/Messages.h"
#include "report/model/Relative.h"
#include "report/model/Utils.h"

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
}

void ppModelLayerFinalize()
{
    if (!g_initialised)
        return;
    g_initialised = false;
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
}

} // namespace report
