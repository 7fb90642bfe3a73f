#pragma once

// Hands the key presses of a widget to a handler before the widget sees
// them, under the guard of a user's command: a failure is shown over the
// widget. The handler answers whether it took the key, which then goes no
// further. Owned by the widget it watches.

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace report {

class TppKeyPressFilter : public QObject
{
public:
    using Handler = std::function<bool(QKeyEvent &aKey)>;
    // Installs itself on aWidget.
    TppKeyPressFilter(QWidget *aWidget, Handler aHandler);

protected:
    bool eventFilter(QObject *aWatched, QEvent *aEvent) override;

private:
    Handler m_handler;
};

} // namespace report
