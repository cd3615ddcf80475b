// The program's entry into the dialog layer.
#pragma once

namespace arkseal {

// The program's whole life after static initialisation; main calls it.
// The command line goes to the application object (Qt does not see it).
int RunApplication(int argc, char** argv);

}  // namespace arkseal
