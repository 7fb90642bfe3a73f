#include "settings/SettingsFormControls.h"

#include "foundation/MyOptions.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/controls/Direction.h"
#include "platform/controls/FormFont.h"
#include "platform/gfx/Colors.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Rounding.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <initializer_list>

namespace settings {

using namespace foundation;

std::string ProxyPortText(bool useProxy, int32_t port)
{
    if (!useProxy && (port == 0 || port == 80))
        return std::string();
    return std::to_string(port);
}

void ProxyGroup::CreateProxyControls(QWidget *page, int left, int top, const char *usernameCaption)
{
    UseProxyServerCheckBox = new QCheckBox(QStringLiteral("&Use Proxy Server:"), page);
    UseProxyServerCheckBox->setGeometry(left, top, 130, CheckBoxHeight);
    ProxyHTTPRadioButton = new QRadioButton(QStringLiteral("H&TTP"), page);
    ProxyHTTPRadioButton->setGeometry(left + 16, top + 27, 54, CheckBoxHeight);
    ProxySocks4RadioButton = new QRadioButton(QStringLiteral("SOCKS &4"), page);
    ProxySocks4RadioButton->setGeometry(left + 74, top + 27, 70, CheckBoxHeight);
    ProxySocks5RadioButton = new QRadioButton(QStringLiteral("SOCKS &5"), page);
    ProxySocks5RadioButton->setGeometry(left + 148, top + 27, 70, CheckBoxHeight);

    ProxyServerEdit = MakeEdit(page, left + 129, top + 54, 136);
    ProxyPortEdit = MakeEdit(page, left + 129, top + 83, 136);
    ProxyUsernameEdit = MakeEdit(page, left + 130, top + 112, 136);
    ProxyPasswordEdit = MakeEdit(page, left + 130, top + 141, 136);
    ProxyPasswordEdit->setEchoMode(QLineEdit::Password);
    ProxyServerLabel = MakeLabel(page, "&Proxy Server:", left + 16, top + 58, 110, ProxyServerEdit);
    ProxyPortLabel = MakeLabel(page, "Prox&y Port:", left + 16, top + 87, 110, ProxyPortEdit);
    ProxyUsernameLabel = MakeLabel(page, usernameCaption, left + 17, top + 116, 112, ProxyUsernameEdit);
    ProxyPasswordLabel = MakeLabel(page, "Passwor&d (if required):", left + 17, top + 145, 112, ProxyPasswordEdit);
}

void ProxyGroup::LoadProxyControls() const
{
    UseProxyServerCheckBox->setChecked(UseProxy);
    if (ProxyKind == "HTTP")
        ProxyHTTPRadioButton->setChecked(true);
    else if (ProxyKind == "Socks4")
        ProxySocks4RadioButton->setChecked(true);
    else if (ProxyKind == "Socks5")
        ProxySocks5RadioButton->setChecked(true);
    ProxyServerEdit->setText(rtl::ToQString(ProxyServer));
    ProxyPortEdit->setText(rtl::ToQString(ProxyPortText(UseProxy, ProxyPort)));
    ProxyUsernameEdit->setText(rtl::ToQString(ProxyUsername));
    ProxyPasswordEdit->setText(rtl::ToQString(ProxyPassword));
}

void ProxyGroup::StoreProxyControls() const
{
    UseProxy = UseProxyServerCheckBox->isChecked();
    if (ProxyHTTPRadioButton->isChecked())
        ProxyKind = "HTTP";
    else if (ProxySocks4RadioButton->isChecked())
        ProxyKind = "Socks4";
    else if (ProxySocks5RadioButton->isChecked())
        ProxyKind = "Socks5";
    ProxyServer = rtl::FromQString(ProxyServerEdit->text());
    try {
        ProxyPort = rtl::Round(StrToNumber(rtl::FromQString(ProxyPortEdit->text())));
    } catch (const rtl::ERangeError &) {
        // A number beyond 32 bits is no port; keep the one we had.
    }
    ProxyPassword = rtl::FromQString(ProxyPasswordEdit->text());
    ProxyUsername = rtl::FromQString(ProxyUsernameEdit->text());
}

std::string ProxyGroup::ProxyControlsRefusal() const
{
    const std::pair<QLineEdit *, const char *> fields[] = {
        {ProxyServerEdit, "Proxy Server"}, {ProxyUsernameEdit, "User Name"}, {ProxyPasswordEdit, "Password"}};
    for (const auto &[edit, name] : fields)
        if (!rtl::FitsCodePage(edit->text()))
            return std::string("The ") + name +
                   " holds a character that the settings file cannot keep. Please use only characters of the "
                   "Western European (Windows-1252) character set.";
    return std::string();
}

void ProxyGroup::UpdateProxyControls() const
{
    const bool on = UseProxyServerCheckBox->isChecked();
    for (QWidget *w :
         std::initializer_list<QWidget *>{ProxyHTTPRadioButton, ProxySocks4RadioButton, ProxySocks5RadioButton,
                                          ProxyServerLabel, ProxyServerEdit, ProxyPortLabel, ProxyPortEdit})
        SetEnabledIfChanged(w, on);
    const bool credentials = on && (ProxyHTTPRadioButton->isChecked() || ProxySocks5RadioButton->isChecked());
    for (QWidget *w :
         std::initializer_list<QWidget *>{ProxyUsernameLabel, ProxyUsernameEdit, ProxyPasswordLabel, ProxyPasswordEdit})
        SetEnabledIfChanged(w, credentials);
}

QLabel *MakeLabel(QWidget *parent, const char *text, int left, int top, int width, QWidget *buddy)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(left, top, width, LabelHeight);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QLineEdit *MakeEdit(QWidget *parent, int left, int top, int width)
{
    auto *edit = new QLineEdit(parent);
    edit->setGeometry(left, top, width, EditHeight);
    return edit;
}

QPlainTextEdit *MakeNoteMemo(QWidget *parent, const QRect &geometry, const QString &text)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setGeometry(geometry);
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setFocusPolicy(Qt::ClickFocus);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->document()->setDocumentMargin(1);
    // The face's role rather than its colour, so that the note follows the
    // desktop's colours as the page around it does.
    memo->viewport()->setBackgroundRole(QPalette::Button);
    memo->setPlainText(text);
    return memo;
}

void SetEnabledIfChanged(QWidget *control, bool enabled)
{
    // The control's own state, not the one inherited from a disabled parent.
    if (control->testAttribute(Qt::WA_ForceDisabled) == enabled)
        control->setEnabled(enabled);
}

QFont FormFont(int points, bool bold)
{
    return controls::FormFont(points, bold);
}

namespace {

QString fontRule(const QString &selector, const QFont &font)
{
    QString family = QFontInfo(font).family();
    family.replace(QLatin1Char('"'), QString());
    const QString size = font.pointSize() > 0 ? QStringLiteral("%1pt").arg(font.pointSize())
                                              : QStringLiteral("%1px").arg(font.pixelSize());
    return QStringLiteral("%1 { font-family: \"%2\"; font-size: %3; font-weight: %4; font-style: %5; }\n")
        .arg(selector, family, size)
        .arg(font.bold() ? 700 : 400)
        .arg(font.italic() ? QStringLiteral("italic") : QStringLiteral("normal"));
}

} // namespace

void KeepFormLayout(QWidget *form)
{
    QString sheet = fontRule(QStringLiteral("*"), form->font());
    int unnamed = 0;
    for (QWidget *child : form->findChildren<QWidget *>()) {
        if (!child->testAttribute(Qt::WA_SetFont) || child->font() == form->font())
            continue;
        // A rule needs a name to hold on to.
        if (child->objectName().isEmpty())
            child->setObjectName(QStringLiteral("FormFont%1").arg(++unnamed));
        sheet += fontRule(QStringLiteral("#") + child->objectName(), child->font());
    }
    form->setStyleSheet(sheet);
    controls::KeepLeftToRight(form);
    // A sheet names no stretch. A control with a font of its own keeps the
    // rest of it under the rule; one that only inherits (a text box's viewport
    // among them) would fall back to the plain face and wrap its text
    // elsewhere than the fixed page was laid out for. Given last: a change of
    // style puts back the font a control had before a sheet first reached it.
    for (QWidget *child : form->findChildren<QWidget *>()) {
        if (!child->testAttribute(Qt::WA_SetFont))
            child->setFont(form->font());
    }
    // The sheet makes a combo box build its drop-down list, a window of its
    // own that would keep the application's font until it is first shown.
    for (QWidget *child : form->findChildren<QWidget *>())
        child->ensurePolished();
}

void UseFormFace(widgets::TdxPageControl *control, const QFont &formFont)
{
    gfx::Font tabFont = control->Font();
    tabFont.name = gfx::FaceName(QFontInfo(formFont).family());
    control->SetFont(tabFont);
}

} // namespace settings
