#include "foundation/MyOptions.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyWebUtilitiesProxy.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/Rounding.h"

namespace foundation {

namespace {

// A longer binary value than this is not read, and counts as disabled.
constexpr size_t EnableBufferSize = 1024;

std::string enableText(const registry::Value &value)
{
    switch (value.type) {
    case registry::ValueType::Integer: return std::to_string(value.integer);
    case registry::ValueType::Binary:
        // An empty value has no first byte to read.
        if (value.data.empty() || value.data.size() > EnableBufferSize)
            return {};
        return std::to_string(uint8_t(value.data[0]));
    default: return {};
    }
}

} // namespace

ProxySettingsSnapshot ProxySettingsSnapshot::Current()
{
    ProxySettingsSnapshot s;
    s.UseProxy = foundation::UseProxy;
    s.ProxyKind = foundation::ProxyKind;
    s.ProxyServer = foundation::ProxyServer;
    s.ProxyPort = foundation::ProxyPort;
    s.ProxyUsername = foundation::ProxyUsername;
    s.ProxyPassword = foundation::ProxyPassword;
    return s;
}

void GetIEProxySettings(std::string &server, int32_t &port)
{
    server.clear();
    port = 0;

    registry::Registry reg(registry::RootKey::CurrentUser);
    if (!reg.openKey(std::string("\\") + registry::kInternetSettingsKey, false))
        return;
    const std::optional<registry::Value> enable = reg.readValue("ProxyEnable");
    if (!enable || StrToNumber(enableText(*enable)) == 0)
        return;
    const std::optional<registry::Value> proxy = reg.readValue("ProxyServer");
    // A value of another type cannot be read as text; nothing is imported.
    if (!proxy || proxy->type != registry::ValueType::Text)
        return;

    std::string text = proxy->data;
    const int http = StrPos(text, "http=", false);
    if (http > 0) {
        text = CopyFrom(text, http + 5);
        const size_t semicolon = text.find(';');
        if (semicolon != std::string::npos)
            text.resize(semicolon);
    }
    const size_t colon = text.find(':');
    if (colon != std::string::npos) {
        port = rtl::Round(StrToNumber(text.substr(colon + 1)));
        text.resize(colon);
    }
    server = text;
}

} // namespace foundation
