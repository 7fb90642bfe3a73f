#pragma once

// The main window over a fresh copy of the program folder, with engines on a
// loopback search engine (a check started by mistake stays on this machine
// and shows in its requests), a fixed screen, recorded message boxes and
// links, and scripted modal windows (one beyond the script is answered at
// once and shows in m_dialogs.shown()).

#include "app/MainUnit.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/Modal.h"
#include "tests/support/FakeSearchEngine.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Rows in the order the list sorts them (totals ascending).
inline const std::string SortedRows = "small.example\t7\t3\t2\t2\r\n"
                                      "middle.example\t1,200\t1,000\t100\t100\r\n"
                                      "big.example\t2,000,000\t1,000,000\t500,000\t500,000\r\n";

class MainFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid() && m_engine.isRunning());
        setEngines(3);
        QFile::remove(m_folder.file("Domain-Data.txt"));
        writeOptions("ShowSplashScreen=false\r\n");
    }

    void TearDown() override { m_form.reset(); }

    void write(const char *name, const std::string &bytes)
    {
        ASSERT_TRUE(zvotest::writeFile(m_folder.file(QString::fromLatin1(name)), bytes));
    }
    std::string read(const char *name) const { return zvotest::readFile(m_folder.file(QString::fromLatin1(name))); }

    void writeOptions(const std::string &lines)
    {
        write("Options.ini", "[" + section().toStdString() + "]\r\n" + lines);
    }
    static QString section() { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }

    void setEngines(int count)
    {
        std::string table;
        for (int i = 1; i <= count; ++i)
            table += "Engine " + std::to_string(i) + ":" + m_engine.queryUrl(i) + "\r\n";
        write("ZVO-SearchEngines.txt", table);
    }

    app::TMainForm &start(bool expectRunning = true)
    {
        m_form = std::make_unique<app::TMainForm>();
        EXPECT_EQ(m_form->FormCreate(), expectRunning);
        return *m_form;
    }

    void select(int row) { m_form->ListView1->setCurrentItem(m_form->ListView1->topLevelItem(row)); }

    zvotest::ProgramFolder m_folder;
    zvotest::FakeSearchEngine m_engine;
    shell::RecordingMessageBoxes m_boxes;
    shell::ScriptedDialogs m_dialogs;
    QStringList m_opened;
    shell::ScopedProgramFolder m_programFolder{m_folder.path()};
    shell::ScopedWorkArea m_workArea{rtl::Rect(0, 0, 1280, 1000)};
    shell::ScopedScreenSize m_screenSize{rtl::TSize{1280, 1024}};
    rtl::ScopedFormatSettings m_formats{rtl::FormatSettingsEnUS()};
    shell::ScopedUrlOpener m_opener{[this](const QString &url) { m_opened << url; }};
    std::unique_ptr<app::TMainForm> m_form;
};
