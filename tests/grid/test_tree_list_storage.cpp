#include "ControlFixture.h"

#include "grid/core/RegIniWrapper.h"

#include "platform/ini/PrivateProfile.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace grid;
using gridtest::ControlFixture;

namespace {

class Storage : public ::testing::Test
{
protected:
    Storage()
        : registryFile(dir.filePath("registry.ini").toStdString())
    {
        form.SetName(QStringLiteral("Form1"));
        f.tree->SetName(QStringLiteral("Grid1"));
        f.tree->SetParentForm(&form);
    }
    TdxTreeListColumn *named(const char *name, const char *caption)
    {
        TdxTreeListColumn *c = f.column(QString::fromLatin1(caption));
        c->SetName(QString::fromLatin1(name));
        return c;
    }
    QString file(const char *name = "layout.ini") const { return dir.filePath(name); }
    QStringList sections(const QString &name) const
    {
        TMemIniFile store(name.toStdString());
        return store.ReadSections();
    }
    void write(const QString &name, const char *text) const { ASSERT_TRUE(ini::writeFile(name.toStdString(), text)); }

    QTemporaryDir dir;
    registry::ScopedStoreFilePath registryFile;
    classes::TComponent form{nullptr};
    ControlFixture f;
};

TEST_F(Storage, SectionsFollowFormGridColumnAndBandNames)
{
    named("colX", "X");
    f.tree->SaveToIniFile(file());
    EXPECT_EQ(sections(file()),
              QStringList({"\\Form1_Grid1", "\\Form1_Grid1\\Band\\Band0", "\\Form1_Grid1\\Columns\\colX"}));
    TMemIniFile store(file().toStdString());
    EXPECT_EQ(store.ReadInteger("\\Form1_Grid1\\Columns\\colX", "ColIndex", -7), 0);

    // A path is used with one leading separator and none trailing.
    TMemIniFile other(file("other.ini").toStdString());
    f.tree->SaveLayout(&other, QStringLiteral("Layouts\\\\"));
    EXPECT_TRUE(other.ReadSections().contains("\\Layouts"));
    EXPECT_FALSE(other.ReadSections().contains("\\Layouts\\\\"));
}

TEST_F(Storage, SavingErasesOnlyItsOwnSectionsWithTheirCase)
{
    named("colA", "A");
    TdxTreeListColumn *old = named("colOld", "Old");
    write(file(), "[\\Form1_Grid10]\nWidth=5\n[\\FORM1_GRID1\\Columns\\colGone]\nWidth=1\n");
    f.tree->SaveToIniFile(file());
    delete old;
    f.tree->SaveToIniFile(file());
    const QStringList names = sections(file());
    EXPECT_TRUE(names.contains("\\Form1_Grid10"));
    EXPECT_TRUE(names.contains("\\Form1_Grid1\\Columns\\colA"));
    EXPECT_FALSE(names.contains("\\Form1_Grid1\\Columns\\colOld"));
    EXPECT_FALSE(names.contains("\\FORM1_GRID1\\Columns\\colGone"));
}

TEST_F(Storage, SavedIndexesOrderTheColumnsAsText)
{
    for (const char *c : {"A", "B", "C"})
        named((QByteArray("col") + c).constData(), c);
    write(file(), "[\\Form1_Grid1\\Columns\\colA]\nIndex=2\n[\\Form1_Grid1\\Columns\\colB]\nIndex=0\n"
                  "[\\Form1_Grid1\\Columns\\colC]\nIndex=1\n");
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(f.captions(), QStringList({"B", "C", "A"}));

    // Eleven columns saved in reverse: 10 sorts after 9.
    for (int i = 3; i < 11; ++i)
        named(("n" + QByteArray::number(i)).constData(), "");
    QByteArray text;
    for (int i = 0; i < 11; ++i)
        text += "[\\Form1_Grid1\\Columns\\" + f.tree->Columns(i)->Name().toLatin1() +
                "]\nIndex=" + QByteArray::number(10 - i) + "\n";
    write(file(), text.constData());
    std::vector<TdxTreeListColumn *> before;
    for (int i = 0; i < 11; ++i)
        before.insert(before.begin(), f.tree->Columns(i));
    f.tree->LoadFromIniFile(file());
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(f.tree->Columns(i), before[size_t(i)]);
}

TEST_F(Storage, ALayoutComesBackInAnotherGrid)
{
    f.tree->Bands()->Add();
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u << boMultiSort);
    TdxTreeListColumn *a = named("colA", "A");
    TdxTreeListColumn *b = named("colB", "B");
    TdxTreeListColumn *c = named("colC", "C");
    for (const char *t : {"2", "1", "3"})
        f.node({t, QString(), QString()});
    b->SetBandIndex(1);
    a->SetWidth(140);
    c->SetVisible(false);
    c->SetIndex(0);
    f.tree->Bands()->Items(1)->SetIndex(0);
    a->SetSorted(csUp);
    f.tree->SaveToIniFile(file());

    ControlFixture g;
    g.tree->SetName(QStringLiteral("Grid1"));
    g.tree->SetParentForm(&form);
    g.tree->Bands()->Add();
    g.tree->SetOptionsB(g.tree->OptionsB() | 1u << boMultiSort);
    for (const char *n : {"colA", "colB", "colC"}) {
        TdxTreeListColumn *col = g.column(QString::fromLatin1(n + 3));
        col->SetName(QString::fromLatin1(n));
    }
    for (const char *t : {"2", "1", "3"})
        g.node({t, QString(), QString()});
    g.tree->LoadFromIniFile(file());
    EXPECT_EQ(g.captions(), QStringList({"C", "A", "B"}));
    EXPECT_EQ(g.tree->Bands()->Items(0)->ID(), f.tree->Bands()->Items(0)->ID());
    TdxTreeListColumn *ga = g.tree->ColumnByName(u"colA");
    EXPECT_EQ(ga->Width(), 140);
    EXPECT_FALSE(g.tree->ColumnByName(u"colC")->Visible());
    EXPECT_EQ(g.tree->ColumnByName(u"colB")->BandIndex(), 0); // its band moved to the front
    EXPECT_EQ(ga->Sorted(), csUp);
    ASSERT_EQ(g.tree->SortedColumns().size(), 1u);
    EXPECT_EQ(g.order(ga->Index()), QStringList({"1", "2", "3"}));
    EXPECT_EQ(g.tree->LayoutLoading(), 0);
    EXPECT_EQ(g.tree->SortLock(), 0);
    EXPECT_EQ(g.tree->UpdateCount(), 0);
}

TEST_F(Storage, ComputedHeaderRowsAndColIndex)
{
    f.tree->SetHeaderPanelMaxRowCount(3);
    f.tree->SetHeaderPanelRowCount(3);
    TdxTreeListColumn *a = named("colA", "A");
    TdxTreeListColumn *b = named("colB", "B");
    b->SetRowIndex(1);
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u << boComputedHeaderRows);
    f.tree->ColumnsChanged(nullptr);
    f.tree->SaveToIniFile(file());
    {
        TMemIniFile store(file().toStdString());
        EXPECT_EQ(store.ReadInteger("\\Form1_Grid1", "HeaderPanelRowCount", 0), -1);
    }
    f.tree->LoadFromIniFile(file());
    EXPECT_TRUE(f.tree->optionB(boComputedHeaderRows));

    // Read back, -1 leaves the rows as they are, computed or set.
    f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boComputedHeaderRows));
    f.tree->SetHeaderPanelRowCount(3);
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(f.tree->HeaderPanelRowCount(), 3);
    b->SetRowIndex(0);

    // The place within a row follows the column order, whatever was saved.
    write(file(), "[\\Form1_Grid1\\Columns\\colA]\nColIndex=1\n[\\Form1_Grid1\\Columns\\colB]\nColIndex=0\n");
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(a->ColIndex(), 0);
    EXPECT_EQ(b->ColIndex(), 1);
}

// The first run of a program finds no saved layout: computed header rows
// stay computed, in the ini file as in the registry.
TEST_F(Storage, NoSavedHeaderRowsKeepThemComputed)
{
    named("colA", "A");
    named("colB", "B")->SetRowIndex(1);
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u << boComputedHeaderRows);
    f.tree->ColumnsChanged(nullptr);
    const int rows = f.tree->HeaderPanelRowCount();
    f.tree->LoadFromIniFile(file("never-saved.ini"));
    EXPECT_TRUE(f.tree->optionB(boComputedHeaderRows));
    write(file(), "[\\Form1_Grid1]\nShowGrid=1\n");
    f.tree->LoadFromIniFile(file());
    EXPECT_TRUE(f.tree->optionB(boComputedHeaderRows));
    EXPECT_EQ(f.tree->HeaderPanelRowCount(), rows);
}

TEST_F(Storage, TheRegistryRoundTripsAndAMissingKeyChangesNothing)
{
    TdxTreeListColumn *a = named("colA", "A");
    named("colB", "B");
    a->SetWidth(77);
    f.tree->SaveToRegistry(QStringLiteral("Software\\Zarvello\\Grid1\\"));
    a->SetWidth(50);
    a->SetIndex(1);
    f.tree->LoadFromRegistry(QStringLiteral("Software\\Zarvello\\Grid1"));
    EXPECT_EQ(a->Width(), 77);
    EXPECT_EQ(f.captions(), QStringList({"A", "B"}));

    a->SetWidth(60);
    f.tree->LoadFromRegistry(QStringLiteral("Software\\Nothing"));
    f.tree->LoadFromIniFile(file("missing.ini"));
    EXPECT_EQ(a->Width(), 60);
    EXPECT_EQ(f.captions(), QStringList({"A", "B"}));
    EXPECT_FALSE(QFile::exists(file("missing.ini")));
}

TEST_F(Storage, BadValuesAreClampedOrIgnored)
{
    TdxTreeListColumn *a = named("colA", "A");
    TdxTreeListColumn *b = named("colB", "B");
    TdxTreeListColumn *c = named("colC", "C");
    write(file(), "[\\Form1_Grid1]\nBandRowCount=99\nDefaultRowHeight=-4\n"
                  "[\\Form1_Grid1\\Band\\Band0]\nID=42\nWidth=1\n"
                  "[\\Form1_Grid1\\Columns\\colA]\nWidth=abc\nIndex=99999999999\nSorted=7\nBandIndex=9\n"
                  "[\\Form1_Grid1\\Columns\\colB]\nWidth=1\nWidth=500\nIndex=1\nRowIndex=-3\n"
                  "[\\Form1_Grid1\\Columns\\colC]\nIndex=1\n"
                  "[\\Form1_Grid1\\Columns\\colB]\nIndex=0\n"
                  "[\\Form1_Grid1\\Columns\\colRemoved]\nIndex=0\n");
    const int bandWidth = f.tree->Bands()->Items(0)->Width();
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(f.tree->BandRowCount(), f.tree->BandMaxRowCount());
    EXPECT_GE(f.tree->Settings().DefaultRowHeight, 1);
    EXPECT_EQ(f.tree->Bands()->Items(0)->Width(), bandWidth); // no band has ID 42
    EXPECT_EQ(a->Width(), 100);
    EXPECT_EQ(b->Width(), b->MinWidth()); // the first of duplicate keys
    EXPECT_EQ(a->Sorted(), csNone);
    EXPECT_EQ(a->BandIndex(), 0);
    EXPECT_EQ(b->RowIndex(), 0);
    // Equal saved indexes keep the list order; the first section of a name holds.
    EXPECT_EQ(f.captions(), QStringList({"A", "B", "C"}));
    EXPECT_EQ(c->Index(), 2);
}

// Sizes far beyond any screen would overflow where the layout adds them up.
TEST_F(Storage, SizesBeyondAnyScreenAreClampedWhereRead)
{
    named("colA", "A");
    named("colB", "B");
    f.node({"x", "y"});
    const QString band = QString::number(f.tree->Bands()->Items(0)->ID());
    write(file(), ("[\\Form1_Grid1]\nDefaultRowHeight=2147483647\n"
                   "[\\Form1_Grid1\\Band\\Band0]\nID=" +
                   band +
                   "\nWidth=2147483647\n"
                   "[\\Form1_Grid1\\Columns\\colA]\nWidth=2147483647\n"
                   "[\\Form1_Grid1\\Columns\\colB]\nWidth=-2147483648\n")
                      .toLatin1()
                      .constData());
    f.tree->LoadFromIniFile(file());
    EXPECT_LE(f.tree->Settings().DefaultRowHeight, 32767);
    EXPECT_LE(f.tree->Bands()->Items(0)->Width(), 32767);
    EXPECT_LE(f.tree->Columns(0)->Width(), 32767);
    EXPECT_EQ(f.tree->Columns(1)->Width(), f.tree->Columns(1)->MinWidth());
    // What the values feed: the layout and a hit test through it.
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    EXPECT_FALSE(info.Bands.empty());
    f.tree->HitTest(40, 40);
}

// A load runs inside the update lock; what it changed in the row and
// header geometry is measured again when the lock goes, so a stored row
// height below what the font needs is raised as any other would be.
TEST_F(Storage, ALoadedGeometryIsMeasuredWhenTheLoadEnds)
{
    named("colA", "A");
    f.tree->CalcMetrics();
    const int minimum = f.tree->Metrics().MinRowHeight;
    ASSERT_GT(minimum, 1);
    write(file(), "[\\Form1_Grid1]\nDefaultRowHeight=1\n");
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight, minimum);

    write(file(), "[\\Form1_Grid1]\nDefaultRowHeight=60\n");
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight, 60);
    EXPECT_GE(f.tree->NodeRowHeight(f.node({"x"})), 60);
}

TEST_F(Storage, AutomaticStorageRunsOnceEach)
{
    auto grid = std::make_unique<TCustomdxTreeListControl>(nullptr);
    grid->SetName(QStringLiteral("Grid1"));
    grid->SetParentForm(&form);
    grid->SetOptionsA(grid->OptionsA() | 1u << aoStoreInIni);
    grid->SetIniFileName(file());
    TdxTreeListColumn *col = grid->CreateColumn(TdxTreeListColumn::StaticClass());
    col->SetName(QStringLiteral("colA"));
    write(file(), "[\\Form1_Grid1\\Columns\\colA]\nWidth=120\n");
    grid->Loaded();
    EXPECT_EQ(col->Width(), 120);
    col->SetWidth(80);
    grid->Loaded(); // a second Loaded reads nothing again
    EXPECT_EQ(col->Width(), 80);

    col->SetWidth(130);
    testing::internal::CaptureStderr();
    grid.reset();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    TMemIniFile store(file().toStdString());
    EXPECT_EQ(store.ReadInteger("\\Form1_Grid1\\Columns\\colA", "Width", 0), 130);

    // A save into a missing folder raises; the destructor cannot, and says
    // on one line of the error output which grid's layout was lost where.
    auto failing = std::make_unique<TCustomdxTreeListControl>(nullptr);
    failing->SetName(QStringLiteral("Grid2"));
    failing->SetOptionsA(failing->OptionsA() | 1u << aoStoreInIni);
    failing->SetIniFileName(dir.filePath("no/such/folder/layout.ini"));
    EXPECT_THROW(failing->SaveToIniFile(failing->IniFileName()), EIniFileException);
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(failing.reset());
    const QString said = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(said.count(QLatin1Char('\n')), 1) << said.toStdString();
    EXPECT_TRUE(said.endsWith(QLatin1Char('\n')));
    EXPECT_TRUE(said.contains(QStringLiteral("\"Grid2\""))) << said.toStdString();
    EXPECT_TRUE(said.contains(dir.filePath("no/such/folder/layout.ini"))) << said.toStdString();
}

// Files stop growing past a few bytes while it lives, whoever runs the
// test: the limit holds for root as well, where permissions do not.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_before{};
    void (*m_signal)(int) = nullptr;
};

TEST_F(Storage, AFailedSaveRaisesAndLeavesWhatWasThere)
{
    named("colA", "A");
    named("colB", "B");
    const char *previous = "[\\Form1_Grid1]\nBandRowCount=1\n";
    const auto contents = [](const QString &name) {
        QFile in(name);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(unreadable)");
    };

    // The disk fills up while the new layout is written.
    write(file(), previous);
    {
        FileSizeLimit limit(16);
        EXPECT_THROW(f.tree->SaveToIniFile(file()), EIniFileException);
    }
    EXPECT_EQ(contents(file()), QByteArray(previous));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"layout.ini"})); // no temporary left

    // The folder named is a plain file, or a folder stands where the file
    // would go.
    write(file("plain"), previous);
    EXPECT_THROW(f.tree->SaveToIniFile(dir.filePath("plain/layout.ini")), EIniFileException);
    EXPECT_EQ(contents(file("plain")), QByteArray(previous));
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.ini"));
    EXPECT_THROW(f.tree->SaveToIniFile(file("taken.ini")), EIniFileException);
    EXPECT_TRUE(QFileInfo(file("taken.ini")).isDir());

    // Nothing was half done: the next save where it can goes through whole.
    f.tree->SaveToIniFile(file());
    EXPECT_TRUE(sections(file()).contains("\\Form1_Grid1\\Columns\\colB"));
}

} // namespace

namespace {

// Layouts named in any script keep apart, in the ini file and in the
// registry alike; names the code page holds are written as before.
TEST_F(Storage, LayoutsNamedInAnyScriptKeepApart)
{
    TdxTreeListColumn *a = named("colA", "A");
    const QStringList names = {QString::fromUtf8("Сетка"),  QString::fromUtf8("Табло"),
                               QString::fromUtf8("网格 😀"), QString::fromUtf8("شبكة 𠀀"),
                               QString::fromUtf8("Größe"),  QStringLiteral("&#x421;&#x435;&#x442;&#x43A;&#x430;")};
    for (int i = 0; i < names.size(); ++i) {
        a->SetWidth(60 + i);
        f.tree->SetIniSectionName(names[i]);
        f.tree->SaveToIniFile(file());
        f.tree->SaveToRegistry("Software\\" + names[i]);
    }
    const QStringList stored = sections(file());
    for (const QString &name : names) {
        EXPECT_TRUE(stored.contains("\\" + name)) << name.toStdString();
        EXPECT_TRUE(stored.contains("\\" + name + "\\Columns\\colA")) << name.toStdString();
    }
    for (int i = 0; i < names.size(); ++i) {
        a->SetWidth(40);
        f.tree->SetIniSectionName(names[i]);
        f.tree->LoadFromIniFile(file());
        EXPECT_EQ(a->Width(), 60 + i) << names[i].toStdString();
        a->SetWidth(40);
        f.tree->LoadFromRegistry("Software\\" + names[i]);
        EXPECT_EQ(a->Width(), 60 + i) << names[i].toStdString();
    }

    // In the file: the code page's own characters as its bytes, the others
    // escaped; a section a saved file spells in another case is its own.
    QFile in(file());
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    EXPECT_TRUE(bytes.contains("[\\Gr\xF6\xDF"
                               "e]"));
    EXPECT_TRUE(bytes.contains("[\\&#x421;&#x435;&#x442;&#x43A;&#x430;]"));
    EXPECT_TRUE(bytes.contains("&#x1F600;"));
    write(file("upper.ini"), "[\\&#x421;&#x435;&#x442;&#x43a;&#x430;\\Columns\\colA]\nWidth=99\n");
    f.tree->SetIniSectionName(names[0]);
    f.tree->LoadFromIniFile(file("upper.ini"));
    EXPECT_EQ(a->Width(), 99);
}

// A build before the escape wrote a name's "&" as it stands: a layout stored
// so under a name that holds "&#x" is found, and the next save writes it in
// this build's form and leaves nothing of the old one. Old bytes this build
// reads as another name ("&#x421;" is how it stores "С") stay that name's.
TEST_F(Storage, ALayoutAnEarlierBuildStoredUnderANameWithAnEscapeIsFound)
{
    TdxTreeListColumn *a = named("colA", "A");
    write(file(), "[\\Grid &#x41; &#X2a; Board]\nBandRowCount=1\n"
                  "[\\Grid &#x41; &#X2a; Board\\Columns\\colA]\nWidth=77\n"
                  "[\\Other]\nBandRowCount=1\n"
                  "[\\&#x421;\\Columns\\colA]\nWidth=55\n");
    f.tree->SetIniSectionName(QStringLiteral("Grid &#x41; &#X2a; Board"));
    a->SetWidth(40);
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(a->Width(), 77);

    a->SetWidth(88);
    f.tree->SaveToIniFile(file());
    const QStringList stored = sections(file());
    EXPECT_FALSE(stored.contains(QStringLiteral("\\Grid A * Board\\Columns\\colA"))) << stored.join(' ').toStdString();
    EXPECT_TRUE(stored.contains(QStringLiteral("\\Other")));
    QFile in(file());
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    EXPECT_FALSE(bytes.contains("[\\Grid &#x41; &#X2a; Board")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("[\\Grid &#x26;#x41; &#x26;#X2a; Board\\Columns\\colA]")) << bytes.toStdString();
    a->SetWidth(40);
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(a->Width(), 88);

    // Stored by this build for "С", never taken for the literal name.
    f.tree->SetIniSectionName(QStringLiteral("&#x421;"));
    a->SetWidth(40);
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(a->Width(), 40);
    f.tree->SetIniSectionName(QString::fromUtf8("С"));
    f.tree->LoadFromIniFile(file());
    EXPECT_EQ(a->Width(), 55);
}

// The key-by-key ini store and the registry find such a layout too, and a
// save leaves nothing of the old form behind; a grid whose layout this build
// has already saved keeps that one.
TEST_F(Storage, TheKeyByKeyStoreAndTheRegistryFindALayoutOfTheEarlierForm)
{
    TdxTreeListColumn *a = named("colA", "A");
    const QString name = QStringLiteral("Grid &#x41; Board");
    write(file(), "[\\Grid &#x41; Board]\nBandRowCount=1\n[\\Grid &#x41; Board\\Columns\\colA]\nWidth=77\n");
    TIniFile direct(file().toStdString());
    a->SetWidth(40);
    f.tree->LoadLayout(&direct, name);
    EXPECT_EQ(a->Width(), 77);
    a->SetWidth(88);
    f.tree->SaveLayout(&direct, name);
    QFile in(file());
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    EXPECT_FALSE(bytes.contains("[\\Grid &#x41; Board")) << bytes.toStdString();
    a->SetWidth(40);
    f.tree->LoadLayout(&direct, name);
    EXPECT_EQ(a->Width(), 88);

    {
        registry::Registry old;
        ASSERT_TRUE(old.openKey("\\Software\\Grid &#x41; Board\\Columns\\colA", true));
        ASSERT_TRUE(old.writeInteger("Width", 66));
    }
    a->SetWidth(40);
    f.tree->LoadFromRegistry("Software\\" + name);
    EXPECT_EQ(a->Width(), 66);
    a->SetWidth(55);
    f.tree->SaveToRegistry("Software\\" + name);
    EXPECT_FALSE(registry::Registry().keyExists("\\Software\\Grid &#x41; Board"));
    // An old key that turns up again beside this build's stays unread.
    {
        registry::Registry old;
        ASSERT_TRUE(old.openKey("\\Software\\Grid &#x41; Board\\Columns\\colA", true));
        ASSERT_TRUE(old.writeInteger("Width", 11));
    }
    a->SetWidth(40);
    f.tree->LoadFromRegistry("Software\\" + name);
    EXPECT_EQ(a->Width(), 55);
}

// A layout file that is there but cannot be read is no empty layout: the
// load raises and leaves the grid as it was.
TEST_F(Storage, ALayoutFileThatCannotBeReadRaises)
{
    TdxTreeListColumn *a = named("colA", "A");
    a->SetWidth(70);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_THROW(f.tree->LoadFromIniFile(file("folder.ini")), EIniFileException);
    QFile large(file("large.ini"));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly));
    ASSERT_TRUE(large.resize(qint64(rtl::FileReadLimit) + 1)); // sparse: no disk taken
    large.close();
    try {
        f.tree->LoadFromIniFile(file("large.ini"));
        ADD_FAILURE() << "a file past the read limit loaded";
    } catch (const EIniFileException &e) {
        EXPECT_NE(std::string(e.what()).find("large.ini"), std::string::npos) << e.what();
    }
    EXPECT_EQ(a->Width(), 70);
    // A missing file is an empty layout, as before.
    EXPECT_NO_THROW(f.tree->LoadFromIniFile(file("missing.ini")));
}

} // namespace
