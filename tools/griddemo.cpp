// The tree-list grid shown on its own, since no window of the program makes
// one: a three-band grid of 300 nodes, the same on every machine (classic
// system colours, DejaVu Sans 9), in a window or painted to a PNG file.
//
//   griddemo [--options A,B] [--show PARTS] [--render FILE.png [--size WxH]] [--script FILE]

#include "griddemo_grid.h"
#include "griddemo_script.h"

#include "grid/core/TreeListControl.h"
#include "grid/widgets/TreeListRegistration.h"
#include "grid/widgets/TreeListWidget.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/ImageList.h"
#include "platform/rtl/LocalNames.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPalette>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int demoMaxSide = 32767;
constexpr qint64 demoMaxPixels = 64LL * 1024 * 1024;

const char *const demoUsage =
    "Usage: griddemo [--options A,B] [--show PARTS] [--render FILE.png [--size WxH]] [--script FILE]\n"
    "Shows a tree-list grid of three bands (Site, Counts, Notes) and 300 nodes.\n"
    "  --options A,B      option words A and B in hex (default 105F,A000303E)\n"
    "  --show PARTS       also show, comma-separated: multiline (rows as tall as their\n"
    "                     wrapped notes), rowfooters, footer, grouppanel, bottompanel\n"
    "  --render FILE.png  paint the grid as it looks with the focus to FILE.png and exit\n"
    "  --size WxH         client size of the picture or window in pixels (default 920x600,\n"
    "                     which holds the three bands whole)\n"
    "  --script FILE      drive the grid by the commands of FILE and check the outcome:\n"
    "                     exit 0 when every check holds, 1 when one fails, 2 for a bad script\n"
    "  --help             this text\n"
    "Qt's own options (-reverse, -style NAME, -stylesheet FILE, -platform NAME, ...) go to Qt.\n"
    "Without --render the grid opens in a window. --render needs no display: without\n"
    "QT_QPA_PLATFORM it renders offscreen, as --script runs. A bad size or an unwritable file exits with 1.\n";

int demoFail(const QString &message)
{
    std::fprintf(stderr, "griddemo: %s\n", qPrintable(message));
    return 1;
}

struct DemoArgs
{
    bool help = false;
    QString render;
    QString script;
    // Wide enough for the indicator and the three bands (902 pixels): in a
    // narrower window the fixed Notes band covers the end of the Counts
    // band, and E4's right-aligned counts with it.
    QSize size{920, 600};
    uint32_t optionsA = griddemo::DefaultOptionsA;
    uint32_t optionsB = griddemo::DefaultOptionsB;
    griddemo::DemoParts parts;
    QString error;
};

// How many arguments an option of Qt's own takes up at args[i] (QApplication
// reads them from argv, as in every Qt program): 0 for none of them.
int qtOptionLength(const QStringList &args, int i)
{
    static const QStringList bare{"reverse", "nograb", "dograb", "sync", "widgetcount"};
    static const QStringList valued{"style",         "stylesheet", "platform",        "platformpluginpath",
                                    "platformtheme", "plugin",     "qwindowgeometry", "qwindowtitle",
                                    "qwindowicon",   "session",    "display",         "qmljsdebugger"};
    QString name = args[i];
    if (!name.startsWith('-') || name == "-" || name == "--")
        return 0;
    name.remove(0, name.startsWith("--") ? 2 : 1);
    if (bare.contains(name))
        return 1;
    if (name.contains('='))
        return valued.contains(name.section('=', 0, 0)) ? 1 : 0;
    return valued.contains(name) && i + 1 < args.size() ? 2 : 0;
}

DemoArgs parseDemoArgs(const QStringList &args)
{
    DemoArgs a;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (const int qt = qtOptionLength(args, i); qt > 0) {
            i += qt - 1;
        } else if (arg == "--help" || arg == "-h") {
            a.help = true;
        } else if (arg == "--render" && hasValue) {
            a.render = args[++i];
        } else if (arg == "--script" && hasValue) {
            a.script = args[++i];
        } else if (arg == "--size" && hasValue) {
            const auto m = QRegularExpression("^(\\d{1,9})x(\\d{1,9})$").match(args[++i]);
            const qint64 w = m.hasMatch() ? m.captured(1).toLongLong() : 0;
            const qint64 h = m.hasMatch() ? m.captured(2).toLongLong() : 0;
            if (w < 1 || h < 1 || w > demoMaxSide || h > demoMaxSide || w * h > demoMaxPixels)
                a.error = QString("bad size \"%1\": expected WxH, each 1..%2, at most %3 pixels")
                              .arg(args[i])
                              .arg(demoMaxSide)
                              .arg(demoMaxPixels);
            else
                a.size = QSize(int(w), int(h));
        } else if (arg == "--show" && hasValue) {
            if (!griddemo::ParseDemoParts(args[++i], a.parts))
                a.error = QString("bad parts \"%1\": expected names of --help").arg(args[i]);
        } else if (arg == "--options" && hasValue) {
            const QStringList words = args[++i].split(',');
            bool okA = false, okB = false;
            if (words.size() == 2) {
                a.optionsA = words[0].trimmed().remove("0x").toUInt(&okA, 16);
                a.optionsB = words[1].trimmed().remove("0x").toUInt(&okB, 16);
            }
            if (!okA || !okB)
                a.error = QString("bad options \"%1\": expected two hex words A,B").arg(args[i]);
        } else {
            a.error = QString("unknown or incomplete argument \"%1\" (see --help)").arg(arg);
        }
        if (!a.error.isEmpty())
            break;
    }
    return a;
}

} // namespace

int main(int argc, char **argv)
{
    // Qt would turn such bytes into other ones, and a file of another name
    // would be read or written.
    if (const std::optional<std::string> bad = rtl::undecodableArgument(argc, argv))
        return demoFail(QString::fromStdString(rtl::undecodableArgumentMessage(*bad)));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Arguments are checked before Qt starts, so that a bad one is told in
    // one line and needs no display.
    const DemoArgs args = parseDemoArgs(arguments);
    if (!args.error.isEmpty())
        return demoFail(args.error);
    if (args.help) {
        std::fputs(demoUsage, stdout);
        return 0;
    }
    if ((!args.render.isEmpty() || !args.script.isEmpty()) && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    rtl::setSystemColors(rtl::SystemColors::classic());
    grid::RegisterTreeListGrid();

    griddemo::GridDemo demo;
    griddemo::BuildGridDemo(demo, args.optionsA, args.optionsB, args.parts);
    int result = 0;
    {
        // The grid is a control among others: a field below it takes the
        // focus that Tab moves on.
        QWidget window;
        window.setWindowTitle("GridDemo");
        grid::TreeListWidget widget(demo.tree, &window);
        widget.setFrameShape(QFrame::NoFrame);
        QLineEdit field(&window);
        field.setObjectName("field");
        const auto place = [&] {
            widget.setGeometry(0, 0, args.size.width(), args.size.height());
            field.setGeometry(0, args.size.height(), args.size.width(), field.sizeHint().height());
            window.resize(args.size.width(), args.size.height() + field.sizeHint().height());
        };
        if (!args.render.isEmpty()) {
            const QImage image = widget.render(true, args.size);
            if (image.isNull())
                result =
                    demoFail(QString("cannot paint a picture of %1x%2").arg(args.size.width()).arg(args.size.height()));
            else if (const QString failed = griddemo::SavePicture(image, args.render); !failed.isEmpty())
                result = demoFail(failed);
        } else if (!args.script.isEmpty()) {
            place();
            window.show();
            window.activateWindow();
            widget.setFocus();
            QApplication::processEvents();
            result = griddemo::RunGridScript(args.script, demo, widget);
        } else {
            place();
            window.show();
            widget.setFocus();
            result = app.exec();
        }
        widget.setTreeList(nullptr);
    }
    demo.form.reset();
    grid::ReleaseTreeListGrid();
    return result;
}
