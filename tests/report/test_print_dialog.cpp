// The print dialog as a user meets it, offscreen: the page range it shows
// and what OK accepts, the copies' arrows, the printers it offers and when
// it refuses to print on them, printing to a file of each registered kind,
// and a whole print that goes to a text file through it.

#include "Samples.h"

#include "tests/support/report/CsvPipeline.h"
#include "tests/support/report/CsvReader.h"
#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/model/base/Units.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"
#include "report/output/LibraryInit.h"
#include "report/output/forms/PrintDialog.h"
#include "report/output/forms/UpDown.h"

#include "platform/classes/StringList.h"
#include "platform/rtl/StrToFloat.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/Modal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace report;

namespace {

class PrintDialog : public ::testing::Test
{
protected:
    PrintDialog()
    {
        ppLibraryInit();
        ppFreePrinters();
    }
    ~PrintDialog() override
    {
        ppFreePrinters();
        ppLibraryFinalize();
    }

    // A dialog on a printer of the fake system, the request given.
    std::unique_ptr<TppPrintDialog> dialog(const TppPageRequest &aRequest = TppPageRequest())
    {
        auto made = std::make_unique<TppPrintDialog>();
        made->Printer = &printer;
        made->SetPageRequest(&aRequest);
        made->Prepare();
        return made;
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const shell::MessageBoxRequest &request : boxes.requests())
            texts << request.text;
        return texts;
    }

    ScopedScreenPixelsPerInch screen{96};
    reporttest::FakePrinters fake;
    TppPrinter printer;
    shell::RecordingMessageBoxes boxes;
};

TEST_F(PrintDialog, ShowsTheRequestsPagesAndAcceptsOnlyAListThatNamesPages)
{
    EXPECT_EQ(ppGetFormClass(TppCustomPrintDialog::StaticClass()), &TppPrintDialog::StaticClass());
    fake->add("Office");
    fake->setDefaultDevice("Office");
    TppPageRequest request;
    classes::TStringList pages;
    pages.Add(QStringLiteral("3"));
    pages.Add(QStringLiteral("7"));
    request.SetPageList(&pages);
    request.SetPageSetting(TppPageSettingType::psPageRange);
    request.SetPageRange(TppPageRangeType::prEvenPages);
    auto range = dialog(request);
    EXPECT_TRUE(range->rdbPages()->isChecked());
    EXPECT_EQ(range->edtPageRange()->text(), QStringLiteral("3-7"));
    EXPECT_EQ(range->cbxPrintWhat()->currentText(), QStringLiteral("Even pages"));
    EXPECT_EQ(range->windowTitle(), QStringLiteral("Print"));
    // The description's frame ends 9 pixels (2381 thousandths of a
    // millimetre) below its text.
    EXPECT_EQ(range->bvlPageRange()->geometry().bottom() + 1,
              range->lblPageRangeDescription()->geometry().bottom() + 1 + 9);

    request.SetPageSetting(TppPageSettingType::psPageList);
    auto list = dialog(request);
    EXPECT_EQ(list->edtPageRange()->text(), QStringLiteral("3,7"));
    // Choosing all pages empties the range; typing into it chooses pages.
    list->rdbAll()->click();
    EXPECT_EQ(list->edtPageRange()->text(), QString());
    QTest::keyClicks(list->edtPageRange(), "9");
    EXPECT_TRUE(list->rdbPages()->isChecked());

    for (const char *refused : {"", "a,b", "1-999999999"}) {
        list->edtPageRange()->setText(QLatin1String(refused));
        EXPECT_FALSE(list->AcceptChoices()) << refused;
    }
    EXPECT_EQ(messages(), QStringList({QStringLiteral("No pages entered."), list->lblPageRangeDescription()->text(),
                                       list->lblPageRangeDescription()->text()}));
    list->edtPageRange()->setText(QStringLiteral("5-3, 9"));
    ASSERT_TRUE(list->AcceptChoices());
    EXPECT_EQ(list->PageRequest()->PageSetting(), TppPageSettingType::psPageList);
    EXPECT_EQ(list->PageRequest()->PageList()->Text(), QStringLiteral("3\r\n4\r\n5\r\n9\r\n"));
    EXPECT_FALSE(list->PrintToFile);
    EXPECT_FALSE(list->PrintToArchive);

    list->rdbCurrentPage()->click();
    ASSERT_TRUE(list->AcceptChoices());
    EXPECT_EQ(list->PageRequest()->PageSetting(), TppPageSettingType::psSinglePage);
}

TEST_F(PrintDialog, CopiesStayBetweenOneAndNineHundredNinetyNine)
{
    fake->add("Office");
    fake->setDefaultDevice("Office");
    auto made = dialog();
    made->show();
    TppUpDown *arrows = made->udCopies();
    const QPoint up(arrows->width() / 2, 2);
    const QPoint down(arrows->width() / 2, arrows->height() - 2);
    EXPECT_EQ(made->edtCopies()->text(), QStringLiteral("1"));
    QTest::mouseClick(arrows, Qt::LeftButton, {}, down);
    EXPECT_EQ(made->edtCopies()->text(), QStringLiteral("1"));
    QTest::mouseClick(arrows, Qt::LeftButton, {}, up);
    EXPECT_EQ(made->edtCopies()->text(), QStringLiteral("2"));
    made->edtCopies()->setText(QStringLiteral("999"));
    QTest::mouseClick(arrows, Qt::LeftButton, {}, up);
    EXPECT_EQ(made->edtCopies()->text(), QStringLiteral("999"));
    made->edtCopies()->setText(QStringLiteral("abc"));
    QTest::mouseClick(arrows, Qt::LeftButton, {}, down);
    EXPECT_EQ(made->edtCopies()->text(), QStringLiteral("1"));

    made->edtCopies()->setText(QStringLiteral("1000"));
    ASSERT_TRUE(made->AcceptChoices());
    EXPECT_EQ(made->edtCopies()->text(), QStringLiteral("999"));
    EXPECT_EQ(printer.PrinterSetup()->Copies(), 999);
    // Too long for a number the program counts in, still the most copies.
    made->edtCopies()->setText(QStringLiteral("99999999999"));
    ASSERT_TRUE(made->AcceptChoices());
    EXPECT_EQ(printer.PrinterSetup()->Copies(), 999);
    // The picture follows the box, and so does the setup, the label's click
    // included.
    ASSERT_TRUE(made->cbxCollate()->isChecked());
    EXPECT_EQ(made->imgCollate()->pixmap().toImage().convertToFormat(QImage::Format_RGB32), made->CollationPicture(0));
    QTest::mouseClick(made->lblCollate(), Qt::LeftButton);
    EXPECT_FALSE(printer.PrinterSetup()->Collation());
    EXPECT_EQ(made->imgCollate()->pixmap().toImage().convertToFormat(QImage::Format_RGB32), made->CollationPicture(1));
    EXPECT_NE(made->CollationPicture(0), made->CollationPicture(1));
    EXPECT_EQ(made->CollationPicture(0).size(), QSize(102, 53));
}

TEST_F(PrintDialog, OffersThePrintersAndRefusesToPrintWhereNoneCan)
{
    // Without printers the dialog says so, and only a file can be printed.
    {
        auto none = dialog();
        EXPECT_FALSE(none->cbxPrinters()->isVisibleTo(none.get()));
        EXPECT_TRUE(none->lblNoPrintersInstalled()->isVisibleTo(none.get()));
        EXPECT_FALSE(none->pnlPrintToFile()->isVisibleTo(none.get()));
        EXPECT_FALSE(none->AcceptChoices());
        EXPECT_EQ(messages(), QStringList{QStringLiteral("There are no printers connected to your computer.")});

        none->AllowPrintToFile = true;
        none->Prepare();
        none->cbxPrintToFile()->click();
        none->edtPrintToFileName()->setText(QStringLiteral("/tmp/out"));
        EXPECT_TRUE(none->AcceptChoices());
    }
    ppFreePrinters();
    boxes.clear();
    fake->add("Office");
    print::FakePrinterBackend::Printer &remote = fake->add("Annex");
    remote.entry.isLocal = false;
    remote.entry.port = QStringLiteral("ipp://annex");
    fake->setDefaultDevice("Office");
    printer.PrinterSetup()->SetPrinterName(QStringLiteral("Office"));
    auto made = dialog();
    QStringList names;
    for (int i = 0; i < made->cbxPrinters()->count(); ++i)
        names << made->cbxPrinters()->itemText(i) + QLatin1Char(':') + made->cbxPrinters()->itemData(i).toString();
    EXPECT_EQ(names, QStringList({"Annex:1", "Default:0", "Office:0"}));
    EXPECT_EQ(made->cbxPrinters()->currentText(), QStringLiteral("Office"));
    made->cbxPrinters()->setCurrentIndex(0);
    EXPECT_EQ(printer.PrinterSetup()->PrinterName(), QStringLiteral("Annex"));
    EXPECT_EQ(made->lblPrinterWhereDesc()->text(), QStringLiteral("ipp://annex"));
    EXPECT_TRUE(made->AcceptChoices());

    // A printer that cannot be reached keeps the dialog open.
    remote.refuseContext = true;
    TppPrinter unreachable;
    unreachable.PrinterSetup()->SetPrinterName(QStringLiteral("Annex"));
    made->Printer = &unreachable;
    made->Prepare();
    EXPECT_FALSE(made->AcceptChoices());
    EXPECT_EQ(messages(), QStringList{QStringLiteral("The selected printer is not available.")});
}

TEST_F(PrintDialog, PrintsToAFileOfTheChosenKindUnderANameWithItsExtension)
{
    QTemporaryDir folder;
    auto made = std::make_unique<TppPrintDialog>();
    made->AllowPrintToFile = true;
    made->AllowPrintToArchive = true;
    made->DeviceType = QStringLiteral("ReportTextFile");
    made->TextFileName = folder.filePath(QStringLiteral("report"));
    made->ArchiveFileName = folder.filePath(QStringLiteral("pages.raf"));
    made->Prepare();
    QStringList types;
    for (int i = 0; i < made->cbxPrintToFileTypes()->count(); ++i)
        types << made->cbxPrintToFileTypes()->itemText(i);
    EXPECT_EQ(types, QStringList({"Archive File", "Text File", "Report Emulation Text File"}));
    EXPECT_EQ(made->cbxPrintToFileTypes()->currentText(), QStringLiteral("Report Emulation Text File"));
    EXPECT_TRUE(made->cbxPrintToFile()->isChecked());
    EXPECT_EQ(made->edtPrintToFileName()->text(), made->TextFileName);

    // The label toggles the box, and the box the controls under it.
    QTest::mouseClick(made->lblPrintToFile(), Qt::LeftButton);
    EXPECT_FALSE(made->cbxPrintToFile()->isChecked());
    EXPECT_FALSE(made->edtPrintToFileName()->isEnabled());
    made->cbxPrintToFile()->click();
    made->edtPrintToFileName()->clear();
    EXPECT_FALSE(made->AcceptChoices());
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Please specify file name before continuing.")});

    for (const auto &[typed, stored] : {std::pair{"out", "out.txt"}, {"out.", "out.txt"}, {"out.csv", "out.csv"}}) {
        made->edtPrintToFileName()->setText(folder.filePath(QLatin1String(typed)));
        ASSERT_TRUE(made->AcceptChoices()) << typed;
        EXPECT_EQ(made->TextFileName, folder.filePath(QLatin1String(stored)));
    }
    EXPECT_EQ(made->DeviceType, QStringLiteral("ReportTextFile"));
    EXPECT_TRUE(made->PrintToFile);
    EXPECT_FALSE(made->PrintToArchive);

    // The archive keeps a name of its own, chosen here in the save dialog.
    made->cbxPrintToFileTypes()->setCurrentIndex(0);
    EXPECT_EQ(made->edtPrintToFileName()->text(), folder.filePath(QStringLiteral("pages.raf")));
    EXPECT_EQ(made->SaveDialog1()->defaultSuffix(), QStringLiteral("raf"));
    EXPECT_FALSE(made->SaveDialog1()->testOption(QFileDialog::DontUseNativeDialog) == false);
    shell::ScriptedDialogs dialogs;
    dialogs.drive<QFileDialog>([&folder](QFileDialog &save) {
        save.selectFile(folder.filePath(QStringLiteral("chosen")));
        static_cast<QDialog &>(save).accept();
    });
    made->BrowseForFile();
    ASSERT_TRUE(made->AcceptChoices());
    EXPECT_EQ(made->ArchiveFileName, folder.filePath(QStringLiteral("chosen.raf")));
    EXPECT_EQ(made->TextFileName, folder.filePath(QStringLiteral("out.csv")));
    EXPECT_EQ(made->DeviceType, QStringLiteral("ArchiveFile"));
    EXPECT_FALSE(made->PrintToFile);
    EXPECT_TRUE(made->PrintToArchive);
}

// A report printed as a user prints it: the print dialog comes up, the user
// chooses a text file, and the report's saved texts arrive in it.
TEST_F(PrintDialog, AReportPrintedToATextFileThroughTheDialog)
{
    reporttest::MemoryPipeline data;
    QString error;
    ASSERT_TRUE(reporttest::LoadCsvPipeline(QStringLiteral(ZVO_LIST_SAMPLE), data, error)) << error.toStdString();
    std::unique_ptr<TppReport> sample = reportdemo::CreateSample(QStringLiteral("list"), data);
    ASSERT_TRUE(sample);
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("list"));
    sample->SetDeviceType(QStringLiteral("Printer"));
    sample->SetShowCancelDialog(false);
    sample->SetAllowPrintToFile(true);
    shell::ScriptedDialogs dialogs;
    dialogs.drive<TppPrintDialog>([&out](TppPrintDialog &shown) {
        shown.cbxPrintToFile()->click();
        shown.cbxPrintToFileTypes()->setCurrentIndex(shown.cbxPrintToFileTypes()->findText("Text File"));
        shown.edtPrintToFileName()->setText(out);
        shown.btnOK()->click();
    });
    sample->Print();
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("report::TppPrintDialog")});
    QFile written(out + QStringLiteral(".txt"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    // Read back as a spreadsheet would, under the header of the data.
    reportcsv::CsvTable table;
    reportcsv::CsvError csvError;
    ASSERT_TRUE(reportcsv::ParseCsv("Id,Name,City,Amount\r\n" + written.readAll().toStdString(), table, csvError))
        << csvError.message;
    ASSERT_EQ(int(table.rows.size()), data.RecordCount());
    for (int row = 0; row < data.RecordCount(); ++row) {
        const std::vector<std::string> &fields = table.rows[size_t(row)];
        EXPECT_EQ(std::stoi(fields[0]), data.Cell(row, QStringLiteral("Id")).toInt()) << row;
        EXPECT_EQ(QString::fromStdString(fields[1]), data.Cell(row, QStringLiteral("Name")).toString()) << row;
        EXPECT_EQ(QString::fromStdString(fields[2]), data.Cell(row, QStringLiteral("City")).toString()) << row;
        // The amount in the user's own form, as the text file writes it.
        EXPECT_DOUBLE_EQ(double(rtl::StrToFloat(QString::fromStdString(fields[3]))),
                         data.Cell(row, QStringLiteral("Amount")).toDouble())
            << row;
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

} // namespace
