#pragma once

// TppPreview: the standard preview. A toolbar of flat buttons (print,
// auto-search, three zooms, a zoom edit, first / prior, a page-number edit,
// next / last, and Cancel that becomes Close), the outline on the left
// beside a splitter, the viewer filling the rest. The toolbar follows the
// viewer: the page number, the zoom, which buttons may be pressed and the
// busy state.

#include "report/output/preview/CustomPreview.h"

#include <QPointer>

#include <functional>

class QLineEdit;
class QPushButton;
class QSplitter;
class QToolButton;
class QWidget;

namespace report {

class TppOutlinePanelViewer;

class TppPreview : public TppCustomPreview
{
public:
    explicit TppPreview(QWidget *aParent);
    ~TppPreview() override;

    // ---- Controls ----
    QWidget *ToolbarPanel() const { return m_toolbarPanel; }
    QWidget *ButtonPanel() const { return m_buttonPanel; }
    QWidget *OutlinePanel() const { return m_outlinePanel; }
    QWidget *SearchPanel() const { return m_searchPanel.get(); }
    TppOutlinePanelViewer *OutlineViewer() const { return m_outlineViewer; }
    QLineEdit *FocusEdit() const { return m_focusEdit; }
    QLineEdit *ZoomEdit() const { return m_zoomEdit; }
    QLineEdit *PageNoEdit() const { return m_pageNoEdit; }
    QPushButton *CloseButton() const { return m_closeButton; }
    // The button of an action (0 print ... 9 last page); nullptr for others.
    QToolButton *ToolButton(int aAction) const;
    bool OutlineVisible() const { return m_outlineVisible; }

    // ---- Operations ----
    virtual void EditKeyDown(int aKey, Qt::KeyboardModifiers aShift);
    virtual void PageNoEditKeyPress();
    virtual void ZoomEditKeyPress();
    virtual void ToolButtonClick(int aTag);
    virtual void PlaceSearchPanel();
    virtual void CreateOutlineViewer();
    virtual void CreateToolbarPanels();
    virtual void CreateToolbar();

    void UpdateOutlinePanel() override;
    bool OutlineShowing() const override;
    void PageChange() override;
    void PrintStateChange() override;
    void ShowOutline(bool aShow) override;
    void SearchChange() override;
    void Reset() override;
    void BeforePreview() override;
    void Cancel() override;
    void LanguageChanged() override;
    void SetZoomSetting(TppZoomSettingType aSetting) override;

    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;

protected:
    const QWidget *pageFocus() const override;
    const QWidget *outlineTree() const override;

private:
    QToolButton *addToolButton(int aLeft, int aTag, const std::function<QIcon()> &aIcon, int aMessage);
    void updateZoomButtons();
    void updateAutoSearchButton();
    void focusEditFocus();
    // The edit's keys go to the preview first.
    void handEditKeysToPreview(QLineEdit *aEdit);
    void refreshCursor();

    QWidget *m_toolbarPanel = nullptr;
    QWidget *m_buttonPanel = nullptr;
    QWidget *m_outlinePanel = nullptr;
    std::unique_ptr<QWidget> m_searchPanel;
    TppOutlinePanelViewer *m_outlineViewer = nullptr;
    QSplitter *m_splitter = nullptr;
    QLineEdit *m_focusEdit = nullptr;
    QLineEdit *m_zoomEdit = nullptr;
    QLineEdit *m_pageNoEdit = nullptr;
    QPushButton *m_closeButton = nullptr;
    QToolButton *m_buttons[10] = {};
    bool m_outlineVisible = true;
    bool m_initializing = false;
};

} // namespace report
