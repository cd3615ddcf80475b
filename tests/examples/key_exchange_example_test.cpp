// The key-exchange example through its real binary, where a peer or the
// file system does not play along: it never replaces a file that is not a
// socket, nor the socket of a listener still running, and it gives up on a
// peer that stalls part-way through a frame.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <arkseal/tests/job/temp_files.h>

namespace {

using Clock = std::chrono::steady_clock;
using arkseal::test::ReadFile;
using arkseal::test::TempDir;
using arkseal::test::WriteFile;

struct Outcome {
    int status = -1;  // -1: still running at the deadline, then killed
    std::string output;
    Clock::duration took{};
};

// The example started with its standard output and error on one pipe.
class Example {
public:
    explicit Example(std::vector<std::string> args) : started_(Clock::now()) {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(out[1], 2);
            for (int fd = 3; fd < 256; ++fd) close(fd);
            std::vector<char*> argv{const_cast<char*>(KEY_EXCHANGE_EXAMPLE_PATH)};
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(KEY_EXCHANGE_EXAMPLE_PATH, argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
    }
    ~Example() {
        if (pid_ > 0) Wait(std::chrono::seconds(0));
    }
    Example(const Example&) = delete;
    Example& operator=(const Example&) = delete;

    // Waits for the end at most the given time, then kills the example.
    Outcome Wait(Clock::duration limit = std::chrono::seconds(30)) {
        Outcome outcome;
        const auto deadline = Clock::now() + limit;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                status = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        outcome.took = Clock::now() - started_;
        pid_ = -1;
        if (status != -1 && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
        char buffer[4096];
        ssize_t n;
        while ((n = read(out_, buffer, sizeof buffer)) > 0) outcome.output.append(buffer, static_cast<std::size_t>(n));
        close(out_);
        return outcome;
    }

private:
    Clock::time_point started_;
    pid_t pid_ = -1;
    int out_ = -1;
};

sockaddr_un Address(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    return address;
}

// A socket bound at path, listening when asked to; -1 on failure.
int BoundSocket(const std::string& path, bool listening) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = Address(path);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        (listening && listen(fd, 1) != 0)) {
        if (fd >= 0) close(fd);
        return -1;
    }
    return fd;
}

// The inode at path, 0 when there is nothing there.
ino_t InodeAt(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

bool WaitFor(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class KeyExchangeExampleTest : public ::testing::Test {
protected:
    TempDir dir_;
    const std::string socket_ = dir_.File("kx.sock");
};

TEST_F(KeyExchangeExampleTest, LeavesAFileThatIsNotASocketAlone) {
    const std::vector<std::uint8_t> content = {'k', 'e', 'e', 'p'};
    WriteFile(dir_.File("target"), content);
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
    };
    const Case cases[] = {
        {"regular file", [&](const std::string& path) { WriteFile(path, content); }},
        {"directory", [](const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0700), 0); }},
        {"FIFO", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
        {"symbolic link to a regular file",
         [&](const std::string& path) { ASSERT_EQ(symlink(dir_.File("target").c_str(), path.c_str()), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir_.File(std::string("not-a-socket-") + std::to_string(&c - cases));
        c.make(path);
        const ino_t before = InodeAt(path);
        const Outcome outcome = Example({"listen", path}).Wait();
        EXPECT_EQ(outcome.status, 1) << outcome.output;
        EXPECT_TRUE(Contains(outcome.output, path + " exists and is not a socket")) << outcome.output;
        EXPECT_EQ(InodeAt(path), before);
    }
    EXPECT_EQ(ReadFile(dir_.File("not-a-socket-0")), content);
    EXPECT_EQ(ReadFile(dir_.File("target")), content);
}

TEST_F(KeyExchangeExampleTest, LeavesTheSocketOfARunningListenerAlone) {
    const int listener = BoundSocket(socket_, true);
    ASSERT_GE(listener, 0);
    const ino_t before = InodeAt(socket_);
    const Outcome outcome = Example({"listen", socket_}).Wait();
    EXPECT_EQ(outcome.status, 1) << outcome.output;
    EXPECT_TRUE(Contains(outcome.output, "another peer is listening on " + socket_)) << outcome.output;
    EXPECT_EQ(InodeAt(socket_), before);
    close(listener);
}

// A socket whose listener has gone is taken over, and removed at the end.
TEST_F(KeyExchangeExampleTest, TakesOverASocketLeftBehind) {
    const int stale = BoundSocket(socket_, false);
    ASSERT_GE(stale, 0);
    close(stale);
    // A second name keeps the stale inode alive, so the new socket's differs.
    ASSERT_EQ(link(socket_.c_str(), dir_.File("stale").c_str()), 0);
    const ino_t staleInode = InodeAt(socket_);
    Example listener({"listen", socket_, "shared secret"});
    ASSERT_TRUE(WaitFor([&] { return InodeAt(socket_) != staleInode && InodeAt(socket_) != 0; }));
    const Outcome connected = Example({"connect", socket_, "shared secret"}).Wait();
    const Outcome listened = listener.Wait();
    EXPECT_EQ(connected.status, 0) << connected.output;
    EXPECT_EQ(listened.status, 0) << listened.output;
    EXPECT_TRUE(Contains(listened.output, "peer 2 received: agreed, bye")) << listened.output;
    EXPECT_EQ(InodeAt(socket_), 0u);
}

// Half a frame header and then nothing: either side gives up after its
// timeout instead of waiting for ever.
TEST_F(KeyExchangeExampleTest, GivesUpOnAPeerThatStallsMidFrame) {
    const std::uint8_t halfHeader[2] = {0, 0};
    for (const bool exampleListens : {true, false}) {
        SCOPED_TRACE(exampleListens ? "the example listens" : "the example connects");
        std::filesystem::remove(socket_);
        int listener = -1;
        int peer = -1;
        std::unique_ptr<Example> example;
        if (exampleListens) {
            example = std::make_unique<Example>(std::vector<std::string>{"--timeout", "1", "listen", socket_});
            ASSERT_TRUE(WaitFor([&] { return InodeAt(socket_) != 0; }));
            peer = socket(AF_UNIX, SOCK_STREAM, 0);
            const sockaddr_un address = Address(socket_);
            ASSERT_TRUE(WaitFor(
                [&] { return connect(peer, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0; }));
        } else {
            listener = BoundSocket(socket_, true);
            ASSERT_GE(listener, 0);
            example = std::make_unique<Example>(std::vector<std::string>{"--timeout", "1", "connect", socket_});
            peer = accept(listener, nullptr, nullptr);
            ASSERT_GE(peer, 0);
        }
        ASSERT_EQ(send(peer, halfHeader, sizeof halfHeader, MSG_NOSIGNAL), 2);
        const Outcome outcome = example->Wait(std::chrono::seconds(20));
        EXPECT_EQ(outcome.status, 1) << outcome.output;
        EXPECT_TRUE(Contains(outcome.output, "public value exchange failed: timed out")) << outcome.output;
        EXPECT_LT(outcome.took, std::chrono::seconds(15));
        close(peer);
        if (listener >= 0) close(listener);
    }
}

}  // namespace
