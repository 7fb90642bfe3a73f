#include "report/output/forms/UpDown.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace report {

TppUpDown::TppUpDown(QWidget *aParent)
    : QWidget(aParent)
    , m_repeat([this] {
        if (!m_repeating) {
            // The first tick ends the delay; from now on each tick steps.
            m_repeating = true;
            m_repeat.start(RepeatPeriodMs);
        }
        step();
    })
{
    resize(16, 20);
}

TppUpDown::~TppUpDown() = default;

TppUpDown *TppUpDown::CreateFor(QObject *, QLineEdit *aEdit)
{
    auto *upDown = new TppUpDown(aEdit->parentWidget());
    upDown->SetAssociate(aEdit);
    upDown->setGeometry(aEdit->x() + aEdit->width() - upDown->width() - 2, aEdit->y() + 2, upDown->width(),
                        aEdit->height() - 4);
    return upDown;
}

void TppUpDown::SetAssociate(QLineEdit *aEdit)
{
    m_associate = aEdit;
    if (m_associate) {
        bool ok = false;
        const int value = m_associate->text().toInt(&ok);
        if (ok)
            m_position = std::clamp(value, m_min, m_max);
    }
}

void TppUpDown::SetPosition(int aValue)
{
    m_position = std::clamp(aValue, m_min, m_max);
    if (m_associate)
        m_associate->setText(QString::number(m_position));
}

void TppUpDown::step()
{
    if (OnClick) {
        OnClick(m_direction);
        return;
    }
    const int before = m_position;
    SetPosition(m_position + m_direction * m_increment);
    if (m_position != before)
        emit changed(m_position);
}

void TppUpDown::mousePressEvent(QMouseEvent *aEvent)
{
    if (aEvent->button() != Qt::LeftButton)
        return;
    m_direction = aEvent->position().y() < height() / 2.0 ? 1 : -1;
    m_repeating = false;
    // The owner's step may free the arrows (a dialog closed from it).
    const QPointer<TppUpDown> alive(this);
    step();
    if (alive)
        m_repeat.start(RepeatDelayMs);
}

void TppUpDown::mouseReleaseEvent(QMouseEvent *)
{
    m_repeat.stop();
    m_direction = 0;
    m_repeating = false;
}

void TppUpDown::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    const int half = height() / 2;
    for (int i = 0; i < 2; ++i) {
        option.rect = QRect(0, i * half, width(), i == 0 ? half : height() - half);
        option.state = (m_direction == (i == 0 ? 1 : -1) ? QStyle::State_Sunken : QStyle::State_Raised) |
                       (isEnabled() ? QStyle::State_Enabled : QStyle::State_None);
        painter.drawPrimitive(QStyle::PE_PanelButtonBevel, option);
    }
    // Two black arrows of three lines each, pointing up and down; a line
    // stops short of its last pixel, as the platform draws them.
    painter.setPen(Qt::black);
    const int middle = width() / 2;
    for (int i = 0; i <= 2; ++i) {
        painter.drawLine(middle - 1 - i, 2 + i, middle + i - 1, 2 + i);
        painter.drawLine(middle - 1 - i, height() - 3 - i, middle + i - 1, height() - 3 - i);
    }
}

} // namespace report

#include "moc_UpDown.cpp"
