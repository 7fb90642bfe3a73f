#include "report/output/forms/TemplateDialog.h"

#include "report/model/base/Messages.h"

#include "platform/classes/ClassBuilder.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace report {

const classes::TMetaClass &TppTemplateDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppTemplateDialog, TppCustomTemplateDialog>("TppTemplateDialog");
    return meta;
}

TppTemplateDialog::TppTemplateDialog(classes::TComponent *aOwner)
    : TppFormOf<TppCustomTemplateDialog>(aOwner)
    , m_lblHeader(new QLabel(this))
    , m_lbxTemplates(new QListWidget(this))
    , m_lblTemplateName(new QLabel(this))
    , m_edtTemplateName(new QLineEdit(this))
    , m_btnOK(new QPushButton(this))
    , m_btnCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("ppTemplateDialog"));
    setFixedSize(300, 330);
    m_lblHeader->setObjectName(QStringLiteral("lblHeader"));
    m_lblHeader->setGeometry(12, 8, 276, 18);
    m_lbxTemplates->setObjectName(QStringLiteral("lbxTemplates"));
    m_lbxTemplates->setGeometry(12, 28, 276, 196);
    m_lbxTemplates->setSortingEnabled(true);
    m_lblTemplateName->setObjectName(QStringLiteral("lblTemplateName"));
    m_lblTemplateName->setGeometry(12, 234, 276, 18);
    m_edtTemplateName->setObjectName(QStringLiteral("edtTemplateName"));
    m_edtTemplateName->setGeometry(12, 254, 276, 24);
    m_lblTemplateName->setBuddy(m_edtTemplateName);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setGeometry(132, 292, 75, 25);
    m_btnOK->setDefault(true);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setGeometry(213, 292, 75, 25);
    connect(m_lbxTemplates, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *aItem) { m_edtTemplateName->setText(aItem->text()); });
    connect(m_lbxTemplates, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *aItem) {
        m_edtTemplateName->setText(aItem->text());
        pressButton(ppModalResultOK);
    });
    connect(m_btnOK, &QPushButton::clicked, this, [this] { pressButton(ppModalResultOK); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { pressButton(ppModalResultCancel); });
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
    LanguageChanged();
}

void TppTemplateDialog::pressButton(int aResult)
{
    m_pressed = aResult;
    const bool closed = closeWithResult(aResult);
    if (!closed)
        m_pressed = 0;
}

bool TppTemplateDialog::CloseQuery()
{
    // Closing the window otherwise (its close button, Escape) is a cancel.
    if (m_pressed != ppModalResultOK)
        return TppCustomTemplateDialog::CloseQuery();
    return AcceptName(TemplateName()) && TppCustomTemplateDialog::CloseQuery();
}

QString TppTemplateDialog::TemplateName() const
{
    return m_edtTemplateName->text();
}

void TppTemplateDialog::SetTemplateName(const QString &aName)
{
    TppCustomTemplateDialog::SetTemplateName(aName);
    m_edtTemplateName->setText(aName);
}

void TppTemplateDialog::Prepare()
{
    m_lbxTemplates->clear();
    m_lbxTemplates->addItems(TemplateNames());
    LanguageChanged();
}

int TppTemplateDialog::ShowModal()
{
    Prepare();
    m_pressed = 0;
    return TppFormOf<TppCustomTemplateDialog>::ShowModal();
}

void TppTemplateDialog::LanguageChanged()
{
    if (DialogMode == Mode::Open) {
        setWindowTitle(ppLoadStr(361));
        m_btnOK->setText(ppLoadStr(134));
    } else {
        setWindowTitle(ppLoadStr(362) + QLatin1Char(' ') + TemplateDescription + QLatin1Char(' ') + ppLoadStr(38));
        m_btnOK->setText(ppLoadStr(138));
    }
    m_btnCancel->setText(ppLoadStr(5));
    m_lblHeader->setText(ppLoadStr(39));
    m_lblTemplateName->setText(ppLoadStr(39));
}

} // namespace report

#include "moc_TemplateDialog.cpp"
