// SHA-1 (FIPS 180-1), fed one byte at a time. The strong random generator
// distils its pool through it; it is not used for anything that needs
// collision resistance.
#pragma once

#include <cstddef>
#include <cstdint>

namespace arkseal {

struct Sha1State {
    std::uint64_t bitCount;
    std::uint32_t hash[5];
    std::uint32_t block[16];  // the block under construction, big-endian words
};

void Sha1Init(Sha1State& state);
void Sha1Process(Sha1State& state, int byte);  // low 8 bits of byte
// Pads, writes the 20-byte digest and re-initialises the state.
void Sha1Finish(Sha1State& state, std::uint8_t output[20]);

// SHA-1 of data[0..length-1] in one call.
void Sha1Digest(const void* data, std::size_t length, std::uint8_t output[20]);

}  // namespace arkseal
