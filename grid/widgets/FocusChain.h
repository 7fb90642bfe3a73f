#pragma once

// Tab as a dialog walks it: from one control of the window to the next. A
// control's own parts (the grid's viewport, its in-place editor) are no
// stops of their own, wherever Qt's focus chain has put them: an editor
// made on first use stands last in the window's chain, so that Qt's own
// walk from the grid backwards, or from the editor onwards, would lead
// back into the grid.

#include <QWidget>

namespace grid {

// Gives the focus to the control after control (before it when backward);
// false when the window has no other control that takes Tab.
inline bool focusPastControl(QWidget *control, bool backward)
{
    QWidget *window = control->window();
    const auto step = [backward](QWidget *w) { return backward ? w->previousInFocusChain() : w->nextInFocusChain(); };
    for (QWidget *w = step(control); w && w != control; w = step(w)) {
        if (control->isAncestorOf(w) || w->window() != window || !(w->focusPolicy() & Qt::TabFocus) ||
            w->focusProxy() || !w->isEnabled() || !w->isVisibleTo(window))
            continue;
        w->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        return true;
    }
    return false;
}

} // namespace grid
