#include "report/output/forms/Form.h"

#include "platform/controls/FormFont.h"
#include "platform/shell/Modal.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>

#include <cmath>

namespace report {

namespace {

// The resolution the library's forms are laid out at.
constexpr double FormDesignPixelsPerInch = 96.0;

int formRound(double aValue)
{
    return int(std::nearbyint(aValue));
}

double formScreenPixelsPerInch(const QWidget &aWidget)
{
    const QScreen *screen = aWidget.screen() ? aWidget.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : FormDesignPixelsPerInch;
}

} // namespace

TppForm::TppForm(QWidget *aParent)
    : QDialog(aParent)
{
    // The dialogs stand at fixed places: under a larger application font
    // their texts would be cut.
    setFont(controls::FormFont());
}

TppForm::~TppForm() = default;

void TppForm::CenterPosition(int &aLeft, int &aTop) const
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->size() : QSize();
    aLeft = formRound(area.width() / 2.0 - width() / 2.0);
    aTop = formRound(area.height() / 2.0 - height() / 2.0);
}

int TppForm::ScreenScale(int aValue) const
{
    return formRound(formScreenPixelsPerInch(*this) * aValue / FormDesignPixelsPerInch);
}

int TppForm::FormScale(int aValue) const
{
    return formRound(FormDesignPixelsPerInch * aValue / formScreenPixelsPerInch(*this));
}

bool TppForm::queryClose()
{
    if (m_closeGranted && !isVisible())
        return true;
    const QPointer<QObject> alive(this);
    const bool canClose = face().CloseQuery();
    if (alive)
        m_closeGranted = canClose;
    return canClose;
}

bool TppForm::closeWithResult(int aResult)
{
    const QPointer<QObject> alive(this);
    if (!m_queried) {
        if (!queryClose())
            return false;
        if (!alive)
            return true;
    }
    m_queried = true;
    done(aResult);
    if (alive)
        m_queried = false;
    return true;
}

int TppForm::showModalWindow()
{
    const QPointer<QObject> alive(this);
    setResult(0);
    const int result = shell::execDialog(*this);
    return alive ? QDialog::result() : result;
}

void TppForm::releaseWindow()
{
    hide();
    deleteLater();
}

void TppForm::closeEvent(QCloseEvent *aEvent)
{
    if (m_queried) {
        QDialog::closeEvent(aEvent);
        return;
    }
    const QPointer<QObject> alive(this);
    const bool canClose = queryClose();
    if (!alive)
        return;
    if (!canClose) {
        aEvent->ignore();
        return;
    }
    aEvent->accept();
    m_queried = true;
    if (isVisible())
        done(result() == 0 ? ppModalResultCancel : result());
    if (alive)
        m_queried = false;
}

void TppForm::showEvent(QShowEvent *aEvent)
{
    m_closeGranted = false;
    QDialog::showEvent(aEvent);
}

void TppForm::reject()
{
    close();
}

void TppForm::changeEvent(QEvent *aEvent)
{
    QDialog::changeEvent(aEvent);
    if (aEvent->type() == QEvent::ActivationChange && isActiveWindow())
        face().Activate();
}

} // namespace report

#include "moc_Form.cpp"
