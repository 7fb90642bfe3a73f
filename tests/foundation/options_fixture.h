#pragma once

// A program folder, registry store and environment of the test's own, so that
// nothing depends on the machine: LoadOptions reads "Options.ini" from the
// temporary folder and the system-proxy import sees only what a test puts
// there.

#include "foundation/MyOptions.h"
#include "foundation/MyWebUtilitiesProxy.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Beep.h"
#include "platform/shell/Desktop.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

class OptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        foundation::OptionsFileName.clear();
        foundation::OptionsSection.clear();
    }

    void TearDown() override
    {
        foundation::OptionsFileName.clear();
        foundation::OptionsSection.clear();
    }

    QString optionsPath() const { return m_dir.filePath("Options.ini"); }
    std::string optionsFile() const { return zvotest::readFile(optionsPath()); }
    void writeOptions(const std::string &body) { ASSERT_TRUE(zvotest::writeFile(optionsPath(), body)); }
    static std::string programName();
    // The header line of the section LoadOptions uses.
    static std::string header() { return "[" + foundation::OptionsSectionForProgram(programName()) + "]\r\n"; }

    void setInternetSettings(const std::function<void(registry::Registry &)> &fill)
    {
        registry::Registry reg;
        ASSERT_TRUE(reg.openKey(std::string("\\") + foundation::InternetSettingsKey, true));
        fill(reg);
    }

    QTemporaryDir m_dir;
    std::map<std::string, std::string> m_env;
    int m_beeps = 0;
    shell::ScopedProgramFolder m_programFolder{m_dir.path()};
    shell::ScopedWorkArea m_workArea{rtl::Rect(0, 0, 1280, 984)};
    shell::ScopedScreenSize m_screenSize{rtl::TSize{1280, 1024}};
    registry::ScopedStoreFilePath m_store{m_dir.filePath("config/zarvello/registry.ini").toStdString()};
    foundation::ScopedProxyEnvironmentSource m_environment{
        [this](const std::string &name) -> std::optional<std::string> {
            return m_env.count(name) ? std::optional(m_env[name]) : std::nullopt;
        }};
    shell::ScopedBeepSink m_beepSink{[this](shell::BeepKind) { ++m_beeps; }};
};
