// Exponent recoding steps for the window powers and the curve's scalar
// multiplication. Each looks at the bits of its exponent from bit i down,
// returns the window value and sets *nbs to the bits the window consumes and
// *nzs to the zero bits known to follow it. They never test the error state.
#pragma once

#include <cstdint>

namespace arkseal {

// Sliding window of at most 5 bits (at most i + 1 when i < 4) whose top bit
// is bit i of x; the value is odd, or 0 with *nbs = 1 when bit i is 0.
int ExponentWindow(const std::uint32_t* x, int i, int* nbs, int* nzs);
// Joint window over bit i (and i - 1) of x and y: 0 when both bits i are 0,
// else c = 2 bx + by, or 4 c + the pair at i - 1 when that pair is not 0.
int ExponentWindow2(const std::uint32_t* x, const std::uint32_t* y, int i, int* nbs, int* nzs);
// Signed window over the non-adjacent digits bit(x3) - bit(x) with x3 = 3 x:
// an odd value between -21 and 21, or 0.
int SignedWindow(const std::uint32_t* x, const std::uint32_t* x3, int i, int* nbs, int* nzs);

}  // namespace arkseal
