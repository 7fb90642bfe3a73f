#pragma once

// The options window: the program-wide settings on three pages (General,
// Proxy, Updates). It copies the settings into its controls when it is
// created and back when OK is pressed. Saving them to disk is the caller's
// business: through SaveSettings when OK is pressed, so that a failure is
// told while the user can still act on it, and after the window has closed.
//
//     TOptionsForm form(mainWindow);
//     form.SaveSettings = [] { return SaveOptions() ? QString() : why; };
//     form.ShowPage(1);
//     if (shell::execDialog(form) == QDialog::Accepted) ...;
//     SaveOptions();

#include "settings/SettingsFormControls.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace widgets {
class TdxPageControl;
class TdxTabSheet;
} // namespace widgets

namespace settings {

class TOptionsForm
    : public QDialog
    , public ProxyGroup
{
    Q_OBJECT
public:
    explicit TOptionsForm(QWidget *owner = nullptr);
    ~TOptionsForm() override;

    // Page 1 General, 2 Proxy, 3 Updates, with the page's first control
    // focused; 0 leaves no page showing. Below 0 or beyond the page count is
    // an assertion failure.
    void ShowPage(int PageNumber);
    void UpdateControls();

    // The items of the lists, in their order.
    static const std::vector<std::string> &ConnectionCountItems();
    static const std::vector<std::string> &UpdateIntervalItems();

    // Runs when OK has copied the controls into the settings; answers why
    // they could not be saved, or nothing when they were. After a failure,
    // which is shown over the window, the settings are as they were before
    // and the window stays open with the user's choices.
    std::function<QString()> SaveSettings;

    // Handlers of the window's events.
    void FormCreate();
    void OKButtonClick();
    void UseProxyServerCheckBoxClick();
    void ProxyServerEditChange();
    void UpdateMemoMouseUp();

    widgets::TdxPageControl *PageControl1 = nullptr;
    widgets::TdxTabSheet *Other = nullptr;
    QCheckBox *ShowSplashScreenCheckBox = nullptr;
    QLabel *ConnectionsLabel = nullptr;
    QComboBox *ConnectionsComboBox = nullptr;
    widgets::TdxTabSheet *dxTabSheet1 = nullptr;
    widgets::TdxTabSheet *dxTabSheet2 = nullptr;
    QLabel *UpdateLabel = nullptr;
    QComboBox *UpdateComboBox = nullptr;
    QPlainTextEdit *UpdateMemo = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // OKButtonClick and SaveSettings; false when the window is to stay open.
    bool acceptChanges();
    void createControls();
    void createGeneralPage();
    void createProxyPage();
    void createUpdatesPage();
};

} // namespace settings
