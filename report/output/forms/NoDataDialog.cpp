#include "report/output/forms/NoDataDialog.h"

#include "report/model/base/Messages.h"

#include "platform/classes/ClassBuilder.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace report {

const classes::TMetaClass &TppNoDataDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppNoDataDialog, TppCustomNoDataDialog>("TppNoDataDialog");
    return meta;
}

TppNoDataDialog::TppNoDataDialog(classes::TComponent *aOwner)
    : TppFormOf<TppCustomNoDataDialog>(aOwner)
    , m_memMessage(new QPlainTextEdit(this))
    , m_btnOK(new QPushButton(this))
{
    setObjectName(QStringLiteral("ppNoDataDialog"));
    setFixedSize(270, 93);
    m_memMessage->setObjectName(QStringLiteral("memMessage"));
    m_memMessage->setGeometry(42, 14, 187, 41);
    m_memMessage->setReadOnly(true);
    m_memMessage->setFrameShape(QFrame::NoFrame);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setGeometry(98, 62, 75, 25);
    m_btnOK->setDefault(true);
    connect(m_btnOK, &QPushButton::clicked, this, [this] { closeWithResult(ppModalResultOK); });
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
    LanguageChanged();
}

void TppNoDataDialog::LanguageChanged()
{
    setWindowTitle(ppLoadStr(1034));
    m_memMessage->setPlainText(ppLoadStr(1035));
    m_btnOK->setText(ppLoadStr(17));
}

void TppNoDataDialog::reject()
{
    closeWithResult(ppModalResultOK);
}

} // namespace report

#include "moc_NoDataDialog.cpp"
