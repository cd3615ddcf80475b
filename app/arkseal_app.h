// The application object: its start-up hook runs the main dialog.
#pragma once

#include <arkseal/ui/core/application.h>

namespace arkseal {

class CArksealApp : public Application {
public:
    CArksealApp();

    // Runs the main dialog modally; false: the program ends when it closes.
    bool InitInstance() override;
};

}  // namespace arkseal
