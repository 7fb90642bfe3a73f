#include "EngineFixture.h"

#include "tests/support/report/FormFakes.h"
#include "tests/support/report/PageFakes.h"

#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/engine/NoDataRules.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"

using namespace report;
using namespace reporttest;

namespace {

class NoDataTestDialog : public WindowlessForm<TppCustomNoDataDialog>
{
    ZVO_CLASS(NoDataTestDialog)
public:
    using WindowlessForm::WindowlessForm;
    int ShowModal() override
    {
        ++Shown;
        return WindowlessForm::ShowModal();
    }
    static inline int Shown = 0;
};

// Makes the text as a stand-in command, as the content layer makes its own.
class NoDataTestFactory : public IppNoDataMessageFactory
{
public:
    TppDrawCommand *CreateNoDataMessage(const TppNoDataMessage &aMessage) override
    {
        Made = aMessage;
        auto *command = new StandInTextCommand;
        command->Text = aMessage.text;
        command->SetLeft(aMessage.left);
        command->SetTop(aMessage.top);
        command->SetWidth(aMessage.width);
        command->SetHeight(aMessage.height);
        return command;
    }
    TppNoDataMessage Made;
};

struct NoDataCall
{
    bool dialog = false;
    bool showDialog = false;
    bool drawCommand = false;
    bool addDrawCommand = false;
};

class NoData : public enginetest::EngineFixture
{
protected:
    NoData()
    {
        NoDataTestDialog::Shown = 0;
        ppRegisterFormClass(TppCustomNoDataDialog::StaticClass(), NoDataTestDialog::StaticClass());
        ppSetNoDataMessageFactory(&factory);
        rows(0);
        report.OnNoData.Set([this](classes::TObject *, classes::TObject *aDialog, bool &aShowDialog,
                                   classes::TObject *aDrawCommand, bool &aAddDrawCommand) {
            calls.append({aDialog != nullptr, aShowDialog, aDrawCommand != nullptr, aAddDrawCommand});
            if (declineText)
                aAddDrawCommand = false;
            if (declineDialog)
                aShowDialog = false;
        });
    }
    ~NoData() override
    {
        ppSetNoDataMessageFactory(nullptr);
        ppUnRegisterFormClass(TppCustomNoDataDialog::StaticClass());
    }

    void behaviors(std::initializer_list<TppNoDataBehaviorType> aBehaviors)
    {
        TppNoDataBehaviors value = 0;
        for (TppNoDataBehaviorType behavior : aBehaviors)
            value |= uint8_t(1u << unsigned(behavior));
        report.SetNoDataBehaviors(value);
    }

    // The text among the bands' commands.
    const StandInTextCommand *message() const
    {
        for (int i = 0; i < engine_()->Page()->DrawCommandCount(); ++i)
            if (auto *text = dynamic_cast<StandInTextCommand *>(engine_()->Page()->DrawCommands(i));
                text && text->Text == ppLoadStr(1034))
                return text;
        return nullptr;
    }
    TppEngine *engine_() const { return static_cast<TppEngine *>(report.Engine()); }

    StandInCommandClasses commandClasses;
    NoDataTestFactory factory;
    QList<NoDataCall> calls;
    bool declineText = false;
    bool declineDialog = false;
};

TEST_F(NoData, S6_ABlankPageDeliversNoPageAndCompletes)
{
    generate();
    EXPECT_TRUE(report.Pages.isEmpty());
    EXPECT_TRUE(engine()->ReportComplete());
    EXPECT_EQ(engine()->PageCount(), 0);
    // Asked again, the report still has nothing to give.
    generate(TppPageSettingType::psSinglePage, 2);
    EXPECT_TRUE(report.Pages.isEmpty());
    EXPECT_EQ(calls.size(), 2);
    EXPECT_FALSE(calls[0].dialog);
    EXPECT_EQ(NoDataTestDialog::Shown, 0);
}

TEST_F(NoData, TheDialogOfABlankPageShowsUnlessTheHandlerDeclines)
{
    behaviors({TppNoDataBehaviorType::ndBlankPage, TppNoDataBehaviorType::ndMessageDialog});
    generate();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_TRUE(calls[0].dialog && calls[0].showDialog);
    EXPECT_FALSE(calls[0].drawCommand || calls[0].addDrawCommand);
    EXPECT_EQ(NoDataTestDialog::Shown, 1);

    declineDialog = true;
    generate();
    EXPECT_EQ(NoDataTestDialog::Shown, 1);
    EXPECT_TRUE(report.Pages.isEmpty());
}

TEST_F(NoData, ABlankReportPrintsItsBandsWithTheTextCentred)
{
    report.AddBand<TppSummaryBand>(30000);
    behaviors({TppNoDataBehaviorType::ndBlankReport, TppNoDataBehaviorType::ndMessageOnPage});
    generate();
    ASSERT_EQ(report.Pages.size(), 1);
    EXPECT_TRUE(report.Pages[0].startsWith(QStringLiteral("Header"))) << report.Pages[0].toStdString();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_TRUE(calls[0].drawCommand && calls[0].addDrawCommand);
    EXPECT_FALSE(calls[0].dialog);
    const StandInTextCommand *text = message();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text, ppLoadStr(1034));
    EXPECT_EQ(factory.Made.fontName, QStringLiteral("Arial"));
    EXPECT_EQ(factory.Made.fontSize, 12);
    const int32_t width = ppToMMThousandths(110, TppUnitType::utScreenPixels, TppAxisType::atHorizontal);
    const int32_t height = ppToMMThousandths(18, TppUnitType::utScreenPixels, TppAxisType::atVertical);
    // Centred between the margins: the left margin counts.
    EXPECT_EQ(text->Left(), 10000 + (190000 - width) / 2);
    EXPECT_EQ(text->Top(), (engine()->MaxPosition() - height) / 2);
    EXPECT_GT(engine()->MaxPosition(), 0);
}

TEST_F(NoData, TheTextStaysOffThePageWhenDeclinedOrWithoutAFactory)
{
    behaviors({TppNoDataBehaviorType::ndBlankReport, TppNoDataBehaviorType::ndMessageOnPage,
               TppNoDataBehaviorType::ndMessageDialog});
    declineText = true;
    generate();
    EXPECT_EQ(message(), nullptr);
    ASSERT_EQ(calls.size(), 1);
    EXPECT_TRUE(calls[0].dialog && calls[0].showDialog);
    EXPECT_EQ(NoDataTestDialog::Shown, 1);

    declineText = false;
    ppSetNoDataMessageFactory(nullptr);
    engine()->Reset();
    generate();
    EXPECT_EQ(message(), nullptr);
    ASSERT_EQ(calls.size(), 2);
    EXPECT_FALSE(calls[1].drawCommand);
}

TEST_F(NoData, ATwoPassBlankReportShowsItsDialogInTheFirstPassOnly)
{
    report.SetPassSetting(TppPassSettingType::psTwoPass);
    behaviors({TppNoDataBehaviorType::ndBlankReport, TppNoDataBehaviorType::ndMessageDialog});
    generate();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_TRUE(calls[0].showDialog);
    EXPECT_FALSE(calls[1].showDialog);
    EXPECT_EQ(NoDataTestDialog::Shown, 1);
}

} // namespace

const classes::TMetaClass &NoDataTestDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<NoDataTestDialog, TppCustomNoDataDialog>("NoDataTestDialog");
    return meta;
}
