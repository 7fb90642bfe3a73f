#pragma once

// Beeps and message boxes of the editors, heard and answered by the tests.

#include "platform/shell/Beep.h"
#include "platform/shell/MessageBox.h"

#include <vector>

namespace gridtest {

class RecordingBeeps
{
public:
    int count() const { return int(kinds.size()); }

    std::vector<shell::BeepKind> kinds;

private:
    shell::ScopedBeepSink m_sink{[this](shell::BeepKind kind) { kinds.push_back(kind); }};
};

} // namespace gridtest
