#include "report/output/ArchiveReader.h"

#include "report/model/pages/Page.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/QtFileText.h"

#include <QFile>

#include <cstring>

namespace report {

namespace {

int32_t archiveReadInt32(const QByteArray &aBytes, int64_t aOffset)
{
    const auto *p = reinterpret_cast<const uint8_t *>(aBytes.constData()) + aOffset;
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

[[noreturn]] void archiveError(const char *aWhat)
{
    throw classes::EReadError(std::string("Invalid archive: ") + aWhat);
}

// The class a component stream holds: after the signature an optional flags
// byte ($F0 | flags), with flag 2 an integer (its child position), then the
// class name as a length byte and its characters.
QByteArray archiveStreamClassName(const char *aData, int64_t aSize)
{
    int64_t pos = 4;
    const auto byteAt = [&](int64_t aPos) { return aPos < aSize ? uint8_t(aData[aPos]) : uint8_t(0); };
    if (pos < aSize && (byteAt(pos) & 0xF0) == 0xF0) {
        const uint8_t flags = byteAt(pos++) & 0x0F;
        if (flags & 2) {
            static constexpr int64_t intSizes[] = {0, 0, 1, 2, 4};
            const uint8_t type = byteAt(pos++);
            if (type < 2 || type > 4)
                return QByteArray();
            pos += intSizes[type];
        }
    }
    if (pos >= aSize)
        return QByteArray();
    const int64_t length = byteAt(pos++);
    if (pos + length > aSize)
        return QByteArray();
    return QByteArray(aData + pos, qsizetype(length));
}

} // namespace

TppArchiveReader::TppArchiveReader(QByteArray aBytes)
    : m_bytes(std::move(aBytes))
{
    const int64_t size = m_bytes.size();
    if (size < 4)
        archiveError("shorter than its header");
    const int64_t pageArea = archiveReadInt32(m_bytes, 0);
    if (pageArea < 4 || pageArea > size)
        archiveError("the page area starts outside the file");
    if ((pageArea - 4) % 8 != 0)
        archiveError("the page index is not a whole number of entries");
    const int64_t count = (pageArea - 4) / 8;
    m_entries.reserve(size_t(count));
    for (int64_t i = 0; i < count; ++i) {
        const int64_t offset = archiveReadInt32(m_bytes, 4 + 8 * i);
        Entry entry;
        entry.start = pageArea + offset;
        entry.absolutePageNo = archiveReadInt32(m_bytes, 8 + 8 * i);
        if (i == 0 ? offset != 0 : entry.start <= m_entries.back().start)
            archiveError("the page offsets do not rise from 0");
        if (entry.start >= size)
            archiveError("a page starts beyond the end of the file");
        if (!m_entries.empty())
            m_entries.back().size = entry.start - m_entries.back().start;
        m_entries.push_back(entry);
    }
    if (!m_entries.empty())
        m_entries.back().size = size - m_entries.back().start;
    for (const Entry &entry : m_entries)
        if (entry.size < 4 || std::memcmp(m_bytes.constData() + entry.start, "TPF0", 4) != 0)
            archiveError("a page does not start with \"TPF0\"");
}

TppArchiveReader TppArchiveReader::FromFile(const QString &aFileName)
{
    // An archive is only ever written to a seekable file, so one behind a
    // pipe or a device is none, and waiting for its end would hold up the
    // viewer.
    const rtl::FileText read = rtl::readWholeFile(aFileName);
    if (!read)
        throw classes::EFOpenError(read.reasonAfter("Cannot open file", QFile::encodeName(aFileName).toStdString()));
    return TppArchiveReader(QByteArray::fromStdString(read.text));
}

QByteArray TppArchiveReader::PageBytes(int aIndex) const
{
    const Entry &entry = m_entries.at(size_t(aIndex));
    return m_bytes.mid(entry.start, entry.size);
}

std::unique_ptr<TppPage> TppArchiveReader::ReadPage(int aIndex) const
{
    const Entry &entry = m_entries.at(size_t(aIndex));
    if (archiveStreamClassName(m_bytes.constData() + entry.start, entry.size) !=
        TppPage::StaticClass().ClassName().toLatin1())
        archiveError("a page stream holds no page");
    classes::TMemoryStream stream;
    stream.WriteBuffer(m_bytes.constData() + entry.start, entry.size);
    stream.SetPosition(0);
    auto page = std::make_unique<TppPage>();
    classes::TReader(stream).ReadRootComponent(page.get());
    return page;
}

} // namespace report
