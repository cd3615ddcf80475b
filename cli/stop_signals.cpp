#include <arkseal/cli/stop_signals.h>

#include <signal.h>

#include <initializer_list>

namespace arkseal {

namespace {

volatile sig_atomic_t stopSignal = 0;

void RecordStop(int signal) {
    if (stopSignal == 0) stopSignal = signal;
}

}  // namespace

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = RecordStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int StopSignal() { return stopSignal; }

}  // namespace arkseal
