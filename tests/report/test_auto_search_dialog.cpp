// The "Search" dialog offscreen, as a user meets it: its pages, the
// mandatory marks, the value checks of OK, and a report that asks through
// it before it hands the answers over.

#include "tests/support/report/MemoryPipeline.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchGroups.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/reports/Report.h"
#include "report/output/LibraryInit.h"
#include "report/output/autosearch/AutoSearchDialog.h"
#include "report/output/autosearch/AutoSearchNotebook.h"

#include "platform/rtl/FormatSettings.h"
#include "platform/shell/Modal.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace report;

namespace {

class AutoSearchDialog : public ::testing::Test
{
protected:
    AutoSearchDialog() { ppLibraryInit(); }
    ~AutoSearchDialog() override
    {
        dialog.reset();
        groups.reset();
        fields.clear();
        ppLibraryFinalize();
    }

    TppAutoSearchField *field(const QString &aName, TppSearchOperatorType aOperator, int aGroup = 0)
    {
        fields.push_back(std::make_unique<TppAutoSearchField>());
        TppAutoSearchField *made = fields.back().get();
        made->SetFieldName(aName);
        made->SetSearchOperator(aOperator);
        while (groups->GroupCount() <= aGroup) {
            auto *group = new TppAutoSearchGroup;
            group->SetDescription(QStringLiteral("Group %1").arg(groups->GroupCount()));
            group->SetParent(groups.get());
        }
        groups->Groups(aGroup)->AddField(made);
        return made;
    }

    TppAutoSearchDialog &open()
    {
        dialog = std::make_unique<TppAutoSearchDialog>();
        dialog->SetAutoSearchGroups(groups.get());
        dialog->Init();
        return *dialog;
    }

    template <class Panel>
    Panel &panel(int aIndex)
    {
        auto *typed = dynamic_cast<Panel *>(dialog->Notebook()->Panels(aIndex));
        EXPECT_NE(typed, nullptr);
        return *typed;
    }

    std::vector<std::unique_ptr<TppAutoSearchField>> fields;
    std::unique_ptr<TppAutoSearchGroups> groups = std::make_unique<TppAutoSearchGroups>();
    std::unique_ptr<TppAutoSearchDialog> dialog;
    // The system's own record: the runs under other locales are runs in
    // their forms. A check of one form scopes its record itself.
};

TEST_F(AutoSearchDialog, OneGroupScrollsWithoutTabsAndTwoGroupsGetPagesInTabOrder)
{
    field(QStringLiteral("City"), TppSearchOperatorType::soEqual);
    field(QStringLiteral("Id"), TppSearchOperatorType::soBetween);
    open();
    EXPECT_EQ(dialog->Notebook()->PageControl(), nullptr);
    ASSERT_EQ(dialog->Notebook()->PanelCount(), 2);
    EXPECT_EQ(panel<TppSimpleSearchPanel>(0).lblLead()->text(), QStringLiteral("Show all data where the"));
    EXPECT_EQ(panel<TppBetweenSearchPanel>(1).lblLead()->text(), QStringLiteral("and the"));
    EXPECT_EQ(panel<TppSimpleSearchPanel>(0).chkShowAll()->text(),
              QStringLiteral("Show all values of the City field."));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Search"));
    EXPECT_GE(dialog->width(), 438);

    field(QStringLiteral("Name"), TppSearchOperatorType::soInList, 1);
    groups->Groups(0)->SetTabOrder(5);
    groups->Groups(1)->SetTabOrder(1);
    open();
    QTabWidget *pages = dialog->Notebook()->PageControl();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Group 1"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Group 0"));
    EXPECT_EQ(groups->Groups(1)->TabOrder(), 0);
    EXPECT_EQ(groups->Groups(0)->TabOrder(), 1);
    // Each page heads its own sentence.
    EXPECT_EQ(panel<TppInListSearchPanel>(0).lblLead()->text(), QStringLiteral("Show all data where the"));
    EXPECT_EQ(panel<TppInListSearchPanel>(0).lblOperator()->text(),
              QStringLiteral("matches one of the values in this list:"));

    dialog->Notebook()->MoveActivePage(1);
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Group 1"));
    EXPECT_EQ(groups->Groups(1)->TabOrder(), 1);
    EXPECT_EQ(groups->Groups(0)->TabOrder(), 0);
}

TEST_F(AutoSearchDialog, OKChecksEveryValueAndShowsTheFirstFailingPage)
{
    TppAutoSearchField *count = field(QStringLiteral("Count"), TppSearchOperatorType::soEqual);
    count->SetDataType(TppDataType::dtInteger);
    TppAutoSearchField *city = field(QStringLiteral("City"), TppSearchOperatorType::soEqual, 1);
    city->SetMandatory(true);
    TppAutoSearchField *range = field(QStringLiteral("Id"), TppSearchOperatorType::soBetween, 1);
    range->SetDataType(TppDataType::dtInteger);
    open();
    auto &countPanel = panel<TppSimpleSearchPanel>(0);
    auto &cityPanel = panel<TppSimpleSearchPanel>(1);
    auto &rangePanel = panel<TppBetweenSearchPanel>(2);

    EXPECT_TRUE(cityPanel.chkShowAll()->isHidden());
    EXPECT_FALSE(cityPanel.shpMandatory()->isHidden());
    EXPECT_FALSE(dialog->lblMandatory()->isHidden());
    EXPECT_EQ(dialog->lblMandatory()->text(), QStringLiteral("indicates that this search value must be entered."));

    countPanel.edtValue()->setText(QStringLiteral("12a"));
    rangePanel.edtFrom()->setText(QStringLiteral("3"));
    dialog->Notebook()->PageControl()->setCurrentIndex(0);
    dialog->btnOKClick();
    EXPECT_EQ(countPanel.lblError()->text(), QStringLiteral("12a is not a valid number."));
    EXPECT_EQ(cityPanel.lblError()->text(), QStringLiteral("Search value must be entered."));
    EXPECT_FALSE(dialog->Notebook()->PageControl()->tabIcon(1).isNull());
    // The first failing panel's page is the one in front.
    EXPECT_EQ(dialog->Notebook()->PageControl()->currentIndex(), 0);

    // A whole number with the system's thousand separator.
    countPanel.edtValue()->setText(QStringLiteral("1") + rtl::FormatSettings().ThousandSeparator +
                                   QStringLiteral("234"));
    cityPanel.edtValue()->setText(QStringLiteral("Lyon"));
    EXPECT_TRUE(dialog->Notebook()->ApplyCriteria());
    EXPECT_TRUE(countPanel.lblError()->isHidden());
    EXPECT_TRUE(dialog->Notebook()->PageControl()->tabIcon(0).isNull());
    EXPECT_EQ(count->Value(), QVariant(1234));
    EXPECT_EQ(city->SearchExpression(), QStringLiteral("Lyon"));
    // One end of a range is no range.
    EXPECT_EQ(range->SearchExpression(), QString());

    // On a system that writes "," between thousands, a comma inside one of
    // several values could not be stored.
    rtl::ScopedFormatSettings english(rtl::FormatSettingsEnUS());
    rangePanel.edtTo()->setText(QStringLiteral("1,234"));
    EXPECT_FALSE(rangePanel.ApplyCriteria());
    EXPECT_EQ(rangePanel.lblError()->text(), QStringLiteral("1,234 holds a \",\", which separates the values."));
    // What the check refuses on such a system, by data type.
    const std::pair<TppDataType, const char *> refused[] = {{TppDataType::dtBoolean, "maybe"},
                                                            {TppDataType::dtDate, "31/02/2023"},
                                                            {TppDataType::dtInteger, "99999999999"},
                                                            {TppDataType::dtInteger, "1.234.567"},
                                                            {TppDataType::dtCurrency, "1e300"}};
    for (const auto &[type, text] : refused) {
        count->SetDataType(type);
        EXPECT_FALSE(ppCheckSearchValue(*count, QString::fromLatin1(text)).isEmpty()) << text;
    }
    count->SetDataType(TppDataType::dtBoolean);
    EXPECT_EQ(ppCheckSearchValue(*count, QStringLiteral("yes")), QString());
    rangePanel.edtTo()->setText(QStringLiteral("9"));
    EXPECT_TRUE(rangePanel.ApplyCriteria());
    EXPECT_EQ(range->SearchExpression(), QStringLiteral("3,9"));
}

// A German user reads and types values with "," and day first; the field
// keeps them in the one stored form, so a "," typed as the decimal
// separator is no separator of the values.
TEST_F(AutoSearchDialog, ValuesAreShownAndTypedInTheUsersFormAndStoredInOne)
{
    rtl::ScopedFormatSettings german(rtl::FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany)));
    TppAutoSearchField *price = field(QStringLiteral("Price"), TppSearchOperatorType::soEqual);
    price->SetDataType(TppDataType::dtDouble);
    price->SetSearchExpression(QStringLiteral("9.25"));
    TppAutoSearchField *since = field(QStringLiteral("Since"), TppSearchOperatorType::soBetween);
    since->SetDataType(TppDataType::dtDate);
    since->SetSearchExpression(QStringLiteral("2025-01-31,2025-12-01"));
    TppAutoSearchField *sizes = field(QStringLiteral("Size"), TppSearchOperatorType::soInList);
    sizes->SetDataType(TppDataType::dtDouble);
    sizes->SetSearchExpression(QStringLiteral("1.5,2"));
    open();
    auto &pricePanel = panel<TppSimpleSearchPanel>(0);
    auto &sincePanel = panel<TppBetweenSearchPanel>(1);
    auto &sizePanel = panel<TppInListSearchPanel>(2);
    EXPECT_EQ(pricePanel.edtValue()->text(), QStringLiteral("9,25"));
    EXPECT_EQ(sincePanel.edtFrom()->text(), QStringLiteral("31.01.2025"));
    EXPECT_EQ(sincePanel.edtTo()->text(), QStringLiteral("01.12.2025"));
    ASSERT_EQ(sizePanel.lbxValues()->count(), 2);
    EXPECT_EQ(sizePanel.lbxValues()->item(0)->text(), QStringLiteral("1,5"));

    pricePanel.edtValue()->setText(QStringLiteral("1.234,5"));
    sincePanel.edtTo()->setText(QStringLiteral("24.12.2025"));
    sizePanel.edtValue()->setText(QStringLiteral("3,75"));
    sizePanel.AddClick();
    EXPECT_TRUE(sizePanel.lblError()->isHidden());
    ASSERT_TRUE(dialog->Notebook()->ApplyCriteria());
    EXPECT_EQ(price->SearchExpression(), QStringLiteral("1234.5"));
    EXPECT_EQ(price->Value(), QVariant(1234.5));
    EXPECT_EQ(since->SearchExpression(), QStringLiteral("2025-01-31,2025-12-24"));
    EXPECT_EQ(sizes->SearchExpression(), QStringLiteral("1.5,2,3.75"));
    EXPECT_EQ(sizes->ValueCount(), 3);
}

// What the dialog shows, it takes back unchanged: a value of every type that
// converts, in the system's form (the runs under other locales) and in the
// forms of locales whose times and dates stand between words or carry
// direction marks.
TEST_F(AutoSearchDialog, EveryShownValueIsTakenBackInEveryLocale)
{
    const std::pair<TppDataType, const char *> stored[] = {{TppDataType::dtDate, "2025-04-01"},
                                                           {TppDataType::dtTime, "13:30:05"},
                                                           {TppDataType::dtDateTime, "2024-03-31T02:30:00"},
                                                           {TppDataType::dtDateTime, "2025-04-01"},
                                                           {TppDataType::dtDouble, "1234.5"},
                                                           {TppDataType::dtCurrency, "-0.25"},
                                                           {TppDataType::dtInteger, "-12"}};
    for (const auto &[type, text] : stored) {
        TppAutoSearchField *made = field(QStringLiteral("F%1").arg(fields.size()), TppSearchOperatorType::soEqual);
        made->SetDataType(type);
        made->SetSearchExpression(QString::fromLatin1(text));
    }
    auto takenBack = [&](const QString &aLocale) {
        open();
        for (size_t i = 0; i < fields.size(); ++i) {
            auto &shown = panel<TppSimpleSearchPanel>(int(i));
            EXPECT_TRUE(shown.ApplyCriteria())
                << aLocale.toStdString() << ": " << shown.lblError()->text().toStdString();
            EXPECT_EQ(fields[i]->SearchExpression(), QString::fromLatin1(stored[i].second))
                << aLocale.toStdString() << ": shown as " << shown.edtValue()->text().toStdString();
        }
        dialog.reset();
    };
    takenBack(QStringLiteral("the system's"));
    for (const char *name :
         {"es_ES", "ja_JP", "ko_KR", "zh_TW", "fr_CA", "ar_SA", "ar_EG", "de_DE", "fr_FR", "en_GB"}) {
        rtl::ScopedFormatSettings local(rtl::FormatSettingsFromLocale(QLocale(QString::fromLatin1(name))));
        takenBack(QString::fromLatin1(name));
    }
}

TEST_F(AutoSearchDialog, TypingUnticksShowAllAndTheListKeepsItsValues)
{
    TppAutoSearchField *city = field(QStringLiteral("City"), TppSearchOperatorType::soEqual);
    city->SetShowAllValues(true);
    TppAutoSearchField *ids = field(QStringLiteral("Id"), TppSearchOperatorType::soInList);
    ids->SetSearchExpression(QStringLiteral("1,2"));
    ids->SetMandatory(true);
    open();
    auto &cityPanel = panel<TppSimpleSearchPanel>(0);
    EXPECT_TRUE(cityPanel.chkShowAll()->isChecked());
    EXPECT_FALSE(cityPanel.edtValue()->isEnabled());
    // A click into the greyed-out editor reopens it.
    QTest::mouseClick(cityPanel.edtValue(), Qt::LeftButton);
    EXPECT_FALSE(cityPanel.chkShowAll()->isChecked());
    EXPECT_TRUE(cityPanel.edtValue()->isEnabled());
    cityPanel.chkShowAll()->setChecked(true);
    QTest::keyClicks(cityPanel.edtValue(), QStringLiteral("Ly"));
    EXPECT_FALSE(cityPanel.chkShowAll()->isChecked());
    cityPanel.edtValue()->selectAll();
    QTest::keyClick(cityPanel.edtValue(), Qt::Key_Backspace);
    EXPECT_TRUE(cityPanel.chkShowAll()->isChecked());

    auto &list = panel<TppInListSearchPanel>(1);
    ASSERT_EQ(list.lbxValues()->count(), 2);
    for (const char *text : {"3", "2", "4,5", ""}) {
        list.edtValue()->setText(QString::fromLatin1(text));
        list.AddClick();
    }
    EXPECT_EQ(list.lbxValues()->count(), 3);
    EXPECT_EQ(list.lbxValues()->currentRow(), 2);
    list.lbxValues()->setCurrentRow(0);
    list.RemoveClick();
    EXPECT_EQ(list.lbxValues()->currentItem()->text(), QStringLiteral("2"));
    EXPECT_TRUE(list.ApplyCriteria());
    EXPECT_EQ(ids->SearchExpression(), QStringLiteral("2,3"));
    while (list.lbxValues()->count() > 0)
        list.RemoveClick();
    EXPECT_FALSE(list.ApplyCriteria());
    EXPECT_EQ(list.lblError()->text(), QStringLiteral("Search value must be entered."));
}

TEST_F(AutoSearchDialog, TheReportAsksThroughTheDialogAndAClosedWindowAppliesNothing)
{
    reporttest::MemoryPipeline data;
    data.SetName(QStringLiteral("Data"));
    data.AddField(QStringLiteral("City"));
    TppReport report;
    report.SetDataPipeline(&data);
    report.SetShowAutoSearchDialog(true);
    TppAutoSearchField *city = report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("City"),
                                                               TppSearchOperatorType::soEqual, QString(), true);
    int values = 0;
    report.OnGetAutoSearchValues.Set([&values](classes::TObject *) { ++values; });

    shell::ScriptedDialogs user;
    user.drive<TppAutoSearchDialog>([](TppAutoSearchDialog &aDialog) {
        auto *edit = aDialog.findChild<QLineEdit *>(QStringLiteral("edtValue"));
        QTest::keyClicks(edit, QStringLiteral("Oslo"));
        aDialog.close();
    });
    EXPECT_FALSE(report.ExecuteAutoSearchDialog());
    EXPECT_EQ(city->SearchExpression(), QString());
    EXPECT_EQ(city->AutoSearchPanel(), nullptr);

    user.drive<TppAutoSearchDialog>([](TppAutoSearchDialog &aDialog) {
        QTest::mouseClick(aDialog.btnOK(), Qt::LeftButton);
        EXPECT_TRUE(aDialog.isVisible());
        auto *edit = aDialog.findChild<QLineEdit *>(QStringLiteral("edtValue"));
        EXPECT_EQ(aDialog.focusWidget(), edit);
        QTest::keyClicks(edit, QStringLiteral("Lyon"));
        QTest::mouseClick(aDialog.btnOK(), Qt::LeftButton);
    });
    EXPECT_TRUE(report.ExecuteAutoSearchDialog());
    EXPECT_EQ(city->SearchExpression(), QStringLiteral("Lyon"));
    EXPECT_EQ(values, 1);
    EXPECT_EQ(report.AutoSearchDialog(), nullptr);
    EXPECT_EQ(user.shown().size(), 2);
}

} // namespace

namespace {

TEST_F(AutoSearchDialog, LongNamesValuesAndListsStayWholeAndTheWindowFitsTheScreen)
{
    TppAutoSearchField *name = field(QStringLiteral("Name"), TppSearchOperatorType::soEqual);
    QStringList many;
    for (int i = 0; i < 10000; ++i)
        many << QString::number(i);
    TppAutoSearchField *ids = field(QStringLiteral("Id"), TppSearchOperatorType::soInList);
    ids->SetSearchExpression(many.join(QLatin1Char(',')));
    TppAutoSearchField *blanks = field(QStringLiteral("Note"), TppSearchOperatorType::soNotInList);
    blanks->SetSearchExpression(QStringLiteral(",,,"));
    const QString megabyte(1 << 20, QLatin1Char('x'));
    name->SetFieldAlias(megabyte);
    open();
    // The panel scrolls; the window stays on the screen.
    EXPECT_LE(dialog->width(), dialog->screen()->availableGeometry().width());
    // Coming back to the window leaves the focus where the user left it.
    dialog->show();
    dialog->Activate();
    EXPECT_EQ(dialog->focusWidget(), panel<TppSimpleSearchPanel>(0).edtValue());
    panel<TppInListSearchPanel>(1).edtValue()->setFocus();
    dialog->Activate();
    EXPECT_EQ(dialog->focusWidget(), panel<TppInListSearchPanel>(1).edtValue());
    panel<TppSimpleSearchPanel>(0).edtValue()->setText(megabyte);
    // Pressing OK twice changes nothing the second time.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(dialog->Notebook()->ApplyCriteria());
        EXPECT_EQ(name->SearchExpression().size(), megabyte.size());
        EXPECT_EQ(ids->ValueCount(), 10000);
        EXPECT_EQ(blanks->SearchExpression(), QStringLiteral(",,,"));
    }
}

} // namespace

namespace {

TEST_F(AutoSearchDialog, AWindowClosedAfterAFailedOKLeavesEveryCriterionAsItWas)
{
    TppReport report;
    report.SetShowAutoSearchDialog(true);
    TppAutoSearchField *city = report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("City"),
                                                               TppSearchOperatorType::soEqual, QString(), false);
    city->SetShowAllValues(true);
    TppAutoSearchField *range = report.CreateAutoSearchCriteria(
        QStringLiteral("Data"), QStringLiteral("Id"), TppSearchOperatorType::soBetween, QStringLiteral("1,9"), false);
    report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Name"), TppSearchOperatorType::soEqual,
                                    QString(), true);
    shell::ScriptedDialogs user;
    user.drive<TppAutoSearchDialog>([](TppAutoSearchDialog &aDialog) {
        auto &cityPanel = dynamic_cast<TppSimpleSearchPanel &>(*aDialog.Notebook()->Panels(0));
        QTest::mouseClick(cityPanel.edtValue(), Qt::LeftButton);
        QTest::keyClicks(cityPanel.edtValue(), QStringLiteral("Oslo"));
        aDialog.Notebook()->Panels(1)->chkShowAll()->click();
        // The empty mandatory name keeps the window open; the user gives up.
        QTest::mouseClick(aDialog.btnOK(), Qt::LeftButton);
        EXPECT_TRUE(aDialog.isVisible());
        aDialog.close();
    });
    EXPECT_FALSE(report.ExecuteAutoSearchDialog());
    EXPECT_EQ(city->SearchExpression(), QString());
    EXPECT_TRUE(city->ShowAllValues());
    EXPECT_FALSE(range->ShowAllValues());
}

} // namespace
