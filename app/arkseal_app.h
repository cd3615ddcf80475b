// The application object: its start-up hook runs the main dialog.
#pragma once

#include <string>
#include <vector>

#include <arkseal/ui/core/application.h>

namespace arkseal {

class CArksealApp : public Application {
public:
    CArksealApp();

    // arkseal [FILE]: the file name the window opens with; --help and
    // --version answer on standard output without a display; anything else
    // is a usage error (exit status 64).
    bool ParseCommandLine(const std::vector<std::string>& arguments, int* exitCode) override;

    // Runs the main dialog modally; false: the program ends when it closes.
    bool InitInstance() override;

private:
    std::string fileName_;  // from the command line
};

}  // namespace arkseal
