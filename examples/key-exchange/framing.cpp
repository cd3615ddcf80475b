#include "framing.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace example {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until fd is ready for events or the deadline has passed.
bool WaitUntil(int fd, short events, Clock::time_point deadline, std::string* why) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            *why = "timed out: the peer stalled before the whole frame went through";
            return false;
        }
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) {
            *why = std::strerror(errno);
            return false;
        }
    }
}

bool WriteAll(int fd, const std::uint8_t* p, std::size_t n, Clock::time_point deadline, std::string* why) {
    while (n > 0) {
        if (!WaitUntil(fd, POLLOUT, deadline, why)) return false;
        const ssize_t k = send(fd, p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (k < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (k <= 0) {
            *why = std::strerror(errno);
            return false;
        }
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

bool ReadAll(int fd, std::uint8_t* p, std::size_t n, Clock::time_point deadline, std::string* why) {
    while (n > 0) {
        if (!WaitUntil(fd, POLLIN, deadline, why)) return false;
        const ssize_t k = recv(fd, p, n, MSG_DONTWAIT);
        if (k < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (k <= 0) {
            *why = k == 0 ? "the peer closed the connection" : std::strerror(errno);
            return false;
        }
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

}  // namespace

bool SendFrame(int fd, const std::vector<std::uint8_t>& payload, int timeoutMs, std::string* why) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto n = static_cast<std::uint32_t>(payload.size());
    const std::uint8_t header[4] = {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                                    static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    return WriteAll(fd, header, 4, deadline, why) && WriteAll(fd, payload.data(), payload.size(), deadline, why);
}

bool ReceiveFrame(int fd, std::vector<std::uint8_t>& payload, int timeoutMs, std::string* why) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::uint8_t header[4];
    if (!ReadAll(fd, header, 4, deadline, why)) return false;
    const std::uint32_t n = static_cast<std::uint32_t>(header[0]) << 24 | static_cast<std::uint32_t>(header[1]) << 16 |
                            static_cast<std::uint32_t>(header[2]) << 8 | header[3];
    if (n > kMaxFrame) {
        *why = "the peer announced a frame longer than " + std::to_string(kMaxFrame) + " bytes";
        return false;
    }
    payload.resize(n);
    return ReadAll(fd, payload.data(), n, deadline, why);
}

}  // namespace example
