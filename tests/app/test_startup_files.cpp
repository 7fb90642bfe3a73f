// Each file the program reads at its start, with something in its place that
// is no file: a pipe whose writer never writes, a folder, a dangling link and
// a link to a device without end. The start goes on or ends at once, as each
// file's own rules say, and what stands in the file's place stays there.

#include "app/SearchEngines.h"
#include "platform/controls/ManualClock.h"
#include "settings/FirstStartWizardUnit.h"
#include "tests/app/MainFormFixture.h"

#include <QDir>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace app;
using namespace settings;

namespace {

enum class Kind { PipeWithWriter, Folder, DanglingLink, Device };

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::PipeWithWriter:
        return "a pipe whose writer never writes";
    case Kind::Folder:
        return "a folder";
    case Kind::DanglingLink:
        return "a dangling link";
    case Kind::Device:
        return "a link to /dev/zero";
    }
    return "";
}

class StartUpFilesTest : public MainFormTest
{
protected:
    // Puts the kind in the file's place; the writer's end of a pipe stays
    // open in writer.
    void replace(const QString &file, Kind kind, int &writer)
    {
        const std::string name = file.toStdString();
        ASSERT_TRUE(!QFileInfo::exists(file) || QFile::remove(file));
        switch (kind) {
        case Kind::PipeWithWriter:
            ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
            writer = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
            ASSERT_GE(writer, 0);
            break;
        case Kind::Folder:
            ASSERT_TRUE(QDir().mkdir(file));
            break;
        case Kind::DanglingLink:
            ASSERT_EQ(::symlink("gone", name.c_str()), 0);
            break;
        case Kind::Device:
            ASSERT_EQ(::symlink("/dev/zero", name.c_str()), 0);
            break;
        }
    }

    static bool stands(const QString &file, Kind kind)
    {
        struct stat st
        {};
        if (::lstat(file.toStdString().c_str(), &st) != 0)
            return false;
        switch (kind) {
        case Kind::PipeWithWriter:
            return S_ISFIFO(st.st_mode);
        case Kind::Folder:
            return S_ISDIR(st.st_mode);
        case Kind::DanglingLink:
        case Kind::Device:
            return S_ISLNK(st.st_mode);
        }
        return false;
    }
};

// A table past the bound would hold the start for minutes (a column, a popup
// entry and a query per site for each engine): its first engines are used.
TEST_F(StartUpFilesTest, AnEngineTablePastTheBoundGivesItsFirstEngines)
{
    std::string table;
    for (size_t i = 1; i <= MaxSearchEngines + 5; ++i)
        table += "E" + std::to_string(i) + ":http://127.0.0.1:9/?q=YOURDOMAIN.COM\r\n";
    write("ZVO-SearchEngines.txt", table);
    write("Domain-Data.txt", SortedRows);
    TMainForm &form = start();
    ASSERT_TRUE(form.SearchEngineNames.has_value());
    EXPECT_EQ(form.SearchEngineNames->size(), MaxSearchEngines);
    EXPECT_EQ(form.SearchEngineNames->back(), "E" + std::to_string(MaxSearchEngines));
    EXPECT_EQ(form.ListView1->columnCount(), int(MaxSearchEngines) + 2);
}

TEST_F(StartUpFilesTest, WhatIsNoFileNeitherHoldsUpTheStartNorIsMovedOrReplaced)
{
    const char *files[] = {"ZVO-SearchEngines.txt", "Domain-Data.txt", "Options.ini",
                           "ZVO-RowIcon.png",       "ZVO-Logo.png",    "about.gif"};
    // The splash's minimum time passes at once.
    controls::ManualClock clock;
    for (const Kind kind : {Kind::PipeWithWriter, Kind::Folder, Kind::DanglingLink, Kind::Device}) {
        for (const char *name : files) {
            SCOPED_TRACE(std::string(name) + " as " + kindName(kind));
            const QString file = m_folder.file(QString::fromLatin1(name));
            const std::string original = read(name);
            setEngines(3);
            write("Domain-Data.txt", SortedRows);
            writeOptions(std::string("ShowSplashScreen=") + (name == std::string("about.gif") ? "true" : "false") +
                         "\r\n");
            int writer = -1;
            ASSERT_NO_FATAL_FAILURE(replace(file, kind, writer));
            m_boxes.clear();
            const qsizetype dialogs = m_dialogs.shown().size();

            const bool engines = name == std::string("ZVO-SearchEngines.txt");
            const bool list = name == std::string("Domain-Data.txt");
            // An empty list leads to the first start, left here with Exit.
            if (list)
                m_dialogs.drive<TFirstStartWizardForm>([](TFirstStartWizardForm &w) { w.ExitButton->click(); });
            start(!engines && !list);
            if (engines && kind == Kind::DanglingLink) {
                // Nothing to read is a missing table.
                ASSERT_EQ(m_boxes.requests().size(), 1u);
                EXPECT_TRUE(m_boxes.requests()[0].text.contains(QStringLiteral("does not exists")));
            } else {
                EXPECT_TRUE(m_boxes.requests().empty()) << m_boxes.requests()[0].text.toStdString();
            }
            EXPECT_EQ(m_dialogs.shown().size(), dialogs + (list ? 1 : 0));
            m_form.reset();

            // A folder in the list's place is moved aside for the user; the
            // rest stays where it is.
            if (list && kind == Kind::Folder) {
                EXPECT_TRUE(QFileInfo(file + QStringLiteral(".bad")).isDir());
                ASSERT_TRUE(QDir(file + QStringLiteral(".bad")).removeRecursively());
            } else {
                EXPECT_TRUE(stands(file, kind));
            }
            if (writer >= 0)
                ::close(writer);
            if (kind == Kind::Folder)
                QDir(file).removeRecursively();
            else
                ::unlink(file.toStdString().c_str());
            QFile::remove(m_folder.file(QStringLiteral("gone")));
            write(name, original);
        }
    }
}

// A site list too large to read: an ordinary file is set aside for the user,
// as any list that cannot be read; behind a link it stays where the user put
// it, and no save replaces it with the empty list the start goes on with.
TEST_F(StartUpFilesTest, AListTooLargeToReadIsSetAsideOrLeftBehindItsLinkAndNeverSavedOver)
{
    const std::string big = m_folder.file(QStringLiteral("big.txt")).toStdString();
    const std::string list = m_folder.file(QStringLiteral("Domain-Data.txt")).toStdString();
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "behind a link" : "an ordinary file");
        write("big.txt", SortedRows);
        ASSERT_EQ(::truncate(big.c_str(), off_t(rtl::FileReadLimit + 1)), 0);
        QFile::remove(QString::fromStdString(list));
        ASSERT_EQ(linked ? ::symlink("big.txt", list.c_str()) : ::rename(big.c_str(), list.c_str()), 0);
        m_dialogs.drive<TFirstStartWizardForm>([](TFirstStartWizardForm &w) { w.ExitButton->click(); });
        start(false);
        EXPECT_TRUE(m_boxes.requests().empty());
        m_form.reset();
        const std::string kept = linked ? big : list + ".bad";
        struct stat st
        {};
        ASSERT_EQ(::stat(kept.c_str(), &st), 0);
        EXPECT_EQ(uint64_t(st.st_size), rtl::FileReadLimit + 1);
        if (linked) {
            EXPECT_TRUE(QFileInfo(QString::fromStdString(list)).isSymLink());
        } else {
            // The save after the first start made a new, empty list.
            EXPECT_EQ(read("Domain-Data.txt"), "");
        }
        QFile::remove(QString::fromStdString(kept));
    }
}

} // namespace
