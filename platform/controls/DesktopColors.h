#pragma once

// The system colour table kept in step with the desktop's colours.

#include <QObject>

namespace controls {

// Takes the system colour table from the application's palette at once and
// again at every change of it (the desktop's scheme turning dark, a program's
// setPalette), and repaints every widget then, for as long as it lives.
// Custom-painted controls draw in the table's colours and the standard
// widgets in the palette's: a table read once leaves a window opened after
// the change with light pages under the palette's light text.
class DesktopColors : public QObject
{
public:
    explicit DesktopColors(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace controls
