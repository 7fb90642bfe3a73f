#include "platform/controls/Direction.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QWidget>

namespace controls {

namespace {

// The captions styles draw (labels, buttons, check boxes, combo boxes) go
// through drawItemText.
class LeftToRightTextStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette, bool enabled,
                      const QString &text, QPalette::ColorRole textRole) const override
    {
        const Qt::LayoutDirection direction = painter->layoutDirection();
        painter->setLayoutDirection(Qt::LeftToRight);
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
        painter->setLayoutDirection(direction);
    }
};

QStyle *leftToRightTextStyle()
{
    // One for the program, gone with the application.
    static QPointer<QStyle> style;
    if (!style) {
        // Over the application's own style, not the desktop's default.
        style = new LeftToRightTextStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}

} // namespace

void KeepLeftToRight(QWidget *widget)
{
    widget->setLayoutDirection(Qt::LeftToRight);
    QStyle *style = leftToRightTextStyle();
    widget->setStyle(style);
    for (QWidget *child : widget->findChildren<QWidget *>())
        child->setStyle(style);
}

} // namespace controls
