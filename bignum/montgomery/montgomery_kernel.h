// Montgomery product on digit arrays in base 2^32, one word-by-word pass
// (interleaved product and reduction) on 64-bit limbs.
//
// For an odd m of L words, R = 2^(32 L), and x, y below R:
//   T = x y,  M = -T m^-1 mod R  (unique in 0..R-1),  z = (T + M m) / R
// and m is subtracted once when z >= m. Computing M one limb (or word) at a
// time yields the same unique M, so the result is digit for digit the one of
// the product followed by the word-by-word reduction. z < R + m < 2R: it has
// L words and a top bit, which is returned.
//
// Even L runs on L / 2 limbs of two words; odd L on single words. Internal to
// bignum/. z may be x or y; x, y, m and z are L words each.
#pragma once

#include <cstdint>

namespace arkseal {

// The longest modulus the kernel takes, in words.
constexpr int kMontgomeryKernelMaxWords = 1024;

// factor = -m^-1 mod 2^32; 1 <= words <= kMontgomeryKernelMaxWords.
std::uint32_t MontgomeryProductWords(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y,
                                     const std::uint32_t* m, std::uint32_t factor, int words);

}  // namespace arkseal
