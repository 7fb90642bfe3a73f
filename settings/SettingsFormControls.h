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
class QPlainTextEdit;
class QRadioButton;
class QRect;
class QWidget;

namespace widgets {
class TdxPageControl;
}

namespace settings {

// The proxy group of a settings window, with the names the forms give its
// controls. A window inherits it, lays it out with CreateProxyControls and
// owns the widgets.
class ProxyGroup
{
public:
    QCheckBox *UseProxyServerCheckBox = nullptr;
    QRadioButton *ProxyHTTPRadioButton = nullptr;
    QRadioButton *ProxySocks4RadioButton = nullptr;
    QRadioButton *ProxySocks5RadioButton = nullptr;
    QLabel *ProxyServerLabel = nullptr;
    QLineEdit *ProxyServerEdit = nullptr;
    QLabel *ProxyPortLabel = nullptr;
    QLineEdit *ProxyPortEdit = nullptr;
    QLabel *ProxyUsernameLabel = nullptr;
    QLineEdit *ProxyUsernameEdit = nullptr;
    QLabel *ProxyPasswordLabel = nullptr;
    QLineEdit *ProxyPasswordEdit = nullptr;

protected:
    // Makes the controls on page in tab order, the use-proxy box at
    // (left, top); the windows differ only in the accelerator of the user
    // name.
    void CreateProxyControls(QWidget *page, int left, int top, const char *usernameCaption);

    // The proxy settings into the controls. A kind other than "HTTP",
    // "Socks4" or "Socks5" (exactly) checks no kind button.
    void LoadProxyControls() const;
    // The controls into the proxy settings. Without a checked kind button
    // the kind stays as it is; a port the field cannot give as a 32-bit
    // number leaves the port as it is, so the other values are never half
    // stored.
    void StoreProxyControls() const;
    // Options.ini keeps these values in the code page, and the proxy is sent
    // them as they are kept: a field with a character the code page lacks
    // is refused with this message (empty when every field fits), rather
    // than stored as question marks that no proxy accepts.
    std::string ProxyControlsRefusal() const;
    // Server and port follow the use-proxy box; the credentials also need a
    // kind that carries them (SOCKS 4 has none).
    void UpdateProxyControls() const;
};

// The port as the proxy group shows it: without a proxy in use, port 80 and
// port 0 are the "nothing set" values and show as an empty field.
std::string ProxyPortText(bool useProxy, int32_t port);

// A caption at a fixed place, naming the control its accelerator focuses.
QLabel *MakeLabel(QWidget *parent, const char *text, int left, int top, int width, QWidget *buddy = nullptr);
QLineEdit *MakeEdit(QWidget *parent, int left, int top, int width);
// A read-only note in the colour of its page (the page control paints pages
// in the button face of the system colours) that the keyboard passes by.
QPlainTextEdit *MakeNoteMemo(QWidget *parent, const QRect &geometry, const QString &text);

// Writes the enabled state only when it changes.
void SetEnabledIfChanged(QWidget *control, bool enabled);

// The face the forms were laid out for (controls::FormFont).
QFont FormFont(int points = 8, bool bold = false);
// The page control draws its tabs with a font of its own, not with the
// form's; left alone, its face differs from every other caption of the form.
// The tabs take the face the form's font resolves to.
void UseFormFace(widgets::TdxPageControl *control, const QFont &formFont);

// A form of fixed size with controls at fixed places keeps them left to right
// whatever the application's layout direction, as its captions are placed
// for that order; and every control keeps the font the form gives it, even
// under an application style sheet that sets larger ones (a form's own style
// sheet comes before the application's). Called once the controls exist, on
// a form that was set left to right before they were made (a text box takes
// its direction when it is made).
void KeepFormLayout(QWidget *form);

// Default heights of the controls of a stored layout.
inline constexpr int LabelHeight = 13;
inline constexpr int CheckBoxHeight = 17;
inline constexpr int EditHeight = 21;
inline constexpr int ButtonHeight = 25;

} // namespace settings
