#pragma once

// The line edit inside a text editor's frame. Every event the editor has a
// rule for goes to the editor first; what the rules leave comes back to the
// line edit's own handling through lineEditKeyPress.

#include <QLineEdit>

namespace grid {

class TdxInplaceTextEdit;

class InplaceLineEdit : public QLineEdit
{
public:
    explicit InplaceLineEdit(TdxInplaceTextEdit *editor);

    // The line edit's own handling of a key.
    // A key the line has no use for ends here: passed on up, it would reach
    // the grid under the open editor and move its focus.
    void lineEditKeyPress(QKeyEvent *event);
    QRect caretRect() const { return cursorRect(); }

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    TdxInplaceTextEdit *m_editor;
};

} // namespace grid
