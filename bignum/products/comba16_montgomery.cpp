// Montgomery reduction of 32 words by a 16-word modulus in one run of columns.
//
// The same steps as the general reduction (see fast_montgomery.cpp) with
// R = B^8, B = 2^64, fused so that nothing but the result is stored:
//   q = x_lo inv mod B^8            the low half of x_lo * inv
//   u = the high half of q m        known from x_lo = q m mod B^8 without the
//                                   low columns (comba_columns.h)
//   w = x_hi - u, plus m if that borrows
// Every input is read before the first store, so w may overlap x.

#include <arkseal/bignum/kernels/comba_columns.h>
#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {

void Comba16MontgomeryReduce(std::uint32_t* w, const std::uint32_t* x, const std::uint32_t* m,
                             const std::uint32_t* inv) {
    // Each operand is loaded only when it is needed, to keep register
    // pressure (and spills) down.
    const comba::Limbs<8> low = comba::LoadLimbs<8>(x);
    const comba::Limbs<8> q = comba::LowHalf(low, comba::LoadLimbs<8>(inv));
    const comba::Limbs<8> modulus = comba::LoadLimbs<8>(m);
    const comba::Limbs<8> u = comba::HighHalf(q, modulus, low.l[6], low.l[7]);
    // x_hi - u; a borrow adds m back, selected by a mask rather than a branch.
    comba::Limbs<8> d;
    Carry borrow = 0;
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) d.l[i] = SubBorrow(LoadLimb(x + 16 + 2 * i), u.l[i], borrow);
    const Limb mask = 0 - Limb(borrow);
    Carry carry = 0;
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) d.l[i] = AddCarry(d.l[i], modulus.l[i] & mask, carry);
    comba::StoreLimbs(w, d);
}

}  // namespace arkseal
