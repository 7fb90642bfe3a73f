#include "platform/classes/ClassErrors.h"

#include <QString>

namespace classes {

std::string messageText(const QString &text)
{
    return text.toStdString();
}

} // namespace classes
