#include "settings/SettingsFormControls.h"

#include "foundation/MyOptions.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/gfx/Colors.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Rounding.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

std::string ProxyPortText(bool useProxy, int32_t port)
{
    if (!useProxy && (port == 0 || port == 80))
        return std::string();
    return std::to_string(port);
}

void LoadProxyControls(const ProxyControls &c)
{
    c.useProxy->setChecked(UseProxy);
    if (ProxyKind == "HTTP")
        c.http->setChecked(true);
    else if (ProxyKind == "Socks4")
        c.socks4->setChecked(true);
    else if (ProxyKind == "Socks5")
        c.socks5->setChecked(true);
    c.server->setText(rtl::ToQString(ProxyServer));
    c.port->setText(rtl::ToQString(ProxyPortText(UseProxy, ProxyPort)));
    c.username->setText(rtl::ToQString(ProxyUsername));
    c.password->setText(rtl::ToQString(ProxyPassword));
}

void StoreProxyControls(const ProxyControls &c)
{
    UseProxy = c.useProxy->isChecked();
    if (c.http->isChecked())
        ProxyKind = "HTTP";
    else if (c.socks4->isChecked())
        ProxyKind = "Socks4";
    else if (c.socks5->isChecked())
        ProxyKind = "Socks5";
    ProxyServer = rtl::FromQString(c.server->text());
    try {
        ProxyPort = rtl::Round(StrToNumber(rtl::FromQString(c.port->text())));
    } catch (const rtl::ERangeError &) {
        // A number beyond 32 bits is no port; keep the one we had.
    }
    ProxyPassword = rtl::FromQString(c.password->text());
    ProxyUsername = rtl::FromQString(c.username->text());
}

void UpdateProxyControls(const ProxyControls &c)
{
    const bool on = c.useProxy->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(c.http), static_cast<QWidget *>(c.socks4),
                       static_cast<QWidget *>(c.socks5), static_cast<QWidget *>(c.serverLabel),
                       static_cast<QWidget *>(c.server), static_cast<QWidget *>(c.portLabel),
                       static_cast<QWidget *>(c.port)})
        SetEnabledIfChanged(w, on);
    const bool credentials = on && (c.http->isChecked() || c.socks5->isChecked());
    for (QWidget *w : {static_cast<QWidget *>(c.usernameLabel), static_cast<QWidget *>(c.username),
                       static_cast<QWidget *>(c.passwordLabel), static_cast<QWidget *>(c.password)})
        SetEnabledIfChanged(w, credentials);
}

void SetEnabledIfChanged(QWidget *control, bool enabled)
{
    // The control's own state, not the one inherited from a disabled parent.
    if (control->testAttribute(Qt::WA_ForceDisabled) == enabled)
        control->setEnabled(enabled);
}

void SetButtonFaceBackground(QWidget *control)
{
    const gfx::TColor face = gfx::ColorToRGB(gfx::clBtnFace);
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, QColor(gfx::GetRValue(face), gfx::GetGValue(face), gfx::GetBValue(face)));
    control->setPalette(palette);
}

void RunHandler(QWidget *owner, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        ShowMessageBox(owner, e.what(), 'S');
    } catch (...) {
    }
}

QFont FormFont(int points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points);
    // The face the forms were measured with is a little narrower than its
    // metric-compatible stand-ins.
    font.setStretch(96);
    font.setBold(bold);
    return font;
}
