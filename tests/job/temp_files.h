// Files for the job and dialog tests, in a fresh directory under /tmp that
// is removed with everything in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace arkseal::test {

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/arkseal-test-XXXXXX";
        if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The content of a plain text file, different for every seed: lines of
// pseudo-random lowercase words. The front ends look at content before a
// job, and text is what an ordinary file to encrypt looks like.
inline std::vector<std::uint8_t> PatternBytes(std::size_t size, unsigned seed = 1) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned draw = generator() % 32;
        bytes[i] = i % 64 == 63 ? '\n' : draw < 26 ? static_cast<std::uint8_t>('a' + draw) : ' ';
    }
    return bytes;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether some open of the file holds a job's lock on it (asked without
// taking it).
inline bool HeldByAJob(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool held = fd >= 0 && fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    if (fd >= 0) close(fd);
    return held;
}

}  // namespace arkseal::test
