// The application object.
//
// Exactly one application object exists: a static object of the program,
// constructed before main. The layer's main (RunApplication) hands it the
// command line (ParseCommandLine), which may end the program before any
// window system is needed (--help, --version, a usage error); it then
// creates the Qt application and calls the object's start-up hook,
// InitInstance, which
// typically runs the main dialog modally and returns false: the program
// then ends, after every worker thread has finished.
#pragma once

#include <string>
#include <vector>

#include <arkseal/ui/core/resources.h>
#include <arkseal/ui/core/window.h>

namespace arkseal {

class Application {
public:
    explicit Application(const ResourceTable& resources);
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Reads the program's arguments (without the program's name), before
    // the window system is opened. False ends the program at once with
    // *exitCode. This base takes any arguments and goes on.
    virtual bool ParseCommandLine(const std::vector<std::string>& arguments, int* exitCode);

    // Start-up hook. False ends the program when it returns; true runs an
    // event loop until the Qt application is told to quit.
    virtual bool InitInstance();

    // The default title: the caption of every message box.
    std::string Title() const { return resources_.moduleName; }
    const ResourceTable& Resources() const { return resources_; }

    // The window that termination signals are delivered to (WM_ENDSESSION).
    Window* m_pMainWnd = nullptr;

private:
    const ResourceTable& resources_;
};

// The one application object; null before it is constructed.
Application* CurrentApplication();

}  // namespace arkseal
