#pragma once

// The message that a report found no data ("ppNoDataDialog"), with OK.

#include "report/model/forms/DialogBases.h"
#include "report/output/forms/Form.h"

class QPlainTextEdit;
class QPushButton;

namespace report {

class TppNoDataDialog : public TppFormOf<TppCustomNoDataDialog>
{
    Q_OBJECT
    ZVO_CLASS(TppNoDataDialog)
public:
    explicit TppNoDataDialog(classes::TComponent *aOwner = nullptr);

    void LanguageChanged() override;

    QPlainTextEdit *memMessage() const { return m_memMessage; }
    QPushButton *btnOK() const { return m_btnOK; }

protected:
    // Escape answers OK, as the button does.
    void reject() override;

private:
    QPlainTextEdit *m_memMessage;
    QPushButton *m_btnOK;
};

} // namespace report
