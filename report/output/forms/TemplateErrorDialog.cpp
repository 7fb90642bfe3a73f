#include "report/output/forms/TemplateErrorDialog.h"

#include "report/model/base/Messages.h"

#include "platform/classes/ClassBuilder.h"

#include <QLabel>
#include <QPushButton>

namespace report {

namespace {

constexpr int templateErrorIgnore = 5;
constexpr int templateErrorIgnoreAll = 8;

} // namespace

const classes::TMetaClass &TppTemplateErrorDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppTemplateErrorDialog, TppCustomTemplateErrorDialog>("TppTemplateErrorDialog");
    return meta;
}

TppTemplateErrorDialog::TppTemplateErrorDialog(classes::TComponent *aOwner)
    : TppFormOf<TppCustomTemplateErrorDialog>(aOwner)
    , m_lblMessage(new QLabel(this))
    , m_btnIgnore(new QPushButton(this))
    , m_btnCancel(new QPushButton(this))
    , m_btnIgnoreAll(new QPushButton(this))
{
    setObjectName(QStringLiteral("ppTemplateErrorDialog"));
    setFixedSize(360, 150);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setGeometry(12, 12, 336, 90);
    m_lblMessage->setWordWrap(true);
    m_lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const struct
    {
        QPushButton *button;
        const char *name;
        int left;
        int result;
    } buttons[] = {{m_btnIgnore, "btnIgnore", 69, templateErrorIgnore},
                   {m_btnCancel, "btnCancel", 149, ppModalResultCancel},
                   {m_btnIgnoreAll, "btnIgnoreAll", 229, templateErrorIgnoreAll}};
    for (const auto &b : buttons) {
        b.button->setObjectName(QString::fromLatin1(b.name));
        b.button->setGeometry(b.left, 114, 75, 25);
        const int result = b.result;
        connect(b.button, &QPushButton::clicked, this, [this, result] { closeWithResult(result); });
    }
    m_btnIgnore->setDefault(true);
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
    LanguageChanged();
}

void TppTemplateErrorDialog::SetMessage(const QString &aMessage)
{
    TppCustomTemplateErrorDialog::SetMessage(aMessage);
    m_lblMessage->setText(aMessage);
}

QString TppTemplateErrorDialog::GetMessage() const
{
    return m_lblMessage->text();
}

void TppTemplateErrorDialog::LanguageChanged()
{
    setWindowTitle(ppLoadStr(418));
    m_btnIgnore->setText(ppLoadStr(416));
    m_btnCancel->setText(ppLoadStr(5));
    m_btnIgnoreAll->setText(ppLoadStr(417));
}

} // namespace report

#include "moc_TemplateErrorDialog.cpp"
