#include <arkseal/curve/random_source.h>

#include <sys/random.h>

#include <cerrno>

namespace arkseal {

bool SystemEntropy(void* buffer, std::size_t length) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (length > 0) {
        const ssize_t got = getrandom(p, length, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += got;
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

RandomSource::RandomSource() : fill_(SystemEntropy) {}

RandomSource::RandomSource(EntropyFunction fill) : fill_(fill) {}

bool RandomSource::FillBytes(void* buffer, std::size_t length) const { return fill_(buffer, length); }

bool RandomSource::FillWords(std::uint32_t* buffer, std::size_t count) const {
    return fill_(buffer, count * sizeof(std::uint32_t));
}

}  // namespace arkseal
