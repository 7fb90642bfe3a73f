#include "grid/core/RegIniWrapper.h"

#include "platform/ini/PrivateProfile.h"

#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

using namespace grid;

namespace {

// Section names exactly as given, so that the prefix rule shows on its own.
class ExactNameStore : public TCustomIniFile
{
public:
    ExactNameStore()
        : TCustomIniFile("memory")
    {}
    QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) override
    {
        const auto s = m_sections.find(section);
        if (s == m_sections.end() || !s->second.count(ident))
            return defaultValue;
        return s->second.at(ident);
    }
    void WriteString(const QString &section, const QString &ident, const QString &value) override
    {
        m_sections[section][ident] = value;
    }
    QStringList ReadSections() override
    {
        QStringList names;
        for (const auto &s : m_sections)
            names << s.first;
        return names;
    }
    void EraseSection(const QString &section) override { m_sections.erase(section); }

private:
    std::map<QString, std::map<QString, QString>> m_sections;
};

TEST(RegIniWrapper, PrefixErasesCaseSensitively)
{
    ExactNameStore store;
    TdxRegIniWrapper wrapper(&store);
    for (const char *section : {"A", "AB", "BA", "ab"})
        wrapper.WriteInteger(section, "Width", 1);
    wrapper.EraseSectionsWithPrefix("A");
    EXPECT_EQ(wrapper.ReadSections(), QStringList({"BA", "ab"}));
}

class Stores : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string file(const char *name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
    registry::ScopedStoreFilePath registryFile{dir.filePath("registry.ini").toStdString()};
};

TEST_F(Stores, MissingKeysReadTheDefaultInEveryStore)
{
    ini::writeFile(file("layout.ini"), "[\\Form1_Grid1]\r\nShowGrid=0\r\nWidth=abc\r\n");
    TMemIniFile memory(file("layout.ini"));
    TIniFile direct(file("layout.ini"));
    TRegIniFile reg("");
    TdxRegIniWrapper wrappers[] = {TdxRegIniWrapper(&memory), TdxRegIniWrapper(&direct), TdxRegIniWrapper(&reg)};
    for (TdxRegIniWrapper &w : wrappers) {
        EXPECT_EQ(w.ReadInteger("\\Nowhere", "Width", 42), 42);
        EXPECT_EQ(w.ReadInteger("\\Form1_Grid1", "Missing", -1), -1);
        EXPECT_TRUE(w.ReadBool("\\Nowhere", "ShowGrid", true));
        w.WriteInteger("\\Form1_Grid1\\Columns\\Name", "Index", 7);
        w.WriteBool("\\Form1_Grid1\\Columns\\Name", "Visible", false);
        EXPECT_EQ(w.ReadInteger("\\Form1_Grid1\\Columns\\Name", "Index", 0), 7);
        EXPECT_FALSE(w.ReadBool("\\Form1_Grid1\\Columns\\Name", "Visible", true));
    }
    // A value that is no number reads the default.
    EXPECT_EQ(TdxRegIniWrapper(&memory).ReadInteger("\\Form1_Grid1", "Width", 5), 5);
    EXPECT_FALSE(TdxRegIniWrapper(&memory).ReadBool("\\Form1_Grid1", "ShowGrid", true));
}

// The key-by-key store's read buffer counts characters in any script, as it
// does those of the code page.
TEST_F(Stores, TheFileStoreReadsAsManyCharactersInAnyScript)
{
    TIniFile direct(file("layout.ini"));
    const QString value = QString(2047, QChar(0x416));
    direct.WriteString(QString::fromUtf8("\\Сетка"), "Caption", value + value);
    EXPECT_EQ(direct.ReadString(QString::fromUtf8("\\Сетка"), "Caption", ""), value);
}

TEST_F(Stores, TheMemoryStoreWritesItsFileOnceAtTheEnd)
{
    const std::string path = file("layout.ini");
    ini::writeFile(path, "[\\Form1_Grid1\\Columns\\Gone]\r\nIndex=3\r\n[Other]\r\nKeep=1\r\n");
    TMemIniFile store(path);
    TdxRegIniWrapper wrapper(&store);
    wrapper.EraseSectionsWithPrefix("\\Form1_Grid1");
    wrapper.WriteInteger("\\Form1_Grid1", "BandRowCount", 2);
    EXPECT_NE(ini::readFile(path).find("Gone"), std::string::npos); // not yet
    store.UpdateFile();
    EXPECT_EQ(ini::readFile(path), "[Other]\r\nKeep=1\r\n\r\n[\\Form1_Grid1]\r\nBandRowCount=2\r\n");

    TMemIniFile unwritable(dir.filePath("no/such/folder/layout.ini").toStdString());
    unwritable.WriteInteger("S", "K", 1);
    EXPECT_THROW(unwritable.UpdateFile(), EIniFileException);
}

// The layouts of every other form live in the same file: one that could not
// be read whole is not replaced by the one layout just saved.
TEST_F(Stores, TheMemoryStoreDoesNotReplaceAFileItCouldNotRead)
{
    const std::string path = file("layout.ini");
    ini::writeFile(path, "[Other]\r\nKeep=1\r\n");
    ASSERT_EQ(::truncate(path.c_str(), off_t(rtl::FileReadLimit + 1)), 0);
    TMemIniFile store(path);
    EXPECT_TRUE(store.ReadSections().isEmpty());
    store.WriteInteger("S", "K", 1);
    try {
        store.UpdateFile();
        ADD_FAILURE() << "the file was replaced";
    } catch (const EIniFileException &e) {
        EXPECT_NE(std::string(e.what()).find("is larger than 268435456 bytes"), std::string::npos) << e.what();
    }
    struct stat st
    {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(uint64_t(st.st_size), rtl::FileReadLimit + 1);
}

TEST_F(Stores, TheRegistryKeepsSectionsAsKeysAndErasesByName)
{
    TRegIniFile store("\\Software\\Zarvello\\Layouts\\");
    TdxRegIniWrapper wrapper(&store);
    wrapper.WriteInteger("Grid1", "Width", 10);
    wrapper.WriteInteger("Grid2", "Width", 20);
    EXPECT_EQ(wrapper.ReadSections(), QStringList({"Grid1", "Grid2"}));
    wrapper.EraseSectionsWithPrefix("Grid"); // the registry keeps its keys
    EXPECT_EQ(wrapper.ReadSections().size(), 2);
    wrapper.EraseSection("Grid1");
    EXPECT_EQ(wrapper.ReadSections(), QStringList({"Grid2"}));
    EXPECT_EQ(wrapper.ReadInteger("Grid1", "Width", -1), -1);
    EXPECT_TRUE(store.OpenKey("Grid2", false));
    EXPECT_FALSE(store.OpenKey("Grid1", false));
}

} // namespace
