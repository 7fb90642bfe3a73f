#include "report/output/ArchiveDevice.h"

#include "report/model/base/Messages.h"
#include "report/model/base/Utils.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/Streams.h"

#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>
#include <limits>

namespace report {

namespace {

void archivePutInt32(uint8_t *aOut, int32_t aValue)
{
    const uint32_t value = uint32_t(aValue);
    aOut[0] = uint8_t(value);
    aOut[1] = uint8_t(value >> 8);
    aOut[2] = uint8_t(value >> 16);
    aOut[3] = uint8_t(value >> 24);
}

void archiveWriteInt32(TppFileDevice &aDevice, int32_t aValue)
{
    uint8_t bytes[4];
    archivePutInt32(bytes, aValue);
    aDevice.WriteBuffer(bytes, 4);
}

int32_t archiveOffset(int64_t aValue)
{
    if (aValue < 0 || aValue > std::numeric_limits<int32_t>::max())
        throw classes::EWriteError("Stream write error: the archive is larger than its index can address");
    return int32_t(aValue);
}

// The page area is the archive's own part, though it waits in the temporary
// folder: a write refused there (a file-size limit, a full disk) fails the
// archive with the system's reason.
classes::EWriteError archivePageAreaError(const QString &aFileName, int aError)
{
    return classes::EWriteError("Cannot write file \"" + aFileName.toStdString() +
                                "\": " + std::strerror(aError != 0 ? aError : EIO));
}

} // namespace

const classes::TMetaClass &TppArchiveDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppArchiveDevice, TppFileDevice>("TppArchiveDevice");
    return meta;
}

TppArchiveDevice::TppArchiveDevice(classes::TComponent *aOwner)
    : TppFileDevice(aOwner)
{}

TppArchiveDevice::~TppArchiveDevice()
{
    if (FileStream() && m_tempStream) {
        try {
            TppArchiveDevice::EndJob();
        } catch (...) {
            // Nobody to tell; the page file goes below all the same.
        }
    }
    dropTempFile();
}

QString TppArchiveDevice::DeviceDescription(int32_t) const
{
    return ppLoadStr(34);
}

void TppArchiveDevice::dropTempFile()
{
    m_tempStream.reset();
    m_pageStream.reset();
    m_tempFileName.clear();
}

void TppArchiveDevice::StartJob()
{
    TppFileDevice::StartJob();
    classes::TStream *output = FileStream();
    if (!output)
        return;
    try {
        m_tempFileName = ppGetTempFileName(QString(), QStringLiteral("arc"));
        if (m_tempFileName.isEmpty())
            throw classes::EFCreateError("Cannot create the archive's page file in the temporary folder");
        try {
            m_tempStream = std::make_unique<classes::TFileStream>(m_tempFileName, classes::fmCreate);
        } catch (...) {
            QFile::remove(m_tempFileName);
            throw;
        }
        // Open, the page file needs no name; without one, a killed job
        // leaves nothing in the temporary folder.
        QFile::remove(m_tempFileName);
        output->SetPosition(4);
    } catch (...) {
        CancelJob();
        throw;
    }
}

void TppArchiveDevice::ReceivePage(TppPage *aPage)
{
    const std::weak_ptr<char> alive = LifeToken();
    TppFileDevice::ReceivePage(aPage);
    if (alive.expired() || !aPage || !Busy() || !PageInRequest())
        return;
    UpdateStatus(aPage);
    if (alive.expired() || SkipPage() || !Busy())
        return;
    WritePage(aPage);
}

void TppArchiveDevice::WritePage(TppPage *aPage)
{
    if (!aPage || !m_tempStream)
        return;
    if (!m_pageStream)
        m_pageStream = std::make_unique<classes::TMemoryStream>();
    classes::TMemoryStream &page = *m_pageStream;
    page.SetSize(0);
    {
        // The outline stays out of the stream, not off the page: the page
        // may be one the publisher keeps in its cache, which later jobs and
        // the preview still show with its outline.
        TppDrawCommand *outline = !aPage->LastPage() && m_removeOutline ? aPage->OutlineDrawCommand() : nullptr;
        const int outlineIndex = outline ? aPage->RemoveChild(outline) : -1;
        const auto restore = qScopeGuard([aPage, outline, outlineIndex] {
            if (outlineIndex >= 0)
                aPage->InsertChild(outlineIndex, outline);
        });
        page.WriteComponent(aPage);
    }
    const int32_t offset = archiveOffset(m_tempStream->Position());
    // The whole archive must stay addressable from its header.
    archiveOffset(FileStream()->Position() + 8 + int64_t(offset) + page.Size());
    // The index entry in one write: the output is unbuffered.
    uint8_t entry[8];
    archivePutInt32(entry, offset);
    archivePutInt32(entry + 4, aPage->AbsolutePageNo());
    WriteBuffer(entry, 8);
    try {
        m_tempStream->WriteBuffer(page.Memory(), page.Size());
    } catch (const classes::EWriteError &) {
        throw archivePageAreaError(FileName(), errno);
    }
}

void TppArchiveDevice::EndJob()
{
    classes::TStream *output = FileStream();
    if (output && m_tempStream) {
        try {
            const int32_t pageArea = archiveOffset(output->Position());
            m_tempStream->SetPosition(0);
            const int64_t size = m_tempStream->Size();
            if (size > 0)
                output->CopyFrom(*m_tempStream, size);
            output->SetPosition(0);
            archiveWriteInt32(*this, pageArea);
        } catch (...) {
            CancelJob();
            throw;
        }
    }
    dropTempFile();
    TppFileDevice::EndJob();
}

void TppArchiveDevice::CancelJob()
{
    dropTempFile();
    TppFileDevice::CancelJob();
}

} // namespace report
