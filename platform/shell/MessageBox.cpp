#include "platform/shell/MessageBox.h"

#include "platform/shell/Modal.h"

#include <QApplication>
#include <QMessageBox>

namespace shell {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

int showRealBox(const MessageBoxRequest &request)
{
    // Without a GUI application there is nobody to ask; answer as a closed box.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return request.buttons == MessageButtons::YesNo      ? IDNO
               : request.buttons == MessageButtons::OkCancel ? IDCANCEL
                                                             : IDOK;

    QMessageBox box(toQtIcon(request.icon), request.caption, request.text, QMessageBox::NoButton, request.owner);
    // Messages quote what the user typed and what servers and files said; as
    // markup, <img src="..."> in them would have the box read a local file.
    box.setTextFormat(Qt::PlainText);
    if (request.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else if (request.buttons == MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    execDialog(box);
    const auto *clicked = box.clickedButton();
    if (request.buttons == MessageButtons::YesNo)
        return clicked == box.button(QMessageBox::Yes) ? IDYES : IDNO;
    if (request.buttons == MessageButtons::OkCancel)
        return clicked == box.button(QMessageBox::Ok) ? IDOK : IDCANCEL;
    return IDOK;
}

} // namespace

int MessageBox(QWidget *owner, const QString &text, const QString &caption, MessageButtons buttons, MessageIcon icon)
{
    MessageBoxRequest request{owner, text, caption, buttons, icon};
    if (const MessageBoxSink sink = ScopedMessageBoxSink::valueOr({}))
        return sink(request);
    return showRealBox(request);
}

RecordingMessageBoxes::RecordingMessageBoxes()
    : m_sink([this](const MessageBoxRequest &request) {
        m_requests.push_back(request);
        if (!m_answers.empty()) {
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return request.buttons == MessageButtons::YesNo ? IDYES : IDOK;
    })
{}

RecordingMessageBoxes::~RecordingMessageBoxes() = default;

} // namespace shell
