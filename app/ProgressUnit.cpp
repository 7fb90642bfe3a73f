#include "app/ProgressUnit.h"

#include "platform/controls/Guard.h"
#include "platform/rtl/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace app {

namespace {

constexpr int Margin = 8;
constexpr int StatusLabelWidth = 346;
constexpr int LabelGap = 4;
constexpr int BarWidth = 300;
constexpr int BarHeight = 16;

} // namespace

TMyProgressForm::TMyProgressForm(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("MyProgressForm"));
    setWindowTitle(QStringLiteral("Progress"));
    // A dialog frame with a title and no buttons in it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // Blocks the rest of the program while the driver's loop runs; the window
    // itself is shown without a modal loop.
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(ClientWidth, ClientHeight);
    setSizeGripEnabled(false);

    StatusHeaderLabel = new QLabel(QStringLiteral("Status:"), this);
    StatusHeaderLabel->setObjectName(QStringLiteral("StatusHeaderLabel"));
    QFont bold = StatusHeaderLabel->font();
    bold.setBold(true);
    StatusHeaderLabel->setFont(bold);
    StatusHeaderLabel->adjustSize();
    StatusHeaderLabel->move(Margin, Margin);

    StatusLabel = new QLabel(QStringLiteral("Doing something..."), this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setGeometry(StatusHeaderLabel->geometry().right() + 1 + LabelGap, Margin, StatusLabelWidth,
                             StatusHeaderLabel->height());

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(Margin, ClientHeight - Margin - BarHeight - 1, BarWidth, BarHeight);

    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setDefault(true);
    CancelButton->setAutoDefault(true);
    const int buttonLeft = Margin + BarWidth + Margin;
    const int buttonHeight = 25;
    CancelButton->setGeometry(buttonLeft, ProgressBar1->y() + BarHeight / 2 - buttonHeight / 2,
                              ClientWidth - Margin - buttonLeft, buttonHeight);
    connect(CancelButton, &QPushButton::clicked, this,
            [this] { controls::guarded(controls::Report::toUser(this), [this] { CancelButtonClick(); }); });
    CancelButton->setFocus();

    SetProgressRange(0, 0);
}

TMyProgressForm::~TMyProgressForm() = default;

void TMyProgressForm::SetStatus(const std::string &text)
{
    const QString caption = rtl::ToQString(text);
    if (caption == StatusLabel->text())
        return;
    StatusLabel->setText(caption);
    StatusLabel->repaint();
}

void TMyProgressForm::SetProgressRange(int32_t min, int32_t max)
{
    m_min = min;
    m_max = max;
    // A bar whose range is empty runs the busy animation in Qt; one step of
    // range with nothing done shows what the user should see: no progress.
    if (max > min)
        ProgressBar1->setRange(min, max);
    else
        ProgressBar1->setRange(min, min + 1);
    SetProgressPosition(m_position);
}

void TMyProgressForm::SetProgressPosition(int32_t position)
{
    // The bar holds its position within its range, as the platform's does.
    m_position = std::clamp(position, m_min, std::max(m_min, m_max));
    ProgressBar1->setValue(m_position);
}

void TMyProgressForm::StepProgress(int32_t step, bool repaintNow)
{
    SetProgressPosition(m_position + step);
    if (repaintNow)
        ProgressBar1->repaint();
}

void TMyProgressForm::CancelButtonClick()
{
    CancelButton->setEnabled(false);
    CancelButton->repaint();
    m_cancelled = true;
}

void TMyProgressForm::reject()
{
    if (CancelButton->isEnabled())
        CancelButton->click();
}

void TMyProgressForm::setVisible(bool visible)
{
    // Qt takes the activation away while it hides the window, before the
    // hide event; whether it was active has to be known before that.
    if (!visible && isVisible())
        m_activeWhenHidden = isActiveWindow();
    QDialog::setVisible(visible);
}

void TMyProgressForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        controls::guarded(controls::Report::none(), [this] { FormShow(); });
    QDialog::showEvent(event);
}

void TMyProgressForm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        controls::guarded(controls::Report::none(), [this] { FormHide(); });
}

void TMyProgressForm::closeEvent(QCloseEvent *event)
{
    // Its owner hides and frees it; a close from anywhere else would unblock
    // the program in the middle of a run.
    event->ignore();
}

void TMyProgressForm::FormShow()
{
    // A drag or a menu that holds the mouse would keep working under the
    // window that is about to block it.
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    m_savedActiveWindow = QApplication::activeWindow();
}

void TMyProgressForm::FormHide()
{
    if (!m_activeWhenHidden)
        m_savedActiveWindow.clear();
    if (m_savedActiveWindow && m_savedActiveWindow->isVisible()) {
        m_savedActiveWindow->raise();
        m_savedActiveWindow->activateWindow();
    }
}

} // namespace app

#include "moc_ProgressUnit.cpp"
