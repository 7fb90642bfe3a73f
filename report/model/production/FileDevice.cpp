#include "report/model/production/FileDevice.h"

#include "report/model/base/Messages.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"

#include <QFile>

namespace report {

namespace {

// The device's output file, written through without a buffer: a write the
// disk does not take is short at once, where a buffered file would report
// the bytes as stored and lose them when it closes.
class FileDeviceStream : public classes::TStream
{
public:
    explicit FileDeviceStream(const QString &aFileName)
        : m_file(aFileName)
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            throw classes::EFCreateError("Cannot create file \"" + aFileName.toStdString() +
                                         "\": " + m_file.errorString().toStdString());
    }
    int64_t Read(void *, int64_t) override { return 0; }
    int64_t Write(const void *aBuffer, int64_t aCount) override
    {
        const qint64 written = m_file.write(static_cast<const char *>(aBuffer), aCount);
        return written < 0 ? 0 : written;
    }
    int64_t Seek(int64_t aOffset, classes::TSeekOrigin aOrigin) override
    {
        int64_t target = aOffset;
        if (aOrigin == classes::TSeekOrigin::soCurrent)
            target += m_file.pos();
        else if (aOrigin == classes::TSeekOrigin::soEnd)
            target += m_file.size();
        if (target >= 0)
            m_file.seek(target);
        return m_file.pos();
    }

private:
    QFile m_file;
};

} // namespace

const classes::TMetaClass &TppFileDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppFileDevice, TppDevice>("TppFileDevice");
    return meta;
}

TppFileDevice::TppFileDevice(classes::TComponent *aOwner)
    : TppDevice(aOwner)
{}

TppFileDevice::~TppFileDevice()
{
    if (m_fileStream) {
        try {
            TppFileDevice::EndJob();
        } catch (...) {
            // A destructor has nobody to tell; the file is closed below.
        }
    }
    closeFile();
}

QString TppFileDevice::DeviceDescription(int32_t) const
{
    return QString();
}

void TppFileDevice::SetFileName(const QString &aValue)
{
    if (Busy())
        return;
    m_fileName = aValue;
}

void TppFileDevice::StartJob()
{
    TppDevice::StartJob();
    UpdateStatus(nullptr);
    if (!m_createFileOnStartJob)
        return;
    try {
        m_fileStream = std::make_unique<FileDeviceStream>(m_fileName);
    } catch (...) {
        // A job without its file is no job: left busy, the device would
        // refuse every other file name.
        CancelJob();
        throw;
    }
}

void TppFileDevice::EndJob()
{
    TppDevice::EndJob();
    closeFile();
}

void TppFileDevice::CancelJob()
{
    TppDevice::CancelJob();
    closeFile();
}

void TppFileDevice::closeFile()
{
    m_fileStream.reset();
}

void TppFileDevice::WriteBuffer(const void *aBuffer, int64_t aCount)
{
    if (aCount <= 0)
        return;
    if (!m_fileStream)
        throw classes::EWriteError("Stream write error");
    m_fileStream->WriteBuffer(aBuffer, aCount);
}

void TppFileDevice::UpdateStatus(const TppPage *aPage)
{
    auto *dialog = dynamic_cast<TppCustomCancelDialog *>(CancelDialog());
    const bool countKnown = !Publisher() || Publisher()->LastPageKnown();
    QString text;
    if (!aPage)
        text = ppLoadStr(2);
    else if (SkipPage() && !countKnown)
        text = dialog ? dialog->StatusText() : Status();
    else if (countKnown)
        text = ppLoadStrFormat(28, {QString::number(aPage->PageNo()), QString::number(aPage->PageCount()),
                                    aPage->DocumentName(), m_fileName});
    else
        text = ppLoadStrFormat(27, {QString::number(aPage->PageNo()), aPage->DocumentName(), m_fileName});
    if (text == Status())
        return;
    SetStatus(text);
    if (dialog) {
        dialog->SetStatusText(text);
        ppProcessMessages();
    }
}

} // namespace report
