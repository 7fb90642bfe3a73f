#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

// test_main_sources.cpp
std::vector<std::string> zvoTakeSourcesArgument(int &argc, char **argv);
void zvoKeepTestsOfSources(const std::vector<std::string> &sources);

int main(int argc, char **argv)
{
    // Nothing of the system may depend on the machine's locale.
    std::setlocale(LC_ALL, "C");
    const std::vector<std::string> sources = zvoTakeSourcesArgument(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    zvoKeepTestsOfSources(sources);
    return RUN_ALL_TESTS();
}
