// The program's static objects. They are constructed before main in the
// order they are defined here and destroyed at exit in the reverse order,
// so the workspace goes first and the job block frees its buffers before
// the application object goes.
#include <arkseal/app/arkseal.h>

namespace arkseal {

CArksealApp theApp;

// The job block shared by the main dialog and the worker: paths and
// passphrases of up to 256 bytes.
CryptJob theJob(256, 256);

// The arithmetic workspace of the user-interface thread.
ArithmeticWorkspace theWorkspace;

}  // namespace arkseal
