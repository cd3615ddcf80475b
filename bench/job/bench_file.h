// A file of pseudo-random bytes for the job benchmarks, written and synced
// before the timing starts, so the first job does not pay for its creation.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace arkseal::bench {

inline std::string MakeBenchFile(std::int64_t bytes, const std::string& folder) {
    std::string path = folder + "/arkseal-bench-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) std::abort();
    std::vector<unsigned char> buffer(1 << 20);
    std::uint32_t state = 12345;
    for (std::int64_t left = bytes; left > 0;) {
        for (auto& byte : buffer) byte = static_cast<unsigned char>((state = state * 1664525u + 1013904223u) >> 24);
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
        if (write(fd, buffer.data(), n) != static_cast<ssize_t>(n)) std::abort();
        left -= static_cast<std::int64_t>(n);
    }
    fsync(fd);
    close(fd);
    return path;
}

}  // namespace arkseal::bench
