#pragma once

// The about window: the program's picture with its version, and the splash
// window at start. The picture is "about.gif" in the program folder.

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <memory>

class QLabel;

namespace app {

class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget *Owner = nullptr);
    ~TAboutForm() override;

    // No border and no buttons, centred in the work area.
    void ShowAsSplash();
    void OKButtonClick();

    // The about command: brings an open about window of the owner forward, or
    // opens a new one without waiting for it. It frees itself when closed.
    static TAboutForm *ShowAbout(QWidget *Owner);

    QLabel *Image1 = nullptr;
    QLabel *VersionLabel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void placeVersionLabel();
};

// The about window as the splash while the start-up runs: shown and painted
// at once, it stays for at least SplashMinimumMs from then on, on the
// program's clock.
class TSplashScreen
{
public:
    static constexpr int SplashMinimumMs = 2000;
    static constexpr int PumpSliceMs = 250;

    // Null when ShowSplashScreen is off. The splash is a window of its own,
    // owned by the returned object: made as a child of the main window, it
    // would have the main window's native window made at once, and Qt places
    // a native window that is not framed yet by its inside, so the main
    // window would land a frame lower and further right than its stored
    // bounds at every start.
    static std::unique_ptr<TSplashScreen> Show();
    ~TSplashScreen();

    TAboutForm *Form() const { return m_form; }
    // Serves the events in slices until the deadline has passed, then closes
    // and frees the splash.
    void Finish();

private:
    TSplashScreen();

    QPointer<TAboutForm> m_form;
    int64_t m_deadline = 0;
};

} // namespace app
