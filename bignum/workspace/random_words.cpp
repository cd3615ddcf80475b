// Lagged subtract-with-borrow generator: x[i] = x[i+13] - x[i] - borrow over a
// ring of 37 words, refilled in one pass whenever the words run out.
#include <arkseal/bignum/workspace/random_words.h>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {
namespace {

constexpr int kStateWords = 37;
constexpr int kLag = 13;
constexpr int kDiscardedWords = 1000;

void Refill(NumberSystem& s) {
    for (int i = 0; i < kStateWords; ++i) {
        const std::uint32_t source = s.randomState[(i + kLag) % kStateWords];
        const std::uint32_t d = source - s.randomState[i] - s.randomBorrow;
        // The borrow out: 1 when d > source, 0 when d < source, unchanged when
        // equal; by comparisons, not branches, since the state feeds secrets.
        s.randomBorrow =
            static_cast<std::uint32_t>(d > source) | (static_cast<std::uint32_t>(d == source) & s.randomBorrow);
        s.randomState[i] = d;
    }
}

}  // namespace

std::uint32_t RandomWord() {
    NumberSystem& s = *CurrentNumberSystem();
    if (++s.randomIndex < kStateWords) return s.randomState[s.randomIndex];
    s.randomIndex = 0;
    Refill(s);
    return s.randomState[0];
}

void SeedRandom(std::uint32_t seed) {
    NumberSystem& s = *CurrentNumberSystem();
    s.randomBorrow = 0;
    s.randomIndex = 0;
    s.randomState[0] ^= seed;
    std::uint32_t m = 1;
    for (int i = 1; i < kStateWords; ++i) {
        s.randomState[(14 * i) % kStateWords] ^= m;
        const std::uint32_t next = seed - m;
        seed = m;
        m = next;
    }
    for (int i = 0; i < kDiscardedWords; ++i) RandomWord();
}

}  // namespace arkseal
