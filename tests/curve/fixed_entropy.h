// Entropy that is the same on every run, so that the private scalar a key
// pair draws from it can be rebuilt beside the object and checked with
// OpenSSL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/curve/strong_random.h>
#include <arkseal/tests/curve/openssl_curve.h>

namespace arkseal::test {

inline bool FixedEntropy(void* buffer, std::size_t length) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < length; ++i) p[i] = static_cast<std::uint8_t>(17 * i + length);
    return true;
}

// The scalar below 2^256 that a key pair seeded from FixedEntropy draws (255
// raw bytes, then one word), in decimal, computed in a workspace of its own.
inline std::string ScalarFromFixedEntropy() {
    if (CreateNumberSystem(640, 0) == nullptr) return {};
    std::uint8_t raw[255];
    std::uint32_t word = 0;
    FixedEntropy(raw, sizeof raw);
    FixedEntropy(&word, sizeof word);
    StrongSeed(255, raw, word);
    BigNumber bound = NewBig(0), scalar = NewBig(0);
    BigIntPower(2, 256, bound);
    StrongBigBelow(bound, scalar);
    const std::string k = Bn::From(scalar).Decimal();
    FreeBig(bound);
    FreeBig(scalar);
    DestroyNumberSystem();
    return k;
}

}  // namespace arkseal::test
