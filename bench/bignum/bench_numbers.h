// Operands for the number benchmarks: random word arrays, odd moduli, and
// the same words as our numbers and as GMP's.
#pragma once

#include <gmp.h>

#include <cstdint>
#include <vector>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal::bench {

using Words = std::vector<std::uint32_t>;

// n words from rng, least significant first.
template <class Rng>
Words RandomWords(int n, Rng& rng) {
    Words w(static_cast<std::size_t>(n));
    for (auto& d : w) d = static_cast<std::uint32_t>(rng());
    return w;
}

// n random words with the top bit set: exactly n words long.
template <class Rng>
Words RandomWordsOfLength(int n, Rng& rng) {
    Words w = RandomWords(n, rng);
    w.back() |= 0x80000000u;
    return w;
}

// An odd modulus of exactly n words.
template <class Rng>
Words RandomModulus(int n, Rng& rng) {
    Words m = RandomWordsOfLength(n, rng);
    m[0] |= 1;
    return m;
}

// x = the value of w (leading zero words dropped).
inline void LoadWords(const Words& w, BigNumber x) {
    BigZero(x);
    std::size_t n = w.size();
    while (n > 0 && w[n - 1] == 0) --n;
    for (std::size_t i = 0; i < n; ++i) x[i + 1] = w[i];
    x[0] = static_cast<std::uint32_t>(n);
}

// A new number of the value of w.
inline BigNumber NewFromWords(const Words& w) {
    BigNumber x = NewBig(0);
    LoadWords(w, x);
    return x;
}

inline void ToMpz(mpz_t r, const Words& w) { mpz_import(r, w.size(), -1, sizeof(std::uint32_t), 0, 0, w.data()); }

}  // namespace arkseal::bench
