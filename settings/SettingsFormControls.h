#pragma once

// What the options window and the first-start wizard share: the proxy group
// (use-proxy box, kind buttons, server, port and credentials) with its rules,
// and the small layout helpers of their fixed-position forms. GUI thread only.

#include <QFont>

#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

// The proxy controls of one window. Every pointer is set; the window owns the
// widgets.
struct ProxyControls
{
    QCheckBox *useProxy = nullptr;
    QRadioButton *http = nullptr;
    QRadioButton *socks4 = nullptr;
    QRadioButton *socks5 = nullptr;
    QLabel *serverLabel = nullptr;
    QLineEdit *server = nullptr;
    QLabel *portLabel = nullptr;
    QLineEdit *port = nullptr;
    QLabel *usernameLabel = nullptr;
    QLineEdit *username = nullptr;
    QLabel *passwordLabel = nullptr;
    QLineEdit *password = nullptr;
};

// The port as the proxy group shows it: without a proxy in use, port 80 and
// port 0 are the "nothing set" values and show as an empty field.
std::string ProxyPortText(bool useProxy, int32_t port);

// The proxy settings into the controls. A kind other than "HTTP", "Socks4"
// or "Socks5" (exactly) checks no kind button.
void LoadProxyControls(const ProxyControls &controls);
// The controls into the proxy settings. Without a checked kind button the
// kind stays as it is; a port the field cannot give as a 32-bit number leaves
// the port as it is, so the other values are never half stored.
void StoreProxyControls(const ProxyControls &controls);
// Server and port follow the use-proxy box; the credentials also need a kind
// that carries them (SOCKS 4 has none).
void UpdateProxyControls(const ProxyControls &controls);

// Writes the enabled state only when it changes.
void SetEnabledIfChanged(QWidget *control, bool enabled);

// Gives a read-only text the colour of the pages around it, which the page
// control paints in the button face of the system colours.
void SetButtonFaceBackground(QWidget *control);

// Runs an event handler at the edge of Qt: a failure is shown to the user
// instead of escaping into the event loop.
void RunHandler(QWidget *owner, const std::function<void()> &handler);

// The forms were laid out for an 8-point sans-serif face (11 pixels at the
// usual 96 dots per inch); a wider face would run labels into their fields.
QFont FormFont(int points = 8, bool bold = false);

// Default heights of the controls of a stored layout.
inline constexpr int LabelHeight = 13;
inline constexpr int CheckBoxHeight = 17;
inline constexpr int EditHeight = 21;
inline constexpr int ButtonHeight = 25;
