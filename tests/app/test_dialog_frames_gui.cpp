// The program's dialogs as the desktop and the reader meet them: frames that
// ask the window manager for no buttons, and one face throughout.

#include "app/ProgressUnit.h"
#include "platform/gfx/GdiObjects.h"
#include "settings/CheckForUpdatesFormUnit.h"
#include "settings/FirstStartWizardUnit.h"
#include "settings/OptionsUnit.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QFontInfo>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace {

struct Dialog
{
    const char *name;
    std::function<std::unique_ptr<QWidget>()> make;
};

const Dialog Dialogs[] = {
    {"progress", [] { return std::make_unique<app::TMyProgressForm>(nullptr); }},
    {"wizard", [] { return std::make_unique<settings::TFirstStartWizardForm>(nullptr); }},
    {"update", [] { return std::make_unique<settings::TCheckForUpdatesForm>(nullptr); }},
    {"options", [] { return std::make_unique<settings::TOptionsForm>(nullptr); }},
};

// The faces the dialog's texts are drawn with: every control's, and the
// page controls' tabs, which have a font of their own.
std::set<QString> facesOf(const QWidget &dialog)
{
    std::set<QString> faces{QFontInfo(dialog.font()).family()};
    for (const QWidget *child : dialog.findChildren<QWidget *>())
        faces.insert(QFontInfo(child->font()).family());
    for (const widgets::TdxPageControl *pages : dialog.findChildren<widgets::TdxPageControl *>())
        faces.insert(QFontInfo(gfx::ToQFont(pages->Font(), 96)).family());
    return faces;
}

std::string joined(const std::set<QString> &faces)
{
    std::string text;
    for (const QString &face : faces)
        text += face.toStdString() + "; ";
    return text;
}

TEST(DialogTest, EachDialogUsesOneFaceThroughout)
{
    for (const Dialog &dialog : Dialogs) {
        const std::unique_ptr<QWidget> window = dialog.make();
        const std::set<QString> faces = facesOf(*window);
        EXPECT_EQ(faces.size(), 1u) << dialog.name << ": " << joined(faces);
    }
}

// Dialogs without a close box: a title bar, and no system menu, minimize,
// maximize or close button asked for.
TEST(DialogTest, WindowsWithoutACloseBoxAskForNoFrameButtons)
{
    const Qt::WindowFlags buttons = Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                    Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                                    Qt::WindowContextHelpButtonHint | Qt::WindowFullscreenButtonHint;
    for (const Dialog &dialog : Dialogs) {
        if (std::string(dialog.name) == "options")
            continue;
        const std::unique_ptr<QWidget> window = dialog.make();
        window->show();
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_EQ(flags & buttons, Qt::WindowFlags()) << dialog.name;
        EXPECT_TRUE(flags.testFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint)) << dialog.name;
        EXPECT_EQ(window->windowType(), Qt::Dialog) << dialog.name;
        EXPECT_EQ(window->windowHandle()->flags() & buttons, Qt::WindowFlags()) << dialog.name;
    }
}

} // namespace
