// What a stored report keeps: settings made on a report, its groups and
// bands survive a save and a load through a template, and streams that
// name the published entries, old ones included, load.

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/ReportFakes.h"

#include "report/content/variables/Variable.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"
#include "report/model/templates/ReportTemplate.h"
#include "report/output/LibraryInit.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Picture.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace report;

namespace {

class StoredReports : public ::testing::Test
{
protected:
    StoredReports()
    {
        ppLibraryInit();
        // A stream that does not load fails the test instead of asking.
        ppUnRegisterFormClass(TppCustomTemplateErrorDialog::StaticClass());
        form.SetName(QStringLiteral("Form1"));
        pipeline = new reporttest::MemoryPipeline(&form);
        pipeline->SetName(QStringLiteral("plCustomers"));
        report = new TppReport(&form);
        report->SetName(QStringLiteral("ppReport1"));
    }
    ~StoredReports() override { ppLibraryFinalize(); }

    QByteArray save(TppFormatType aFormat = TppFormatType::ftASCII)
    {
        report->Template()->SetFormat(aFormat);
        classes::TMemoryStream stream;
        report->Template()->SaveToStream(stream);
        return QByteArray(stream.Memory(), qsizetype(stream.Size()));
    }

    void load(const QByteArray &aBytes)
    {
        classes::TMemoryStream stream;
        stream.WriteBuffer(aBytes.constData(), aBytes.size());
        stream.SetPosition(0);
        report->Template()->LoadFromStream(stream);
    }

    // Saved in both forms and each loaded into a report made afresh.
    template <class Check>
    void afterSaveAndLoad(Check aCheck)
    {
        for (TppFormatType format : {TppFormatType::ftBinary, TppFormatType::ftASCII}) {
            SCOPED_TRACE(int(format));
            const QByteArray bytes = save(format);
            TppReport *old = report;
            report = new TppReport(&form);
            delete old;
            report->SetName(QStringLiteral("ppReport1"));
            load(bytes);
            aCheck();
        }
    }

    classes::TComponent form{nullptr};
    reporttest::MemoryPipeline *pipeline = nullptr;
    TppReport *report = nullptr;
};

TEST_F(StoredReports, TheProducersSettingsAreKept)
{
    report->SetDeviceType(QStringLiteral("Printer"));
    report->SetShowPrintDialog(false);
    report->SetShowCancelDialog(false);
    report->SetTextFileName(QStringLiteral("/tmp/out.csv"));
    report->SetTextFileType(TppFileType::ftTab);
    report->SetAllowPrintToFile(true);
    report->SetAllowPrintToArchive(true);
    report->SetArchiveFileName(QStringLiteral("/tmp/out.raf"));
    report->SetSavePrinterSetup(true);
    report->SetModalPreview(false);
    report->SetModalCancelDialog(false);
    report->SetCachePages(true);
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    report->SetIcon(QIcon(QPixmap::fromImage(image)));
    const QByteArray iconBytes = report->IconData()->Bytes();
    EXPECT_FALSE(iconBytes.isEmpty());
    afterSaveAndLoad([&] {
        EXPECT_EQ(report->DeviceType(), QStringLiteral("Printer"));
        EXPECT_FALSE(report->ShowPrintDialog());
        EXPECT_FALSE(report->ShowCancelDialog());
        EXPECT_EQ(report->TextFileName(), QStringLiteral("/tmp/out.csv"));
        EXPECT_EQ(report->TextFileType(), TppFileType::ftTab);
        EXPECT_TRUE(report->AllowPrintToFile());
        EXPECT_TRUE(report->AllowPrintToArchive());
        EXPECT_EQ(report->ArchiveFileName(), QStringLiteral("/tmp/out.raf"));
        EXPECT_TRUE(report->SavePrinterSetup());
        EXPECT_FALSE(report->ModalPreview());
        EXPECT_FALSE(report->ModalCancelDialog());
        EXPECT_TRUE(report->CachePages());
        EXPECT_EQ(report->IconData()->Bytes(), iconBytes);
        EXPECT_FALSE(report->Icon().isNull());
    });
}

// The language read takes effect once the report is loaded, and a language
// without messages loads as the default.
TEST_F(StoredReports, TheLanguageIsAppliedOnceLoaded)
{
    class CountingReport : public TppReport
    {
    public:
        using TppReport::TppReport;
        void LanguageChanged() override
        {
            TppReport::LanguageChanged();
            calls.push_back(HasState(classes::csLoading | classes::csReading));
        }
        std::vector<bool> calls;
    };
    auto readInto = [](TppReport &aReport, const QByteArray &aLanguage) {
        const QByteArray text = "object ppReport2: TppReport\r\n  Language = " + aLanguage + "\r\nend\r\n";
        classes::TMemoryStream source;
        source.WriteBuffer(text.constData(), text.size());
        source.SetPosition(0);
        classes::TMemoryStream binary;
        classes::ObjectTextToBinary(source, binary);
        binary.SetPosition(0);
        classes::TReader(binary).ReadRootComponent(&aReport);
    };
    {
        reporttest::LanguageModuleFolder modules;
        ASSERT_TRUE(modules.write(QStringLiteral("bvPrint.fra"), "43001=fr\n"));
        CountingReport counting;
        readInto(counting, "lgFrench");
        EXPECT_EQ(counting.Language(), TppLanguageType::lgFrench);
        EXPECT_EQ(counting.calls, std::vector<bool>{false});
        counting.SetLanguage(TppLanguageType::lgDefault);
    }
    TppReport plain;
    readInto(plain, "lgGerman");
    EXPECT_EQ(plain.Language(), TppLanguageType::lgDefault);
}

TEST_F(StoredReports, GroupsKeepTheirUserNameAndPipeline)
{
    report->SetDataPipeline(pipeline);
    auto *group = new TppGroup(&form);
    group->SetName(QStringLiteral("ppGroup1"));
    group->SetReport(report);
    group->SetDataPipeline(pipeline);
    group->SetUserName(QStringLiteral("Totals"));
    afterSaveAndLoad([&] {
        ASSERT_EQ(report->GroupCount(), 1);
        EXPECT_EQ(report->Groups(0)->UserName(), QStringLiteral("Totals"));
        EXPECT_EQ(report->FindUserName(QStringLiteral("totals")), report->Groups(0));
        EXPECT_EQ(report->Groups(0)->DataPipeline(), pipeline);
        EXPECT_EQ(report->DataPipeline(), pipeline);
    });
}

// Streams naming the published entries load; older ones name the pipelines
// as references, by the report and by its groups, a pipeline of another
// module with the module's name.
TEST_F(StoredReports, StreamsNamingThePublishedEntriesLoad)
{
    load("object ppReport1: TppReport\r\n"
         "  DataPipeline = DataModule1.plCustomers\r\n"
         "  DeviceType = 'Printer'\r\n"
         "  NoDataBehaviors = [ndMessageDialog, ndBlankReport]\r\n"
         "  TextSearchSettings.DefaultString = '<Find>'\r\n"
         "  object ppGroup1: TppGroup\r\n"
         "    BreakName = 'Key'\r\n"
         "    DataPipeline = plCustomers\r\n"
         "    UserName = 'Totals'\r\n"
         "    object ppGroupHeaderBand1: TppGroupHeaderBand\r\n"
         "      Group = ppGroup1\r\n"
         "    end\r\n"
         "  end\r\n"
         "end\r\n");
    EXPECT_EQ(report->DeviceType(), QStringLiteral("Printer"));
    const int noData =
        (1 << int(TppNoDataBehaviorType::ndMessageDialog)) | (1 << int(TppNoDataBehaviorType::ndBlankReport));
    EXPECT_EQ(report->NoDataBehaviors(), noData);
    EXPECT_EQ(report->DataPipeline(), pipeline);
    ASSERT_EQ(report->GroupCount(), 1);
    EXPECT_EQ(report->Groups(0)->DataPipeline(), pipeline);
    EXPECT_EQ(report->Groups(0)->UserName(), QStringLiteral("Totals"));
    ASSERT_TRUE(report->Groups(0)->HeaderBand());
    EXPECT_EQ(report->Groups(0)->HeaderBand()->Group(), report->Groups(0));
    // Written again, the project's own entry carries the pipeline.
    const QByteArray text = save();
    EXPECT_TRUE(text.contains("DataPipelineName = 'plCustomers'"));
    EXPECT_FALSE(text.contains("DataPipeline = "));
    afterSaveAndLoad([&] { EXPECT_EQ(report->NoDataBehaviors(), noData); });
}

// Controls may name their pipeline, their position in the report's units and
// the stretchable they shift below; a hidden memo or a subreport that does
// not stretch stays so through a save.
TEST_F(StoredReports, ControlStreamsNamingThePublishedEntriesLoad)
{
    load("object ppReport1: TppReport\r\n"
         "  Units = utMillimeters\r\n"
         "  Version = '7.01'\r\n"
         "  object ppDetailBand1: TppDetailBand\r\n"
         "    object ppDBText1: TppDBText\r\n"
         "      DataPipeline = DataModule1.plCustomers\r\n"
         "      DataField = 'Name'\r\n"
         "      Left = 12.5\r\n"
         "    end\r\n"
         "    object ppMemo1: TppMemo\r\n"
         "    end\r\n"
         "    object ppMemo2: TppMemo\r\n"
         "      ShiftRelativeTo = ppMemo1\r\n"
         "      Visible = False\r\n"
         "    end\r\n"
         "    object ppSubReport1: TppSubReport\r\n"
         "      DataPipeline = plCustomers\r\n"
         "      Stretch = False\r\n"
         "      object ppChildReport1: TppChildReport\r\n"
         "      end\r\n"
         "    end\r\n"
         "  end\r\n"
         "end\r\n");
    const auto check = [&] {
        TppBand *band = report->GetDetailBand();
        ASSERT_TRUE(band);
        ASSERT_EQ(band->ObjectCount(), 4);
        EXPECT_EQ(band->Objects(0)->DataPipeline(), pipeline);
        EXPECT_EQ(band->Objects(0)->mmLeft(), 12500);
        auto *memo = dynamic_cast<TppStretchable *>(band->Objects(2));
        ASSERT_TRUE(memo);
        EXPECT_EQ(memo->ShiftRelativeTo(), band->Objects(1));
        EXPECT_FALSE(memo->Visible());
        auto *subReport = dynamic_cast<TppSubReport *>(band->Objects(3));
        ASSERT_TRUE(subReport && subReport->Report());
        EXPECT_EQ(subReport->Report()->DataPipeline(), pipeline);
        EXPECT_FALSE(subReport->Stretch());
    };
    check();
    afterSaveAndLoad(check);
}

// Names that another module qualifies ("DataModule1.") in the entries that
// name a pipeline or a component by text: each finds the object by its own
// name, the detail band's pipeline as a data text's.
TEST_F(StoredReports, QualifiedNamesFindTheirObjectsWhereverTheyAreStored)
{
    auto *orders = new reporttest::MemoryPipeline(&form);
    orders->SetName(QStringLiteral("plOrders"));
    load("object ppReport1: TppReport\r\n"
         "  DataPipelineName = 'DataModule1.plCustomers'\r\n"
         "  Version = '7.01'\r\n"
         "  object ppGroup1: TppGroup\r\n"
         "    BreakName = 'Key'\r\n"
         "    DataPipelineName = 'DataModule1.plCustomers'\r\n"
         "  end\r\n"
         "  object ppDetailBand1: TppDetailBand\r\n"
         "    DataPipeline = DataModule1.plOrders\r\n"
         "    object ppDBText1: TppDBText\r\n"
         "      DataPipelineName = 'DataModule1.plOrders'\r\n"
         "      DataField = 'Name'\r\n"
         "    end\r\n"
         "    object ppMemo1: TppMemo\r\n"
         "    end\r\n"
         "    object ppMemo2: TppMemo\r\n"
         "      ShiftRelativeTo = Form1.ppMemo1\r\n"
         "    end\r\n"
         "    object ppVariable1: TppVariable\r\n"
         "      CalcType = veDataPipelineTraversal\r\n"
         "      CalcDataPipelineName = 'DataModule1.plCustomers'\r\n"
         "    end\r\n"
         "  end\r\n"
         "end\r\n");
    const auto check = [&] {
        EXPECT_EQ(report->DataPipeline(), pipeline);
        ASSERT_EQ(report->GroupCount(), 1);
        EXPECT_EQ(report->Groups(0)->DataPipeline(), pipeline);
        auto *band = dynamic_cast<TppDetailBand *>(report->GetDetailBand());
        ASSERT_TRUE(band);
        EXPECT_EQ(band->DataPipeline(), orders);
        ASSERT_EQ(band->ObjectCount(), 4);
        EXPECT_EQ(band->Objects(0)->DataPipeline(), orders);
        auto *memo = dynamic_cast<TppStretchable *>(band->Objects(2));
        ASSERT_TRUE(memo);
        EXPECT_EQ(memo->ShiftRelativeTo(), band->Objects(1));
        auto *variable = dynamic_cast<TppVariable *>(band->Objects(3));
        ASSERT_TRUE(variable);
        EXPECT_EQ(variable->CalcComponent(), pipeline);
    };
    check();
    // Written again under their own names, and read back as such.
    EXPECT_FALSE(save().contains("DataModule1"));
    afterSaveAndLoad(check);
}

// The old name of BeforeAutoSearchDialogCreate: a handler of the form is
// taken, one the form lacks is dropped and the report still loads.
TEST_F(StoredReports, TheOldAutoSearchCreateHandlerIsRead)
{
    int called = 0;
    form.DefineMethod<void(classes::TObject *)>(QStringLiteral("ReportSearchCreate"),
                                                [&called](classes::TObject *) { ++called; });
    load("object ppReport1: TppReport\r\n"
         "  OnAutoSearchDialogCreate = ReportSearchCreate\r\n"
         "end\r\n");
    ASSERT_TRUE(report->BeforeAutoSearchDialogCreate.Assigned());
    EXPECT_EQ(report->BeforeAutoSearchDialogCreate.Name(), QStringLiteral("ReportSearchCreate"));
    report->DoBeforeAutoSearchDialogCreate();
    EXPECT_EQ(called, 1);

    load("object ppReport1: TppReport\r\n"
         "  OnAutoSearchDialogCreate = GoneHandler\r\n"
         "  DeviceType = 'Printer'\r\n"
         "end\r\n");
    EXPECT_FALSE(report->BeforeAutoSearchDialogCreate.Assigned());
    EXPECT_EQ(report->DeviceType(), QStringLiteral("Printer"));
}

} // namespace
