// Draws the page control in each style at each strip position, plus a
// scrolled single-line strip and a multi-line strip per style, and writes one
// PNG per picture and a contact sheet of all of them into the given folder.
//
//   QT_QPA_PLATFORM=offscreen pagecontrol_shots /tmp/shots

#include "widgets/pagecontrol/dxPageControl.h"

#include "platform/gfx/ImageList.h"
#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/LocalNames.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace widgets;

namespace {

const char *styleName(TdxTabStyle s)
{
    switch (s) {
    case TdxTabStyle::dxtsTabs: return "tabs";
    case TdxTabStyle::dxtsButtons: return "buttons";
    case TdxTabStyle::dxtsFlatButtons: return "flatbuttons";
    case TdxTabStyle::dxtsFlat: return "flat";
    }
    return "?";
}

const char *positionName(TdxTabPosition p)
{
    switch (p) {
    case TdxTabPosition::dxtpTop: return "top";
    case TdxTabPosition::dxtpBottom: return "bottom";
    case TdxTabPosition::dxtpLeft: return "left";
    case TdxTabPosition::dxtpRight: return "right";
    }
    return "?";
}

// Four small glyphs: a red, a green, a blue and a yellow disc.
gfx::ImageList &glyphs()
{
    static gfx::ImageList list(12, 12);
    if (list.count() == 0) {
        for (QColor c : {QColor(Qt::red), QColor(Qt::darkGreen), QColor(Qt::blue), QColor(Qt::yellow)}) {
            QImage image(12, 12, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(c);
            p.setPen(Qt::black);
            p.drawEllipse(1, 1, 10, 10);
            p.end();
            list.add(image);
        }
    }
    return list;
}

std::unique_ptr<TdxPageControl> makeControl(TdxTabStyle style, TdxTabPosition position, int pageCount, QSize size)
{
    auto control = std::make_unique<TdxPageControl>();
    control->resize(size);
    control->SetStyle(style);
    control->SetTabPosition(position);
    control->SetHotTrack(true);
    const char *captions[] = {"General", "&Proxy", "Updates", "", "Advanced settings", "Log", "Colours", "Help"};
    for (int i = 0; i < pageCount; ++i) {
        auto *page = new TdxTabSheet();
        page->SetCaption(captions[i % 8]);
        page->SetImageIndex(i % 4);
        page->SetPageControl(control.get());
        auto *label = new QLabel(QString("Page %1").arg(i + 1), page);
        label->move(10, 10);
    }
    return control;
}

// Saved as the program saves its files: a link, file or pipe somebody else
// planted in a shared folder under the name is refused, not written.
bool savePicture(const QImage &picture, const QString &path)
{
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (!picture.save(&png, "PNG")) {
        std::fprintf(stderr, "cannot write %s: the picture cannot be encoded\n", QFile::encodeName(path).constData());
        return false;
    }
    const rtl::SaveResult saved = rtl::atomicSave(QFile::encodeName(path).toStdString(),
                                                  std::string_view(png.data().constData(), size_t(png.data().size())),
                                                  {.existing = rtl::ExistingFile::Update});
    if (!saved)
        std::fprintf(stderr, "cannot write %s: %s\n", QFile::encodeName(path).constData(), saved.reason().c_str());
    return bool(saved);
}

} // namespace

int main(int argc, char **argv)
{
    // Pictures need no screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: pagecontrol_shots <output folder>\n");
        return 2;
    }
    // Qt would turn bytes that are no UTF-8 into other ones, and write the
    // pictures into a folder of another name.
    if (const std::optional<std::string> bad = rtl::undecodableArgument(argc, argv)) {
        std::fprintf(stderr, "pagecontrol_shots: %s\n", rtl::undecodableArgumentMessage(*bad).c_str());
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    const TdxTabStyle styles[] = {TdxTabStyle::dxtsTabs, TdxTabStyle::dxtsButtons, TdxTabStyle::dxtsFlatButtons,
                                  TdxTabStyle::dxtsFlat};
    const TdxTabPosition positions[] = {TdxTabPosition::dxtpTop, TdxTabPosition::dxtpBottom, TdxTabPosition::dxtpLeft,
                                        TdxTabPosition::dxtpRight};
    const QSize cell(320, 220);
    const int columns = 6;
    QImage sheet(cell.width() * columns, cell.height() * 4, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter sheetPainter(&sheet);
    int failures = 0;

    auto save = [&](TdxPageControl &control, const QString &name, int row, int column) {
        control.ensurePolished();
        const QPixmap picture = control.grab();
        if (!savePicture(picture.toImage(), folder + "/" + name + ".png"))
            ++failures;
        sheetPainter.drawPixmap(column * cell.width() + 5, row * cell.height() + 5, picture);
    };

    for (int s = 0; s < 4; ++s) {
        for (int p = 0; p < 4; ++p) {
            auto control = makeControl(styles[s], positions[p], 4, QSize(300, 200));
            control->SetActivePageIndex(1);
            control->Pages(2)->SetHighlighted(true);
            if (p < 2)
                control->SetImages(&glyphs());
            save(*control, QString("%1_%2").arg(styleName(styles[s]), positionName(positions[p])), s, p);
        }
        // Too many tabs for one line: scrolled so the active tab shows.
        auto overflow = makeControl(styles[s], TdxTabPosition::dxtpTop, 8, QSize(300, 200));
        overflow->SetActivePageIndex(6);
        // Hovering "Log" shows the hot caption.
        if (const TdxPageControlButton *log = overflow->painter().findTab(overflow->Pages(5))) {
            const rtl::TRect r = log->rect();
            overflow->painter().mouseMove({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
        }
        save(*overflow, QString("%1_overflow").arg(styleName(styles[s])), s, 4);
        // The same tabs wrapped into rows, the active one in an upper row at first.
        auto rows = makeControl(styles[s], TdxTabPosition::dxtpTop, 8, QSize(300, 200));
        rows->SetMultiLine(true);
        rows->SetActivePageIndex(1);
        rows->setFocus(); // the active tab shows its focus rectangle
        save(*rows, QString("%1_multiline").arg(styleName(styles[s])), s, 5);
    }
    sheetPainter.end();
    if (!savePicture(sheet, folder + "/sheet.png"))
        ++failures;
    return failures == 0 ? 0 : 1;
}
