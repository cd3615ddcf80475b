#include "framing.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace example {
namespace {

bool WriteAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t k = send(fd, p, n, MSG_NOSIGNAL);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

bool ReadAll(int fd, std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t k = read(fd, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

}  // namespace

bool SendFrame(int fd, const std::vector<std::uint8_t>& payload) {
    const auto n = static_cast<std::uint32_t>(payload.size());
    const std::uint8_t header[4] = {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                                    static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    return WriteAll(fd, header, 4) && WriteAll(fd, payload.data(), payload.size());
}

bool ReceiveFrame(int fd, std::vector<std::uint8_t>& payload) {
    std::uint8_t header[4];
    if (!ReadAll(fd, header, 4)) return false;
    const std::uint32_t n = static_cast<std::uint32_t>(header[0]) << 24 | static_cast<std::uint32_t>(header[1]) << 16 |
                            static_cast<std::uint32_t>(header[2]) << 8 | header[3];
    if (n > kMaxFrame) return false;
    payload.resize(n);
    return ReadAll(fd, payload.data(), n);
}

}  // namespace example
