#include "platform/classes/Streams.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"
#include "platform/rtl/AtomicSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace classes {

const TMetaClass &TStream::StaticClass()
{
    static const TMetaClass meta(QStringLiteral("TStream"), &TObject::StaticClass());
    return meta;
}

int64_t TStream::Size()
{
    const int64_t position = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

void TStream::SetSize(int64_t)
{
    throw EStreamError("The stream cannot change its size");
}

void TStream::ReadBuffer(void *buffer, int64_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void *buffer, int64_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream &source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const int64_t total = count;
    std::vector<char> buffer(size_t(std::min<int64_t>(count, 0xF000)));
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, int64_t(buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        count -= n;
    }
    return total;
}

void TStream::WriteComponent(TComponent *instance)
{
    TWriter writer(*this);
    writer.WriteRootComponent(instance);
    writer.FlushBuffer();
}

TComponent *TStream::ReadComponent(TComponent *instance)
{
    TReader reader(*this);
    return reader.ReadRootComponent(instance);
}

// ---- TMemoryStream --------------------------------------------------------

const TMetaClass &TMemoryStream::StaticClass()
{
    static const TMetaClass meta(QStringLiteral("TMemoryStream"), &TStream::StaticClass());
    return meta;
}

int64_t TMemoryStream::Read(void *buffer, int64_t count)
{
    const int64_t n = std::max<int64_t>(std::min(count, m_size - m_position), 0);
    if (n > 0) {
        std::memcpy(buffer, m_data.get() + m_position, size_t(n));
        m_position += n;
    }
    return n;
}

void TMemoryStream::reserve(int64_t capacity)
{
    if (capacity <= m_capacity)
        return;
    capacity = std::max(capacity, std::max<int64_t>(m_capacity * 2, 256));
    auto data = std::make_unique_for_overwrite<char[]>(size_t(capacity));
    if (m_size > 0)
        std::memcpy(data.get(), m_data.get(), size_t(m_size));
    m_data = std::move(data);
    m_capacity = capacity;
}

int64_t TMemoryStream::Write(const void *buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const int64_t end = m_position + count;
    reserve(end);
    if (m_position > m_size)
        std::memset(m_data.get() + m_size, 0, size_t(m_position - m_size));
    std::memcpy(m_data.get() + m_position, buffer, size_t(count));
    m_position = end;
    m_size = std::max(m_size, end);
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case TSeekOrigin::soBeginning: m_position = offset; break;
    case TSeekOrigin::soCurrent: m_position += offset; break;
    case TSeekOrigin::soEnd: m_position = m_size + offset; break;
    }
    if (m_position < 0)
        m_position = 0;
    return m_position;
}

void TMemoryStream::SetSize(int64_t size)
{
    size = std::max<int64_t>(size, 0);
    reserve(size);
    if (size > m_size)
        std::memset(m_data.get() + m_size, 0, size_t(size - m_size));
    m_size = size;
    if (m_position > size)
        m_position = size;
}

void TMemoryStream::Clear()
{
    m_data.reset();
    m_size = m_capacity = m_position = 0;
}

void TMemoryStream::LoadFromStream(TStream &stream)
{
    stream.SetPosition(0);
    const int64_t size = stream.Size();
    SetSize(size);
    if (size > 0)
        stream.ReadBuffer(m_data.get(), size);
    m_position = 0;
}

void TMemoryStream::SaveToStream(TStream &stream)
{
    if (m_size > 0)
        stream.WriteBuffer(m_data.get(), m_size);
}

void TMemoryStream::LoadFromFile(const QString &fileName)
{
    TFileStream file(fileName, fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const QString &fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---- TFileStream ----------------------------------------------------------

const TMetaClass &TFileStream::StaticClass()
{
    static const TMetaClass meta(QStringLiteral("TFileStream"), &TStream::StaticClass());
    return meta;
}

// Unbuffered, as the system's own file calls are: a write the disk cannot
// take fails when it is made, not unseen when a buffer is flushed at the end.
TFileStream::TFileStream(const QString &fileName, uint16_t mode)
    : m_fileName(fileName)
    , m_file(fileName)
{
    // Opened in place, as the system's calls open, but not into what somebody
    // else planted in a shared folder (a link to a file of the caller's, a
    // file or a pipe the planter reads): refused as a save refuses it, judged
    // on what was opened, and emptied only once it has passed.
    if (mode == fmCreate || (mode & 3) != fmOpenRead) {
        const bool create = mode == fmCreate;
        const int access = create || (mode & 3) == fmOpenReadWrite ? O_RDWR : O_WRONLY;
        rtl::FileDescriptor fd =
            rtl::openUnplanted(QFile::encodeName(fileName).toStdString(), access | (create ? O_CREAT : 0));
        struct stat st
        {};
        // Writing only empties the file first, as Qt's open for writing does.
        if (fd.valid() && (create || access == O_WRONLY) && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::ftruncate(fd.get(), 0) != 0) {
            const int error = errno;
            fd.close();
            errno = error;
        }
        if (!fd.valid()) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            if (create)
                throw EFCreateError("Cannot create file \"" + messageText(fileName) + "\": " + messageText(reason));
            throw EFOpenError("Cannot open file \"" + messageText(fileName) + "\": " + messageText(reason));
        }
        const QIODevice::OpenMode openMode =
            access == O_RDWR ? QIODevice::ReadWrite : QIODevice::WriteOnly | QIODevice::ExistingOnly;
        if (!m_file.open(fd.release(), openMode | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
            throw EFOpenError("Cannot open file \"" + messageText(fileName) +
                              "\": " + messageText(m_file.errorString()));
        return;
    }
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw EFOpenError("Cannot open file \"" + messageText(fileName) + "\": " + messageText(m_file.errorString()));
}

TFileStream::~TFileStream() = default;

int64_t TFileStream::Read(void *buffer, int64_t count)
{
    const qint64 n = m_file.read(static_cast<char *>(buffer), count);
    return n < 0 ? 0 : n;
}

int64_t TFileStream::Write(const void *buffer, int64_t count)
{
    const qint64 n = m_file.write(static_cast<const char *>(buffer), count);
    return n < 0 ? 0 : n;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t target = offset;
    if (origin == TSeekOrigin::soCurrent)
        target += m_file.pos();
    else if (origin == TSeekOrigin::soEnd)
        target += m_file.size();
    if (target < 0)
        target = 0;
    if (target != m_file.pos() && !m_file.seek(target))
        throw EStreamError("Cannot seek in \"" + messageText(m_fileName) + "\"");
    return m_file.pos();
}

int64_t TFileStream::Size()
{
    return m_file.size();
}

void TFileStream::SetSize(int64_t size)
{
    if (!m_file.resize(size))
        throw EStreamError("Cannot resize \"" + messageText(m_fileName) + "\"");
}

} // namespace classes
