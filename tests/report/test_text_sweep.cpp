// Every string a report object stores, of every class the library
// registers, comes back in other scripts through both stream forms.

#include "report/content/ContentRegistration.h"
#include "report/content/richtext/RichText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/objects/Communicator.h"

#include "platform/classes/ClassRegistry.h"
#include "tests/support/StringSweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// Strings whose values are no text of the user's: names the library looks
// up (an unknown one falls back to a default), digits a symbology takes,
// and RTF kept as bytes one for one, whose text is checked below.
const char *const NoText[] = {
    ".PrinterSetup.PrinterName", ".PrinterSetup.PaperName", ".DeviceType", ".GraphicType", ".AddOnCode", ".ValidPages",
    "TppRichText.RichText",
};

bool isNoText(const std::string &path)
{
    return std::any_of(std::begin(NoText), std::end(NoText), [&](const char *end) { return path.ends_with(end); });
}

TEST(ReportTextSweep, EveryStoredStringComesBackInAnyScript)
{
    report::ppModelLayerInit();
    report::ppContentLayerInit();
    std::set<std::string> properties;
    int classCount = 0;
    for (const classes::TMetaClass *meta : classes::RegisteredClasses()) {
        if (!meta->InheritsFrom(report::TppCommunicator::StaticClass()) || meta->IsAbstract())
            continue;
        SCOPED_TRACE(meta->ClassName().toStdString());
        std::vector<std::unique_ptr<classes::TComponent>> made;
        try {
            made.emplace_back(meta->NewComponent(nullptr));
            made.back()->SetName(QStringLiteral("Swept1"));
            const std::string name = meta->ClassName().toStdString();
            const zvotest::SweepResult result = zvotest::sweepThroughStreams(
                *made.front(), {[](classes::TComponent &root) { return &root; }}, {name},
                [&]() -> classes::TComponent & { return *made.emplace_back(meta->NewComponent(nullptr)); }, isNoText);
            for (const std::string &failure : result.failures)
                ADD_FAILURE() << failure;
            properties.insert(result.properties.begin(), result.properties.end());
            ++classCount;
        } catch (const std::exception &e) {
            ADD_FAILURE() << "cannot be swept: " << e.what();
        }
    }
    EXPECT_GT(classCount, 20);
    EXPECT_TRUE(properties.contains("TppLabel.Caption"));
    EXPECT_TRUE(properties.contains("TppLabel.Font.Name"));
    RecordProperty("StringPropertiesSwept", int(properties.size()));

    // Rich text keeps its text in the RTF it stores.
    report::TppRichText rich(nullptr);
    rich.SetRichText(zvotest::sweepText(0));
    classes::TMemoryStream stream;
    stream.WriteComponent(&rich);
    stream.SetPosition(0);
    report::TppRichText back(nullptr);
    stream.ReadComponent(&back);
    EXPECT_EQ(back.RichText().trimmed(), zvotest::sweepText(0));
}

} // namespace
