// SIGINT, SIGTERM and SIGHUP as requests to stop: once installed, such a
// signal only records its number. A running job then finishes its file and
// no further file is started. The handlers do not restart interrupted
// calls, so a blocked read (the passphrase prompt) returns and can stop.
#pragma once

namespace arkseal {

void InstallStopSignals();

// The number of the first stop signal that arrived, 0 while none has.
int StopSignal();

}  // namespace arkseal
