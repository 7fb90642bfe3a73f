#pragma once

// The dialog that edits a report's text-search settings: whether the search
// is on, its options, the page it starts from, whether the find toolbar
// shows, and the text it offers. OK hands the values to the report; Cancel
// leaves the report as it was. The dialog keeps its size and place in the
// settings store between runs.

#include "report/model/forms/DialogBases.h"
#include "report/output/forms/Form.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace report {

class TppTextSearchSettings;

class TppTextSearchSettingsDialog : public TppFormOf<TppCustomTextSearchSettingsDialog>
{
    Q_OBJECT
    ZVO_CLASS(TppTextSearchSettingsDialog)
public:
    explicit TppTextSearchSettingsDialog(classes::TComponent *aOwner = nullptr);
    ~TppTextSearchSettingsDialog() override;

    void LanguageChanged() override;
    void ReportAssigned() override;

    // The report's settings, or nullptr when the report has none.
    TppTextSearchSettings *ReportSettings() const;

    QCheckBox *cbxEnabled() const { return m_cbxEnabled; }
    QCheckBox *cbxShowAll() const { return m_cbxShowAll; }
    QCheckBox *cbxCaseSensitive() const { return m_cbxCaseSensitive; }
    QCheckBox *cbxWholeWord() const { return m_cbxWholeWord; }
    QGroupBox *rdgStartingPage() const { return m_rdgStartingPage; }
    // 0 first page, 1 current page.
    int StartingPageIndex() const;
    void SetStartingPageIndex(int aIndex);
    QCheckBox *cbxShowSearchToolbar() const { return m_cbxShowSearchToolbar; }
    QLabel *lblSearchString() const { return m_lblSearchString; }
    QLineEdit *edtSearchString() const { return m_edtSearchString; }
    QPushButton *btnOK() const { return m_btnOK; }
    QPushButton *btnCancel() const { return m_btnCancel; }

    // The section of the settings store that keeps the geometry.
    static QString StorageSection() { return QStringLiteral("TextSearchSettingsDialog"); }

protected:
    void showEvent(QShowEvent *aEvent) override;
    void done(int aResult) override;

private:
    void takeSettings();
    void writeBackSettings();
    void enableOptions();
    void loadGeometry();
    void saveGeometry() const;

    QCheckBox *m_cbxEnabled;
    QCheckBox *m_cbxShowAll;
    QCheckBox *m_cbxCaseSensitive;
    QCheckBox *m_cbxWholeWord;
    QGroupBox *m_rdgStartingPage;
    QRadioButton *m_rdbFirstPage;
    QRadioButton *m_rdbCurrentPage;
    QCheckBox *m_cbxShowSearchToolbar;
    QLabel *m_lblSearchString;
    QLineEdit *m_edtSearchString;
    QPushButton *m_btnOK;
    QPushButton *m_btnCancel;
    bool m_geometrySaved = false;
};

} // namespace report
