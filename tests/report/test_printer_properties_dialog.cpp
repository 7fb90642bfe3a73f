// The printer properties dialog: the page setup dialog on a printer's
// settings, answered by a script as a user would.

#include "tests/support/report/FakePrinters.h"

#include "report/model/printing/Printer.h"
#include "report/output/PrinterPropertiesDialog.h"

#include "platform/shell/Modal.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QPageSetupDialog>
#include <QRadioButton>

using namespace report;

TEST(PrinterPropertiesDialog, TheUsersChoiceBecomesThePrintersSettingsOnlyOnOk)
{
    ScopedScreenPixelsPerInch screen(96);
    reporttest::FakePrinters fake;
    fake->add("Office");
    TppPrinter printer;
    printer.SetPrinterName("Office");
    int changes = 0;
    printer.OnDevModeChange.Set([&](classes::TObject *) { ++changes; });
    EXPECT_FALSE(printer.ShowProperties()); // no dialog in place
    ppInstallPrinterPropertiesDialog();

    shell::ScriptedDialogs dialogs;
    dialogs.drive<QPageSetupDialog>([](QPageSetupDialog &dialog) {
        auto *landscape = dialog.findChild<QRadioButton *>("landscape");
        ASSERT_NE(landscape, nullptr);
        landscape->click();
        dialog.accept();
    });
    dialogs.drive<QPageSetupDialog>([](QPageSetupDialog &dialog) {
        dialog.findChild<QRadioButton *>("portrait")->click();
        dialog.reject();
    });
    EXPECT_TRUE(printer.ShowProperties());
    EXPECT_EQ(printer.DevMode()->orientation, 2);
    EXPECT_EQ(printer.DevMode()->paperSize, 9);
    EXPECT_FALSE(printer.ShowProperties());
    EXPECT_EQ(printer.DevMode()->orientation, 2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dialogs.shown(), QStringList({"QPageSetupDialog", "QPageSetupDialog"}));
    ppSetPrinterPropertiesDialog(nullptr);
}

TEST(PrinterPropertiesDialog, BelongsToTheMainWindow)
{
    ScopedScreenPixelsPerInch screen(96);
    reporttest::FakePrinters fake;
    fake->add("Office");
    TppPrinter printer;
    printer.SetPrinterName("Office");
    ppInstallPrinterPropertiesDialog();
    QMainWindow main;
    main.show();
    shell::ScriptedDialogs dialogs;
    QWidget *parent = nullptr;
    dialogs.drive<QPageSetupDialog>([&](QPageSetupDialog &dialog) {
        parent = dialog.parentWidget();
        dialog.reject();
    });
    EXPECT_FALSE(printer.ShowProperties());
    EXPECT_EQ(parent, &main);
    ppSetPrinterPropertiesDialog(nullptr);
}
