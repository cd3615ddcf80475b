#include <arkseal/ui/qt/termination_signals.h>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace arkseal {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int signalPipe[2] = {-1, -1};

// Async-signal-safe: one write(2), errno preserved.
extern "C" void NoteSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void SetHandlers(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char bytes[16];
        while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        onSignal_();
    });
    SetHandlers(NoteSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    SetHandlers(SIG_DFL);
    notifier_.reset();
    close(signalPipe[0]);
    close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

}  // namespace arkseal
