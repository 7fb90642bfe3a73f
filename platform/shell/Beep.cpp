#include "platform/shell/Beep.h"

#include <QApplication>

#include <mutex>

namespace shell {

namespace {
std::mutex g_mutex;
BeepSink g_sink;
} // namespace

void MessageBeep(BeepKind kind)
{
    BeepSink sink;
    {
        std::lock_guard lock(g_mutex);
        sink = g_sink;
    }
    if (sink) {
        sink(kind);
        return;
    }
    // Linux desktops have one bell; every kind rings it.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

BeepSink SetBeepSink(BeepSink sink)
{
    std::lock_guard lock(g_mutex);
    BeepSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}

} // namespace shell
