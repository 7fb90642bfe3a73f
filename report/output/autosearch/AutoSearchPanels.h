#pragma once

// The criterion panels of the search dialog: each shows one auto-search
// field as a sentence ("Show all data where the City is equal to [Lyon]"),
// an editor for its value, a "show all values" check box and the error and
// mandatory markers, and writes the answer back into the field on OK.
// Between criteria have two editors, in-list criteria a list with Add and
// Remove; every other operator one editor.

#include "report/model/base/Types.h"

#include <QFrame>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace report {

class TppAutoSearchField;

// The value check of one editor: '' when the text may be stored, else the
// message to show. Numbers may carry thousand separators. With aInList the
// text is one of several values and may not hold the "," that separates
// them.
QString ppCheckSearchValue(const TppAutoSearchField &aField, const QString &aText, bool aInList = false);

// A filled ellipse: the red error marker and the black mandatory one.
class TppSearchMarker : public QWidget
{
public:
    TppSearchMarker(const QColor &aColor, QWidget *aParent);

protected:
    void paintEvent(QPaintEvent *aEvent) override;

private:
    QColor m_color;
};

class TppAutoSearchPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TppAutoSearchPanel(QWidget *aParent = nullptr);
    ~TppAutoSearchPanel() override;

    TppAutoSearchField *Field() const { return m_field; }
    void SetField(TppAutoSearchField *aField) { m_field = aField; }
    // Whether the panel stands on a page of its own group (no outer bevel)
    // and is its container's last one (no line below it).
    void SetOnPage(bool aOnPage, bool aLast);

    virtual void DisableInput();
    virtual void EnableInput();
    // Over one of the panel's editors (panel coordinates).
    virtual bool ContainsPoint(int aX, int aY) const;
    virtual void ShowAllValuesClick();
    virtual int PanelHeight() const { return height(); }
    // The width the notebook lays out for.
    virtual int PanelWidth() const { return width(); }
    virtual void CreateControls();
    // Editors off while the visible box is ticked.
    void UpdateShowAllValues();
    void PutCheckBoxLast();
    // Checks the value and writes it back into the field; false when the
    // value may not be stored.
    virtual bool ApplyCriteria() { return true; }
    // The panel, then its value editor with the text selected.
    virtual void FocusEditor() {}

    QLabel *lblLead() const { return m_lblLead; }
    QLabel *lblAlias() const { return m_lblAlias; }
    QLabel *lblOperator() const { return m_lblOperator; }
    QLabel *lblError() const { return m_lblError; }
    TppSearchMarker *shpError() const { return m_shpError; }
    TppSearchMarker *shpMandatory() const { return m_shpMandatory; }
    QCheckBox *chkShowAll() const { return m_chkShowAll; }
    // Whether the box counts: shown and ticked.
    bool ShowAllTicked() const;

protected:
    void mousePressEvent(QMouseEvent *aEvent) override;
    void changeEvent(QEvent *aEvent) override;
    // Shows the message beside aEditor's right edge, or hides both markers.
    void showError(const QString &aMessage, const QWidget *aEditor, int aLabelLeft, int aLabelTop);
    QList<QWidget *> editors() const { return m_editors; }
    void addEditor(QWidget *aEditor);

private:
    // The sentence and the editors on or off.
    void setInputEnabled(bool aEnabled);
    // The field name's blue and the error's red, in shades that read on the
    // panel's colour.
    void applyColours();

    TppAutoSearchField *m_field = nullptr;
    QLabel *m_lblLead = nullptr;
    QLabel *m_lblAlias = nullptr;
    QLabel *m_lblOperator = nullptr;
    QLabel *m_lblError = nullptr;
    TppSearchMarker *m_shpError = nullptr;
    TppSearchMarker *m_shpMandatory = nullptr;
    QCheckBox *m_chkShowAll = nullptr;
    QFrame *m_bevel = nullptr;
    QList<QWidget *> m_editors;
};

class TppSimpleSearchPanel : public TppAutoSearchPanel
{
    Q_OBJECT
public:
    using TppAutoSearchPanel::TppAutoSearchPanel;

    void CreateControls() override;
    int PanelWidth() const override;
    bool ApplyCriteria() override;
    void FocusEditor() override;
    QLineEdit *edtValue() const { return m_edtValue; }

private:
    QLineEdit *m_edtValue = nullptr;
};

class TppBetweenSearchPanel : public TppAutoSearchPanel
{
    Q_OBJECT
public:
    using TppAutoSearchPanel::TppAutoSearchPanel;

    void CreateControls() override;
    int PanelWidth() const override;
    bool ApplyCriteria() override;
    void FocusEditor() override;
    QLineEdit *edtFrom() const { return m_edtFrom; }
    QLineEdit *edtTo() const { return m_edtTo; }
    QLabel *lblAnd() const { return m_lblAnd; }

private:
    QLineEdit *m_edtFrom = nullptr;
    QLineEdit *m_edtTo = nullptr;
    QLabel *m_lblAnd = nullptr;
    TppSearchMarker *m_shpMandatory2 = nullptr;
};

class TppInListSearchPanel : public TppAutoSearchPanel
{
    Q_OBJECT
public:
    using TppAutoSearchPanel::TppAutoSearchPanel;

    void CreateControls() override;
    int PanelWidth() const override;
    bool ApplyCriteria() override;
    void FocusEditor() override;
    QLineEdit *edtValue() const { return m_edtValue; }
    QListWidget *lbxValues() const { return m_lbxValues; }
    QPushButton *btnAdd() const { return m_btnAdd; }
    QPushButton *btnRemove() const { return m_btnRemove; }
    void AddClick();
    void RemoveClick();

private:
    QLineEdit *m_edtValue = nullptr;
    QListWidget *m_lbxValues = nullptr;
    QPushButton *m_btnAdd = nullptr;
    QPushButton *m_btnRemove = nullptr;
};

// The panel class for the operator: between, in list, or simple.
using TppAutoSearchPanelFactory = TppAutoSearchPanel *(*)(QWidget *aParent);
TppAutoSearchPanelFactory ppAutoSearchPanelClass(TppSearchOperatorType aOperator);

} // namespace report
