#include "report/model/bands/ReportContext.h"

#include "report/model/base/Exceptions.h"

namespace report {

void IppReportContext::HandlePrintError(const QString &aMessage)
{
    throw EPrintError(aMessage);
}

IppPopupMenu *IppReportContext::PopupMenuOf(const QString &, bool, const std::function<void(IppPopupMenu &)> &)
{
    return nullptr;
}

} // namespace report
