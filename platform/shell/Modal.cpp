#include "platform/shell/Modal.h"

#include <QDialog>
#include <QPointer>

namespace shell {

int runModal(QWidget &window, const ModalWait &wait)
{
    if (const DialogSink sink = ScopedDialogSink::valueOr({}))
        return sink(window, wait);
    return wait();
}

int execDialog(QDialog &dialog)
{
    if (!ScopedDialogSink::current())
        return dialog.exec();
    // The sink gets the dialog as exec() would show it.
    if (!dialog.isVisible()) {
        if (dialog.windowModality() == Qt::NonModal)
            dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
    }
    // A handler run inside the wait may free the dialog (with whatever owns
    // it); the answer stands without it.
    const QPointer<QDialog> alive(&dialog);
    const int answer = runModal(dialog, [&dialog] { return dialog.exec(); });
    if (alive && dialog.isVisible())
        dialog.done(answer);
    return answer;
}

ScriptedDialogs::ScriptedDialogs()
    : m_sink([this](QWidget &window, const ModalWait &wait) { return serve(window, wait); })
{}

ScriptedDialogs::~ScriptedDialogs() = default;

void ScriptedDialogs::answer(int result)
{
    m_steps.push_back({result, {}, {}});
}

int ScriptedDialogs::serve(QWidget &window, const ModalWait &wait)
{
    m_shown << QString::fromLatin1(window.metaObject()->className());
    if (m_steps.empty() || (m_steps.front().accepts && !m_steps.front().accepts(window)))
        return 0;
    const Step step = std::move(m_steps.front());
    m_steps.pop_front();
    if (!step.act)
        return step.answer;
    // Queued, so that it runs inside the wait's own event loop.
    QMetaObject::invokeMethod(
        &window,
        [target = QPointer<QWidget>(&window), act = step.act] {
            act(*target);
            if (target && target->isVisible())
                target->close();
        },
        Qt::QueuedConnection);
    return wait();
}

} // namespace shell
