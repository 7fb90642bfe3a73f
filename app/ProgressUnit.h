#pragma once

// TMyProgressForm: the small window with a status line, a progress bar and a
// Cancel button that stands over the main window while a check runs. It is
// shown without a modal loop of its own, because the check driver keeps the
// GUI thread in its own loop and only polls the window; the window blocks
// every other window of the program while it is visible.

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace app {

class TMyProgressForm : public QDialog
{
    Q_OBJECT
public:
    explicit TMyProgressForm(QWidget *owner);
    ~TMyProgressForm() override;

    // The status line; the label is repainted at once, but only on a change.
    void SetStatus(const std::string &text);
    // Advances the bar; with repaintNow it is drawn before the call returns.
    void StepProgress(int32_t step, bool repaintNow);
    bool IsCancelled() const { return m_cancelled; }

    // Min, Max and Position of the bar. An empty range shows an empty bar
    // rather than the busy animation a bar without range would run.
    void SetProgressRange(int32_t min, int32_t max);
    void SetProgressPosition(int32_t position);
    int32_t ProgressMin() const { return m_min; }
    int32_t ProgressMax() const { return m_max; }
    int32_t ProgressPosition() const { return m_position; }

    void CancelButtonClick();

    QLabel *StatusHeaderLabel = nullptr;
    QLabel *StatusLabel = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *CancelButton = nullptr;

    static constexpr int ClientWidth = 407;
    static constexpr int ClientHeight = 61;

public slots:
    // Escape presses Cancel; it never closes the window.
    void reject() override;
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // The window has no close box and refuses every close.
    void closeEvent(QCloseEvent *event) override;

private:
    void FormShow();
    void FormHide();

    // The window that was active before this one appeared.
    QPointer<QWidget> m_savedActiveWindow;
    bool m_cancelled = false;
    bool m_activeWhenHidden = false;
    int32_t m_min = 0;
    int32_t m_max = 0;
    int32_t m_position = 0;
};

} // namespace app
