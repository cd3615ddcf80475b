// Key agreement between two processes over a Unix-domain socket.
//
//   key_exchange_example [--timeout S] listen  SOCKET [PASSPHRASE]   peer 2: waits for one connection
//   key_exchange_example [--timeout S] connect SOCKET [PASSPHRASE]   peer 1: connects
//   key_exchange_example [--timeout S] demo [PASSPHRASE]             both: this process listens, a child connects
//
// With a passphrase the peers use the passphrase-bound key method; both must
// give the same one. Each frame must go through whole within the timeout
// (30 seconds unless --timeout says otherwise), or the peer is given up on.
// See docs/key-exchange.md.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <arkseal/bignum/workspace/number_system.h>
#include "session.h"

namespace {

sockaddr_un Address(const std::string& path) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    return a;
}

bool Connects(int fd, const std::string& path) {
    const sockaddr_un a = Address(path);
    return connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

// A socket left behind at path by a listener that has gone may be removed;
// anything else stays: a file that is not a socket, or the socket of a
// listener still running.
bool ClearSocketPath(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) return true;
        std::perror(path.c_str());
        return false;
    }
    if (!S_ISSOCK(status.st_mode)) {
        std::fprintf(stderr, "listen: %s exists and is not a socket; it is left alone\n", path.c_str());
        return false;
    }
    const int probe = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool live = probe >= 0 && Connects(probe, path);
    if (probe >= 0) close(probe);
    if (live) {
        std::fprintf(stderr, "listen: another peer is listening on %s\n", path.c_str());
        return false;
    }
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

// The listening socket and the file it made, which only its maker removes.
struct Listener {
    int fd = -1;
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;

    ~Listener() {
        if (fd >= 0) close(fd);
        struct stat status {};
        if (!path.empty() && lstat(path.c_str(), &status) == 0 && status.st_dev == device && status.st_ino == inode) {
            unlink(path.c_str());
        }
    }
};

// bind never replaces a file: whatever appears at path after the check
// makes it fail.
bool Listen(const std::string& path, Listener& listener) {
    if (!ClearSocketPath(path)) return false;
    listener.fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = Address(path);
    if (listener.fd < 0 || bind(listener.fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        std::perror("listen");
        return false;
    }
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0) {
        listener.path = path;
        listener.device = status.st_dev;
        listener.inode = status.st_ino;
    }
    if (listen(listener.fd, 1) != 0) {
        std::perror("listen");
        return false;
    }
    return true;
}

int Connect(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || !Connects(fd, path)) {
        std::perror("connect");
        if (fd >= 0) close(fd);
        return -1;
    }
    return fd;
}

// One peer in this process, with its own arithmetic workspace.
bool RunPeer(int fd, int role, const std::string& passphrase, int timeoutMs) {
    arkseal::NumberSystem* workspace = arkseal::CreateNumberSystem(640, 0);
    if (workspace == nullptr) return false;
    workspace->radixPoint = 1;
    example::SessionOptions options;
    options.role = role;
    options.passphrase = passphrase;
    options.timeoutMs = timeoutMs;
    options.messages = role == 1 ? std::vector<std::string>{"hello from peer 1", "what is the plan?", "agreed, bye"}
                                 : std::vector<std::string>{"hello from peer 2", "meet at noon", "bye"};
    const bool ok = example::RunSession(fd, options) && workspace->errorCode == 0;
    arkseal::DestroyNumberSystem();
    close(fd);
    return ok;
}

bool Serve(Listener& listener, const std::string& passphrase, int timeoutMs) {
    const int fd = accept(listener.fd, nullptr, nullptr);
    close(listener.fd);
    listener.fd = -1;
    return fd >= 0 && RunPeer(fd, 2, passphrase, timeoutMs);
}

int Demo(const std::string& self, const std::string& passphrase, int seconds) {
    const std::string timeout = std::to_string(seconds);
    const std::string path = "/tmp/arkseal-key-exchange-" + std::to_string(getpid());
    Listener listener;
    if (!Listen(path, listener)) return 1;
    const pid_t child = fork();
    if (child == 0) {
        close(listener.fd);
        std::vector<const char*> args{self.c_str(), "--timeout", timeout.c_str(), "connect", path.c_str()};
        if (!passphrase.empty()) args.push_back(passphrase.c_str());
        args.push_back(nullptr);
        execv(self.c_str(), const_cast<char* const*>(args.data()));
        std::_Exit(127);
    }
    const bool served = child > 0 && Serve(listener, passphrase, seconds * 1000);
    int status = 1;
    if (child > 0) waitpid(child, &status, 0);
    const bool ok = served && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::printf("%s\n", ok ? "both peers agreed and exchanged every message" : "the exchange failed");
    return ok ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: key_exchange_example [--timeout SECONDS] listen|connect SOCKET [PASSPHRASE]\n"
                 "       key_exchange_example [--timeout SECONDS] demo [PASSPHRASE]\n");
    return 2;
}

// A whole number of seconds from 1 to a day.
bool ParseSeconds(const char* text, int* seconds) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > 86400) return false;
    *seconds = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    int seconds = 30;
    if (argc > 2 && std::strcmp(argv[1], "--timeout") == 0) {
        if (!ParseSeconds(argv[2], &seconds)) return Usage();
        first = 3;
    }
    if (argc <= first) return Usage();
    const std::string mode = argv[first];
    const int timeoutMs = seconds * 1000;
    if (mode == "demo") return Demo(argv[0], argc > first + 1 ? argv[first + 1] : "", seconds);
    if (argc < first + 2 || (mode != "listen" && mode != "connect")) return Usage();
    const std::string path = argv[first + 1];
    const std::string passphrase = argc > first + 2 ? argv[first + 2] : "";
    if (mode == "listen") {
        Listener listener;
        return Listen(path, listener) && Serve(listener, passphrase, timeoutMs) ? 0 : 1;
    }
    const int fd = Connect(path);
    return fd >= 0 && RunPeer(fd, 1, passphrase, timeoutMs) ? 0 : 1;
}
