#pragma once

// TppPrintPreview ("ppPrintPreview"): the preview window a report prints to
// on the screen. It makes the preview that the plug-in registry names, with
// a status bar whose first panel (275 pixels) shows the viewer's status,
// and passes every key typed in it to the preview first. Closing it ends
// the preview; while a page is generated the print is cancelled first.

#include "report/model/forms/DialogBases.h"
#include "report/output/forms/Form.h"

#include <memory>

class QLabel;
class QStatusBar;

namespace report {

class TppCustomPreview;
class TppViewer;

class TppPrintPreview : public TppFormOf<TppCustomPreviewer>
{
    Q_OBJECT
    ZVO_CLASS(TppPrintPreview)
public:
    explicit TppPrintPreview(classes::TComponent *aOwner = nullptr);
    ~TppPrintPreview() override;

    TppCustomPreview *PlugIn() const { return m_plugIn.get(); }
    TppViewer *PreviewViewer() const;
    QStatusBar *StatusBar() const { return m_statusBar; }
    QLabel *StatusPanel() const { return m_statusPanel; }

    void Init() override;
    void ReportAssigned() override;
    void LanguageChanged() override;
    void Activate() override;
    void ApplyPreviewFormSettings(const TppPreviewFormSettings &aSettings) override;
    int ShowModal() override;

protected:
    void done(int aResult) override;
    bool eventFilter(QObject *aWatched, QEvent *aEvent) override;

private:
    std::unique_ptr<TppCustomPreview> m_plugIn;
    QStatusBar *m_statusBar = nullptr;
    QLabel *m_statusPanel = nullptr;
    bool m_modal = false;
    bool m_previewing = false;
};

} // namespace report
