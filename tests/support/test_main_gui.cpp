#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

// test_main_sources.cpp
std::vector<std::string> zvoTakeSourcesArgument(int &argc, char **argv);
void zvoKeepTestsOfSources(const std::vector<std::string> &sources);

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::vector<std::string> sources = zvoTakeSourcesArgument(argc, argv);
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    zvoKeepTestsOfSources(sources);
    return RUN_ALL_TESTS();
}
