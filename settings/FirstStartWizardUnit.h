#pragma once

// The first-start wizard: a welcome page, the connection speed and proxy,
// and the user's own site with up to three competitors. It writes the
// connection count and the proxy settings as the user goes (nothing is saved
// to disk here) and hands the addresses back to the main window.
//
// It behaves like a modal dialog but is shown modeless, so the caller stays
// in charge of the start-up:
//
//     TFirstStartWizardForm wizard(mainWindow);
//     wizard.ShowAndWait();             // until Exit or the last Next
//     if (wizard.Finished()) { wizard.GetURL(); wizard.GetCompetitorURLs(list); }
//     if (wizard.ExitPressed()) ...     // the program ends

#include "settings/SettingsFormControls.h"

#include <QDialog>
#include <QPointer>

#include <set>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace widgets {
class TdxPageControl;
class TdxTabSheet;
} // namespace widgets

namespace settings {

// The caller's list of competitor addresses: sorted without regard to case,
// and an address that is there already, in any case, is not added again.
struct LessNoCase
{
    bool operator()(const std::string &a, const std::string &b) const;
};
using TCompetitorURLList = std::set<std::string, LessNoCase>;

class TFirstStartWizardForm
    : public QDialog
    , public ProxyGroup
{
    Q_OBJECT
public:
    explicit TFirstStartWizardForm(QWidget *owner = nullptr);
    ~TFirstStartWizardForm() override;

    bool ExitPressed() const { return m_exitPressed; }
    bool Finished() const { return m_finished; }

    // Shows the wizard and processes events until Exit has been pressed or
    // the last page finished (at once when that has happened already). The
    // wait is a modal one of the shell, which tests script.
    void ShowAndWait();

    // The own site as typed.
    std::string GetURL() const;
    // Adds the competitors that were entered: empty fields, untouched
    // examples and implausible addresses are skipped, and an address without
    // a scheme gets "http://".
    void GetCompetitorURLs(TCompetitorURLList &list) const;

    // The example addresses the fields start with; competitor fields count
    // from 1.
    static std::string PlaceholderURL();
    static std::string PlaceholderCompetitorURL(int n);
    // The connection count of a speed-list index (none selected: -1).
    static int ConnectionCountForSpeed(int index);

    void UpdateControls();

    // Handlers of the window's events.
    void FormCreate();
    void ExitButtonClick();
    void BackButtonClick();
    void NextButtonClick();
    void ConnectionsComboBoxChange();
    void UseProxyServerCheckBoxClick();
    void ProxyHTTPRadioButtonClick();
    void ProxyServerEditChange();
    void URLEditChange();
    void LengthyMemoClick();

    QWidget *Image1 = nullptr;
    widgets::TdxPageControl *dxPageControl1 = nullptr;
    widgets::TdxTabSheet *dxTabSheet1 = nullptr;
    QLabel *WelcomeLabel = nullptr;
    QPlainTextEdit *LengthyMemo = nullptr;
    widgets::TdxTabSheet *dxTabSheet2 = nullptr;
    QLabel *Step1Label = nullptr;
    QLabel *ConnectionsLabel = nullptr;
    QComboBox *ConnectionsComboBox = nullptr;
    widgets::TdxTabSheet *dxTabSheet3 = nullptr;
    QLabel *Step2Label = nullptr;
    QLabel *URLLabel = nullptr;
    QLineEdit *URLEdit = nullptr;
    QLabel *CompetitorLabel = nullptr;
    QLineEdit *Competitor1Edit = nullptr;
    QLineEdit *Competitor2Edit = nullptr;
    QLineEdit *Competitor3Edit = nullptr;
    QPushButton *ExitButton = nullptr;
    QPushButton *BackButton = nullptr;
    QPushButton *NextButton = nullptr;

Q_SIGNALS:
    // Exit was pressed or the last page finished.
    void Ended();

public Q_SLOTS:
    // Esc presses Back, as the cancel button of the wizard.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createWelcomePage();
    void createConnectionPage();
    void createURLPage();
    void connectHandlers();
    void endWith(bool &flag);

    bool m_exitPressed = false;
    bool m_finished = false;
    // The window that was active when the wizard appeared; it gets the focus
    // back when the wizard goes away.
    QPointer<QWidget> m_previousActiveWindow;
};

} // namespace settings
