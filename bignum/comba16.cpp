// Column-wise (Comba) products of exactly 16 digit words.
//
// The operands are read as 8 limbs of 64 bits (digit pairs, see limb.h).
// With x = sum x_i B^i and y = sum y_j B^j, B = 2^64, the product is
// sum_k C_k B^k with the column sums C_k = sum_{i+j=k} x_i y_j. The kernels
// produce the columns from the lowest upward in one three-limb accumulator:
// add every product of column k, store the low limb as result limb k and move
// the accumulator down one limb, which carries the rest into column k + 1.
// A column holds at most 8 products below 2^128 each plus a carry below
// 2^131, so three limbs never overflow.
//
// - The square forms the off-diagonal triangle t = sum_{i<j} x_i x_j B^(i+j)
//   column-wise (28 products), then x^2 = 2 t + sum x_i^2 B^(2i) in one pass
//   that shifts t left by one bit and adds the diagonal squares. t < B^16 / 2,
//   so the doubling loses nothing.
// - The low product stops after column 7; the high product is handed the low
//   half of the product and forms only the columns 6 to 14 (comba_columns.h
//   derives both).
//
// Outputs must not overlap the inputs, except that the high product reads
// and keeps the low half of its own output.

#include "bignum/comba_columns.h"
#include "bignum/fast_multiply.h"
#include "bignum/limb.h"

namespace arkseal {

using comba::ForColumns;
using comba::Limbs;
using comba::LoadLimbs;

void Comba16Multiply(const std::uint32_t* x, const std::uint32_t* y, std::uint32_t* z) {
    const Limbs a = LoadLimbs(x), b = LoadLimbs(y);
    ColumnSum s;
    ForColumns<0, 14>(s, a, b, [&](auto k, Limb v) { StoreLimb(z + 2 * k, v); });
    StoreLimb(z + 30, s.c0);
}

void Comba16Square(const std::uint32_t* x, std::uint32_t* z) {
    const Limb x0 = LoadLimb(x + 0), x1 = LoadLimb(x + 2), x2 = LoadLimb(x + 4), x3 = LoadLimb(x + 6),
               x4 = LoadLimb(x + 8), x5 = LoadLimb(x + 10), x6 = LoadLimb(x + 12), x7 = LoadLimb(x + 14);
    ColumnSum s;
    // Off-diagonal triangle t = sum over i < j of x_i x_j B^(i+j), limbs t1 to t15.
    s.MulAdd(x0, x1);
    const Limb t1 = s.Shift();
    s.MulAdd(x0, x2);
    const Limb t2 = s.Shift();
    s.MulAdd(x0, x3);
    s.MulAdd(x1, x2);
    const Limb t3 = s.Shift();
    s.MulAdd(x0, x4);
    s.MulAdd(x1, x3);
    const Limb t4 = s.Shift();
    s.MulAdd(x0, x5);
    s.MulAdd(x1, x4);
    s.MulAdd(x2, x3);
    const Limb t5 = s.Shift();
    s.MulAdd(x0, x6);
    s.MulAdd(x1, x5);
    s.MulAdd(x2, x4);
    const Limb t6 = s.Shift();
    s.MulAdd(x0, x7);
    s.MulAdd(x1, x6);
    s.MulAdd(x2, x5);
    s.MulAdd(x3, x4);
    const Limb t7 = s.Shift();
    s.MulAdd(x1, x7);
    s.MulAdd(x2, x6);
    s.MulAdd(x3, x5);
    const Limb t8 = s.Shift();
    s.MulAdd(x2, x7);
    s.MulAdd(x3, x6);
    s.MulAdd(x4, x5);
    const Limb t9 = s.Shift();
    s.MulAdd(x3, x7);
    s.MulAdd(x4, x6);
    const Limb t10 = s.Shift();
    s.MulAdd(x4, x7);
    s.MulAdd(x5, x6);
    const Limb t11 = s.Shift();
    s.MulAdd(x5, x7);
    const Limb t12 = s.Shift();
    s.MulAdd(x6, x7);
    const Limb t13 = s.Shift();
    const Limb t14 = s.c0, t15 = s.c1;
    // z = 2 t + sum of x_i^2 B^(2i).
    Carry c = 0;
    {
        const WideLimb d = WideLimb(x0) * x0;
        StoreLimb(z + 0, AddCarry(0, Limb(d), c));
        StoreLimb(z + 2, AddCarry(t1 << 1, Limb(d >> 64), c));
    }
    {
        const WideLimb d = WideLimb(x1) * x1;
        StoreLimb(z + 4, AddCarry(t2 << 1 | t1 >> 63, Limb(d), c));
        StoreLimb(z + 6, AddCarry(t3 << 1 | t2 >> 63, Limb(d >> 64), c));
    }
    {
        const WideLimb d = WideLimb(x2) * x2;
        StoreLimb(z + 8, AddCarry(t4 << 1 | t3 >> 63, Limb(d), c));
        StoreLimb(z + 10, AddCarry(t5 << 1 | t4 >> 63, Limb(d >> 64), c));
    }
    {
        const WideLimb d = WideLimb(x3) * x3;
        StoreLimb(z + 12, AddCarry(t6 << 1 | t5 >> 63, Limb(d), c));
        StoreLimb(z + 14, AddCarry(t7 << 1 | t6 >> 63, Limb(d >> 64), c));
    }
    {
        const WideLimb d = WideLimb(x4) * x4;
        StoreLimb(z + 16, AddCarry(t8 << 1 | t7 >> 63, Limb(d), c));
        StoreLimb(z + 18, AddCarry(t9 << 1 | t8 >> 63, Limb(d >> 64), c));
    }
    {
        const WideLimb d = WideLimb(x5) * x5;
        StoreLimb(z + 20, AddCarry(t10 << 1 | t9 >> 63, Limb(d), c));
        StoreLimb(z + 22, AddCarry(t11 << 1 | t10 >> 63, Limb(d >> 64), c));
    }
    {
        const WideLimb d = WideLimb(x6) * x6;
        StoreLimb(z + 24, AddCarry(t12 << 1 | t11 >> 63, Limb(d), c));
        StoreLimb(z + 26, AddCarry(t13 << 1 | t12 >> 63, Limb(d >> 64), c));
    }
    {
        const WideLimb d = WideLimb(x7) * x7;
        StoreLimb(z + 28, AddCarry(t14 << 1 | t13 >> 63, Limb(d), c));
        StoreLimb(z + 30, AddCarry(t15 << 1 | t14 >> 63, Limb(d >> 64), c));
    }
}

void Comba16MultiplyLow(const std::uint32_t* x, const std::uint32_t* y, std::uint32_t* z) {
    comba::StoreLimbs(z, comba::LowHalf(LoadLimbs(x), LoadLimbs(y)));
}

void Comba16MultiplyHigh(const std::uint32_t* x, const std::uint32_t* y, std::uint32_t* z) {
    comba::StoreLimbs(z + 16, comba::HighHalf(LoadLimbs(x), LoadLimbs(y), LoadLimb(z + 12), LoadLimb(z + 14)));
}

}  // namespace arkseal
