#pragma once

// The platform's modal message box on QMessageBox. Every box goes through a
// sink that tests replace, so that a test can answer a box without a user and
// no modal loop can block it.

#include "platform/rtl/ScopedOverride.h"

#include <QString>

#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace shell {

enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageIcon { None, Stop, Exclamation, Question, Information };

// The button pressed, in the platform's numbering: the one numbering of the
// program, for its own boxes and for the scripted answers of tests.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct MessageBoxRequest
{
    QWidget *owner = nullptr;
    QString text;
    QString caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

// Shows the box modally and returns the button pressed. A box closed without
// a button (Escape, the window's close button) answers No for Yes/No boxes,
// Cancel for OK/Cancel boxes and OK otherwise, as the platform does.
int MessageBox(QWidget *owner, const QString &text, const QString &caption, MessageButtons buttons, MessageIcon icon);

using MessageBoxSink = std::function<int(const MessageBoxRequest &)>;
// A sink that answers every box instead of the user.
using ScopedMessageBoxSink = rtl::ScopedOverride<struct MessageBoxSinkTag, MessageBoxSink>;

// A sink for tests: installs itself while it lives, records every box and
// answers with the scripted results in order; when the script is used up it
// presses the default button (OK, or Yes).
class RecordingMessageBoxes
{
public:
    RecordingMessageBoxes();
    ~RecordingMessageBoxes();
    RecordingMessageBoxes(const RecordingMessageBoxes &) = delete;
    RecordingMessageBoxes &operator=(const RecordingMessageBoxes &) = delete;

    void script(int answer) { m_answers.push_back(answer); }
    const std::vector<MessageBoxRequest> &requests() const { return m_requests; }
    void clear() { m_requests.clear(); }

private:
    std::vector<MessageBoxRequest> m_requests;
    std::deque<int> m_answers;
    ScopedMessageBoxSink m_sink;
};

} // namespace shell
