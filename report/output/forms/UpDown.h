#pragma once

// TppUpDown: the small up-down arrows that sit inside the right end of an
// edit box and step a number (Min -100). Held down, an arrow repeats on the
// program's clock.

#include "platform/controls/RepeatTimer.h"

#include <QWidget>

#include <functional>

class QLineEdit;

namespace report {

class TppUpDown : public QWidget
{
    Q_OBJECT
public:
    explicit TppUpDown(QWidget *aParent = nullptr);
    ~TppUpDown() override;

    // Made in the edit's parent and placed inside the edit's right end.
    static TppUpDown *CreateFor(QObject *aOwner, QLineEdit *aEdit);

    QLineEdit *Associate() const { return m_associate; }
    void SetAssociate(QLineEdit *aEdit);
    int Min() const { return m_min; }
    void SetMin(int aValue) { m_min = aValue; }
    int Max() const { return m_max; }
    void SetMax(int aValue) { m_max = aValue; }
    int Position() const { return m_position; }
    // Kept within Min..Max and written into the associated edit.
    void SetPosition(int aValue);
    int Increment() const { return m_increment; }
    void SetIncrement(int aValue) { m_increment = aValue; }

    // The delay before an arrow held down starts to repeat, and the period.
    static constexpr int RepeatDelayMs = 400;
    static constexpr int RepeatPeriodMs = 100;

    // When set, an arrow's click (and each repeat) goes here with +1 for the
    // upper arrow and -1 for the lower one, and the position stays: the
    // owner steps the edit's text by rules of its own.
    std::function<void(int aDirection)> OnClick;

signals:
    // An arrow moved the position.
    void changed(int aPosition);

protected:
    void paintEvent(QPaintEvent *aEvent) override;
    void mousePressEvent(QMouseEvent *aEvent) override;
    void mouseReleaseEvent(QMouseEvent *aEvent) override;

private:
    void step();

    QLineEdit *m_associate = nullptr;
    int m_min = -100;
    int m_max = 100;
    int m_position = 0;
    int m_increment = 1;
    int m_direction = 0; // +1 the upper arrow held, -1 the lower
    bool m_repeating = false;
    controls::RepeatTimer m_repeat;
};

} // namespace report
