// The file devices' common base: the file from StartJob to EndJob, writes
// that cannot be stored, and the status texts the cancel dialog shows; and
// the producer's scripting descriptor.

#include "tests/support/report/FormFakes.h"
#include "tests/support/report/PageFakes.h"

#include "report/model/base/Messages.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/pages/Page.h"
#include "report/model/production/FileDevice.h"
#include "report/model/production/Producer.h"
#include "report/model/production/ProducerRTTI.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace report;

namespace {

class FileDeviceTestDialog : public reporttest::WindowlessForm<TppCustomCancelDialog>
{
public:
    using WindowlessForm::WindowlessForm;
    void ShowStatus() override { Shown.append(StatusText()); }
    QStringList Shown;
};

QByteArray fileDeviceContents(const QString &aFileName)
{
    QFile file(aFileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(FileDevice, TheFileLastsFromStartJobToEndJobAndIsMadeAnew)
{
    QTemporaryDir folder;
    const QString name = folder.filePath(QStringLiteral("out.txt"));
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents that are longer");
    }
    TppFileDevice device;
    device.SetFileName(name);
    device.StartJob();
    device.SetFileName(folder.filePath(QStringLiteral("other.txt"))); // ignored while busy
    EXPECT_EQ(device.FileName(), name);
    ASSERT_NE(device.FileStream(), nullptr);
    device.WriteBuffer("abc", 3);
    device.WriteBuffer("", 0);
    device.EndJob();
    EXPECT_EQ(device.FileStream(), nullptr);
    EXPECT_EQ(fileDeviceContents(name), QByteArray("abc"));

    // Freed in the middle of a job: the job ends and the file is complete.
    auto open = std::make_unique<TppFileDevice>();
    open->SetFileName(name);
    open->StartJob();
    open->WriteBuffer("xyz", 3);
    open.reset();
    EXPECT_EQ(fileDeviceContents(name), QByteArray("xyz"));
}

TEST(FileDevice, WritesThatCannotBeStoredRaise)
{
    TppFileDevice device;
    EXPECT_THROW(device.WriteBuffer("abc", 3), classes::EWriteError); // no file open
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        device.SetFileName(QStringLiteral("/dev/full"));
        device.StartJob();
        EXPECT_THROW(device.WriteBuffer("abc", 3), classes::EWriteError);
        device.CancelJob();
        EXPECT_EQ(device.FileStream(), nullptr);
    }
    QTemporaryDir folder;
    TppFileDevice missing;
    missing.SetFileName(folder.filePath(QStringLiteral("no/such/folder/out.txt")));
    EXPECT_THROW(missing.StartJob(), std::exception);
}

TEST(FileDevice, StatusTextsGoToTheCancelDialog)
{
    QTemporaryDir folder;
    const QString name = folder.filePath(QStringLiteral("out.txt"));
    TppPublisher publisher;
    TppFileDevice device;
    FileDeviceTestDialog dialog;
    device.SetFileName(name);
    device.SetCancelDialog(&dialog);
    device.SetPublisher(&publisher);
    device.StartJob();
    auto page = reporttest::makePage(2, 0);
    page->SetPageCount(5);
    page->SetDocumentName(QStringLiteral("Sales"));
    device.UpdateStatus(page.get()); // the count is not known yet
    device.UpdateStatus(page.get()); // unchanged: not shown again
    device.SetSkipPage(true);
    device.UpdateStatus(page.get()); // skipped: the dialog keeps its text
    device.EndJob();
    EXPECT_EQ(dialog.Shown,
              QStringList({ppLoadStr(2), ppLoadStrFormat(27, {QStringLiteral("2"), QStringLiteral("Sales"), name})}));

    // Without a publisher the count counts as known.
    device.SetPublisher(nullptr);
    device.SetSkipPage(false);
    device.UpdateStatus(page.get());
    EXPECT_EQ(dialog.Shown.last(),
              ppLoadStrFormat(28, {QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("Sales"), name}));
}

TEST(ProducerDescriptor, EventsMethodsAndPropertiesByName)
{
    const TraTppProducerRTTI &rtti = TraTppProducerRTTI::Instance();
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppProducer::StaticClass(), QStringLiteral("onsavetext"), rec));
    EXPECT_EQ(rec.EventID, ppEvent::OnSaveText);
    ASSERT_TRUE(rec.Params);
    EXPECT_EQ(rec.Params->ParamRec(0).Name, QStringLiteral("Text"));
    ASSERT_TRUE(rtti.GetPropRec(TppProducer::StaticClass(), QStringLiteral("Producing"), rec));
    EXPECT_TRUE(rec.ReadOnly);
    ASSERT_TRUE(rtti.GetPropRec(TppProducer::StaticClass(), QStringLiteral("TextFileType"), rec));
    EXPECT_EQ(rec.TypeName, QStringLiteral("TppFileType"));
    classes::TStringList names;
    rtti.GetPropList(TppProducer::StaticClass(), names);
    EXPECT_GE(names.IndexOf(QStringLiteral("VersionNo")), 0);
    EXPECT_GE(names.IndexOf(QStringLiteral("Cancel")), 0);

    TppProducer producer;
    QString name = QStringLiteral("report.txt");
    EXPECT_TRUE(rtti.SetPropValue(&producer, QStringLiteral("TextFileName"), &name));
    EXPECT_EQ(producer.TextFileName(), name);
    bool producing = true;
    EXPECT_FALSE(rtti.SetPropValue(&producer, QStringLiteral("Producing"), &producing));
    int32_t version = 0;
    EXPECT_TRUE(rtti.GetPropValue(&producer, QStringLiteral("VersionNo"), &version));
    EXPECT_EQ(version, 1000);
    TraParamList none;
    EXPECT_TRUE(rtti.CallMethod(&producer, QStringLiteral("Cancel"), none));
    EXPECT_TRUE(producer.Cancelled());
}
