#pragma once

// A small hierarchical key/value store in place of the Windows registry. Keys
// are paths of names separated by "\" under a root; each key holds typed
// values. The store is one file of the user's configuration folder
// ("zarvello/registry.ini" under $XDG_CONFIG_HOME or ~/.config), rewritten
// atomically on every change. Names of keys and values match without regard
// to case.

#include "platform/rtl/ScopedOverride.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace registry {

enum class RootKey { CurrentUser, LocalMachine, ClassesRoot };

enum class ValueType { None, Integer, Text, Binary };

struct Value
{
    ValueType type = ValueType::None;
    int32_t integer = 0; // Integer
    std::string data;    // Text, or the bytes of Binary
    friend bool operator==(const Value &, const Value &) = default;
};

// The file the store lives in; tests point it at a temporary folder.
std::string storeFilePath();
using ScopedStoreFilePath = rtl::ScopedOverride<struct StoreFilePathTag, std::string>;

class Registry
{
public:
    explicit Registry(RootKey root = RootKey::CurrentUser);

    // Opens the key; a path beginning with "\" starts at the root, any other
    // is relative to the open key. Without canCreate a missing key is not
    // made and false is returned.
    bool openKey(const std::string &path, bool canCreate);
    void closeKey();
    const std::string &currentPath() const { return m_path; }
    bool keyExists(const std::string &path) const;
    // Deletes the key with everything below it.
    bool deleteKey(const std::string &path);
    std::vector<std::string> subKeyNames() const;

    // The values of the open key (the root without one).
    std::optional<Value> readValue(const std::string &name) const;
    bool valueExists(const std::string &name) const { return readValue(name).has_value(); }
    std::vector<std::string> valueNames() const;
    bool writeInteger(const std::string &name, int32_t value);
    bool writeText(const std::string &name, const std::string &value);
    bool writeBinary(const std::string &name, const std::string &bytes);
    bool deleteValue(const std::string &name);

private:
    std::string resolve(const std::string &path) const;
    bool writeValue(const std::string &name, const std::string &stored);

    RootKey m_root;
    std::string m_path; // normalised, without leading or trailing "\"
};

} // namespace registry
