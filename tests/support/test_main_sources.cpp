// One test program holds the tests of several ctest entries (zvo_add_test's
// PROGRAM); each entry names its own source files, and a run of the program
// keeps the tests defined in those files alone: each entry runs its own
// tests and no other entry's.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view sourcesFlag = "--zvo_sources=";

// GoogleTest's own wildcards: "*" any run of characters, "?" any one.
bool matchesPattern(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool matchesAny(std::string_view patterns, std::string_view name)
{
    while (true) {
        const std::size_t colon = patterns.find(':');
        if (matchesPattern(patterns.substr(0, colon), name))
            return true;
        if (colon == std::string_view::npos)
            return false;
        patterns.remove_prefix(colon + 1);
    }
}

// "positive-negative", as --gtest_filter reads it: an empty positive part
// stands for every test.
bool matchesFilter(std::string_view filter, std::string_view name)
{
    const std::size_t dash = filter.find('-');
    std::string_view positive = filter.substr(0, dash);
    if (positive.empty())
        positive = "*";
    if (!matchesAny(positive, name))
        return false;
    return dash == std::string_view::npos || !matchesAny(filter.substr(dash + 1), name);
}

// A whole trailing part of the path: "test_report.cpp" is not the end of
// ".../test_custom_report.cpp".
bool isFile(std::string_view path, std::string_view file)
{
    if (file.empty() || path.size() < file.size() || path.substr(path.size() - file.size()) != file)
        return false;
    return path.size() == file.size() || path[path.size() - file.size() - 1] == '/';
}

} // namespace

std::vector<std::string> zvoTakeSourcesArgument(int &argc, char **argv)
{
    std::vector<std::string> sources;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i > 0 && arg.substr(0, sourcesFlag.size()) == sourcesFlag) {
            std::string_view list = arg.substr(sourcesFlag.size());
            while (!list.empty()) {
                const std::size_t comma = list.find(',');
                if (comma != 0)
                    sources.emplace_back(list.substr(0, comma));
                if (comma == std::string_view::npos)
                    break;
                list.remove_prefix(comma + 1);
            }
            // An empty list would keep every test of the program.
            if (sources.empty())
                sources.emplace_back("/");
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return sources;
}

// The filter becomes the list of the kept tests by name, so that whatever
// reads it afterwards (listing, sharding, repeats) sees these tests alone.
void zvoKeepTestsOfSources(const std::vector<std::string> &sources)
{
    if (sources.empty())
        return;
    const std::string filter = GTEST_FLAG_GET(filter);
    std::string kept;
    const ::testing::UnitTest &unit = *::testing::UnitTest::GetInstance();
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const ::testing::TestSuite &suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const ::testing::TestInfo &test = *suite.GetTestInfo(t);
            const std::string name = std::string(test.test_suite_name()) + '.' + test.name();
            if (!matchesFilter(filter, name))
                continue;
            for (const std::string &file : sources) {
                if (isFile(test.file(), file)) {
                    if (!kept.empty())
                        kept += ':';
                    kept += name;
                    break;
                }
            }
        }
    }
    GTEST_FLAG_SET(filter, kept.empty() ? std::string("-*") : kept);
}
