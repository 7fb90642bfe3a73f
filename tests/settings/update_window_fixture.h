#pragma once

// A program folder of its own inside a temporary root (so that anything
// written beside it shows), a pinned program version, short waits, recorded
// message boxes and links, and the fake update server the window talks to.

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
#include <QProgressBar>
#include <QPushButton>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class UpdateWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkdir(QStringLiteral("program")));
        shell::setProgramFolder(programPath());
        shell::setProgramVersion(shell::ProgramVersion{2, 9, 0, 0});
        m_savedUseProxy = UseProxy;
        UseProxy = false;
        TUpdateTimings timings;
        timings.PauseBetweenFilesMs = 5;
        timings.ConnectTimeoutMs = 3000;
        timings.StallTimeoutSeconds = 1;
        m_savedTimings = SetUpdateTimings(timings);
        m_savedOpener = shell::setUrlOpener([this](const QString &url) { m_opened.push_back(url.toStdString()); });
        m_boxes = std::make_unique<shell::RecordingMessageBoxes>();
        m_server = std::make_unique<zvotest::FakeUpdateServer>();
        ASSERT_TRUE(m_server->isRunning());
        ASSERT_TRUE(zvotest::writeFile(m_root.filePath(QStringLiteral("outside.txt")), "outside\r\n"));
    }

    void TearDown() override
    {
        // A window left open by a failed case is closed once its run is over.
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *form = qobject_cast<TCheckForUpdatesForm *>(widget)) {
                if (form->IsRunning())
                    QSignalSpy(form, &TCheckForUpdatesForm::runFinished).wait(20000);
                form->close();
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_server.reset();
        m_boxes.reset();
        shell::setUrlOpener(m_savedOpener);
        SetUpdateTimings(m_savedTimings);
        UseProxy = m_savedUseProxy;
        shell::resetProgramVersion();
        shell::setProgramFolder(QString());
        EXPECT_EQ(zvotest::readFile(m_root.filePath(QStringLiteral("outside.txt"))), "outside\r\n");
        const QStringList rootEntries = QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        EXPECT_EQ(rootEntries, (QStringList{QStringLiteral("outside.txt"), QStringLiteral("program")}));
    }

    QString programPath() const { return m_root.filePath(QStringLiteral("program")); }
    QString programFile(const std::string &name) const
    {
        return QDir(programPath()).filePath(QString::fromStdString(name));
    }
    std::string readProgramFile(const std::string &name) const { return zvotest::readFile(programFile(name)); }
    void writeProgramFile(const std::string &name, const std::string &content) const
    {
        ASSERT_TRUE(zvotest::writeFile(programFile(name), content));
    }

    // Name -> content of every file in the program folder.
    std::map<std::string, std::string> programFiles() const
    {
        std::map<std::string, std::string> files;
        for (const QString &name : QDir(programPath()).entryList(QDir::Files | QDir::Hidden))
            files[name.toStdString()] = zvotest::readFile(QDir(programPath()).filePath(name));
        return files;
    }

    static std::vector<TCheckForUpdatesForm *> openForms()
    {
        std::vector<TCheckForUpdatesForm *> forms;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *form = qobject_cast<TCheckForUpdatesForm *>(widget); form && form->isVisible())
                forms.push_back(form);
        }
        return forms;
    }

    // Opens the window the way the program does and waits for its run to end.
    QPointer<TCheckForUpdatesForm> runWindow(int timeoutMs = 15000)
    {
        ShowCheckForUpdatesForm();
        const std::vector<TCheckForUpdatesForm *> forms = openForms();
        EXPECT_EQ(forms.size(), 1u);
        if (forms.empty())
            return nullptr;
        QPointer<TCheckForUpdatesForm> form = forms.front();
        QSignalSpy finished(form.data(), &TCheckForUpdatesForm::runFinished);
        EXPECT_TRUE(finished.wait(timeoutMs));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form;
    }

    static std::string statusOf(const TCheckForUpdatesForm *form) { return form->StatusLabel->text().toStdString(); }
    static QColor statusColor(const TCheckForUpdatesForm *form)
    {
        return form->StatusLabel->palette().color(QPalette::WindowText);
    }

    // Closes the window with its Close button and lets it be freed.
    static void closeWindow(QPointer<TCheckForUpdatesForm> &form)
    {
        ASSERT_TRUE(form);
        form->CancelCloseButton->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
    }

    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> texts;
        for (const shell::MessageBoxRequest &request : m_boxes->requests())
            texts.push_back(request.text.toStdString());
        return texts;
    }

    QTemporaryDir m_root;
    std::unique_ptr<shell::RecordingMessageBoxes> m_boxes;
    std::unique_ptr<zvotest::FakeUpdateServer> m_server;
    std::vector<std::string> m_opened;

private:
    TUpdateTimings m_savedTimings;
    shell::UrlOpener m_savedOpener;
    bool m_savedUseProxy = false;
};

inline const QColor kGreen(0, 153, 0);
inline const QColor kRed(255, 0, 0);
inline const std::string kRestartMessage =
    "To take advantage of the update, you must quit Zarvello and restart it.";
inline const std::string kInstallationFailed = "Installation failed. Click the button below.";
