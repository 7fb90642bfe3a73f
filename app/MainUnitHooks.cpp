// The places where the main window hands over to the windows and services
// of its neighbours: the splash window, the first-start wizard and the update
// scheduler. Until those exist the window starts without them.

#include "app/MainUnit.h"

std::unique_ptr<QWidget> TMainForm::CreateSplashWindow()
{
    return nullptr;
}

bool TMainForm::RunFirstStartWizard()
{
    return false;
}

void TMainForm::CheckForUpdatesIfDue() {}
