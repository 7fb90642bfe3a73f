#pragma once

// A help book: the folder of HTML pages that stands in for a compiled help
// file. A help file "<folder>/ZVO.chm" is read from "<folder>/help/", which
// holds the pages (*.htm) and four small text files:
//
//   Contents.txt  "Title|Page.htm", two leading blanks per level of nesting;
//                 the first page listed is the book's default page
//   Index.txt     "Keyword|Page.htm", one line per keyword and page
//   Context.txt   "Number|Page.htm", the pages of context numbers
//   CSHelp.txt    pop-up texts: ".topic <number>" followed by the text lines
//
// Lines beginning with ";" and blank lines are ignored. The text files are
// Windows-1252 with CR LF or LF line ends.

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace help {

// Where a help path points: "<file>" or "<file>::/<page>", optionally with a
// ">window" suffix, which is ignored.
struct HelpLocation
{
    QString file;       // the help file as named
    QString bookFolder; // the folder its pages live in
    QString page;       // the page within the book; empty = default page
};
HelpLocation parseHelpPath(const QString &path);

struct ContentsEntry
{
    int level = 0;
    QString title;
    QString page;
};

struct IndexEntry
{
    QString keyword;
    QString page;
};

class HelpBook
{
public:
    // Null when the folder has no contents file: there is no book to show.
    static std::shared_ptr<const HelpBook> load(const QString &folder);

    const QString &folder() const { return m_folder; }
    const QString &title() const { return m_title; }
    const std::vector<ContentsEntry> &contents() const { return m_contents; }
    // Sorted by keyword without regard to case; equal keywords keep file order.
    const std::vector<IndexEntry> &index() const { return m_index; }
    QString defaultPage() const;

    // The absolute file of a page; empty when the page is missing or would
    // lie outside the book folder (a topic name is outside input).
    QString pageFile(const QString &page) const;
    QString pageForContext(int64_t context) const;
    // The index entry of the first keyword that begins with the text, without
    // regard to case; -1 when none does.
    int findKeyword(const QString &keyword) const;
    // The pop-up text of a number in a topics file of the book; empty when the
    // file or the number is missing.
    QString popupText(const QString &topicsFile, int64_t id) const;

private:
    QString m_folder;
    QString m_title;
    std::vector<ContentsEntry> m_contents;
    std::vector<IndexEntry> m_index;
    std::map<int64_t, QString> m_context;
};

// Parsers of the book's text files, from raw Windows-1252 bytes.
std::vector<ContentsEntry> parseContents(std::string_view bytes);
std::vector<IndexEntry> parseIndex(std::string_view bytes);
std::map<int64_t, QString> parseContextMap(std::string_view bytes);
std::map<int64_t, QString> parsePopupTopics(std::string_view bytes);

} // namespace help
