// Montgomery reduction of 32 words by a 16-word modulus in one run of columns.
//
// The same steps as the general reduction (see fast_montgomery.cpp) with
// R = B^8, B = 2^64, fused so that nothing but the result is stored:
//   q = x_lo inv mod B^8            the low columns of x_lo * inv
//   u = the high half of q m        the columns 6 to 14 of q m plus the carry of
//                                   the low columns, known from x_lo = q m mod B^8
//                                   (as in the high Comba product, comba16.cpp)
//   w = x_hi - u, plus m if that borrows
// Every input is read before the first store, so w may overlap x.

#include "bignum/fast_multiply.h"
#include "bignum/limb.h"

namespace arkseal {

void Comba16MontgomeryReduce(const std::uint32_t* x, const std::uint32_t* m, const std::uint32_t* inv,
                             std::uint32_t* w) {
    const Limb x0 = LoadLimb(x + 0), x1 = LoadLimb(x + 2), x2 = LoadLimb(x + 4), x3 = LoadLimb(x + 6),
               x4 = LoadLimb(x + 8), x5 = LoadLimb(x + 10), x6 = LoadLimb(x + 12), x7 = LoadLimb(x + 14);
    const Limb v0 = LoadLimb(inv + 0), v1 = LoadLimb(inv + 2), v2 = LoadLimb(inv + 4), v3 = LoadLimb(inv + 6),
               v4 = LoadLimb(inv + 8), v5 = LoadLimb(inv + 10), v6 = LoadLimb(inv + 12), v7 = LoadLimb(inv + 14);
    ColumnSum s;
    // q = x_lo inv mod B^8.
    s.MulAdd(x0, v0);
    const Limb q0 = s.Shift();
    s.MulAdd(x0, v1);
    s.MulAdd(x1, v0);
    const Limb q1 = s.Shift();
    s.MulAdd(x0, v2);
    s.MulAdd(x1, v1);
    s.MulAdd(x2, v0);
    const Limb q2 = s.Shift();
    s.MulAdd(x0, v3);
    s.MulAdd(x1, v2);
    s.MulAdd(x2, v1);
    s.MulAdd(x3, v0);
    const Limb q3 = s.Shift();
    s.MulAdd(x0, v4);
    s.MulAdd(x1, v3);
    s.MulAdd(x2, v2);
    s.MulAdd(x3, v1);
    s.MulAdd(x4, v0);
    const Limb q4 = s.Shift();
    s.MulAdd(x0, v5);
    s.MulAdd(x1, v4);
    s.MulAdd(x2, v3);
    s.MulAdd(x3, v2);
    s.MulAdd(x4, v1);
    s.MulAdd(x5, v0);
    const Limb q5 = s.Shift();
    s.MulAdd(x0, v6);
    s.MulAdd(x1, v5);
    s.MulAdd(x2, v4);
    s.MulAdd(x3, v3);
    s.MulAdd(x4, v2);
    s.MulAdd(x5, v1);
    s.MulAdd(x6, v0);
    const Limb q6 = s.Shift();
    const Limb q7 = s.c0 + x0 * v7 + x1 * v6 + x2 * v5 + x3 * v4 + x4 * v3 + x5 * v2 + x6 * v1 + x7 * v0;
    // u = the high half of q m, from the columns 6 to 14 and the carry of the low ones.
    const Limb m0 = LoadLimb(m + 0), m1 = LoadLimb(m + 2), m2 = LoadLimb(m + 4), m3 = LoadLimb(m + 6),
               m4 = LoadLimb(m + 8), m5 = LoadLimb(m + 10), m6 = LoadLimb(m + 12), m7 = LoadLimb(m + 14);
    s = ColumnSum();
    s.MulAdd(q0, m6);
    s.MulAdd(q1, m5);
    s.MulAdd(q2, m4);
    s.MulAdd(q3, m3);
    s.MulAdd(q4, m2);
    s.MulAdd(q5, m1);
    s.MulAdd(q6, m0);
    const Limb s6 = s.Shift();
    s.MulAdd(q0, m7);
    s.MulAdd(q1, m6);
    s.MulAdd(q2, m5);
    s.MulAdd(q3, m4);
    s.MulAdd(q4, m3);
    s.MulAdd(q5, m2);
    s.MulAdd(q6, m1);
    s.MulAdd(q7, m0);
    const Limb s7 = s.Shift();
    Carry lowCarry = 0;
    SubBorrow(x6, s6, lowCarry);
    SubBorrow(x7, s7, lowCarry);
    s.Add(lowCarry);
    s.MulAdd(q1, m7);
    s.MulAdd(q2, m6);
    s.MulAdd(q3, m5);
    s.MulAdd(q4, m4);
    s.MulAdd(q5, m3);
    s.MulAdd(q6, m2);
    s.MulAdd(q7, m1);
    const Limb u0 = s.Shift();
    s.MulAdd(q2, m7);
    s.MulAdd(q3, m6);
    s.MulAdd(q4, m5);
    s.MulAdd(q5, m4);
    s.MulAdd(q6, m3);
    s.MulAdd(q7, m2);
    const Limb u1 = s.Shift();
    s.MulAdd(q3, m7);
    s.MulAdd(q4, m6);
    s.MulAdd(q5, m5);
    s.MulAdd(q6, m4);
    s.MulAdd(q7, m3);
    const Limb u2 = s.Shift();
    s.MulAdd(q4, m7);
    s.MulAdd(q5, m6);
    s.MulAdd(q6, m5);
    s.MulAdd(q7, m4);
    const Limb u3 = s.Shift();
    s.MulAdd(q5, m7);
    s.MulAdd(q6, m6);
    s.MulAdd(q7, m5);
    const Limb u4 = s.Shift();
    s.MulAdd(q6, m7);
    s.MulAdd(q7, m6);
    const Limb u5 = s.Shift();
    s.MulAdd(q7, m7);
    const Limb u6 = s.Shift();
    const Limb u7 = s.c0;
    // x_hi - u; a borrow adds m back, selected by a mask rather than a branch.
    Carry borrow = 0;
    const Limb d0 = SubBorrow(LoadLimb(x + 16), u0, borrow), d1 = SubBorrow(LoadLimb(x + 18), u1, borrow),
               d2 = SubBorrow(LoadLimb(x + 20), u2, borrow), d3 = SubBorrow(LoadLimb(x + 22), u3, borrow),
               d4 = SubBorrow(LoadLimb(x + 24), u4, borrow), d5 = SubBorrow(LoadLimb(x + 26), u5, borrow),
               d6 = SubBorrow(LoadLimb(x + 28), u6, borrow), d7 = SubBorrow(LoadLimb(x + 30), u7, borrow);
    const Limb mask = 0 - Limb(borrow);
    Carry carry = 0;
    const Limb w0 = AddCarry(d0, m0 & mask, carry), w1 = AddCarry(d1, m1 & mask, carry),
               w2 = AddCarry(d2, m2 & mask, carry), w3 = AddCarry(d3, m3 & mask, carry),
               w4 = AddCarry(d4, m4 & mask, carry), w5 = AddCarry(d5, m5 & mask, carry),
               w6 = AddCarry(d6, m6 & mask, carry), w7 = AddCarry(d7, m7 & mask, carry);
    StoreLimb(w + 0, w0), StoreLimb(w + 2, w1), StoreLimb(w + 4, w2), StoreLimb(w + 6, w3);
    StoreLimb(w + 8, w4), StoreLimb(w + 10, w5), StoreLimb(w + 12, w6), StoreLimb(w + 14, w7);
}

}  // namespace arkseal
