#pragma once

// The program folder inside a temporary root (so that anything written beside
// it shows), a pinned version 2.9, short waits, recorded message boxes and
// links, and the fake update server the window talks to.

#include "foundation/MyOptions.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "settings/CheckForUpdatesFormUnit.h"
#include "settings/CheckForUpdatesUnit.h"
#include "tests/support/FakeUpdateServer.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

class UpdateWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_root.path()).mkdir("program"));
        shell::setProgramFolder(m_root.filePath("program"));
        shell::setProgramVersion(shell::ProgramVersion{2, 9, 0, 0});
        UseProxy = false;
        m_savedTimings = SetUpdateTimings({5, 3000, 1}); // pause ms, connect ms, stall s
        shell::setUrlOpener([this](const QString &url) { opened.push_back(url.toStdString()); });
        ASSERT_TRUE(server.isRunning());
        ASSERT_TRUE(zvotest::writeFile(m_root.filePath("outside.txt"), "outside"));
    }

    void TearDown() override
    {
        for (TCheckForUpdatesForm *form : openForms())
            form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        shell::setUrlOpener({});
        SetUpdateTimings(m_savedTimings);
        shell::resetProgramVersion();
        shell::setProgramFolder({});
        EXPECT_EQ(zvotest::readFile(m_root.filePath("outside.txt")), "outside");
        EXPECT_EQ(QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  (QStringList{"outside.txt", "program"}));
    }

    QString file(const std::string &name) const { return m_root.filePath("program/" + QString::fromStdString(name)); }
    void write(const std::string &name, const std::string &content) const
    {
        ASSERT_TRUE(zvotest::writeFile(file(name), content));
    }
    // Name -> content of every file in the program folder.
    std::map<std::string, std::string> programFiles() const
    {
        std::map<std::string, std::string> files;
        for (const QString &name : QDir(m_root.filePath("program")).entryList(QDir::Files | QDir::Hidden))
            files[name.toStdString()] = zvotest::readFile(file(name.toStdString()));
        return files;
    }

    static std::vector<TCheckForUpdatesForm *> openForms()
    {
        std::vector<TCheckForUpdatesForm *> forms;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *form = qobject_cast<TCheckForUpdatesForm *>(widget); form && form->isVisible())
                forms.push_back(form);
        return forms;
    }

    // Opens the window the way the program does and waits for its run to end.
    QPointer<TCheckForUpdatesForm> runWindow(int timeoutMs = 15000)
    {
        ShowCheckForUpdatesForm();
        if (openForms().size() != 1) {
            ADD_FAILURE() << "one update window expected";
            return nullptr;
        }
        QPointer<TCheckForUpdatesForm> form = openForms().front();
        EXPECT_TRUE(QSignalSpy(form.data(), &TCheckForUpdatesForm::runFinished).wait(timeoutMs));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form;
    }

    static std::string status(const TCheckForUpdatesForm *form) { return form->StatusLabel->text().toStdString(); }
    static QColor color(const TCheckForUpdatesForm *f) { return f->StatusLabel->palette().color(QPalette::WindowText); }
    static void closeWindow(QPointer<TCheckForUpdatesForm> &form)
    {
        form->CancelCloseButton->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
    }

    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto &request : boxes.requests())
            texts.push_back(request.text.toStdString());
        return texts;
    }

    QTemporaryDir m_root;
    shell::RecordingMessageBoxes boxes;
    zvotest::FakeUpdateServer server;
    std::vector<std::string> opened;

private:
    TUpdateTimings m_savedTimings;
};

inline const QColor kGreen(0, 153, 0);
inline const QColor kRed(255, 0, 0);
inline const std::string kFailed = "Installation failed. Click the button below.";
inline const std::string kLatest = "You already have the latest files.";
