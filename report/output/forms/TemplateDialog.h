#pragma once

// Choosing a template's name among the records of a pipeline: a sorted list
// of the names under the header "Name", the name in an edit below, and
// Open (or Save) and Cancel. A click on a name copies it into the edit, a
// double click also presses the button.

#include "report/model/forms/DialogBases.h"
#include "report/output/forms/Form.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace report {

class TppTemplateDialog : public TppFormOf<TppCustomTemplateDialog>
{
    Q_OBJECT
    ZVO_CLASS(TppTemplateDialog)
public:
    explicit TppTemplateDialog(classes::TComponent *aOwner = nullptr);

    // Fills the list and sets the texts of the mode first.
    int ShowModal() override;
    void LanguageChanged() override;
    QString TemplateName() const override;
    void SetTemplateName(const QString &aName) override;
    // Unless cancelled: the name must be one the mode accepts.
    bool CloseQuery() override;

    // The names of the pipeline, and the texts of the mode.
    void Prepare();

    QLabel *lblHeader() const { return m_lblHeader; }
    QListWidget *lbxTemplates() const { return m_lbxTemplates; }
    QLabel *lblTemplateName() const { return m_lblTemplateName; }
    QLineEdit *edtTemplateName() const { return m_edtTemplateName; }
    QPushButton *btnOK() const { return m_btnOK; }
    QPushButton *btnCancel() const { return m_btnCancel; }

private:
    void pressButton(int aResult);

    QLabel *m_lblHeader;
    QListWidget *m_lbxTemplates;
    QLabel *m_lblTemplateName;
    QLineEdit *m_edtTemplateName;
    QPushButton *m_btnOK;
    QPushButton *m_btnCancel;
    int m_pressed = 0;
};

} // namespace report
