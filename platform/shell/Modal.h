#pragma once

// Every modal wait of the program goes through one call, so that a test can
// answer it: QDialog::exec() of a dialog, and the waits that show a window
// and run an event loop until the program is done with it (the first-start
// wizard, the update window). Without a sink the real wait runs. A test
// installs a sink, ScriptedDialogs below or a ScopedDialogSink of its own,
// which receives each window shown and fully built together with the real
// wait: it answers at once, or drives the window inside the real wait as a
// user would. No test has to look for windows on a timer.

#include "platform/rtl/ScopedOverride.h"

#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>

class QDialog;

namespace shell {

// The real wait; answers the window's result.
using ModalWait = std::function<int()>;
using DialogSink = std::function<int(QWidget &window, const ModalWait &wait)>;
using ScopedDialogSink = rtl::ScopedOverride<struct DialogSinkTag, DialogSink>;

// Waits until the program is done with the window, which is showing already;
// answers what the wait (or the sink in its place) answers.
int runModal(QWidget &window, const ModalWait &wait);
// QDialog::exec() through runModal. A sink's answer that leaves the dialog
// open closes it with that result.
int execDialog(QDialog &dialog);

// A sink for tests: installs itself while it lives, takes the modal windows
// in the order they come and answers each by the next step of its script.
// A window beyond the script, or of another class than its step expects, is
// answered with 0 (as a dialog closed with its close button) without its
// wait; shown() tells the test about it.
class ScriptedDialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs &) = delete;
    ScriptedDialogs &operator=(const ScriptedDialogs &) = delete;

    // The next window answers `result` untouched.
    void answer(int result);
    // The next window must be a Window. The script acts on it inside the real
    // wait, once the wait's event loop runs, as a user would; the window then
    // answers for itself. A window the script leaves open is closed as with
    // its close button.
    template <class Window>
    void drive(std::function<void(Window &)> script)
    {
        m_steps.push_back({0, [](QWidget &w) { return qobject_cast<Window *>(&w) != nullptr; },
                           [script = std::move(script)](QWidget &w) { script(*qobject_cast<Window *>(&w)); }});
    }

    // The class names of the modal windows in the order they came.
    const QStringList &shown() const { return m_shown; }
    // Steps of the script not used yet.
    int pending() const { return int(m_steps.size()); }

private:
    struct Step
    {
        int answer;
        std::function<bool(QWidget &)> accepts;
        std::function<void(QWidget &)> act;
    };

    int serve(QWidget &window, const ModalWait &wait);

    std::deque<Step> m_steps;
    QStringList m_shown;
    ScopedDialogSink m_sink;
};

} // namespace shell
