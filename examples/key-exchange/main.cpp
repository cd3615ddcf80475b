// Key agreement between two processes over a Unix-domain socket.
//
//   key_exchange_example listen  SOCKET [PASSPHRASE]   peer 2: waits for one connection
//   key_exchange_example connect SOCKET [PASSPHRASE]   peer 1: connects
//   key_exchange_example demo [PASSPHRASE]             both: this process listens, a child connects
//
// With a passphrase the peers use the passphrase-bound key method; both must
// give the same one. See docs/key-exchange.md.
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bignum/number_system.h"
#include "session.h"

namespace {

sockaddr_un Address(const std::string& path) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    return a;
}

int Listen(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = Address(path);
    unlink(path.c_str());
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || listen(fd, 1) != 0) {
        std::perror("listen");
        return -1;
    }
    return fd;
}

int Connect(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = Address(path);
    if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        std::perror("connect");
        return -1;
    }
    return fd;
}

// One peer in this process, with its own arithmetic workspace.
bool RunPeer(int fd, int role, const std::string& passphrase) {
    arkseal::NumberSystem* workspace = arkseal::CreateNumberSystem(640, 0);
    if (workspace == nullptr) return false;
    workspace->radixPoint = 1;
    example::SessionOptions options;
    options.role = role;
    options.passphrase = passphrase;
    options.messages = role == 1 ? std::vector<std::string>{"hello from peer 1", "what is the plan?", "agreed, bye"}
                                 : std::vector<std::string>{"hello from peer 2", "meet at noon", "bye"};
    const bool ok = example::RunSession(fd, options) && workspace->errorCode == 0;
    arkseal::DestroyNumberSystem();
    close(fd);
    return ok;
}

bool Serve(int listener, const std::string& passphrase) {
    const int fd = accept(listener, nullptr, nullptr);
    close(listener);
    return fd >= 0 && RunPeer(fd, 2, passphrase);
}

int Demo(const std::string& self, const std::string& passphrase) {
    const std::string path = "/tmp/arkseal-key-exchange-" + std::to_string(getpid());
    const int listener = Listen(path);
    if (listener < 0) return 1;
    const pid_t child = fork();
    if (child == 0) {
        close(listener);
        std::vector<const char*> args{self.c_str(), "connect", path.c_str()};
        if (!passphrase.empty()) args.push_back(passphrase.c_str());
        args.push_back(nullptr);
        execv(self.c_str(), const_cast<char* const*>(args.data()));
        std::_Exit(127);
    }
    const bool served = child > 0 && Serve(listener, passphrase);
    int status = 1;
    if (child > 0) waitpid(child, &status, 0);
    unlink(path.c_str());
    const bool ok = served && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::printf("%s\n", ok ? "both peers agreed and exchanged every message" : "the exchange failed");
    return ok ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr, "usage: key_exchange_example listen|connect SOCKET [PASSPHRASE] | demo [PASSPHRASE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    if (mode == "demo") return Demo(argv[0], argc > 2 ? argv[2] : "");
    if (argc < 3 || (mode != "listen" && mode != "connect")) return Usage();
    const std::string passphrase = argc > 3 ? argv[3] : "";
    if (mode == "listen") {
        const int listener = Listen(argv[2]);
        const bool ok = listener >= 0 && Serve(listener, passphrase);
        unlink(argv[2]);
        return ok ? 0 : 1;
    }
    const int fd = Connect(argv[2]);
    return fd >= 0 && RunPeer(fd, 1, passphrase) ? 0 : 1;
}
