// Runs the real arkseal-cli binary: with pipes for its output, or on a
// pseudo-terminal that a test types into.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <poll.h>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace arkseal::test {

inline const char* CliPath() { return ARKSEAL_CLI_PATH; }

struct CliResult {
    int status = -1;  // exit status; 128 + N when ended by a signal
    std::string out;
    std::string err;
};

inline int ExitStatus(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return -1;
}

inline std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(CliPath()));
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    return argv;
}

// Root may write to read-only files: a check of that refusal runs the
// program as the user nobody instead.
inline constexpr uid_t kNobody = 65534;

// A started process with its standard output and error on pipes, standard
// input from /dev/null (or stdinFd) and, when given, one more descriptor
// passed on as 3. With leaveRoot, a process started by root runs as nobody.
class CliProcess {
public:
    explicit CliProcess(std::vector<std::string> args, int stdinFd = -1, int extraFd = -1, bool leaveRoot = false) {
        int out[2];
        int err[2];
        if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            setsid();  // no controlling terminal: the prompt has none to use
            if (leaveRoot && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(126);
            const int in = stdinFd >= 0 ? stdinFd : open("/dev/null", O_RDONLY);
            dup2(in, 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            if (extraFd >= 0 && extraFd != 3) {
                dup2(extraFd, 3);
            }
            for (int fd = (extraFd >= 0 ? 4 : 3); fd < 256; ++fd) close(fd);
            std::vector<char*> argv = Argv(args);
            execv(CliPath(), argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~CliProcess() {
        if (pid_ > 0) Wait();
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t Pid() const { return pid_; }

    CliResult Wait() {
        CliResult result;
        Drain(&result);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        result.status = ExitStatus(status);
        return result;
    }

private:
    void Drain(CliResult* result) {
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        std::string* into[2] = {&result->out, &result->err};
        int open = 2;
        while (open > 0) {
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) continue;
                char buffer[4096];
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    into[i]->append(buffer, static_cast<std::size_t>(n));
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

inline CliResult RunCli(std::vector<std::string> args) { return CliProcess(std::move(args)).Wait(); }

// The program on a pseudo-terminal: its controlling terminal and its
// standard input, output and error.
class CliTerminal {
public:
    explicit CliTerminal(std::vector<std::string> args) {
        winsize size{};
        size.ws_col = 100;
        size.ws_row = 24;
        pid_ = forkpty(&master_, nullptr, nullptr, &size);
        if (pid_ < 0) throw std::runtime_error("forkpty");
        if (pid_ == 0) {
            std::vector<char*> argv = Argv(args);
            execv(CliPath(), argv.data());
            _exit(127);
        }
    }
    ~CliTerminal() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
        if (master_ >= 0) close(master_);
    }
    CliTerminal(const CliTerminal&) = delete;
    CliTerminal& operator=(const CliTerminal&) = delete;

    // Reads until the screen output ends with text; false after the
    // timeout or at the end of the output.
    bool ReadUntil(const std::string& text, std::chrono::seconds timeout = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (screen_.size() < text.size() || screen_.compare(screen_.size() - text.size(), text.size(), text) != 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return false;
        }
        return true;
    }
    // Whether the terminal echoes what is typed, as the program left it.
    bool Echoes() const {
        termios settings{};
        tcgetattr(master_, &settings);
        return (settings.c_lflag & ECHO) != 0;
    }
    void Type(const std::string& text) {
        if (write(master_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            throw std::runtime_error("write to terminal");
        }
    }
    // Reads everything up to the end and returns the exit status; -1 (the
    // program killed) when it has not ended within the timeout.
    int Wait(std::chrono::seconds timeout = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        for (;;) {
            while (ReadSome(10)) {
            }
            if (waitpid(pid_, &status, WNOHANG) == pid_) break;
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                pid_ = -1;
                return -1;
            }
        }
        while (ReadSome(10)) {
        }
        pid_ = -1;
        return ExitStatus(status);
    }
    const std::string& Screen() const { return screen_; }

private:
    bool ReadSome(int timeoutMs) {
        pollfd fd{master_, POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) <= 0) return false;
        char buffer[4096];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) return false;  // EIO once the program has ended
        screen_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int master_ = -1;
    std::string screen_;
};

}  // namespace arkseal::test
