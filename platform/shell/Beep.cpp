#include "platform/shell/Beep.h"

#include "platform/rtl/Hook.h"

#include <QApplication>

namespace shell {

namespace {
rtl::Hook<BeepSink> g_sink;
} // namespace

void MessageBeep(BeepKind kind)
{
    if (const BeepSink sink = g_sink.get()) {
        sink(kind);
        return;
    }
    // Linux desktops have one bell; every kind rings it.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

BeepSink SetBeepSink(BeepSink sink)
{
    return g_sink.replace(std::move(sink));
}

} // namespace shell
