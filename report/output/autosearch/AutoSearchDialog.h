#pragma once

// TppAutoSearchDialog, the "Search" window a report shows before it
// generates: the criterion panels of its groups above a bottom bar with the
// mandatory legend and OK and Cancel. OK writes every panel's answer into
// its field and closes only when all of them may be stored.

#include "report/model/forms/DialogBases.h"
#include "report/output/autosearch/AutoSearchPanels.h"
#include "report/output/forms/Form.h"

#include <QHash>
#include <QString>

#include <memory>

class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace report {

class TppAutoSearchField;
class TppAutoSearchNotebook;
class TppAutoSearchPanel;
class TppSearchMarker;

class TppAutoSearchDialog : public TppFormOf<TppCustomAutoSearchDialog>
{
    Q_OBJECT
    ZVO_CLASS(TppAutoSearchDialog)
public:
    explicit TppAutoSearchDialog(classes::TComponent *aOwner = nullptr);
    ~TppAutoSearchDialog() override;

    void LanguageChanged() override;
    void Activate() override;
    void done(int aResult) override;

    TppAutoSearchNotebook *Notebook() const { return m_notebook.get(); }
    QWidget *pnlBottom() const { return m_pnlBottom; }
    TppSearchMarker *shpMandatory() const { return m_shpMandatory; }
    QLabel *lblMandatory() const { return m_lblMandatory; }
    QPushButton *btnOK() const { return m_btnOK; }
    QPushButton *btnCancel() const { return m_btnCancel; }
    void btnOKClick();

protected:
    void CreatePanels() override;
    // The notebook's two events; nothing here.
    virtual void GetPanelClass(TppAutoSearchNotebook *, TppAutoSearchField *, TppAutoSearchPanelFactory &) {}
    virtual void PanelCreated(TppAutoSearchField *, TppAutoSearchPanel *) {}

private:
    // What the fields held when the dialog opened: OK writes each panel's
    // answer even when another panel fails, and a window then cancelled
    // must leave the criteria as they were.
    struct SavedCriterion
    {
        QString expression;
        bool showAllValues;
        bool mandatory;
    };
    void saveCriteria();
    void restoreCriteria();
    void releaseFields();

    QHash<const TppAutoSearchField *, SavedCriterion> m_savedCriteria;
    // The window is activated again whenever the user comes back to it from
    // another one: only its first activation moves the focus.
    bool m_focusPlaced = false;

    std::unique_ptr<TppAutoSearchNotebook> m_notebook;
    QVBoxLayout *m_layout;
    QWidget *m_pnlBottom;
    TppSearchMarker *m_shpMandatory;
    QLabel *m_lblMandatory;
    QWidget *m_pnlButtons;
    QPushButton *m_btnOK;
    QPushButton *m_btnCancel;
};

} // namespace report
