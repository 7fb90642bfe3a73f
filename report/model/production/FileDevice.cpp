#include "report/model/production/FileDevice.h"

#include "report/model/base/Messages.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"

#include "platform/rtl/AtomicSave.h"

#include <QFile>

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace report {

namespace {

std::string fileDeviceReason(int aError)
{
    return std::strerror(aError != 0 ? aError : EIO);
}

// The device's output. A job's pages go to a temporary file beside the
// target, which takes the target's place only when the job ends well: a
// failed, cancelled or killed job leaves the earlier file as it was. Written
// through without a buffer, so that a write the disk does not take fails at
// once. A device or a pipe at that name (/dev/null, a FIFO) has nothing to
// replace and is written as it is.
class FileDeviceStream : public classes::TStream
{
public:
    explicit FileDeviceStream(const QString &aFileName)
        : m_fileName(aFileName.toStdString())
    {
        const rtl::SaveResult result = m_file.open(QFile::encodeName(aFileName).toStdString(),
                                                   {.existing = rtl::ExistingFile::Update, .removeLeftovers = true});
        if (!result)
            throw createError(result);
    }
    int64_t Read(void *, int64_t) override { return 0; }
    int64_t Write(const void *aBuffer, int64_t aCount) override
    {
        if (aCount <= 0)
            return 0;
        if (const rtl::SaveResult result = m_file.write(aBuffer, size_t(aCount)); !result)
            throw writeError(result.error);
        m_written += aCount;
        return aCount;
    }
    int64_t Seek(int64_t aOffset, classes::TSeekOrigin aOrigin) override
    {
        const int whence = aOrigin == classes::TSeekOrigin::soCurrent ? SEEK_CUR
                           : aOrigin == classes::TSeekOrigin::soEnd   ? SEEK_END
                                                                      : SEEK_SET;
        const off_t position = ::lseek(m_file.handle(), off_t(aOffset), whence);
        if (position < 0 && errno == ESPIPE) {
            // A pipe has only the place it has come to; a device that means
            // to go back (an archive's header) cannot be written there.
            if (aOffset == 0 && whence == SEEK_CUR)
                return m_written;
            throw classes::EWriteError("Cannot write file \"" + m_fileName + "\": an archive needs a seekable file (" +
                                       fileDeviceReason(ESPIPE) + ")");
        }
        return position < 0 ? int64_t(::lseek(m_file.handle(), 0, SEEK_CUR)) : int64_t(position);
    }
    // The job's end: the file takes its place, or the stream's error says
    // why it could not.
    void Commit()
    {
        if (const rtl::SaveResult result = m_file.commit(); !result)
            throw writeError(result.error);
    }

private:
    // The reason names the folder that refused, which behind a link is not
    // the named file's.
    classes::EFCreateError createError(const rtl::SaveResult &aResult) const
    {
        return classes::EFCreateError("Cannot create file \"" + m_fileName + "\": " + aResult.reason());
    }
    classes::EWriteError writeError(int aError) const
    {
        return classes::EWriteError("Cannot write file \"" + m_fileName + "\": " + fileDeviceReason(aError));
    }

    std::string m_fileName;
    rtl::AtomicFile m_file;
    // What a pipe, which cannot tell its place, has been given.
    int64_t m_written = 0;
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
    std::unique_ptr<classes::TStream> stream = std::move(m_fileStream);
    if (auto *file = dynamic_cast<FileDeviceStream *>(stream.get()))
        file->Commit();
}

void TppFileDevice::CancelJob()
{
    // The cancel handler may free the device with the report that made it.
    const std::weak_ptr<char> alive = LifeToken();
    TppDevice::CancelJob();
    if (!alive.expired())
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
