#pragma once

// The progress window of a print job ("ppCancelDialog"): the status text and
// a Cancel button. The button tells the model (DoClose) and closes the
// window; it is enabled on activation as CancelEnabled says.

#include "report/model/forms/DialogBases.h"
#include "report/output/forms/Form.h"

#include <QPointer>

class QPlainTextEdit;
class QPushButton;

namespace report {

class TppCancelDialog : public TppFormOf<TppCustomCancelDialog>
{
    Q_OBJECT
    ZVO_CLASS(TppCancelDialog)
public:
    explicit TppCancelDialog(classes::TComponent *aOwner = nullptr);
    ~TppCancelDialog() override;

    void ShowStatus() override;
    void LanguageChanged() override;
    void Activate() override;
    void btnCancelClick();

    QPlainTextEdit *memMessage() const { return m_memMessage; }
    QPushButton *btnCancel() const { return m_btnCancel; }
    // The window that was active when a non-modal dialog was shown.
    QWidget *PreviousActiveForm() const { return m_previousActiveForm; }

protected:
    void reject() override;
    void showEvent(QShowEvent *aEvent) override;

public:
    // Hiding hands back to the previous form; whether the dialog was the
    // active window must be read before the window goes.
    void setVisible(bool aVisible) override;

private:
    // A non-modal dialog hands the focus back to the window it came over,
    // when it had the focus itself.
    void restorePreviousForm(bool aDialogWasActive);

    QPlainTextEdit *m_memMessage;
    QPushButton *m_btnCancel;
    QPointer<QWidget> m_previousActiveForm;
};

} // namespace report
