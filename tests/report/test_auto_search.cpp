// Auto-search criteria without a window: the field's rules and values, its
// description, the grouping by pipeline description, and a report that asks
// its criteria (through a windowless dialog) before it prints only the
// matching records.

#include "TracedReportFixture.h"

#include "tests/support/TimeZone.h"
#include "tests/support/report/FormFakes.h"

#include "report/model/ModelRegistration.h"
#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchGroups.h"
#include "report/model/autosearch/AutoSearchValues.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/objects/Descriptors.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/production/FileDevice.h"
#include "report/model/templates/ReportTemplate.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Variants.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTemporaryDir>
#include <QTime>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace report;

namespace {

// A pipeline that publishes what the grouping reads by name.
class DescribedPipeline : public reporttest::MemoryPipeline
{
    ZVO_CLASS(DescribedPipeline)
public:
    using MemoryPipeline::MemoryPipeline;
    QString Description;
    int32_t AutoSearchTabOrder = 0;
};

// The dialog as the report drives it: it records what it was given and
// answers as told, after the script has played the user's part.
class ScriptedSearchDialog : public reporttest::WindowlessForm<TppCustomAutoSearchDialog>
{
    ZVO_CLASS(ScriptedSearchDialog)
public:
    using WindowlessForm::WindowlessForm;
    static inline std::function<void(ScriptedSearchDialog &)> Script;
    static inline int Shown = 0;
    int ShowModal() override
    {
        ++Shown;
        if (Script)
            Script(*this);
        return ModalAnswer;
    }

protected:
    void CreatePanels() override {}
};

// A file device the print can choose without a dialog.
class SearchFileDevice : public TppFileDevice
{
    ZVO_CLASS(SearchFileDevice)
public:
    using TppFileDevice::TppFileDevice;
    static QString ClassDeviceName() { return QStringLiteral("SearchFile"); }
    QString DeviceName() const override { return ClassDeviceName(); }
};

} // namespace

const classes::TMetaClass &SearchFileDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<SearchFileDevice, TppFileDevice>("SearchFileDevice");
    return meta;
}

const classes::TMetaClass &DescribedPipeline::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<DescribedPipeline, reporttest::MemoryPipeline>("DescribedPipeline", [](auto &c) {
            c.String("Description", &DescribedPipeline::Description, &DescribedPipeline::Description);
            c.Integer("AutoSearchTabOrder", &DescribedPipeline::AutoSearchTabOrder,
                      &DescribedPipeline::AutoSearchTabOrder);
        });
    return meta;
}

const classes::TMetaClass &ScriptedSearchDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<ScriptedSearchDialog, TppCustomAutoSearchDialog>("ScriptedSearchDialog");
    return meta;
}

namespace {

class AutoSearch : public TracedReportFixture
{
protected:
    AutoSearch() { ppModelLayerInit(); }
    ~AutoSearch() override
    {
        ScriptedSearchDialog::Script = nullptr;
        ScriptedSearchDialog::Shown = 0;
        ppUnRegisterFormClass(TppCustomAutoSearchDialog::StaticClass());
    }
};

TEST_F(AutoSearch, TheFieldKeepsItsRulesAsTheUserAndTheDesignerChangeIt)
{
    TppAutoSearchField field;
    field.SetMandatory(true);
    field.SetShowAllValues(true);
    EXPECT_FALSE(field.Mandatory());
    field.SetMandatory(true);
    EXPECT_FALSE(field.ShowAllValues());

    field.SetFieldName(QStringLiteral("City"));
    EXPECT_EQ(field.FieldAlias(), QStringLiteral("City"));
    field.SetFieldName(QStringLiteral("Town"));
    EXPECT_EQ(field.FieldAlias(), QStringLiteral("Town"));
    field.SetFieldAlias(QStringLiteral("Place"));
    field.SetFieldName(QStringLiteral("Village"));
    EXPECT_EQ(field.FieldAlias(), QStringLiteral("Place"));

    int changes = 0;
    field.OnChange.Set([&changes](classes::TObject *) { ++changes; });
    TppAutoSearchField other;
    other.SetSearchExpression(QStringLiteral("Lyon"));
    EXPECT_TRUE(field.AssignCriteria(other));
    EXPECT_FALSE(field.AssignCriteria(other));
    EXPECT_EQ(changes, 2);
}

TEST_F(AutoSearch, ValuesAreConvertedByTheDataTypeAndMissingOnesAreEmpty)
{
    TppAutoSearchField field;
    field.SetSearchExpression(QStringLiteral("Ly,Po"));
    EXPECT_EQ(field.ValueCount(), 1);
    field.SetSearchOperator(TppSearchOperatorType::soInList);
    EXPECT_EQ(field.ValueCount(), 2);
    EXPECT_EQ(field.Values(5), QVariant(QString()));
    field.SetWildCard(QStringLiteral("%"));
    EXPECT_EQ(field.Value().toString(), QStringLiteral("Ly%"));
    field.SetSearchExpression(QStringLiteral("L%y"));
    EXPECT_EQ(field.Value().toString(), QStringLiteral("L%y"));
    field.SetSearchExpression(QString());
    EXPECT_EQ(field.ValueCount(), 0);

    // Empty pieces stay, a trailing one goes; a megabyte and 10,000 values
    // are just text.
    field.SetSearchExpression(QStringLiteral(",,,"));
    EXPECT_EQ(field.ValueCount(), 3);
    QStringList many;
    for (int i = 0; i < 10000; ++i)
        many << QString::number(i);
    field.SetSearchExpression(many.join(QLatin1Char(',')));
    EXPECT_EQ(field.ValueCount(), 10000);
    field.SetSearchExpression(QString(1 << 20, QLatin1Char('x')));
    EXPECT_EQ(field.Value().toString().size(), (1 << 20) + 1);

    field.SetDataType(TppDataType::dtInteger);
    field.SetSearchExpression(QStringLiteral("12,40"));
    EXPECT_EQ(field.Values(1), QVariant(40));
    field.SetSearchOperator(TppSearchOperatorType::soEqual);
    rtl::ScopedFormatSettings english(rtl::FormatSettingsEnUS());
    field.SetSearchExpression(QStringLiteral("1,234"));
    EXPECT_EQ(field.Value(), QVariant(1234));
    for (const char *bad : {"99999999999", "1.234.567"}) {
        field.SetSearchExpression(QString::fromLatin1(bad));
        EXPECT_THROW(field.Value(), rtl::EConvertError) << bad;
    }
    field.SetDataType(TppDataType::dtDate);
    field.SetSearchExpression(QStringLiteral("31/02/2023"));
    EXPECT_THROW(field.Value(), rtl::EConvertError);
}

// The value text is stored in one form: a file saved on a "." system filters
// the same on a "," system with its day-first dates (this test runs under a
// German locale too, where the system's own form is that of the last block).
TEST_F(AutoSearch, StoredValuesMeanTheSameOnEverySystem)
{
    TppAutoSearchField field;
    field.SetDataType(TppDataType::dtDouble);
    const std::pair<const char *, double> numbers[] = {{"9.25", 9.25},
                                                       {"1,234.5", 1234.5},
                                                       {"-0.5", -0.5},
                                                       // What a "," system wrote with its own separator.
                                                       {"9,25", 9.25}};
    for (const auto &[text, value] : numbers) {
        field.SetSearchExpression(QString::fromLatin1(text));
        EXPECT_EQ(field.Value(), QVariant(value)) << text;
    }
    field.SetDataType(TppDataType::dtCurrency);
    field.SetSearchExpression(QStringLiteral("2.5"));
    EXPECT_EQ(field.Value(), QVariant(2.5));
    field.SetDataType(TppDataType::dtInteger);
    for (const char *bad : {"1.234.567", "9.25"}) {
        field.SetSearchExpression(QString::fromLatin1(bad));
        EXPECT_THROW(field.Value(), rtl::EConvertError) << bad;
    }
    field.SetDataType(TppDataType::dtDate);
    field.SetSearchExpression(QStringLiteral("2025-12-31"));
    EXPECT_EQ(field.Value().toDate(), QDate(2025, 12, 31));

    // In a German user's hands: shown and typed with "," and day first,
    // stored as above, and an older save in the German form still reads.
    rtl::ScopedFormatSettings german(rtl::FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany)));
    field.SetSearchExpression(QStringLiteral("2025-12-31"));
    EXPECT_EQ(field.Value().toDate(), QDate(2025, 12, 31));
    EXPECT_EQ(ppSearchValueToShown(QStringLiteral("2025-12-31"), TppDataType::dtDate), QStringLiteral("31.12.2025"));
    EXPECT_EQ(ppSearchValueToStored(QStringLiteral("31.12.2025"), TppDataType::dtDate), QStringLiteral("2025-12-31"));
    field.SetSearchExpression(QStringLiteral("31.12.2025"));
    EXPECT_EQ(field.Value().toDate(), QDate(2025, 12, 31));
    EXPECT_EQ(ppSearchValueToStored(QStringLiteral("1.234,5"), TppDataType::dtDouble), QStringLiteral("1234.5"));
    EXPECT_EQ(ppSearchValueToShown(QStringLiteral("1,234.5"), TppDataType::dtDouble), QStringLiteral("1234,5"));
    EXPECT_EQ(ppSearchValueToShown(QStringLiteral("9,25"), TppDataType::dtDouble), QStringLiteral("9,25"));
    EXPECT_EQ(ppSearchValueToStored(QStringLiteral("-3"), TppDataType::dtInteger), QStringLiteral("-3"));
    // Texts and what does not read stand as typed.
    EXPECT_EQ(ppSearchValueToStored(QStringLiteral("1,5"), TppDataType::dtString), QStringLiteral("1,5"));
    EXPECT_EQ(ppSearchValueToStored(QStringLiteral("12a"), TppDataType::dtDouble), QStringLiteral("12a"));
    field.SetDataType(TppDataType::dtDouble);
    field.SetSearchExpression(QStringLiteral("9.25"));
    EXPECT_EQ(field.Value(), QVariant(9.25));
}

// Dates are stored in ISO 8601, which reads the same everywhere; a date an
// older save wrote in another form reads in the system's own, so "03/04/2025"
// saved on a day-first system is 3 April there. The part without a locale of
// its own runs under the system's form (CI runs it under four).
TEST_F(AutoSearch, StoredDatesMeanTheSameDayOnEverySystem)
{
    TppAutoSearchField field;
    field.SetSearchOperator(TppSearchOperatorType::soBetween);
    const QDate first(2025, 4, 1);
    const QDate last(2025, 4, 30);
    const auto shown = [](const QDate &aDate) { return rtl::DateToStr(rtl::FromQDateTime(aDate.startOfDay())); };
    for (TppDataType type : {TppDataType::dtDate, TppDataType::dtDateTime}) {
        field.SetDataType(type);
        field.SetSearchExpression(QStringLiteral("2025-04-01,2025-04-30"));
        EXPECT_EQ(field.Values(0).toDate(), first);
        EXPECT_EQ(field.Values(1).toDate(), last);
        EXPECT_EQ(ppSearchValueToStored(shown(first), type), QStringLiteral("2025-04-01"))
            << shown(first).toStdString();
        EXPECT_EQ(ppSearchValueToShown(QStringLiteral("2025-04-30"), type), shown(last));
    }
    field.SetDataType(TppDataType::dtDateTime);
    field.SetSearchExpression(QStringLiteral("2025-04-01T13:30:05"));
    EXPECT_EQ(field.Value().toDateTime(), QDateTime(first, QTime(13, 30, 5)));
    EXPECT_EQ(ppSearchValueToStored(rtl::DateTimeToStr(rtl::FromQDateTime(QDateTime(first, QTime(13, 30, 5)))),
                                    TppDataType::dtDateTime),
              QStringLiteral("2025-04-01T13:30:05"));
    field.SetDataType(TppDataType::dtTime);
    field.SetSearchExpression(QStringLiteral("13:30:05"));
    EXPECT_EQ(field.Value().toDateTime().time(), QTime(13, 30, 5));
    EXPECT_EQ(ppSearchValueToStored(rtl::TimeToStr(rtl::EncodeTime(13, 30, 5, 0)), TppDataType::dtTime),
              QStringLiteral("13:30:05"));
    // Before 1900 and past 2038 too.
    field.SetDataType(TppDataType::dtDateTime);
    for (const auto &[moment, stored] :
         {std::pair{QDateTime(QDate(1850, 6, 15), QTime(13, 30)), "1850-06-15T13:30:00"},
          std::pair{QDateTime(QDate(2100, 1, 2), QTime(6, 5, 4)), "2100-01-02T06:05:04"}}) {
        EXPECT_EQ(ppIsoSearchMoment(rtl::FromQDateTime(moment), TppDataType::dtDateTime), QLatin1String(stored));
        field.SetSearchExpression(QLatin1String(stored));
        EXPECT_EQ(field.Value().toDateTime(), moment) << stored;
    }
    field.SetDataType(TppDataType::dtDate);
    for (const char *bad : {"2025-02-30", "2025-04-01T25:00"}) {
        field.SetSearchExpression(QString::fromLatin1(bad));
        EXPECT_THROW(field.Value(), rtl::EConvertError) << bad;
    }

    const std::pair<QLocale, QDate> older[] = {{QLocale(QLocale::English, QLocale::UnitedStates), QDate(2025, 3, 4)},
                                               {QLocale(QLocale::English, QLocale::UnitedKingdom), QDate(2025, 4, 3)},
                                               {QLocale(QLocale::French, QLocale::France), QDate(2025, 4, 3)}};
    for (const auto &[locale, day] : older) {
        SCOPED_TRACE(locale.name().toStdString());
        rtl::ScopedFormatSettings system(rtl::FormatSettingsFromLocale(locale));
        field.SetSearchExpression(QStringLiteral("03/04/2025"));
        EXPECT_EQ(field.Value().toDate(), day);
        EXPECT_EQ(ppSearchValueToShown(QStringLiteral("03/04/2025"), TppDataType::dtDate),
                  QStringLiteral("03/04/2025"));
        EXPECT_EQ(ppSearchValueToStored(QStringLiteral("03/04/2025"), TppDataType::dtDate), day.toString(Qt::ISODate));
        field.SetSearchExpression(QStringLiteral("2025-04-01"));
        EXPECT_EQ(field.Value().toDate(), first);
    }
}

TEST_F(AutoSearch, DescriptionsNameTheFirstFieldAndTheOperatorOfItsType)
{
    TppAutoSearchField *city = report.CreateAutoSearchCriteria(
        QStringLiteral("Data"), QStringLiteral("City"), TppSearchOperatorType::soEqual, QStringLiteral("Lyon"), false);
    TppAutoSearchField *since = report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Since"),
                                                                TppSearchOperatorType::soGreaterThan, QString(), false);
    since->SetDataType(TppDataType::dtDate);
    TppAutoSearchField *any = report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Id"),
                                                              TppSearchOperatorType::soInList, QString(), false);
    any->SetShowAllValues(true);
    EXPECT_EQ(report.AutoSearchDescription(),
              QStringLiteral("Show all data where the City is equal to Lyon and the Since is after  "
                             "and the Id has any value."));
    EXPECT_EQ(ppAutoSearchOperatorText(TppSearchOperatorType(40), TppDataType::dtString),
              QStringLiteral("is equal to"));

    classes::TStringList lines;
    report.GetAutoSearchDescriptionLines(lines);
    ASSERT_EQ(lines.Count(), 1);
    EXPECT_EQ(lines.Strings(0), QStringLiteral("Show all data where the City is equal to Lyon"));

    EXPECT_EQ(report.AutoSearchCriteriaByName(QStringLiteral("DATA"), QStringLiteral("city")), city);
    delete city;
    EXPECT_EQ(report.AutoSearchFieldCount(), 2);
    EXPECT_EQ(report.AutoSearchFields(0), since);
}

// São Paulo skipped the midnight of 4 November 2018: a criterion on that day
// still names it, in the value scripts read and in the printed description.
TEST_F(AutoSearch, ADateWhoseMidnightTheZoneSkippedStaysInTheCriteria)
{
    const zvotest::ScopedTimeZone zone("America/Sao_Paulo");
    TppAutoSearchField *since = report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Since"),
                                                                TppSearchOperatorType::soGreaterThan, QString(), false);
    since->SetDataType(TppDataType::dtDate);
    // Typed in the system's own form, as a user of any locale types it.
    since->SetSearchExpression(rtl::DateToStr(rtl::EncodeDate(2018, 11, 4)));
    EXPECT_EQ(rtl::VarToDateTime(since->Value()), rtl::EncodeDate(2018, 11, 4));
    classes::TStringList lines;
    report.GetAutoSearchDescriptionLines(lines);
    ASSERT_EQ(lines.Count(), 1);
    EXPECT_TRUE(lines.Strings(0).startsWith(QStringLiteral("Show all data where the Since is after")))
        << lines.Strings(0).toStdString();
    since->SetDataType(TppDataType::dtDateTime);
    const zvotest::ScopedTimeZone berlin("Europe/Berlin");
    since->SetSearchExpression(rtl::DateTimeToStr(rtl::EncodeDate(2024, 3, 31) + rtl::EncodeTime(2, 30, 0, 0)));
    EXPECT_EQ(rtl::VarToDateTime(since->Value()), rtl::EncodeDate(2024, 3, 31) + rtl::EncodeTime(2, 30, 0, 0));
}

// The printed line shows each value as the dialog shows it; the stored text
// stays as it is.
TEST_F(AutoSearch, TheDescriptionShowsTheValuesAsTheUserReadsThem)
{
    rtl::ScopedFormatSettings german(rtl::FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany)));
    TppAutoSearchField *since = report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Since"),
                                                                TppSearchOperatorType::soGreaterThan,
                                                                QStringLiteral("2024-03-31T02:30:00"), false);
    since->SetDataType(TppDataType::dtDateTime);
    EXPECT_TRUE(since->GetDescription().endsWith(QStringLiteral("the Since is after 31.03.2024 02:30:00")))
        << since->GetDescription().toStdString();
    EXPECT_EQ(since->SearchExpression(), QStringLiteral("2024-03-31T02:30:00"));

    // A list's values one by one, parted so that a decimal "," stays theirs.
    TppAutoSearchField *amount =
        report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Amount"),
                                        TppSearchOperatorType::soInList, QStringLiteral("9.25,10"), false);
    amount->SetDataType(TppDataType::dtDouble);
    EXPECT_TRUE(amount->GetDescription().endsWith(QStringLiteral("in this list 9,25; 10")))
        << amount->GetDescription().toStdString();
    TppAutoSearchField *days =
        report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Day"), TppSearchOperatorType::soBetween,
                                        QStringLiteral("2025-04-01,2025-04-30"), false);
    days->SetDataType(TppDataType::dtDate);
    EXPECT_TRUE(days->GetDescription().endsWith(QStringLiteral("is between 01.04.2025,30.04.2025")))
        << days->GetDescription().toStdString();
    // A single value's operator takes the whole text as one value.
    TppAutoSearchField *name =
        report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("Name"), TppSearchOperatorType::soEqual,
                                        QStringLiteral("Lyon,Paris"), false);
    EXPECT_TRUE(name->GetDescription().endsWith(QStringLiteral("is equal to Lyon,Paris")));
}

TEST_F(AutoSearch, ATemplateKeepsTheCriteria)
{
    TppAutoSearchField *city =
        report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("City"), TppSearchOperatorType::soInList,
                                        QStringLiteral("Lyon,Oslo"), true);
    classes::TMemoryStream stream;
    report.Template()->SaveToStream(stream);
    delete city;
    stream.SetPosition(0);
    report.Template()->LoadFromStream(stream);
    ASSERT_EQ(report.AutoSearchFieldCount(), 1);
    EXPECT_EQ(report.AutoSearchFields(0)->SearchExpression(), QStringLiteral("Lyon,Oslo"));
    EXPECT_TRUE(report.AutoSearchFields(0)->Mandatory());
    EXPECT_EQ(report.AutoSearchFields(0)->SearchOperator(), TppSearchOperatorType::soInList);

    // A stored field that claims both: they still exclude each other.
    report.Template()->SetFormat(TppFormatType::ftASCII);
    classes::TMemoryStream text;
    report.Template()->SaveToStream(text);
    QByteArray bytes(text.Memory(), qsizetype(text.Size()));
    bytes.replace("Mandatory = True", "Mandatory = True\n    ShowAllValues = True");
    ASSERT_TRUE(bytes.contains("ShowAllValues = True"));
    classes::TMemoryStream both;
    both.Write(bytes.constData(), bytes.size());
    both.SetPosition(0);
    report.Template()->LoadFromStream(both);
    ASSERT_EQ(report.AutoSearchFieldCount(), 1);
    EXPECT_NE(report.AutoSearchFields(0)->Mandatory(), report.AutoSearchFields(0)->ShowAllValues());
}

TEST_F(AutoSearch, ScriptsCreateAndReadCriteria)
{
    const TraRTTI *reportRtti = raFindRTTI(QStringLiteral("TppReport"));
    const TraRTTI *fieldRtti = raFindRTTI(QStringLiteral("TppAutoSearchField"));
    ASSERT_TRUE(reportRtti && fieldRtti);
    std::unique_ptr<TraParamList> create = reportRtti->GetParams(QStringLiteral("createautosearchcriteria"));
    ASSERT_EQ(create->Count(), 6);
    QString pipeline = QStringLiteral("Data");
    QString name = QStringLiteral("Id");
    uint8_t op = uint8_t(TppSearchOperatorType::soInList);
    QString expression = QStringLiteral("4,7");
    bool mandatory = false;
    classes::TObject *made = nullptr;
    create->SetParamValuePointer(0, &pipeline);
    create->SetParamValuePointer(1, &name);
    create->SetParamValuePointer(2, &op);
    create->SetParamValuePointer(3, &expression);
    create->SetParamValuePointer(4, &mandatory);
    create->SetParamValuePointer(5, &made);
    ASSERT_TRUE(reportRtti->CallMethod(&report, QStringLiteral("CreateAutoSearchCriteria"), *create));
    ASSERT_EQ(made, report.AutoSearchFields(0));

    std::unique_ptr<TraParamList> values = fieldRtti->GetParams(QStringLiteral("Values"));
    int32_t index = 1;
    QVariant value;
    values->SetParamValuePointer(0, &index);
    values->SetParamValuePointer(1, &value);
    ASSERT_TRUE(fieldRtti->CallMethod(made, QStringLiteral("Values"), *values));
    EXPECT_EQ(value, QVariant(QStringLiteral("7")));
    int32_t count = 0;
    EXPECT_TRUE(fieldRtti->GetPropValue(made, QStringLiteral("ValueCount"), &count));
    EXPECT_EQ(count, 2);
    QString description;
    EXPECT_TRUE(reportRtti->GetPropValue(&report, QStringLiteral("GetAutoSearchDescriptionAsString"), &description));
    EXPECT_EQ(description, QStringLiteral("Show all data where the Id matches one of the values in this list 4,7"));
    TraParamList none;
    EXPECT_TRUE(fieldRtti->CallMethod(made, QStringLiteral("DisableCriteria"), none));
    EXPECT_FALSE(static_cast<TppAutoSearchField *>(made)->CriteriaEnabled());
}

TEST_F(AutoSearch, GroupsFollowThePipelineDescriptionAndWriteTheirTabOrderBack)
{
    DescribedPipeline orders;
    DescribedPipeline archive;
    DescribedPipeline customers;
    reporttest::MemoryPipeline plain;
    orders.Description = archive.Description = QStringLiteral("Orders");
    orders.AutoSearchTabOrder = 1;
    archive.AutoSearchTabOrder = 2;
    customers.Description = QStringLiteral("Customers");
    std::vector<std::unique_ptr<TppAutoSearchField>> owned;
    std::vector<TppAutoSearchField *> fields;
    for (TppDataPipeline *pipeline : std::initializer_list<TppDataPipeline *>{&orders, &customers, &archive, &plain}) {
        owned.push_back(std::make_unique<TppAutoSearchField>());
        owned.back()->SetDataPipeline(pipeline);
        fields.push_back(owned.back().get());
    }
    fields.push_back(owned.emplace_back(std::make_unique<TppAutoSearchField>()).get());

    auto groups = std::make_unique<TppAutoSearchGroups>();
    groups->CreateGroups(fields);
    ASSERT_EQ(groups->GroupCount(), 3);
    EXPECT_EQ(groups->Groups(0)->Description(), QStringLiteral("Orders"));
    EXPECT_EQ(groups->Groups(0)->FieldCount(), 2);
    EXPECT_EQ(groups->Groups(0)->TabOrder(), 2);
    // No pipeline and a pipeline without a description share the '' group.
    EXPECT_EQ(groups->Groups(2)->FieldCount(), 2);

    TppAutoSearchGroups copy;
    copy.Assign(groups.get());
    ASSERT_EQ(copy.GroupCount(), 3);
    EXPECT_NE(copy.Groups(0)->Fields(0), fields[0]);
    EXPECT_EQ(copy.Groups(0)->Fields(0)->DataPipeline(), &orders);

    // A field freed while listed leaves its group; the report's fields
    // outlive the groups, and the page order moves into the pipeline.
    owned[1].reset();
    EXPECT_EQ(groups->Groups(1)->FieldCount(), 0);
    groups->Groups(0)->SetTabOrder(7);
    groups.reset();
    EXPECT_EQ(orders.AutoSearchTabOrder, 7);
    EXPECT_EQ(fields[0]->DataPipeline(), &orders);
}

TEST_F(AutoSearch, ManyFieldsOverManyPipelinesGroupOncePerDescription)
{
    std::vector<std::unique_ptr<DescribedPipeline>> pipelines;
    for (int i = 0; i < 50; ++i) {
        pipelines.push_back(std::make_unique<DescribedPipeline>());
        pipelines.back()->Description = QStringLiteral("P%1").arg(i % 10);
    }
    std::vector<std::unique_ptr<TppAutoSearchField>> owned;
    std::vector<TppAutoSearchField *> fields;
    for (int i = 0; i < 200; ++i) {
        owned.push_back(std::make_unique<TppAutoSearchField>());
        owned.back()->SetDataPipeline(pipelines[size_t(i % 50)].get());
        fields.push_back(owned.back().get());
    }
    TppAutoSearchGroups groups;
    groups.CreateGroups(fields);
    EXPECT_EQ(groups.GroupCount(), 10);
    groups.CreateGroups(fields);
    EXPECT_EQ(groups.GroupCount(), 10);
}

TEST_F(AutoSearch, PrintAsksTheCriteriaFirstAndTheHandlerFiltersTheRecords)
{
    ppRegisterFormClass(TppCustomAutoSearchDialog::StaticClass(), ScriptedSearchDialog::StaticClass());
    ppRegisterDevice(&ppDeviceClass<SearchFileDevice>());
    QTemporaryDir dir;
    report.SetTextFileName(dir.filePath(QStringLiteral("out.txt")));
    band<TppHeaderBand>(20000, QStringLiteral("Header"));
    auto *detail = band<TppDetailBand>(5000, QStringLiteral("Detail"));
    rows(10);
    data.SetName(QStringLiteral("Data"));
    int details = 0;
    detail->AfterPrint.Set([&details](classes::TObject *) { ++details; });
    report.SetDeviceType(SearchFileDevice::ClassDeviceName());
    report.SetShowPrintDialog(false);
    report.SetShowCancelDialog(false);
    report.SetShowAutoSearchDialog(true);

    // Without criteria no dialog shows and everything prints.
    report.Print();
    EXPECT_EQ(ScriptedSearchDialog::Shown, 0);
    EXPECT_EQ(details, 10);

    TppAutoSearchField *field = report.CreateAutoSearchCriteria(QStringLiteral("Data"), QStringLiteral("G"),
                                                                TppSearchOperatorType::soInList, QString(), false);
    EXPECT_EQ(field->DataPipeline(), &data);
    QStringList events;
    report.OnGetAutoSearchValues.Set([&](classes::TObject *) {
        events << QStringLiteral("values");
        const QStringList keep = ppSplitSearchExpression(field->SearchExpression());
        data.ClearRows();
        for (int i = 0; i < 10; ++i)
            if (field->ShowAllValues() || keep.contains(QString::number(i)))
                data.AddRow({QString::number(i)});
    });
    report.OnAutoSearchDialogClose.Set([&](classes::TObject *) { events << QStringLiteral("close"); });
    ScriptedSearchDialog::Script = [&](ScriptedSearchDialog &aDialog) {
        EXPECT_EQ(report.AutoSearchDialog(), &aDialog);
        ASSERT_EQ(aDialog.AutoSearchGroups()->GroupCount(), 1);
        aDialog.AutoSearchGroups()->Groups(0)->Fields(0)->SetSearchExpression(QStringLiteral("2,5,7"));
        aDialog.DoClose();
    };
    details = 0;
    report.Print();
    EXPECT_EQ(events, (QStringList{QStringLiteral("close"), QStringLiteral("values")}));
    EXPECT_EQ(details, 3);
    EXPECT_EQ(report.AutoSearchDialog(), nullptr);

    // Cancel prints nothing and hands no values over.
    ScriptedSearchDialog::Script = [](ScriptedSearchDialog &aDialog) { aDialog.ModalAnswer = ppModalResultCancel; };
    details = 0;
    events.clear();
    report.Print();
    EXPECT_EQ(details, 0);
    EXPECT_TRUE(events.isEmpty());

    // A handler that throws inside Print leaves the report outside it: the
    // next search on its own hands its values over and frees its dialog.
    ScriptedSearchDialog::Script = nullptr;
    report.OnGetAutoSearchValues.Set([](classes::TObject *) { throw std::runtime_error("no database"); });
    EXPECT_THROW(report.Print(), std::runtime_error);
    EXPECT_EQ(report.AutoSearchDialog(), nullptr);
    report.OnGetAutoSearchValues.Set([&](classes::TObject *) { events << QStringLiteral("values"); });
    EXPECT_TRUE(report.ExecuteAutoSearchDialog());
    EXPECT_EQ(events, QStringList{QStringLiteral("values")});
    ppUnRegisterDevice(&ppDeviceClass<SearchFileDevice>());
}

} // namespace
