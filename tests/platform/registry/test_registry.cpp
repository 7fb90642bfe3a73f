#include "platform/registry/Registry.h"

#include "tests/support/TestSupport.h"

#include "platform/rtl/FileDescriptor.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using registry::Registry;
using registry::Value;
using registry::ValueType;

namespace {

class RegistryTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    registry::ScopedStoreFilePath m_store{m_dir.filePath("sub/registry.ini").toStdString()};
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

// The grid's layouts of every form share the store: one too large to read
// gives no values, and a write does not replace it with its own key alone.
TEST_F(RegistryTest, AStoreThatCannotBeReadIsNotReplaced)
{
    const std::string store = m_dir.filePath("sub/registry.ini").toStdString();
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("sub"));
    ASSERT_TRUE(zvotest::writeFile(QString::fromStdString(store), "[HKEY_CURRENT_USER\\Software]\r\nKept=s:1\r\n"));
    ASSERT_EQ(::truncate(store.c_str(), off_t(rtl::FileReadLimit + 1)), 0);
    Registry registry;
    EXPECT_FALSE(registry.openKey("Software", false));
    // Making the key writes the store too.
    EXPECT_FALSE(registry.openKey("Software", true));
    EXPECT_FALSE(registry.writeInteger("Int", 1));
    struct stat st
    {};
    ASSERT_EQ(::stat(store.c_str(), &st), 0);
    EXPECT_EQ(uint64_t(st.st_size), rtl::FileReadLimit + 1);
}

} // namespace

// The store's folder is named by HOME or XDG_CONFIG_HOME; Qt decodes them,
// and bytes that are no UTF-8 would name another folder, whose store would
// be read and written as the user's. Such a store has no name.
TEST(RegistryStore, AHomeWhoseNameIsNotUtf8NamesNoStore)
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", home);
        if (hadConfig)
            qputenv("XDG_CONFIG_HOME", config);
        else
            qunsetenv("XDG_CONFIG_HOME");
    });
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(registry::storeFilePath().empty());
    qputenv("HOME", "/home/j\xf6rg");
    EXPECT_EQ(registry::storeFilePath(), "");
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", "/home/j\xf6rg/.config");
    EXPECT_EQ(registry::storeFilePath(), "");
    qputenv("XDG_CONFIG_HOME", "/home/j\xc3\xb6rg/.config");
    EXPECT_EQ(registry::storeFilePath(), "/home/j\xc3\xb6rg/.config/zarvello/registry.ini");
}
