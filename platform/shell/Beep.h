#pragma once

// The platform's message sounds. Tests install a sink to hear them.

#include "platform/rtl/ScopedOverride.h"

#include <functional>

namespace shell {

// The sound kinds of a message box; Simple is the plain beep (-1).
enum class BeepKind { Simple = -1, Default = 0, Stop = 0x10, Question = 0x20, Exclamation = 0x30, Information = 0x40 };

void MessageBeep(BeepKind kind);

using BeepSink = std::function<void(BeepKind)>;
// A sink that receives every beep instead of the sound card.
using ScopedBeepSink = rtl::ScopedOverride<struct BeepSinkTag, BeepSink>;

} // namespace shell
