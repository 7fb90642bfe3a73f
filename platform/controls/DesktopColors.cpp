#include "platform/controls/DesktopColors.h"

#include "platform/gfx/Colors.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace controls {

namespace {

void takeDesktopColors()
{
    rtl::setSystemColors(gfx::systemColorsFromPalette(QApplication::palette()));
}

} // namespace

DesktopColors::DesktopColors(QObject *parent)
    : QObject(parent)
{
    takeDesktopColors();
    qApp->installEventFilter(this);
}

bool DesktopColors::eventFilter(QObject *watched, QEvent *event)
{
    // The application hears of the change before its widgets do, so the
    // table is new by the time they repaint for their own palettes.
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
        takeDesktopColors();
        const QWidgetList widgets = QApplication::allWidgets();
        // A style sheet of the widget's own fixed its palette when it was
        // polished; polished again, it takes the new one.
        for (QWidget *widget : widgets)
            if (!widget->styleSheet().isEmpty())
                widget->setStyleSheet(widget->styleSheet());
        // Also those whose palette is all their own and so hear nothing.
        for (QWidget *widget : widgets)
            widget->update();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace controls
