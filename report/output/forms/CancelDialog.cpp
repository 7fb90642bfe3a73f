#include "report/output/forms/CancelDialog.h"

#include "report/model/base/Messages.h"

#include "platform/classes/ClassBuilder.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

namespace report {

const classes::TMetaClass &TppCancelDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppCancelDialog, TppCustomCancelDialog>("TppCancelDialog");
    return meta;
}

TppCancelDialog::TppCancelDialog(classes::TComponent *aOwner)
    : TppFormOf<TppCustomCancelDialog>(aOwner)
    , m_memMessage(new QPlainTextEdit(this))
    , m_btnCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("ppCancelDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(270, 133);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setCursor(Qt::WaitCursor);

    m_memMessage->setObjectName(QStringLiteral("memMessage"));
    m_memMessage->setGeometry(42, 14, 187, 75);
    m_memMessage->setReadOnly(true);
    m_memMessage->setFrameShape(QFrame::NoFrame);
    // The face's role rather than its colour, so that it follows the
    // desktop's colours.
    m_memMessage->viewport()->setBackgroundRole(QPalette::Button);
    m_memMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_memMessage->clear();

    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setGeometry(98, 98, 75, 25);
    m_btnCancel->setAutoDefault(false);
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
    LanguageChanged();
}

TppCancelDialog::~TppCancelDialog()
{
    DestroyNotify();
    restorePreviousForm(isVisible() && isActiveWindow());
}

void TppCancelDialog::ShowStatus()
{
    m_memMessage->setPlainText(StatusText());
}

void TppCancelDialog::LanguageChanged()
{
    setWindowTitle(ppLoadStr(24));
    m_btnCancel->setText(ppLoadStr(5));
    const int buttonWidth = QFontMetrics(m_btnCancel->font()).horizontalAdvance(m_btnCancel->text()) + 30;
    m_btnCancel->setGeometry((width() - buttonWidth) / 2, m_btnCancel->y(), buttonWidth, m_btnCancel->height());
}

void TppCancelDialog::Activate()
{
    m_btnCancel->setEnabled(CancelEnabled);
    TppCustomCancelDialog::Activate();
}

void TppCancelDialog::btnCancelClick()
{
    const QPointer<QObject> alive(this);
    DoClose();
    if (alive)
        closeWithResult(ppModalResultCancel);
}

void TppCancelDialog::reject()
{
    if (m_btnCancel->isEnabled())
        btnCancelClick();
}

void TppCancelDialog::showEvent(QShowEvent *aEvent)
{
    TppForm::showEvent(aEvent);
    if (!Modal)
        m_previousActiveForm = QApplication::activeWindow();
}

void TppCancelDialog::setVisible(bool aVisible)
{
    const bool hiding = !aVisible && isVisible();
    const bool wasActive = hiding && isActiveWindow();
    const QPointer<QObject> alive(this);
    TppForm::setVisible(aVisible);
    if (hiding && alive)
        restorePreviousForm(wasActive);
}

void TppCancelDialog::restorePreviousForm(bool aDialogWasActive)
{
    if (Modal || !m_previousActiveForm)
        return;
    QWidget *previous = m_previousActiveForm;
    if (!previous->isEnabled())
        previous->setEnabled(true);
    if (previous->isVisible() && aDialogWasActive)
        previous->activateWindow();
}

} // namespace report

#include "moc_CancelDialog.cpp"
