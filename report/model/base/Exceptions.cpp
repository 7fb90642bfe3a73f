#include "report/model/base/Exceptions.h"

namespace report {

EBrevantorError::EBrevantorError(const QString &message)
    : rtl::Exception(message.toStdString())
{}

QString EBrevantorError::Message() const
{
    return QString::fromUtf8(what());
}

} // namespace report
