// SIGTERM, SIGINT and SIGHUP as requests to end the program, delivered on
// the user-interface thread (inside the layer only). While an object of
// this class lives, such a signal no longer kills the process: the handler
// only writes a byte into a pipe, and a socket notifier on the user-interface
// thread turns it into a call of the given function.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace arkseal {

class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace arkseal
