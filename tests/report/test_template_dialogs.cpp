// The template dialogs as a user meets them: the list of stored names and
// what OK may close on, and the read-error question and its three answers,
// also in a load that meets unknown properties.

#include "tests/support/report/MemoryPipeline.h"

#include "report/content/text/Label.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/reports/Report.h"
#include "report/model/templates/ReportTemplate.h"
#include "report/output/LibraryInit.h"
#include "report/output/forms/TemplateDialog.h"
#include "report/output/forms/TemplateErrorDialog.h"

#include "platform/classes/Streams.h"
#include "platform/shell/Modal.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace report;

namespace {

class TemplateDialogs : public ::testing::Test
{
protected:
    TemplateDialogs()
    {
        ppLibraryInit();
        store.AddField(QStringLiteral("Name"));
        store.AddField(QStringLiteral("Data"), TppDataType::dtBLOB);
        for (const char *name : {"Weekly", "Annual", "Monthly"})
            store.AddRow({QString::fromLatin1(name), QByteArray()});
        settings.SetDataPipeline(&store);
        settings.SetNameField(QStringLiteral("Name"));
        settings.SetTemplateField(QStringLiteral("Data"));
    }
    ~TemplateDialogs() override { ppLibraryFinalize(); }

    std::unique_ptr<TppTemplateDialog> dialog(TppCustomTemplateDialog::Mode aMode)
    {
        auto made = std::make_unique<TppTemplateDialog>();
        made->DatabaseSettings = &settings;
        made->DialogMode = aMode;
        made->TemplateDescription = QStringLiteral("Monthly");
        made->Prepare();
        return made;
    }

    reporttest::MemoryPipeline store;
    TppTemplateDBSettings settings;
};

TEST_F(TemplateDialogs, TheLibraryRegistersBothForms)
{
    EXPECT_EQ(ppGetFormClass(TppCustomTemplateDialog::StaticClass()), &TppTemplateDialog::StaticClass());
    EXPECT_EQ(ppGetFormClass(TppCustomTemplateErrorDialog::StaticClass()), &TppTemplateErrorDialog::StaticClass());
}

TEST_F(TemplateDialogs, NamesComeInPipelineOrderAndTheModeNamesTheDialog)
{
    auto open = dialog(TppCustomTemplateDialog::Mode::Open);
    EXPECT_EQ(open->TemplateNames(),
              (QStringList{QStringLiteral("Weekly"), QStringLiteral("Annual"), QStringLiteral("Monthly")}));
    ASSERT_EQ(open->lbxTemplates()->count(), 3);
    EXPECT_EQ(open->lbxTemplates()->item(0)->text(), QStringLiteral("Annual"));
    EXPECT_EQ(open->windowTitle(), QStringLiteral("Open Template"));
    EXPECT_EQ(open->btnOK()->text(), QStringLiteral("&Open"));
    EXPECT_EQ(open->lblTemplateName()->text(), QStringLiteral("Name"));

    auto save = dialog(TppCustomTemplateDialog::Mode::Save);
    EXPECT_EQ(save->windowTitle(), QStringLiteral("Save Template Monthly As"));
    EXPECT_EQ(save->btnOK()->text(), QStringLiteral("&Save"));
    EXPECT_EQ(save->btnCancel()->text(), QStringLiteral("Cancel"));
}

TEST_F(TemplateDialogs, OkClosesOnlyOnANameTheModeAccepts)
{
    QStringList shown;
    int answer = ppMessageCancel;
    ScopedDialogServices services({{}, [&shown, &answer](const TppMessageRequest &aRequest) {
                                       shown.append(aRequest.text);
                                       return answer;
                                   }});
    const auto pressOk = [](TppTemplateDialog &aDialog, const QString &aName) {
        aDialog.setResult(0);
        aDialog.edtTemplateName()->setText(aName);
        aDialog.btnOK()->click();
        return aDialog.result() == ppModalResultOK;
    };
    auto open = dialog(TppCustomTemplateDialog::Mode::Open);
    EXPECT_FALSE(pressOk(*open, QString()));
    EXPECT_FALSE(pressOk(*open, QStringLiteral("Daily")));
    EXPECT_EQ(shown, QStringList{QStringLiteral("Record not found: Daily")});
    // A click on a name fills the edit.
    open->lbxTemplates()->itemClicked(open->lbxTemplates()->item(1));
    EXPECT_EQ(open->TemplateName(), QStringLiteral("Monthly"));
    EXPECT_TRUE(pressOk(*open, QStringLiteral("Monthly")));

    // A form that agreed to close is not asked again: each try gets its own.
    shown.clear();
    EXPECT_TRUE(pressOk(*dialog(TppCustomTemplateDialog::Mode::Save), QStringLiteral("Daily")));
    EXPECT_TRUE(shown.isEmpty());
    auto save = dialog(TppCustomTemplateDialog::Mode::Save);
    EXPECT_FALSE(pressOk(*save, QStringLiteral("Annual")));
    EXPECT_EQ(shown, QStringList{QStringLiteral("The template Annual already exists.\n\nDo you want to replace it?")});
    answer = ppMessageOk;
    EXPECT_TRUE(pressOk(*dialog(TppCustomTemplateDialog::Mode::Save), QStringLiteral("Annual")));
    // Cancel closes whatever the name.
    save->setResult(0);
    save->btnCancel()->click();
    EXPECT_EQ(save->result(), ppModalResultCancel);
}

TEST_F(TemplateDialogs, TheErrorQuestionAnswersWithItsThreeButtons)
{
    TppTemplateErrorDialog error;
    EXPECT_EQ(error.windowTitle(), QStringLiteral("Error Reading Template"));
    EXPECT_EQ(error.btnIgnore()->text(), QStringLiteral("&Ignore"));
    EXPECT_EQ(error.btnIgnoreAll()->text(), QStringLiteral("Ignore &All"));
    error.SetMessage(QStringLiteral("Bad\r\nIgnore the error and continue?"));
    EXPECT_TRUE(error.lblMessage()->wordWrap());
    EXPECT_EQ(error.GetMessage(), QStringLiteral("Bad\r\nIgnore the error and continue?"));

    // A load into a report with two unknown properties: Ignore All asks once.
    classes::TComponent form(nullptr);
    auto *report = new TppReport(&form);
    auto *header = new TppHeaderBand(nullptr);
    header->SetReport(report);
    auto *label = new TppLabel(nullptr);
    label->SetBand(header);
    label->SetCaption(QStringLiteral("Stored"));
    report->Template()->SetFormat(TppFormatType::ftASCII);
    classes::TMemoryStream saved;
    report->Template()->SaveToStream(saved);
    QByteArray text(saved.Memory(), qsizetype(saved.Size()));
    text.insert(text.indexOf("Caption"), "Bogus = 1\r\n      Other = 2\r\n      ");
    for (const char *button : {"btnIgnoreAll", "btnIgnore", "btnCancel"}) {
        SCOPED_TRACE(button);
        shell::ScriptedDialogs dialogs;
        const int showings = QByteArrayView(button) == "btnIgnore" ? 2 : 1;
        for (int i = 0; i < showings; ++i)
            dialogs.drive<TppTemplateErrorDialog>([button](TppTemplateErrorDialog &aDialog) {
                aDialog.findChild<QPushButton *>(QString::fromLatin1(button))->click();
            });
        classes::TMemoryStream stream;
        stream.WriteBuffer(text.constData(), text.size());
        stream.SetPosition(0);
        if (QByteArrayView(button) == "btnCancel")
            EXPECT_ANY_THROW(report->Template()->LoadFromStream(stream));
        else
            EXPECT_NO_THROW(report->Template()->LoadFromStream(stream));
        EXPECT_EQ(dialogs.shown().size(), showings);
        EXPECT_EQ(dialogs.pending(), 0);
        ASSERT_EQ(report->BandCount(), 1);
        EXPECT_EQ(report->Bands(0)->ObjectCount(), 1);
    }
}

} // namespace
