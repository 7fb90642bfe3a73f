#pragma once

// Two small controls of the main window's layout whose events the window
// handles itself: a drawing surface and a picture that reacts to a
// double-click.

#include <QLabel>
#include <QWidget>

#include <functional>

class QPainter;

namespace app {

class TPaintBox : public QWidget
{
    Q_OBJECT
public:
    explicit TPaintBox(QWidget *parent = nullptr);

    std::function<void(QPainter &)> OnPaint;
    std::function<void(int x, int y)> OnMouseMove;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};

class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr)
        : QLabel(parent)
    {}

    std::function<void()> OnDblClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace app
