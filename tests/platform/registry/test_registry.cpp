#include "platform/registry/Registry.h"

#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using registry::Registry;
using registry::Value;
using registry::ValueType;

namespace {

class RegistryTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    std::map<std::string, std::string> m_env;
    registry::ScopedStoreFilePath m_store{m_dir.filePath("sub/registry.ini").toStdString()};
    registry::ScopedEnvironmentSource m_environment{[this](const std::string &name) -> std::optional<std::string> {
        return m_env.count(name) ? std::optional(m_env[name]) : std::nullopt;
    }};
};

TEST_F(RegistryTest, TypedValuesSurviveInAFreshObject)
{
    Registry writer;
    EXPECT_FALSE(writer.openKey("Software\\Zarvello\\Test", false));
    ASSERT_TRUE(writer.openKey("\\Software\\Zarvello\\Test\\", true));
    const std::string oddName = " a=b;[c]@%\\ ";
    const std::string oddText = std::string("  line1\r\n[x]=\"y\" \0\xe9 ", 20);
    const std::string bytes("\x00\x01\xff\x80", 4);
    EXPECT_TRUE(writer.writeInteger("Int", -5));
    EXPECT_TRUE(writer.writeText(oddName, oddText));
    EXPECT_TRUE(writer.writeBinary("Bin", bytes));
    EXPECT_TRUE(writer.writeText("", "default"));

    Registry reader;
    ASSERT_TRUE(reader.openKey("software\\ZARVELLO", false));
    ASSERT_TRUE(reader.openKey("test", false)); // relative to the open key
    EXPECT_EQ(reader.readValue("INT"), (Value{ValueType::Integer, -5, {}}));
    EXPECT_EQ(reader.readValue(oddName), (Value{ValueType::Text, 0, oddText}));
    EXPECT_EQ(reader.readValue("Bin"), (Value{ValueType::Binary, 0, bytes}));
    EXPECT_EQ(reader.readValue(""), (Value{ValueType::Text, 0, "default"}));
    EXPECT_FALSE(reader.readValue("Missing"));
    EXPECT_EQ(reader.valueNames(), (std::vector<std::string>{"Int", oddName, "Bin", ""}));

    EXPECT_TRUE(reader.deleteValue("int"));
    EXPECT_FALSE(reader.deleteValue("int"));
    EXPECT_FALSE(writer.valueExists("Int"));
}

TEST_F(RegistryTest, KeysFormATree)
{
    Registry r;
    ASSERT_TRUE(r.openKey("\\A\\B\\C", true));
    ASSERT_TRUE(r.openKey("\\A\\D", true));
    ASSERT_TRUE(r.openKey("\\A", false));
    EXPECT_EQ(r.subKeyNames(), (std::vector<std::string>{"B", "D"}));
    EXPECT_TRUE(r.keyExists("\\a\\b\\c"));

    EXPECT_TRUE(r.deleteKey("\\A\\B"));
    EXPECT_FALSE(r.keyExists("\\A\\B\\C"));
    EXPECT_TRUE(r.keyExists("\\A\\D"));

    // Roots are separate trees.
    Registry classes(registry::RootKey::ClassesRoot);
    EXPECT_FALSE(classes.openKey("\\A\\D", false));
}

TEST_F(RegistryTest, InternetSettingsComeFromTheEnvironment)
{
    Registry r;
    // The key exists as on Windows, but holds no proxy without a variable.
    ASSERT_TRUE(r.openKey(std::string("\\") + registry::kInternetSettingsKey, false));
    EXPECT_FALSE(r.readValue("ProxyEnable"));
    EXPECT_FALSE(r.readValue("ProxyServer"));

    m_env["HTTP_PROXY"] = "http://user:pw@proxy.local:3128/";
    EXPECT_EQ(r.readValue("proxyenable"), (Value{ValueType::Integer, 1, {}}));
    EXPECT_EQ(r.readValue("ProxyServer"), (Value{ValueType::Text, 0, "proxy.local:3128"}));
    m_env["http_proxy"] = "127.0.0.1:8080";
    EXPECT_EQ(r.readValue("ProxyServer")->data, "127.0.0.1:8080");
    m_env["http_proxy"] = " socks5://u:p@w@127.0.0.1:1080/path ";
    EXPECT_EQ(r.readValue("ProxyServer")->data, "127.0.0.1:1080");
    EXPECT_EQ(r.valueNames(), (std::vector<std::string>{"ProxyEnable", "ProxyServer"}));

    // What the store holds wins over the environment.
    EXPECT_TRUE(r.writeInteger("ProxyEnable", 0));
    EXPECT_EQ(r.readValue("ProxyEnable")->integer, 0);
    EXPECT_EQ(r.readValue("ProxyServer")->data, "127.0.0.1:1080");
}

} // namespace
