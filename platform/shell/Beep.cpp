#include "platform/shell/Beep.h"

#include <QApplication>

namespace shell {

void MessageBeep(BeepKind kind)
{
    if (const BeepSink sink = ScopedBeepSink::valueOr({})) {
        sink(kind);
        return;
    }
    // Linux desktops have one bell; every kind rings it.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

} // namespace shell
