#pragma once

// The options window: the program-wide settings on three pages (General,
// Proxy, Updates). It copies the settings into its controls when it is
// created and back when OK is pressed; saving them to disk is the caller's
// business, after the window has closed with OK or Cancel.
//
//     TOptionsForm form(mainWindow);
//     form.ShowPage(1);
//     if (shell::execDialog(form) == QDialog::Accepted) ...;
//     SaveOptions();

#include "settings/SettingsFormControls.h"

#include <QDialog>

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
    void createControls();
    void createGeneralPage();
    void createProxyPage();
    void createUpdatesPage();
};

} // namespace settings
