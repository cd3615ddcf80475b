// The strong random generator of the calling thread's workspace: the
// workspace's subtract-with-borrow generator distilled through SHA-1 into a
// 20-byte pool, seeded from raw entropy. Private curve scalars come from it.
#pragma once

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

// Mixes length raw bytes (through SHA-1; an empty input is hashed too) and
// one word into the generator state already there, then refills the pool.
void StrongSeed(int length, const std::uint8_t* raw, std::uint32_t word);

// buffer[0..n-1] = the next n pool bytes.
void StrongBytes(int n, std::uint8_t* buffer);

// x = a number in [0, w) for w > 0: pool bytes are appended big-endian until
// the value reaches w (at least one byte), then it is reduced mod w. Nothing
// happens while an error is pending.
void StrongBigBelow(BigNumber w, BigNumber x);

// out[0..n-1] = the number StrongBigBelow gives for w = 256^n, as n
// big-endian bytes (the same pool bytes are taken), without ever holding
// the kept bytes in a number: only whether a byte that drops out is zero
// decides how many are drawn.
void StrongBytesBelowPowerOf256(int n, std::uint8_t* out);

}  // namespace arkseal
