#include <arkseal/ui/core/application.h>

namespace arkseal {

namespace {

Application* theApplication = nullptr;

}  // namespace

Application::Application(const ResourceTable& resources) : resources_(resources) { theApplication = this; }

Application::~Application() {
    if (theApplication == this) theApplication = nullptr;
}

bool Application::ParseCommandLine(const std::vector<std::string>&, int*) { return true; }

bool Application::InitInstance() { return true; }

Application* CurrentApplication() { return theApplication; }

}  // namespace arkseal
