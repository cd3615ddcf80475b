// Random BigNumbers drawn from the workspace's generator (not for secrets:
// the generator is a fast lagged subtract-with-borrow sequence).
#pragma once

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

// x = a random number in 0 .. w - 1 (0 for w <= 1). Scratch 0.
void BigRandomBelow(const std::uint32_t* w, BigNumber x);
// x = a random number with exactly n digits in base b (b^(n-1) <= x < b^n);
// error 1 unless 2 <= b <= 256. Scratch 0, 1, 5.
void BigRandomDigits(int n, int b, BigNumber x);

}  // namespace arkseal
