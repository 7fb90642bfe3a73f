// How long a first start holds the window when the stored counts are large:
// the wizard is answered at once, the stored sites join the list, the list is
// sorted and saved, and the check of every row begins, which is cancelled as
// soon as its progress window shows. Wall time of the whole start.

#include "app/MainUnit.h"
#include "app/ProgressUnit.h"
#include "app/SiteListView.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/Modal.h"
#include "settings/FirstStartWizardUnit.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

using namespace app;

namespace {

void BM_FirstStartWithStoredCounts(benchmark::State &state)
{
    const int lines = int(state.range(0));
    QTemporaryDir folder;
    const std::string section = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    std::string stored;
    stored.reserve(size_t(lines) * 48);
    for (int i = 0; i < lines; ++i)
        stored += "site" + std::to_string(i) + ".example*" + std::to_string(i % 100000) + "*1*2*3*4*5\r\n";
    const auto write = [&](const char *name, const std::string &text) {
        return zvotest::writeFile(folder.filePath(QString::fromLatin1(name)), text);
    };
    if (!folder.isValid() || !write("ZVO-SearchEngines.txt", "Engine:http://127.0.0.1:9/?q=YOURDOMAIN.COM\r\n") ||
        !write("Options.ini", "[" + section + "]\r\nShowSplashScreen=false\r\n") || !write("ZVO-Domains.txt", stored)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const shell::ScopedProgramFolder programFolder(folder.path());
    shell::RecordingMessageBoxes boxes;

    for (auto _ : state) {
        QFile::remove(folder.filePath(QStringLiteral("Domain-Data.txt")));
        shell::ScriptedDialogs dialogs;
        dialogs.drive<settings::TFirstStartWizardForm>([](settings::TFirstStartWizardForm &w) {
            w.NextButton->click();
            w.NextButton->click();
            w.URLEdit->setText(QStringLiteral("http://www.own.example"));
            w.NextButton->click();
        });
        TMainForm form;
        QTimer cancel;
        QObject::connect(&cancel, &QTimer::timeout, [&form] {
            if (auto *progress = form.findChild<TMyProgressForm *>(); progress && progress->CancelButton->isEnabled())
                progress->CancelButton->click();
        });
        cancel.start(10);
        const auto begin = std::chrono::steady_clock::now();
        const bool started = form.FormCreate();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (!started) {
            state.SkipWithError("the main window did not start");
            break;
        }
        state.SetIterationTime(wall);
        state.counters["rows"] = form.ListView1->topLevelItemCount();
        form.close();
    }
}

BENCHMARK(BM_FirstStartWithStoredCounts)
    ->Arg(2000)
    ->Arg(32000)
    ->Arg(500000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const rtl::ScopedFormatSettings formats(rtl::FormatSettingsEnUS());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
