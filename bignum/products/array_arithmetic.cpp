// Addition and subtraction of digit arrays whose length is a multiple of 16.
//
// Each step handles 16 words as 8 limbs in one unbroken add-with-carry (or
// subtract-with-borrow) chain; only the carry passes from step to step. The
// result of z = x +- y may be written over x or over y (each limb is read
// before it is written); other overlaps are not allowed.

#include <cassert>

#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {
namespace {

void AddStep(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, Carry& c) {
    StoreLimb(z + 0, AddCarry(LoadLimb(x + 0), LoadLimb(y + 0), c));
    StoreLimb(z + 2, AddCarry(LoadLimb(x + 2), LoadLimb(y + 2), c));
    StoreLimb(z + 4, AddCarry(LoadLimb(x + 4), LoadLimb(y + 4), c));
    StoreLimb(z + 6, AddCarry(LoadLimb(x + 6), LoadLimb(y + 6), c));
    StoreLimb(z + 8, AddCarry(LoadLimb(x + 8), LoadLimb(y + 8), c));
    StoreLimb(z + 10, AddCarry(LoadLimb(x + 10), LoadLimb(y + 10), c));
    StoreLimb(z + 12, AddCarry(LoadLimb(x + 12), LoadLimb(y + 12), c));
    StoreLimb(z + 14, AddCarry(LoadLimb(x + 14), LoadLimb(y + 14), c));
}

void SubtractStep(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, Carry& b) {
    StoreLimb(z + 0, SubBorrow(LoadLimb(x + 0), LoadLimb(y + 0), b));
    StoreLimb(z + 2, SubBorrow(LoadLimb(x + 2), LoadLimb(y + 2), b));
    StoreLimb(z + 4, SubBorrow(LoadLimb(x + 4), LoadLimb(y + 4), b));
    StoreLimb(z + 6, SubBorrow(LoadLimb(x + 6), LoadLimb(y + 6), b));
    StoreLimb(z + 8, SubBorrow(LoadLimb(x + 8), LoadLimb(y + 8), b));
    StoreLimb(z + 10, SubBorrow(LoadLimb(x + 10), LoadLimb(y + 10), b));
    StoreLimb(z + 12, SubBorrow(LoadLimb(x + 12), LoadLimb(y + 12), b));
    StoreLimb(z + 14, SubBorrow(LoadLimb(x + 14), LoadLimb(y + 14), b));
}

}  // namespace

std::uint32_t AddMultipleOf16Words(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n) {
    assert(n % 16 == 0);
    Carry c = 0;
    for (int i = 0; i < n; i += 16) AddStep(z + i, x + i, y + i, c);
    return c;
}

std::uint32_t SubtractMultipleOf16Words(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n) {
    assert(n % 16 == 0);
    Carry b = 0;
    for (int i = 0; i < n; i += 16) SubtractStep(z + i, x + i, y + i, b);
    return b;
}

}  // namespace arkseal
