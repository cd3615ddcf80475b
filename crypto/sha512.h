// SHA-512 and SHA-384 (FIPS 180-2), fed one byte at a time.
//
// The block under construction is assembled directly in schedule words
// W0..W15: each byte shifts its word left by 8, so eight bytes form one
// big-endian word. Finishing pads, writes the digest and re-initialises the
// state, so no message material stays behind and the next message needs no
// explicit init.
#pragma once

#include <cstdint>

namespace arkseal {

struct Sha512State {
    std::uint64_t bitCountLow;   // message bits fed so far, low 64 bits
    std::uint64_t bitCountHigh;  // high 64 bits of the 128-bit count
    std::uint64_t hash[8];       // chaining words H0..H7
    std::uint64_t schedule[80];  // W0..W79; W0..W15 receive the current block
};

void Sha512Init(Sha512State& state);
void Sha384Init(Sha512State& state);

// Feeds one message byte; only the low 8 bits of `byte` count, so a signed
// character may be passed unchanged.
void Sha512Process(Sha512State& state, int byte);

// Compresses the block held in W0..W15 into the hash value.
void Sha512Transform(Sha512State& state);

void Sha512Finish(Sha512State& state, std::uint8_t output[64]);
void Sha384Finish(Sha512State& state, std::uint8_t output[48]);

}  // namespace arkseal
