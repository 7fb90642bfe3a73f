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
    try {
        aChildEngine.GeneratePage(request);
    } catch (...) {
        aChildEngine.Reset();
        throw;
    }
    if (aChildEngine.Stopped())
        aChildEngine.Reset();
    else
        aChildEngine.SetGenerating(true);
}

} // namespace report
