#include "report/model/base/PageList.h"

#include <QStringTokenizer>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace report {

namespace {

bool parsePageNumber(QStringView text, int &page)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 10)
        return false;
    int64_t value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < 1 || value > INT32_MAX)
        return false;
    page = int(value);
    return true;
}

} // namespace

bool ppParsePageList(QStringView aText, std::vector<int> &aPages)
{
    aPages.clear();
    std::vector<std::pair<int, int>> ranges;
    for (QStringView piece : aText.tokenize(u',')) {
        piece = piece.trimmed();
        if (piece.isEmpty())
            continue;
        const qsizetype dash = piece.indexOf(u'-');
        int first = 0;
        int last = 0;
        if (dash < 0) {
            if (!parsePageNumber(piece, first))
                return false;
            last = first;
        } else if (!parsePageNumber(piece.first(dash), first) || !parsePageNumber(piece.sliced(dash + 1), last)) {
            return false;
        }
        if (first > last)
            std::swap(first, last);
        // A single range past the limit is refused before anything is counted.
        if (int64_t(last) - first >= ppMaxPageListEntries)
            return false;
        ranges.emplace_back(first, last);
    }

    // Overlapping ranges are merged so that the limit counts distinct pages
    // and nothing is spelled out before the list is known to fit.
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    int64_t total = 0;
    for (const auto &r : ranges) {
        if (!merged.empty() && int64_t(r.first) <= int64_t(merged.back().second) + 1) {
            if (r.second > merged.back().second) {
                total += r.second - merged.back().second;
                merged.back().second = r.second;
            }
        } else {
            merged.push_back(r);
            total += int64_t(r.second) - r.first + 1;
        }
        if (total > ppMaxPageListEntries)
            return false;
    }
    aPages.reserve(size_t(total));
    for (const auto &r : merged)
        for (int64_t p = r.first; p <= r.second; ++p)
            aPages.push_back(int(p));
    return true;
}

} // namespace report
