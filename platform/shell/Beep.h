#pragma once

// The platform's message sounds. Tests replace the sink to hear them.

#include <functional>

namespace shell {

// The sound kinds of a message box; Simple is the plain beep (-1).
enum class BeepKind { Simple = -1, Default = 0, Stop = 0x10, Question = 0x20, Exclamation = 0x30, Information = 0x40 };

void MessageBeep(BeepKind kind);

using BeepSink = std::function<void(BeepKind)>;
// Installs a sink that receives every beep instead of the sound card; an
// empty sink restores the default. Returns the previous sink.
BeepSink SetBeepSink(BeepSink sink);

} // namespace shell
