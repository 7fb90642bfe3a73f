#include "report/output/preview/KeyPressFilter.h"

#include "platform/controls/Guard.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace report {

TppKeyPressFilter::TppKeyPressFilter(QWidget *aWidget, Handler aHandler)
    : QObject(aWidget)
    , m_handler(std::move(aHandler))
{
    aWidget->installEventFilter(this);
}

bool TppKeyPressFilter::eventFilter(QObject *aWatched, QEvent *aEvent)
{
    if (aEvent->type() != QEvent::KeyPress)
        return QObject::eventFilter(aWatched, aEvent);
    bool taken = false;
    controls::guarded(controls::Report::toUser(qobject_cast<QWidget *>(aWatched)),
                      [&] { taken = m_handler(*static_cast<QKeyEvent *>(aEvent)); });
    return taken;
}

} // namespace report
