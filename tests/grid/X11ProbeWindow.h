#pragma once

// The probe programs' side of the X11 tests: waiting for their windows and
// telling the test driver when the X server has seen all they asked of it.
//
// CI runs every test at once on two cores; there a window takes seconds to
// be mapped, exposed and focused, longer than QTest's default of 5 s. The
// bounds here are generous and below the test driver's own, so that a probe
// that gives up still says which window it waited for.

#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include <cstdio>

namespace gridtest {

// How long a probe waits for a window, and for the test driver's input.
constexpr int ProbeWindowWait = 60000;
constexpr int ProbeInputWait = 90000;

// False, with the reason on the error output, when the window was never shown
// on the display (and, for `active`, never given the focus).
inline bool waitForProbeWindow(QWidget &window, const char *name, bool active)
{
    if (!QTest::qWaitForWindowExposed(&window, ProbeWindowWait)) {
        std::fprintf(stderr, "the %s window was never exposed\n", name);
        return false;
    }
    if (active && !QTest::qWaitForWindowActive(&window, ProbeWindowWait)) {
        std::fprintf(stderr, "the %s window never became active\n", name);
        return false;
    }
    return true;
}

// Prints a line for the test driver once the X server has carried out every
// request made so far (a grab given back, an input shape set): the driver acts
// on the line, and its input must meet the windows as they are now.
inline void tellProbeDriver(const char *line)
{
    QGuiApplication::sync();
    std::printf("%s\n", line);
    std::fflush(stdout);
}

} // namespace gridtest
