#include "report/model/storage/IniFiles.h"
#include "report/model/storage/IniStorage.h"

#include "platform/ini/PrivateProfile.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/FormatSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace report;

class IniStorageTest : public ::testing::TestWithParam<const TppIniStorageClass *>
{
protected:
    IniStorageTest()
    {
        ppIniStorageInit();
        TppIniStoragePlugIn::SetStorageClass(GetParam());
        TppIniStoragePlugIn::SetStorageParameter(GetParam()->GetDefaultParameter());
    }
    ~IniStorageTest() override { ppIniStorageFinalize(); }

    QString folder() const { return m_dir.path() + QStringLiteral("/config/zarvello"); }

    QTemporaryDir m_dir;
    registry::ScopedStoreFilePath m_store{m_dir.filePath("config/zarvello/registry.ini").toStdString()};
    rtl::ScopedFormatSettings m_format{rtl::FormatSettingsEnUS()};
};

TEST_P(IniStorageTest, OneInstanceWritesWhatTheNextReadsAndMissingOrBadValuesGiveDefaults)
{
    const double date = 45000.0, time = 0.75, stamp = 45000.5;
    {
        std::unique_ptr<TppIniStorage> store = TppIniStoragePlugIn::CreateInstance();
        ASSERT_EQ(&store->ClassType(), GetParam());
        store->WriteBool("Dialog", "Visible", true);
        store->WriteInteger("Dialog", "Left", -12);
        store->WriteString("Dialog", "Find", "cat sat");
        store->WriteFloat("Dialog", "Zoom", 1.25);
        store->WriteDate("Dialog", "Date", date);
        store->WriteTime("Dialog", "Time", time);
        store->WriteDateTime("Dialog", "Stamp", stamp);
        store->WriteString("Other", "Key", "x");
        store->WriteString("Dialog", "NotANumber", "12abc");
    }
    std::unique_ptr<TppIniStorage> store = TppIniStoragePlugIn::CreateInstance();
    EXPECT_TRUE(store->ReadBool("Dialog", "Visible", false));
    EXPECT_EQ(store->ReadInteger("dialog", "left", 0), -12);
    EXPECT_EQ(store->ReadString("Dialog", "Find", ""), "cat sat");
    EXPECT_DOUBLE_EQ(store->ReadFloat("Dialog", "Zoom", 0), 1.25);
    EXPECT_DOUBLE_EQ(store->ReadDate("Dialog", "Date", 0), date);
    EXPECT_DOUBLE_EQ(store->ReadTime("Dialog", "Time", 0), time);
    EXPECT_DOUBLE_EQ(store->ReadDateTime("Dialog", "Stamp", 0), stamp);

    EXPECT_EQ(store->ReadInteger("Dialog", "Missing", 7), 7);
    EXPECT_EQ(store->ReadString("Nowhere", "Find", "def"), "def");
    EXPECT_TRUE(store->ReadBool("Dialog", "Missing", true));
    EXPECT_EQ(store->ReadInteger("Dialog", "NotANumber", 3), 3);
    EXPECT_DOUBLE_EQ(store->ReadFloat("Dialog", "NotANumber", 2.5), 2.5);
    EXPECT_DOUBLE_EQ(store->ReadDate("Dialog", "Find", 9), 9);
    EXPECT_EQ(store->ReadInteger("Dialog", "Find", 4), 4);

    store->EraseSection("Dialog");
    EXPECT_EQ(store->ReadInteger("Dialog", "Left", 5), 5);
    EXPECT_EQ(store->ReadString("Other", "Key", ""), "x");
}

TEST_P(IniStorageTest, AnUnwritableFolderGivesDefaultsAndWritesFailQuietly)
{
    QFile blocker(m_dir.filePath("config"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    std::unique_ptr<TppIniStorage> store = TppIniStoragePlugIn::CreateInstance();
    EXPECT_NO_THROW(store->WriteInteger("Dialog", "Left", 3));
    EXPECT_NO_THROW(store->WriteFloat("Dialog", "Zoom", 3));
    EXPECT_NO_THROW(store->EraseSection("Dialog"));
    EXPECT_EQ(store->ReadInteger("Dialog", "Left", 8), 8);
}

// Sections, keys and values in any script keep apart and read back whole,
// also a name that holds the store's escape literally; the store's own name
// (the registry key) as well.
TEST_P(IniStorageTest, NamesAndTextsInAnyScriptKeepApart)
{
    const QStringList names = {QString::fromUtf8("Сетка"),  QString::fromUtf8("Табло"),
                               QString::fromUtf8("网格 😀"), QStringLiteral("&#x421;&#x435;&#x442;&#x43A;&#x430;"),
                               QStringLiteral("&#X41;"),    QString::fromUtf8("Größe &amp;")};
    const QString storeName = GetParam()->GetDefaultParameter() + QString::fromUtf8("Ж");
    {
        std::unique_ptr<TppIniStorage> store = GetParam()->Create(storeName);
        for (int i = 0; i < names.size(); ++i) {
            store->WriteInteger(names[i], names[i], i + 1);
            store->WriteString(names[i], "Text", names[i]);
        }
        store->WriteInteger("Plain", "Key", 5);
    }
    std::unique_ptr<TppIniStorage> store = GetParam()->Create(storeName);
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(store->ReadInteger(names[i], names[i], 0), i + 1) << names[i].toStdString();
        EXPECT_EQ(store->ReadString(names[i], "Text", ""), names[i]);
    }
    store->EraseSection(names[0]);
    EXPECT_EQ(store->ReadInteger(names[1], names[1], 0), 2);
    EXPECT_EQ(store->ReadInteger(names[3], names[3], 0), 4);
    EXPECT_EQ(store->ReadInteger("Plain", "Key", 0), 5);
    // Another store's name in another script is another store.
    EXPECT_EQ(
        GetParam()->Create(GetParam()->GetDefaultParameter() + QString::fromUtf8("Щ"))->ReadInteger("Plain", "Key", 0),
        0);
}

INSTANTIATE_TEST_SUITE_P(PlugIns, IniStorageTest,
                         ::testing::Values(&TppIniFile::StaticClass(), &TppRegistry::StaticClass()),
                         [](const auto &param) { return param.param->GetName().toStdString(); });

using IniFileStorageTest = IniStorageTest;

TEST_P(IniFileStorageTest, TheWindowsFolderMarkIsDroppedInAnyCaseAndValuesKeepTheirTextForms)
{
    rtl::TFormatSettings comma = rtl::FormatSettingsEnUS();
    comma.DecimalSeparator = u',';
    rtl::ScopedFormatSettings commaFormat(comma);
    TppIniFile upper(QStringLiteral("($WINSYS)\\Brevantor.ini"));
    upper.WriteBool("S", "B", true);
    upper.WriteFloat("S", "F", 1.5);
    const QString file = folder() + QStringLiteral("/Brevantor.ini");
    ASSERT_TRUE(QFile::exists(file));
    const std::string path = file.toStdString();
    EXPECT_EQ(ini::GetPrivateProfileString("S", "B", "", 100, path), "1");
    EXPECT_EQ(ini::GetPrivateProfileString("S", "F", "", 100, path), "1,5");

    TppIniFile lower(QStringLiteral("($winsys)\\Brevantor.ini"));
    EXPECT_DOUBLE_EQ(lower.ReadFloat("S", "F", 0), 1.5);
    EXPECT_EQ(TppIniFile::FilePath(m_dir.path() + "/own.ini"), m_dir.path() + "/own.ini");
}

TEST_P(IniFileStorageTest, BinaryGarbageAndHugeLinesReadAsDefaults)
{
    QDir().mkpath(folder());
    QFile garbage(folder() + QStringLiteral("/Brevantor.ini"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes.append(char((i * 7919) & 0xff));
    garbage.write(bytes + "\n[S]\nLong=" + QByteArray(1 << 20, '9') + "\n");
    garbage.close();
    std::unique_ptr<TppIniStorage> store = TppIniStoragePlugIn::CreateInstance();
    EXPECT_EQ(store->ReadInteger("S", "Long", 6), 6);
    EXPECT_EQ(store->ReadString("S", "Long", "").size(), 2047);
    EXPECT_DOUBLE_EQ(store->ReadFloat("S", "Missing", 0.5), 0.5);
}

// The read buffer holds as many characters in any script as in the code
// page, and a longer value is cut between characters, not inside an escape.
TEST_P(IniFileStorageTest, TheReadBufferCountsCharactersInAnyScript)
{
    std::unique_ptr<TppIniStorage> store = TppIniStoragePlugIn::CreateInstance();
    const QString whole = QString(2045, QChar(0x416)) + QString::fromUtf8("😀");
    store->WriteString("S", "Whole", whole);
    EXPECT_EQ(store->ReadString("S", "Whole", ""), whole);
    store->WriteString("S", "Long", QString(3000, QChar(0x416)));
    EXPECT_EQ(store->ReadString("S", "Long", ""), QString(2047, QChar(0x416)));
    store->WriteString("S", "Pairs", QString::fromUtf8("😀").repeated(1500));
    EXPECT_EQ(store->ReadString("S", "Pairs", ""), QString::fromUtf8("😀").repeated(1023));
}

INSTANTIATE_TEST_SUITE_P(File, IniFileStorageTest, ::testing::Values(&TppIniFile::StaticClass()));

TEST(RegistryStorage, SectionsAreKeysBelowTheNamedKeyAndFloatsAreEightByteDoubles)
{
    QTemporaryDir dir;
    registry::ScopedStoreFilePath store(dir.filePath("registry.ini").toStdString());
    TppRegistry storage(TppRegistry::StaticClass().GetDefaultParameter());
    storage.WriteFloat("TextSearchSettingsDialog", "Zoom", 0.1);
    storage.WriteBool("TextSearchSettingsDialog", "Shown", true);

    registry::Registry key;
    ASSERT_TRUE(key.openKey("\\Brevantor\\TextSearchSettingsDialog", false));
    const std::optional<registry::Value> zoom = key.readValue("Zoom");
    ASSERT_TRUE(zoom && zoom->type == registry::ValueType::Binary && zoom->data.size() == 8);
    double value = 0;
    std::memcpy(&value, zoom->data.data(), 8);
    EXPECT_EQ(value, 0.1);
    EXPECT_EQ(key.readValue("Shown"), (registry::Value{registry::ValueType::Integer, 1, {}}));
}

TEST(IniStoragePlugIns, StartUpRegistersBothAndUsesTheIniFileUntilReleased)
{
    ppIniStorageInit();
    EXPECT_EQ(TppIniStoragePlugIns::Classes(),
              (std::vector<const TppIniStorageClass *>{&TppIniFile::StaticClass(), &TppRegistry::StaticClass()}));
    EXPECT_EQ(TppIniStoragePlugIn::StorageClass(), &TppIniFile::StaticClass());
    EXPECT_EQ(TppIniStoragePlugIn::StorageParameter(), QStringLiteral("($WINSYS)\\Brevantor.ini"));
    ppIniStorageFinalize();
    EXPECT_TRUE(TppIniStoragePlugIns::Classes().empty());
    EXPECT_EQ(TppIniStoragePlugIn::CreateInstance(), nullptr);
}

} // namespace
