#include "tests/support/report/BandFakes.h"
#include "tests/support/report/PageFakes.h"

#include "ModelObjects.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <memory>

using namespace report;
using namespace reporttest;

namespace {

class Components : public ::testing::Test
{
protected:
    Components()
    {
        classes::RegisterClasses({&StandInPrintable::StaticClass()});
        report.DesignerSink = &designer;
        band->SetReport(&report);
    }
    ~Components() override
    {
        band.reset();
        classes::UnRegisterClasses({&StandInPrintable::StaticClass()});
    }
    StandInPrintable *add(const char *aName)
    {
        auto *object = new StandInPrintable();
        object->SetName(QString::fromLatin1(aName));
        object->SetBand(band.get());
        return object;
    }

    ScopedScreenPixelsPerInch screen{96};
    RecordingDesigner designer;
    StandInReport report;
    std::unique_ptr<StandInBand> band = std::make_unique<StandInBand>();
};

QByteArray componentText(classes::TComponent *aRoot)
{
    classes::TMemoryStream binary, text;
    binary.WriteComponent(aRoot);
    binary.SetPosition(0);
    classes::ObjectBinaryToText(binary, text);
    return QByteArray(text.Memory(), qsizetype(text.Size()));
}

} // namespace

TEST_F(Components, AStreamKeepsTheNameScriptsKnowTheObjectBy)
{
    StandInPrintable written;
    written.SetName("Label1");
    written.SetUserName("Total");
    const QByteArray text = componentText(&written);
    EXPECT_TRUE(text.contains("UserName = 'Total'")) << text.toStdString();

    StandInPrintable read;
    modeltest::readText(&read, text);
    EXPECT_EQ(read.UserName(), "Total");
}
