// The program's entry into the dialog layer.
#pragma once

namespace arkseal {

// The program's whole life after static initialisation; main calls it.
// The command line is not interpreted (Qt does not see it either).
int RunApplication(int argc, char** argv);

}  // namespace arkseal
