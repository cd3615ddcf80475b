// The workspace's lagged subtract-with-borrow generator of 37 words.
#pragma once

#include <cstdint>

namespace arkseal {

// The next 32-bit word of the calling thread's generator.
std::uint32_t RandomWord();

// Mixes seed into the state already there, resets index and borrow and
// discards 1000 words.
void SeedRandom(std::uint32_t seed);

}  // namespace arkseal
