#include <arkseal/ui/qt/run_application.h>

#include <QApplication>
#include <algorithm>
#include <string>
#include <vector>

#include <arkseal/ui/core/application.h>
#include <arkseal/ui/core/worker_thread.h>
#include <arkseal/ui/qt/termination_signals.h>

namespace arkseal {

// A termination signal asks the main window to end (WM_ENDSESSION); the
// window decides when. Worker threads are waited for before the program
// ends, so no job is cut off by the process exit.
int RunApplication(int argc, char** argv) {
    Application* application = CurrentApplication();
    if (application == nullptr) return 1;
    int exitCode = 0;
    if (!application->ParseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc), &exitCode)) {
        return exitCode;
    }
    int qtArgc = 1;
    char name[] = "arkseal";
    // The program's name, whatever it was started as, names its windows
    // (WM_CLASS), which desktops match with StartupWMClass.
    char* qtArgv[] = {name, nullptr};
    QApplication qt(qtArgc, qtArgv);
    QGuiApplication::setDesktopFileName(ARKSEAL_DESKTOP_FILE_NAME);

    TerminationSignals endRequests([application] { PostMessage(application->m_pMainWnd, WM_ENDSESSION, 0, 0); });
    if (application->InitInstance()) QApplication::exec();
    application->m_pMainWnd = nullptr;
    WaitForAllThreads();
    return 0;
}

}  // namespace arkseal
