#include "report/model/engine/ChildPageRequest.h"

#include "report/model/engine/Engine.h"
#include "report/model/pages/PageRequest.h"

namespace report {

void ppRequestChildPage(TppEngine &aChildEngine, int aChildPageNo)
{
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psSinglePage);
    request.SetPageRequested(aChildPageNo);
    aChildEngine.SetGenerating(false);
    // The child's handlers may free the child report, and its engine with
    // it.
    const std::weak_ptr<char> alive = aChildEngine.AliveToken();
    try {
        aChildEngine.GeneratePage(request);
    } catch (...) {
        if (!alive.expired())
            aChildEngine.Reset();
        throw;
    }
    if (alive.expired())
        return;
    if (aChildEngine.Stopped())
        aChildEngine.Reset();
    else
        aChildEngine.SetGenerating(true);
}

} // namespace report
