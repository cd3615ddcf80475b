#include <arkseal/cli/passphrase_input.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/cli/stop_signals.h>
#include <arkseal/job/secret_memory.h>

namespace arkseal {

namespace {

enum class LineEnd { kNewline, kEndOfInput, kError, kInterrupted };

// A stop signal may come just before a read begins, where it cannot break
// the read off; so the wait for input is cut into short polls, and the
// signal is looked at between them.
constexpr int kStopCheckMilliseconds = 100;

bool WaitForInput(int fd) {
    for (;;) {
        if (StopSignal() != 0) return false;
        pollfd input{fd, POLLIN, 0};
        if (poll(&input, 1, kStopCheckMilliseconds) > 0) return true;
    }
}

// What was wrong with a line that was read whole.
struct LineFaults {
    bool gotAny = false;
    bool tooLong = false;
    bool hasNul = false;
};

// Reads up to a newline or the end of the input. faults->tooLong is set when
// the line does not fit, hasNul when it holds a NUL byte. A line that does
// not fit ends the reading at once, unless toLineEnd: a terminal's line is
// read to its end (with echo still off, so that the rest of a long
// passphrase is neither shown nor left for the shell to read).
LineEnd ReadLine(int fd, Passphrase* passphrase, LineFaults* faults, bool toLineEnd) {
    *faults = LineFaults();
    for (;;) {
        if (!WaitForInput(fd)) return LineEnd::kInterrupted;
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return LineEnd::kError;
        if (n == 0) return LineEnd::kEndOfInput;
        faults->gotAny = true;
        if (c == '\n') return LineEnd::kNewline;
        if (c == '\0') faults->hasNul = true;
        if (!passphrase->Append(c)) faults->tooLong = true;
        c = 0;
        if (faults->tooLong && !toLineEnd) return LineEnd::kNewline;
    }
}

PassphraseResult ReadFirstLine(int fd, const std::string& source, Passphrase* passphrase, std::string* error) {
    LineFaults faults;
    const LineEnd end = ReadLine(fd, passphrase, &faults, false);
    if (end == LineEnd::kInterrupted) return PassphraseResult::kInterrupted;
    if (end == LineEnd::kError) {
        *error = "cannot read the passphrase from " + source + ": " + std::strerror(errno);
        return PassphraseResult::kRefused;
    }
    if (!faults.gotAny) {
        *error = "no passphrase in " + source + " (it is empty)";
        return PassphraseResult::kRefused;
    }
    if (faults.tooLong) {
        *error = "the passphrase in " + source + " is longer than " + std::to_string(kMaxPassphrase) + " bytes";
        return PassphraseResult::kRefused;
    }
    if (faults.hasNul) {
        *error = "the passphrase in " + source + " contains a NUL byte, which a passphrase cannot hold";
        return PassphraseResult::kRefused;
    }
    return PassphraseResult::kRead;
}

void WriteText(int fd, const char* text) {
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = write(fd, text, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text += n;
        left -= static_cast<std::size_t>(n);
    }
}

// Echo is off only while a line is typed; the terminal's settings come back
// on every way out, an interruption included.
class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (tcgetattr(fd_, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK);
        quiet.c_lflag |= ECHONL;
        active_ = tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) tcsetattr(fd_, TCSANOW, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

PassphraseResult AskOnce(int tty, const char* prompt, Passphrase* passphrase, std::string* error) {
    LineFaults faults;
    LineEnd end;
    {
        // Echo goes off before the prompt appears, so that nothing typed
        // in answer to it is shown.
        EchoOff echoOff(tty);
        WriteText(tty, prompt);
        end = ReadLine(tty, passphrase, &faults, true);
    }
    if (end != LineEnd::kNewline) WriteText(tty, "\n");
    if (end == LineEnd::kInterrupted) return PassphraseResult::kInterrupted;
    if (end == LineEnd::kError || !faults.gotAny) {
        *error = "no passphrase was typed";
        return PassphraseResult::kRefused;
    }
    if (faults.tooLong) {
        *error = "the passphrase is longer than " + std::to_string(kMaxPassphrase) + " bytes";
        return PassphraseResult::kRefused;
    }
    if (faults.hasNul) {
        *error = "the passphrase contains a NUL byte, which a passphrase cannot hold";
        return PassphraseResult::kRefused;
    }
    return PassphraseResult::kRead;
}

}  // namespace

Passphrase::Passphrase() : text_(static_cast<char*>(AllocateSecret(kMaxPassphrase))) {}

Passphrase::~Passphrase() {
    Clear();
    FreeSecret(text_, kMaxPassphrase);
}

bool Passphrase::Append(char c) {
    if (length_ == kMaxPassphrase) return false;
    text_[length_++] = c;
    return true;
}

void Passphrase::Clear() {
    SecureWipe(text_, kMaxPassphrase);
    length_ = 0;
}

PassphraseResult ReadPassphraseFromFd(int fd, const std::string& source, Passphrase* passphrase, std::string* error) {
    return ReadFirstLine(fd, source, passphrase, error);
}

PassphraseResult ReadPassphraseFromFile(const std::string& path, Passphrase* passphrase, std::string* error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot open the passphrase file " + path + ": " + std::strerror(errno);
        return PassphraseResult::kRefused;
    }
    const PassphraseResult result = ReadFirstLine(fd, path, passphrase, error);
    close(fd);
    return result;
}

PassphraseResult PromptPassphrase(Passphrase* passphrase, std::string* error, bool confirm) {
    const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        *error = "no terminal to ask for the passphrase on; use --passphrase-fd or --passphrase-file";
        return PassphraseResult::kRefused;
    }
    Passphrase confirmation;
    PassphraseResult result = AskOnce(tty, "Passphrase: ", passphrase, error);
    if (confirm && result == PassphraseResult::kRead) {
        result = AskOnce(tty, "Re-enter passphrase: ", &confirmation, error);
    }
    close(tty);
    if (confirm && result == PassphraseResult::kRead && !(*passphrase == confirmation)) {
        *error = "Passphrase and confirmation does not match.";
        result = PassphraseResult::kRefused;
    }
    if (result != PassphraseResult::kRead) passphrase->Clear();
    return result;
}

}  // namespace arkseal
