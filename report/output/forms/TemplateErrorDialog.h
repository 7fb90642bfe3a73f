#pragma once

// The question a template read error asks ("Error Reading Template"): the
// error with "Ignore the error and continue?", and Ignore, Cancel and
// Ignore All.

#include "report/model/forms/DialogBases.h"
#include "report/output/forms/Form.h"

class QLabel;
class QPushButton;

namespace report {

class TppTemplateErrorDialog : public TppFormOf<TppCustomTemplateErrorDialog>
{
    Q_OBJECT
    ZVO_CLASS(TppTemplateErrorDialog)
public:
    explicit TppTemplateErrorDialog(classes::TComponent *aOwner = nullptr);

    void SetMessage(const QString &aMessage) override;
    QString GetMessage() const override;
    void LanguageChanged() override;

    QLabel *lblMessage() const { return m_lblMessage; }
    QPushButton *btnIgnore() const { return m_btnIgnore; }
    QPushButton *btnCancel() const { return m_btnCancel; }
    QPushButton *btnIgnoreAll() const { return m_btnIgnoreAll; }

private:
    QLabel *m_lblMessage;
    QPushButton *m_btnIgnore;
    QPushButton *m_btnCancel;
    QPushButton *m_btnIgnoreAll;
};

} // namespace report
