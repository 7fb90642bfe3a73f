// griddemo as a program: its command line, and its picture probed where
// the demo grid's own layout puts the header panel, the fixed-band
// separators and the focused row's indicator.

#include "griddemo_grid.h"

#include "grid/widgets/TreeListWidget.h"

#include "tests/support/GoldenImage.h"
#include "tests/support/PixelProbes.h"
#include "tests/support/SystemMessage.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include <vector>

#include <gtest/gtest.h>

using zvotest::at;

namespace {

struct DemoRun
{
    int exitCode = -1;
    QString stdErr;
};

DemoRun runGridDemo(const QStringList &args, bool offscreenSet = true)
{
    // A runtime folder of its own keeps Qt's warning about a missing one
    // off stderr, which these tests count the lines of.
    static QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    if (offscreenSet)
        env.insert("QT_QPA_PLATFORM", "offscreen");
    else
        env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    process.start(QString::fromUtf8(GRIDDEMO_PATH), args);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(GridDemo, RendersTheSamePictureEveryTime)
{
    QTemporaryDir dir;
    const QString first = dir.filePath("g.png");
    const QString second = dir.filePath("h.png");
    ASSERT_EQ(runGridDemo({"--render", first}).exitCode, 0);
    ASSERT_EQ(runGridDemo({"--render", second}, false).exitCode, 0);
    EXPECT_EQ(QImage(first).size(), QSize(920, 600));
    EXPECT_EQ(fileBytes(first), fileBytes(second));
    ASSERT_FALSE(fileBytes(first).isEmpty());
}

TEST(GridDemo, SizesHelpAndBadInput)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("s.png");
    for (QSize size : {QSize(120, 60), QSize(4000, 1000)}) {
        const QString arg = QString("%1x%2").arg(size.width()).arg(size.height());
        ASSERT_EQ(runGridDemo({"--render", out, "--size", arg}).exitCode, 0) << qPrintable(arg);
        EXPECT_EQ(QImage(out).size(), size);
    }
    for (const QStringList &bad :
         {QStringList{"--render", out, "--size", "0x0"}, QStringList{"--render", out, "--size", "12x"},
          QStringList{"--render", dir.filePath("missing/dir/g.png")}, QStringList{"--options", "zz"}}) {
        const DemoRun run = runGridDemo(bad);
        EXPECT_EQ(run.exitCode, 1) << qPrintable(bad.join(' '));
        EXPECT_EQ(run.stdErr.count('\n'), 1) << qPrintable(run.stdErr);
        EXPECT_TRUE(run.stdErr.startsWith("griddemo: ")) << qPrintable(run.stdErr);
    }
    EXPECT_EQ(runGridDemo({"--help"}).exitCode, 0);
    // Other option words still paint.
    EXPECT_EQ(runGridDemo({"--options", "37,303E", "--render", out}).exitCode, 0);
}

// Qt's own options go to Qt, as in any Qt program, in either of their forms;
// a misspelt one is still refused.
TEST(GridDemo, QtsOwnOptionsAreLeftToQt)
{
    QTemporaryDir dir;
    const QString sheet = dir.filePath("dark.qss");
    QFile file(sheet);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("QWidget { background: #202020; color: #e0e0e0; }\n");
    file.close();
    const QString out = dir.filePath("g.png");
    for (const QStringList &qt : {QStringList{"-reverse"}, QStringList{"-style", "Fusion"},
                                  QStringList{"-stylesheet", sheet}, QStringList{"--style=Fusion", "-reverse"}}) {
        const DemoRun run = runGridDemo(QStringList{"--render", out} + qt);
        EXPECT_EQ(run.exitCode, 0) << qPrintable(qt.join(' ')) << qPrintable(run.stdErr);
        EXPECT_EQ(QImage(out).size(), QSize(920, 600)) << qPrintable(qt.join(' '));
    }
    EXPECT_EQ(runGridDemo({"--render", out, "-revers"}).exitCode, 1);
}

TEST(GridDemo, ScriptsTellAFailedCheckByItsLineAndRefuseBadScripts)
{
    QTemporaryDir dir;
    auto script = [&](const QString &name, const QByteArray &text) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return file.fileName();
    };
    const QString failing = script("fail.txt", "# a comment\r\nexpect focus \"Site 01\" colSite\r\n"
                                               "expect expanded \"Site 02\" yes\r\nexpect state 0\r\n"
                                               "expect message Hello\r\n");
    DemoRun run = runGridDemo({"--script", failing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.stdErr.contains(failing + ":3: expected yes, got no")) << qPrintable(run.stdErr);
    EXPECT_TRUE(run.stdErr.contains(failing + ":5: expected the message \"Hello\", got no message"))
        << qPrintable(run.stdErr);
    std::vector<QByteArray> bads = {
        QByteArray("frobnicate\n"), QByteArray("click cell \"Nope\" colSite\n"), QByteArray("key NoSuchKey\n"),
        QByteArray("wheel lots\n"), QByteArray("expect focus \"Site 01\n"),
        QByteArray("load-ini " + dir.filePath("none.ini").toUtf8() + " Demo\n"), QByteArray("save-ini x.ini\n"),
        QByteArray("save-ini " + dir.filePath("no/such/dir.ini").toUtf8() + " Demo\n"),
        // A layout the script cannot read stops it too: a folder, and a file
        // of mode 000 where that keeps this user out (root reads it).
        QByteArray("load-ini " + dir.path().toUtf8() + " Demo\n")};
    const QString unreadable = script("unreadable.ini", "[Demo]\n");
    QFile::setPermissions(unreadable, QFileDevice::Permissions());
    if (QFile probe(unreadable); !probe.open(QIODevice::ReadOnly))
        bads.push_back("load-ini " + unreadable.toUtf8() + " Demo\n");
    // Devices without end: the layout read stops at once, and a save, which
    // reads first, goes into the device and fails there.
    const QString full = dir.filePath("full.ini");
    QFile::link("/dev/full", full);
    bads.push_back("load-ini /dev/zero Demo\n");
    bads.push_back("save-ini " + full.toUtf8() + " Demo\n");
    // A pipe nobody writes where a saved layout is looked at.
    const QString pipe = dir.filePath("pipe.ini");
    if (::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0)
        bads.push_back("expect ini " + pipe.toUtf8() + " Demo yes\n");
    for (const QByteArray &bad : bads) {
        run = runGridDemo({"--script", script("bad.txt", bad)});
        EXPECT_EQ(run.exitCode, 2) << bad.constData();
        EXPECT_TRUE(run.stdErr.contains("bad.txt:1: ")) << qPrintable(run.stdErr);
    }
    EXPECT_TRUE(QFileInfo(full).isSymLink());
    EXPECT_EQ(runGridDemo({"--script", dir.filePath("missing.txt")}).exitCode, 2);
}

TEST(GridDemo, PictureShowsHeadersSeparatorsAndTheIndicatorArrow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("g.png");
    ASSERT_EQ(runGridDemo({"--render", path}).exitCode, 0);
    const QImage picture(path);
    ASSERT_EQ(picture.size(), QSize(920, 600));

    rtl::setSystemColors(rtl::SystemColors::classic());
    griddemo::GridDemo demo;
    griddemo::BuildGridDemo(demo);
    grid::TreeListWidget widget(demo.tree);
    demo.tree->SetClientRect(rtl::Rect(0, 0, 920, 600));
    grid::TdxTreeListLayoutInfo info;
    demo.tree->CalcLayout(info);

    const rtl::TColor face = rtl::ColorToRGB(rtl::clBtnFace);
    const rtl::TColor frame = rtl::ColorToRGB(rtl::clWindowFrame);
    ASSERT_FALSE(info.HeaderCells.empty());
    for (const grid::TdxTreeListHeaderCell &cell : info.HeaderCells) {
        if (cell.ClipRect.Width() < 8)
            continue;
        // The face beside the right edge, below the raised top.
        EXPECT_EQ(at(picture, cell.ClipRect.Right - 4, cell.CellRect.Top + 3), face) << cell.ColumnIndex;
    }
    ASSERT_FALSE(info.LeftFixedRect.IsEmpty());
    ASSERT_FALSE(info.RightFixedRect.IsEmpty());
    const int rowY = info.Rows.at(3).Top + 4;
    for (int y : {info.BandPanelRect.Top + 5, info.HeaderPanelRect.Top + 5, rowY}) {
        EXPECT_EQ(at(picture, info.LeftFixedRect.Right - 1, y), frame) << y;
        EXPECT_EQ(at(picture, info.RightFixedRect.Left, y), frame) << y;
    }
    // Black is the arrow's: beside the focused first row, nowhere beside the
    // second.
    auto blackIn = [&](const grid::TdxTreeListRowInfo &row) {
        int n = 0;
        // Inside the raised frame, whose outer edge is black too.
        for (int y = row.Top + 2; y < row.Top + row.Height - 2; ++y)
            for (int x = info.IndicatorRect.Left + 2; x < info.IndicatorRect.Right - 2; ++x)
                n += at(picture, x, y) == rtl::clBlack;
        return n;
    };
    ASSERT_EQ(info.Rows.at(0).Node, demo.tree->FocusedNode());
    EXPECT_GE(blackIn(info.Rows[0]), 10);
    EXPECT_EQ(blackIn(info.Rows[1]), 0);
    widget.setTreeList(nullptr);
}

// The demo's picture, by default and at every scale (the window's size is
// in logical pixels), holds its three bands whole: no column of the
// scrolling band lies partly under the fixed band on the right, where a
// right-aligned count would show only its first digits, or none.
TEST(GridDemo, TheDefaultPictureShowsEveryColumnWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("g.png");
    ASSERT_EQ(runGridDemo({"--render", path}).exitCode, 0);
    const QImage picture(path);

    rtl::setSystemColors(rtl::SystemColors::classic());
    griddemo::GridDemo demo;
    griddemo::BuildGridDemo(demo);
    grid::TreeListWidget widget(demo.tree);
    demo.tree->SetClientRect(rtl::Rect(0, 0, picture.width(), picture.height()));
    grid::TdxTreeListLayoutInfo info;
    demo.tree->CalcLayout(info);
    EXPECT_EQ(int(info.HeaderCells.size()), demo.tree->ColumnCount());
    const grid::TdxTreeListRowInfo &row = info.Rows.at(1); // not the focused one
    for (const grid::TdxTreeListHeaderCell &cell : info.HeaderCells) {
        const QString name = demo.tree->Columns(cell.ColumnIndex)->Name();
        EXPECT_EQ(cell.ClipRect, cell.CellRect) << qPrintable(name);
        if (demo.tree->Columns(cell.ColumnIndex)->Alignment() != grid::taRightJustify)
            continue;
        // The count's digits stand at the cell's right end, in view.
        int ink = 0;
        for (int y = row.Top + 2; y < row.Top + row.Height - 2; ++y)
            for (int x = cell.CellRect.Right - cell.CellRect.Width() / 3; x < cell.CellRect.Right - 1; ++x)
                ink += at(picture, x, y) == rtl::clBlack;
        EXPECT_GE(ink, 10) << qPrintable(name);
    }
    widget.setTreeList(nullptr);
}

TEST(GridDemo, EachPartShownOnRequestMatchesItsPicture)
{
    QTemporaryDir dir;
    for (const char *part : {"multiline", "rowfooters", "footer", "grouppanel", "bottompanel"}) {
        const QString path = dir.filePath(QString("%1.png").arg(part));
        ASSERT_EQ(runGridDemo({"--show", part, "--size", "800x400", "--render", path}).exitCode, 0) << part;
        EXPECT_TRUE(zvotest::matchesGolden(QImage(path).convertToFormat(QImage::Format_RGB32),
                                           QString("tests/grid/goldens/griddemo_%1.png").arg(part)))
            << part;
    }
    EXPECT_EQ(runGridDemo({"--show", "footer,nothing", "--render", dir.filePath("x.png")}).exitCode, 1);
}

// A failure says why: the device that took no layout, the script without
// end, and a script name whose bytes are not UTF-8, which would otherwise
// read the script of another name.
TEST(GridDemo, FailuresSayWhyAndNamesThatAreNotUtf8AreRefused)
{
    QTemporaryDir dir;
    const QString full = dir.filePath("full.ini");
    ASSERT_TRUE(QFile::link("/dev/full", full));
    QFile script(dir.filePath("save.txt"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("save-ini " + full.toUtf8() + " Demo\n");
    script.close();
    DemoRun run = runGridDemo({"--script", script.fileName()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.stdErr.contains(zvotest::systemMessage(ENOSPC))) << qPrintable(run.stdErr);

    QFile load(dir.filePath("load.txt"));
    ASSERT_TRUE(load.open(QIODevice::WriteOnly));
    load.write("load-ini " + dir.filePath("none.ini").toUtf8() + " Demo\n");
    load.close();
    run = runGridDemo({"--script", load.fileName()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.stdErr.contains("none.ini\": " + zvotest::systemMessage(ENOENT))) << qPrintable(run.stdErr);

    run = runGridDemo({"--script", "/dev/zero"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.stdErr.contains("larger than 268435456 bytes")) << qPrintable(run.stdErr);

    // The script of the decoded name passes every check.
    const QByteArray folder = QFile::encodeName(dir.path());
    QFile lookalike(QFile::decodeName(folder + "/s\xef\xbf\xbd.txt"));
    ASSERT_TRUE(lookalike.open(QIODevice::WriteOnly));
    lookalike.write("expect state 0\n");
    lookalike.close();
    const std::string command = "cd '" + folder.toStdString() +
                                "' && QT_QPA_PLATFORM=offscreen '" GRIDDEMO_PATH
                                "' --script \"$(printf 's\\351.txt')\" 2>said.txt";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    const QByteArray said = fileBytes(dir.filePath("said.txt"));
    EXPECT_TRUE(said.contains("\"s\\xE9.txt\" is not UTF-8 text")) << said.constData();
}

// A name inside a script is bytes as much as one on the command line: a line
// that is not UTF-8 would save the picture or the layout, or read a layout,
// under the name its bytes decode to. The script is refused before any line
// runs, although the files of the decoded names exist.
TEST(GridDemo, AScriptLineThatIsNotUtf8IsRefusedBeforeAnythingRuns)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray lookalikeIni = folder + "/l\xef\xbf\xbd.ini";
    const QByteArray lookalikePng = folder + "/p\xef\xbf\xbd.png";
    QFile ini(QFile::decodeName(lookalikeIni));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("another layout\n");
    ini.close();
    QFile png(QFile::decodeName(lookalikePng));
    ASSERT_TRUE(png.open(QIODevice::WriteOnly));
    png.write("another picture");
    png.close();
    const QString first = dir.filePath("first.png");
    for (const QByteArray &line : {"render " + folder + "/p\xff.png", "save-ini " + folder + "/l\xff.ini Demo",
                                   "load-ini " + folder + "/l\xff.ini Demo"}) {
        SCOPED_TRACE(line.constData());
        QFile script(dir.filePath("script.txt"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write("render " + first.toUtf8() + "\n" + line + "\n");
        script.close();
        const DemoRun run = runGridDemo({"--script", script.fileName()});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.stdErr.contains("script.txt:2: the line") && run.stdErr.contains("\\xFF") &&
                    run.stdErr.contains("is not UTF-8 text"))
            << qPrintable(run.stdErr);
        EXPECT_FALSE(QFileInfo::exists(first));
    }
    EXPECT_EQ(fileBytes(QFile::decodeName(lookalikeIni)), QByteArray("another layout\n"));
    EXPECT_EQ(fileBytes(QFile::decodeName(lookalikePng)), QByteArray("another picture"));
}

// A picture is saved as the program saves its files: a file another user
// planted in a shared folder under its name is refused and stays that
// user's, and a device that takes nothing says why.
TEST(GridDemo, APictureIsRefusedToAFilePlantedInASharedFolder)
{
    QTemporaryDir dir;
    const QString full = dir.filePath("full.png");
    ASSERT_TRUE(QFile::link("/dev/full", full));
    DemoRun run = runGridDemo({"--render", full});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.stdErr.contains(zvotest::systemMessage(ENOSPC))) << qPrintable(run.stdErr);
    EXPECT_TRUE(QFileInfo(full).isSymLink());

    if (::geteuid() != 0)
        GTEST_SKIP() << "planting as another user needs root";
    const QByteArray shared = QFile::encodeName(dir.filePath("shared"));
    ASSERT_EQ(::mkdir(shared.constData(), 01777), 0);
    ASSERT_EQ(::chmod(shared.constData(), 01777), 0);
    const QString planted = dir.filePath("shared/grid.png");
    QFile file(planted);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("the planter's");
    file.close();
    ASSERT_EQ(::chown(QFile::encodeName(planted).constData(), 65534, 65534), 0);
    run = runGridDemo({"--render", planted});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.stdErr.contains(zvotest::systemMessage(EACCES))) << qPrintable(run.stdErr);
    EXPECT_EQ(fileBytes(planted), QByteArray("the planter's"));
}
