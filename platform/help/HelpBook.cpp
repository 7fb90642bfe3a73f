#include "platform/help/HelpBook.h"

#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/QtText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace help {

namespace {

// Calls `line` for every line of the bytes, CR LF and lone LF alike.
template <typename F>
void forEachLine(std::string_view bytes, F line)
{
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        std::string_view l = bytes.substr(0, end);
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        line(l);
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
}

bool isComment(std::string_view line)
{
    const size_t first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == ';';
}

// "Left|Right" with both sides trimmed; false without a bar or a right side.
bool splitPair(std::string_view line, QString &left, QString &right)
{
    const size_t bar = line.rfind('|');
    if (bar == std::string_view::npos)
        return false;
    left = rtl::ToQString(line.substr(0, bar)).trimmed();
    right = rtl::ToQString(line.substr(bar + 1)).trimmed();
    return !right.isEmpty();
}

// As every file beside the program is read: a pipe or a device in a page's
// place cannot hold up the window that asked for help.
QByteArray readAll(const QString &file)
{
    const rtl::FileText read = rtl::readWholeFile(QFile::encodeName(file).toStdString());
    return QByteArray::fromStdString(read.text);
}

std::string_view view(const QByteArray &bytes)
{
    return std::string_view(bytes.constData(), size_t(bytes.size()));
}

} // namespace

HelpLocation parseHelpPath(const QString &path)
{
    HelpLocation location;
    const qsizetype sep = path.indexOf(QLatin1String("::"));
    location.file = sep < 0 ? path : path.left(sep);
    if (sep >= 0) {
        QString page = path.mid(sep + 2);
        const qsizetype window = page.indexOf(QLatin1Char('>'));
        if (window >= 0)
            page.truncate(window);
        while (page.startsWith(QLatin1Char('/')) || page.startsWith(QLatin1Char('\\')))
            page.remove(0, 1);
        location.page = page;
    }
    const QFileInfo info(location.file);
    location.bookFolder = QDir(info.path()).filePath(QStringLiteral("help"));
    return location;
}

std::vector<ContentsEntry> parseContents(std::string_view bytes)
{
    std::vector<ContentsEntry> entries;
    forEachLine(bytes, [&](std::string_view line) {
        if (isComment(line))
            return;
        const size_t indent = line.find_first_not_of(' ');
        ContentsEntry entry;
        entry.level = int(indent / 2);
        if (!splitPair(line, entry.title, entry.page)) {
            // A heading without a page of its own.
            entry.title = rtl::ToQString(line).trimmed();
            entry.page.clear();
        }
        entries.push_back(entry);
    });
    return entries;
}

std::vector<IndexEntry> parseIndex(std::string_view bytes)
{
    std::vector<IndexEntry> entries;
    forEachLine(bytes, [&](std::string_view line) {
        IndexEntry entry;
        if (!isComment(line) && splitPair(line, entry.keyword, entry.page) && !entry.keyword.isEmpty())
            entries.push_back(entry);
    });
    std::stable_sort(entries.begin(), entries.end(), [](const IndexEntry &a, const IndexEntry &b) {
        return a.keyword.compare(b.keyword, Qt::CaseInsensitive) < 0;
    });
    return entries;
}

std::map<int64_t, QString> parseContextMap(std::string_view bytes)
{
    std::map<int64_t, QString> map;
    forEachLine(bytes, [&](std::string_view line) {
        QString number, page;
        if (isComment(line) || !splitPair(line, number, page))
            return;
        bool ok = false;
        const qlonglong n = number.toLongLong(&ok);
        if (ok)
            map.emplace(n, page);
    });
    return map;
}

std::map<int64_t, QString> parsePopupTopics(std::string_view bytes)
{
    std::map<int64_t, QString> topics;
    bool inTopic = false;
    int64_t id = 0;
    QStringList lines;
    auto finish = [&] {
        if (!inTopic)
            return;
        while (!lines.isEmpty() && lines.back().trimmed().isEmpty())
            lines.removeLast();
        topics[id] = lines.join(QLatin1Char('\n'));
        lines.clear();
    };
    forEachLine(bytes, [&](std::string_view line) {
        static const std::string_view marker = ".topic";
        if (line.substr(0, marker.size()) == marker) {
            finish();
            bool ok = false;
            const qlonglong n = rtl::ToQString(line.substr(marker.size())).trimmed().toLongLong(&ok);
            inTopic = ok;
            id = n;
            return;
        }
        if (inTopic && (!lines.isEmpty() || !rtl::ToQString(line).trimmed().isEmpty()))
            lines.append(rtl::ToQString(line));
    });
    finish();
    return topics;
}

std::shared_ptr<const HelpBook> HelpBook::load(const QString &folder)
{
    const QDir dir(folder);
    const QString contentsFile = dir.filePath(QStringLiteral("Contents.txt"));
    if (!QFileInfo(contentsFile).isFile())
        return nullptr;
    auto book = std::make_shared<HelpBook>();
    book->m_folder = QDir::cleanPath(dir.absolutePath());
    book->m_contents = parseContents(view(readAll(contentsFile)));
    book->m_index = parseIndex(view(readAll(dir.filePath(QStringLiteral("Index.txt")))));
    book->m_context = parseContextMap(view(readAll(dir.filePath(QStringLiteral("Context.txt")))));

    // The book is called after its default page.
    const QString first = book->pageFile(book->defaultPage());
    if (!first.isEmpty()) {
        static const QRegularExpression titleTag(QStringLiteral("<title>(.*?)</title>"),
                                                 QRegularExpression::CaseInsensitiveOption |
                                                     QRegularExpression::DotMatchesEverythingOption);
        const auto match = titleTag.match(QString::fromLatin1(readAll(first)));
        if (match.hasMatch())
            book->m_title = match.captured(1).simplified();
    }
    return book;
}

QString HelpBook::defaultPage() const
{
    for (const ContentsEntry &entry : m_contents)
        if (!entry.page.isEmpty())
            return entry.page;
    return {};
}

QString HelpBook::pageFile(const QString &page) const
{
    if (page.isEmpty())
        return {};
    QString name = page;
    const qsizetype anchor = name.indexOf(QLatin1Char('#'));
    if (anchor >= 0)
        name.truncate(anchor);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString file = QDir::cleanPath(m_folder + QLatin1Char('/') + name);
    if (!file.startsWith(m_folder + QLatin1Char('/')))
        return {};
    return QFileInfo(file).isFile() ? file : QString();
}

QString HelpBook::pageForContext(int64_t context) const
{
    const auto it = m_context.find(context);
    return it == m_context.end() ? QString() : it->second;
}

int HelpBook::findKeyword(const QString &keyword) const
{
    const QString key = keyword.trimmed();
    for (size_t i = 0; i < m_index.size(); ++i)
        if (m_index[i].keyword.startsWith(key, Qt::CaseInsensitive))
            return int(i);
    return -1;
}

QString HelpBook::popupText(const QString &topicsFile, int64_t id) const
{
    const QString file = pageFile(topicsFile);
    if (file.isEmpty())
        return {};
    const QByteArray bytes = readAll(file);
    const auto topics = parsePopupTopics(view(bytes));
    const auto it = topics.find(id);
    return it == topics.end() ? QString() : it->second;
}

} // namespace help
