#include "report/model/bands/ReportContext.h"

#include "report/model/base/Exceptions.h"

namespace report {

void IppReportContext::HandlePrintError(const QString &aMessage)
{
    throw EPrintError(aMessage);
}

} // namespace report
