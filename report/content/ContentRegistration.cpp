#include "report/content/ContentRegistration.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/drawcommands/DrawVariables.h"

#include "platform/classes/ClassRegistry.h"

#include <vector>

namespace report {

namespace {

bool g_contentInitialised = false;

// In the order of registration; released in reverse.
std::vector<const classes::TMetaClass *> contentDrawCommandClasses()
{
    return {&TppDrawText::StaticClass(), &TppDrawVariable::StaticClass(), &TppDrawVar::StaticClass(),
            &TppDrawCalc::StaticClass(), &TppDrawRichText::StaticClass()};
}

} // namespace

void ppContentLayerInit()
{
    if (g_contentInitialised)
        return;
    g_contentInitialised = true;
    for (const classes::TMetaClass *meta : contentDrawCommandClasses())
        classes::RegisterClass(*meta);
}

void ppContentLayerFinalize()
{
    if (!g_contentInitialised)
        return;
    g_contentInitialised = false;
    const auto metas = contentDrawCommandClasses();
    for (auto it = metas.rbegin(); it != metas.rend(); ++it)
        classes::UnRegisterClass(**it);
}

} // namespace report
