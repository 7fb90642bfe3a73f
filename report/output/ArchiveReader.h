#pragma once

// TppArchiveReader: the pages of an archive file (".raf") that the archive
// device wrote. Archives come from anywhere, so the index is checked before
// any page is read: a start of the page area H with 4 <= H <= size and
// (H - 4) a multiple of 8, page offsets rising from 0 inside the file, and
// "TPF0" at the start of every page. Nothing is allocated beyond the
// archive's own size. The draw command classes the pages hold must be
// registered for streaming.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace report {

class TppPage;

class TppArchiveReader
{
public:
    // Raises classes::EReadError for an archive that breaks the rules above.
    explicit TppArchiveReader(QByteArray aBytes);
    // The file's contents; raises classes::EFOpenError when it cannot be read.
    static TppArchiveReader FromFile(const QString &aFileName);

    int PageCount() const { return int(m_entries.size()); }
    // The page's own number as the index records it.
    int32_t AbsolutePageNo(int aIndex) const { return m_entries.at(size_t(aIndex)).absolutePageNo; }
    // The bytes of one page stream.
    QByteArray PageBytes(int aIndex) const;
    // The page read back from its stream; raises the stream's errors.
    std::unique_ptr<TppPage> ReadPage(int aIndex) const;

private:
    struct Entry
    {
        int64_t start = 0;
        int64_t size = 0;
        int32_t absolutePageNo = 0;
    };

    QByteArray m_bytes;
    std::vector<Entry> m_entries;
};

} // namespace report
