#include "report/model/ModelRegistration.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/objects/Relative.h"
#include "report/model/reports/CustomReport.h"
#include "report/model/reports/ReportModule.h"
#include "report/model/templates/ReportModuleTemplate.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

// A module in miniature: a relative whose children are more of its kind.
class TStoredModule : public TppRelative
{
    ZVO_CLASS(TStoredModule)
public:
    explicit TStoredModule(classes::TComponent *aOwner = nullptr)
        : TppRelative(aOwner)
    {
        SetOrderedChildren(true);
    }
};

const classes::TMetaClass &TStoredModule::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TStoredModule, TppRelative>("TppStoredModule", [](auto &c) {
            c.String("UserName", &TppCommunicator::GetUserName, &TppCommunicator::SetUserName);
        });
    return meta;
}

class ModuleTemplates : public ::testing::Test
{
protected:
    ModuleTemplates()
    {
        ppModelLayerInit();
        classes::RegisterClass(TStoredModule::StaticClass());
        ppSetReportModuleClass(&TStoredModule::StaticClass());
        form.SetName(QStringLiteral("Form1"));
        parent = new TStoredModule(&form);
        parent->SetName(QStringLiteral("ppParent1"));
        auto *sibling = new TStoredModule(&form);
        sibling->SetName(QStringLiteral("ppSibling1"));
        sibling->SetParent(parent);
        module = new TStoredModule(&form);
        module->SetName(QStringLiteral("ppModule1"));
        module->SetParent(parent);
        auto *child = new TStoredModule(&form);
        child->SetName(QStringLiteral("ppChild1"));
        child->SetUserName(QStringLiteral("First"));
        child->SetParent(module);
        moduleTemplate = std::make_unique<TppReportModuleTemplate>(module);
    }
    ~ModuleTemplates() override
    {
        moduleTemplate.reset();
        ppSetReportModuleClass(nullptr);
        classes::UnRegisterClass(TStoredModule::StaticClass());
        ppModelLayerFinalize();
    }

    QByteArray save()
    {
        classes::TMemoryStream stream;
        moduleTemplate->SaveToStream(stream);
        return QByteArray(stream.Memory(), qsizetype(stream.Size()));
    }

    void load(const QByteArray &aBytes)
    {
        classes::TMemoryStream stream;
        stream.WriteBuffer(aBytes.constData(), aBytes.size());
        stream.SetPosition(0);
        moduleTemplate->LoadFromStream(stream);
    }

    QString firstChildUserName() const { return module->ChildCount() ? module->ChildAt(0)->GetUserName() : QString(); }

    // The module sits in its parent where it was, and no template work is
    // left flagged on it.
    void expectInPlace() const
    {
        EXPECT_EQ(module->Parent(), parent);
        EXPECT_EQ(parent->IndexOfChild(module), 1);
        EXPECT_EQ(parent->ChildCount(), 2);
        EXPECT_EQ(module->CommunicatorState() & ppState::FirstLoad, 0);
    }

    classes::TComponent form{nullptr};
    TStoredModule *parent = nullptr;
    TStoredModule *module = nullptr;
    std::unique_ptr<TppReportModuleTemplate> moduleTemplate;
};

TEST_F(ModuleTemplates, NewEmptiesTheModuleAndALoadBringsItsContentsBackInPlace)
{
    EXPECT_EQ(moduleTemplate->Root(), &form);
    const QByteArray data = save();
    ASSERT_TRUE(data.startsWith("TPF0"));
    moduleTemplate->New();
    EXPECT_EQ(module->ChildCount(), 0);
    expectInPlace();

    load(data);
    ASSERT_EQ(module->ChildCount(), 1);
    EXPECT_EQ(firstChildUserName(), QStringLiteral("First"));
    EXPECT_EQ(module->ChildAt(0)->Owner(), &form);
    expectInPlace();

    // Loaded over the live contents, the stored child's name is taken and
    // the newcomer gets another.
    load(data);
    ASSERT_EQ(module->ChildCount(), 1);
    EXPECT_EQ(firstChildUserName(), QStringLiteral("First"));
    expectInPlace();
}

TEST_F(ModuleTemplates, AFailedReadLeavesTheModuleAsItWas)
{
    const QByteArray data = save();
    for (const QByteArray &bytes : {QByteArray("TPF0"), QByteArray(), data.left(data.size() / 2)}) {
        SCOPED_TRACE(bytes.size());
        EXPECT_ANY_THROW(load(bytes));
        EXPECT_EQ(firstChildUserName(), QStringLiteral("First"));
        EXPECT_EQ(module->ChildCount(), 1);
        expectInPlace();
    }
}

TEST_F(ModuleTemplates, WithoutAModuleClassNothingIsLoadedOrRenewed)
{
    const QByteArray data = save();
    ppSetReportModuleClass(nullptr);
    moduleTemplate->New();
    load(data);
    EXPECT_EQ(module->ChildCount(), 1);
    EXPECT_EQ(firstChildUserName(), QStringLiteral("First"));
    expectInPlace();
}

// A report's own module: the template loads into it, and the report keeps
// it as its module rather than the copy the stream made.
class TStoredReportModule : public TppReportModule
{
    ZVO_CLASS(TStoredReportModule)
public:
    explicit TStoredReportModule(classes::TComponent *aOwner = nullptr)
        : TppReportModule(aOwner)
    {
        SetOrderedChildren(true);
    }
};

const classes::TMetaClass &TStoredReportModule::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TStoredReportModule, TppReportModule>("TppStoredReportModule", [](auto &c) {
            c.String("UserName", &TppCommunicator::GetUserName, &TppCommunicator::SetUserName);
        });
    return meta;
}

TEST(ReportModuleTemplates, TheReportKeepsItsLiveModuleThroughLoadsThatWorkAndFail)
{
    ppModelLayerInit();
    classes::RegisterClass(TStoredModule::StaticClass());
    classes::RegisterClass(TStoredReportModule::StaticClass());
    ppSetReportModuleClass(&TStoredReportModule::StaticClass());
    {
        classes::TComponent form(nullptr);
        form.SetName(QStringLiteral("Form1"));
        auto *report = new TppCustomReport(&form);
        report->SetName(QStringLiteral("ppReport1"));
        auto *module = new TStoredReportModule(&form);
        module->SetName(QStringLiteral("daModule1"));
        module->SetReport(report);
        auto *child = new TStoredModule(&form);
        child->SetName(QStringLiteral("daChild1"));
        child->SetUserName(QStringLiteral("First"));
        child->SetParent(module);
        TppReportModuleTemplate moduleTemplate(module);

        classes::TMemoryStream saved;
        moduleTemplate.SaveToStream(saved);
        const auto expectTheReportsModule = [&] {
            ASSERT_EQ(report->ModuleCount(), 1);
            EXPECT_EQ(report->Modules(0), module);
            EXPECT_EQ(module->Report(), report);
            EXPECT_EQ(report->FindModule(TppReportModule::StaticClass()), module);
        };
        moduleTemplate.New();
        EXPECT_EQ(module->ChildCount(), 0);
        expectTheReportsModule();

        saved.SetPosition(0);
        moduleTemplate.LoadFromStream(saved);
        ASSERT_EQ(module->ChildCount(), 1);
        EXPECT_EQ(module->ChildAt(0)->GetUserName(), QStringLiteral("First"));
        expectTheReportsModule();

        classes::TMemoryStream broken;
        broken.WriteBuffer(saved.Memory(), saved.Size() / 2);
        broken.SetPosition(0);
        EXPECT_ANY_THROW(moduleTemplate.LoadFromStream(broken));
        EXPECT_EQ(module->ChildCount(), 1);
        expectTheReportsModule();
    }
    ppSetReportModuleClass(nullptr);
    classes::UnRegisterClass(TStoredReportModule::StaticClass());
    classes::UnRegisterClass(TStoredModule::StaticClass());
    ppModelLayerFinalize();
}

} // namespace
