// Exponent recoding steps.
//
// ExponentWindow: an odd window of up to 5 bits lets a power use 12 odd
// powers x^1 .. x^31; a window is cut short as soon as it ends in two zero
// bits, so the values 9 (1001), 17 (10001), 19 (10011) and 25 (11001) never
// occur. ExponentWindow2 reads two exponents together, two bit pairs at a
// time when the lower pair is not 0. SignedWindow reads the non-adjacent
// form of x, whose digit at position j >= 1 is bit j of 3x minus bit j of x
// (x = sum of d_j 2^(j-1)); after a non-zero digit the next one is zero.
#include <arkseal/bignum/arithmetic/exponent_recoding.h>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>

namespace arkseal {

int ExponentWindow(const std::uint32_t* x, int i, int* nbs, int* nzs) {
    *nbs = 1;
    *nzs = 0;
    if (!BigTestBit(x, i)) return 0;
    int r = 1;
    for (int j = i - 1; j >= 0 && *nbs < 5; --j) {
        r = 2 * r + BigTestBit(x, j);
        ++*nbs;
        if (r % 4 == 0) {
            *nbs -= 2;
            *nzs = 2;
            return r / 4;
        }
    }
    if (r % 2 == 0) {
        --*nbs;
        *nzs = 1;
        r /= 2;
    }
    return r;
}

int ExponentWindow2(const std::uint32_t* x, const std::uint32_t* y, int i, int* nbs, int* nzs) {
    *nbs = 1;
    *nzs = 0;
    const int c = 2 * BigTestBit(x, i) + BigTestBit(y, i);
    if (c == 0) return 0;
    if (i == 0) return c;
    const int lower = 2 * BigTestBit(x, i - 1) + BigTestBit(y, i - 1);
    if (lower != 0) {
        *nbs = 2;
        return 4 * c + lower;
    }
    // The next pair is zero: one more squaring consumes it.
    *nzs = 1;
    return c;
}

int SignedWindow(const std::uint32_t* x, const std::uint32_t* x3, int i, int* nbs, int* nzs) {
    auto digit = [&](int j) { return BigTestBit(x3, j) - BigTestBit(x, j); };
    *nbs = 1;
    *nzs = 0;
    int r = digit(i);
    if (r == 0) return 0;
    const int last = i > 5 ? i - 4 : 1;
    for (int j = i - 1; j >= last; --j) {
        r = 2 * r + digit(j);
        ++*nbs;
    }
    if (i > 5 && r % 2 != 0) *nzs = 1;
    while (r % 2 == 0) {
        r /= 2;
        ++*nzs;
        --*nbs;
    }
    return r;
}

}  // namespace arkseal
