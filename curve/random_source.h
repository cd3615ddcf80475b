// Raw entropy from the operating system (getrandom(2)), used once when a
// curve key pair is made.
#pragma once

#include <cstddef>
#include <cstdint>

namespace arkseal {

class RandomSource {
public:
    // Fills `length` bytes completely or reports failure.
    using EntropyFunction = bool (*)(void* buffer, std::size_t length);

    RandomSource();
    // A source on another entropy function (tests use one that fails).
    explicit RandomSource(EntropyFunction fill);

    // True when buffer[0..length-1] was filled; on failure the buffer may
    // hold anything and must not be used.
    bool FillBytes(void* buffer, std::size_t length) const;
    bool FillWords(std::uint32_t* buffer, std::size_t count) const;

private:
    EntropyFunction fill_;
};

// The operating system's generator; loops over short reads and interrupts.
bool SystemEntropy(void* buffer, std::size_t length);

}  // namespace arkseal
