// Language modules are files anyone can put into the program folder, and page
// lists are typed by users: both parsers must take any bytes. A module either
// loads or is refused; a page list either names its pages in ascending order
// within the limit, or is refused whole, exactly when a plain set of pages
// built one piece at a time says so.

#include "report/model/base/LanguageModule.h"
#include "report/model/base/PageList.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

bool referencePage(const QString &text, long long &page)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 10)
        return false;
    for (const QChar c : t)
        if (c < u'0' || c > u'9')
            return false;
    page = t.toLongLong();
    return page >= 1 && page <= 2147483647LL;
}

// Every page into a set, refusing as soon as a range or the set passes the limit.
bool referencePages(const QString &text, std::vector<int> &pages)
{
    std::set<int> set;
    for (const QString &piece : text.split(u',')) {
        if (piece.trimmed().isEmpty())
            continue;
        const qsizetype dash = piece.indexOf(u'-');
        long long first = 0, last = 0;
        if (dash < 0) {
            if (!referencePage(piece, first))
                return false;
            last = first;
        } else if (!referencePage(piece.left(dash), first) || !referencePage(piece.mid(dash + 1), last)) {
            return false;
        }
        if (first > last)
            std::swap(first, last);
        if (last - first >= report::ppMaxPageListEntries)
            return false;
        for (long long p = first; p <= last; ++p) {
            set.insert(int(p));
            if (set.size() > size_t(report::ppMaxPageListEntries))
                return false;
        }
    }
    pages.assign(set.begin(), set.end());
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    if (const auto module = report::LanguageModule::parse(bytes)) {
        if (module->count() < 0 || module->count() > bytes.count('\n') + 1)
            fail("more texts than lines");
    } else if (bytes.size() <= report::LanguageModule::MaxFileSize && !bytes.contains('\0') &&
               QString::fromUtf8(bytes).toUtf8() == bytes) {
        fail("a readable UTF-8 text was refused as a module");
    }

    const QString text = QString::fromUtf8(bytes);
    std::vector<int> pages, reference;
    const bool valid = report::ppParsePageList(text, pages);
    if (valid != referencePages(text, reference))
        fail("page list validity differs from the reference");
    if (!valid && !pages.empty())
        fail("a refused page list left pages behind");
    if (valid && pages != reference)
        fail("page list differs from the reference");
    return 0;
}
