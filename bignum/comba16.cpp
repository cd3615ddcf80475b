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
// - The low product stops after column 7; of that column only the low limb
//   is needed, so it uses wrapping 64-bit products.
// - The high product is handed the low 8 limbs L of P = x y and returns the
//   high 8 limbs without forming columns 0 to 5. Write P = S + T where S holds
//   the columns 6 to 14 and T the columns 0 to 5. T < sum_{k<6} (k+1) B^(k+2)
//   < B^8, so T is the unique number below B^8 with T = L - S (mod B^8), and
//   the high half of P is floor(S / B^8) plus the carry of (S mod B^8) + T,
//   which is 1 exactly when L < S mod B^8. S mod B^8 has only the limbs 6 and
//   7, so the carry is the borrow of a two-limb subtraction.
//
// Every loop is unrolled. Outputs must not overlap the inputs, except that
// the high product reads and keeps the low half of its own output.

#include "bignum/fast_multiply.h"
#include "bignum/limb.h"

namespace arkseal {

void Comba16Multiply(const std::uint32_t* x, const std::uint32_t* y, std::uint32_t* z) {
    const Limb x0 = LoadLimb(x + 0), x1 = LoadLimb(x + 2), x2 = LoadLimb(x + 4), x3 = LoadLimb(x + 6),
               x4 = LoadLimb(x + 8), x5 = LoadLimb(x + 10), x6 = LoadLimb(x + 12), x7 = LoadLimb(x + 14);
    const Limb y0 = LoadLimb(y + 0), y1 = LoadLimb(y + 2), y2 = LoadLimb(y + 4), y3 = LoadLimb(y + 6),
               y4 = LoadLimb(y + 8), y5 = LoadLimb(y + 10), y6 = LoadLimb(y + 12), y7 = LoadLimb(y + 14);
    ColumnSum s;
    s.MulAdd(x0, y0);
    StoreLimb(z + 0, s.Shift());
    s.MulAdd(x0, y1);
    s.MulAdd(x1, y0);
    StoreLimb(z + 2, s.Shift());
    s.MulAdd(x0, y2);
    s.MulAdd(x1, y1);
    s.MulAdd(x2, y0);
    StoreLimb(z + 4, s.Shift());
    s.MulAdd(x0, y3);
    s.MulAdd(x1, y2);
    s.MulAdd(x2, y1);
    s.MulAdd(x3, y0);
    StoreLimb(z + 6, s.Shift());
    s.MulAdd(x0, y4);
    s.MulAdd(x1, y3);
    s.MulAdd(x2, y2);
    s.MulAdd(x3, y1);
    s.MulAdd(x4, y0);
    StoreLimb(z + 8, s.Shift());
    s.MulAdd(x0, y5);
    s.MulAdd(x1, y4);
    s.MulAdd(x2, y3);
    s.MulAdd(x3, y2);
    s.MulAdd(x4, y1);
    s.MulAdd(x5, y0);
    StoreLimb(z + 10, s.Shift());
    s.MulAdd(x0, y6);
    s.MulAdd(x1, y5);
    s.MulAdd(x2, y4);
    s.MulAdd(x3, y3);
    s.MulAdd(x4, y2);
    s.MulAdd(x5, y1);
    s.MulAdd(x6, y0);
    StoreLimb(z + 12, s.Shift());
    s.MulAdd(x0, y7);
    s.MulAdd(x1, y6);
    s.MulAdd(x2, y5);
    s.MulAdd(x3, y4);
    s.MulAdd(x4, y3);
    s.MulAdd(x5, y2);
    s.MulAdd(x6, y1);
    s.MulAdd(x7, y0);
    StoreLimb(z + 14, s.Shift());
    s.MulAdd(x1, y7);
    s.MulAdd(x2, y6);
    s.MulAdd(x3, y5);
    s.MulAdd(x4, y4);
    s.MulAdd(x5, y3);
    s.MulAdd(x6, y2);
    s.MulAdd(x7, y1);
    StoreLimb(z + 16, s.Shift());
    s.MulAdd(x2, y7);
    s.MulAdd(x3, y6);
    s.MulAdd(x4, y5);
    s.MulAdd(x5, y4);
    s.MulAdd(x6, y3);
    s.MulAdd(x7, y2);
    StoreLimb(z + 18, s.Shift());
    s.MulAdd(x3, y7);
    s.MulAdd(x4, y6);
    s.MulAdd(x5, y5);
    s.MulAdd(x6, y4);
    s.MulAdd(x7, y3);
    StoreLimb(z + 20, s.Shift());
    s.MulAdd(x4, y7);
    s.MulAdd(x5, y6);
    s.MulAdd(x6, y5);
    s.MulAdd(x7, y4);
    StoreLimb(z + 22, s.Shift());
    s.MulAdd(x5, y7);
    s.MulAdd(x6, y6);
    s.MulAdd(x7, y5);
    StoreLimb(z + 24, s.Shift());
    s.MulAdd(x6, y7);
    s.MulAdd(x7, y6);
    StoreLimb(z + 26, s.Shift());
    s.MulAdd(x7, y7);
    StoreLimb(z + 28, s.Shift());
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
    const Limb x0 = LoadLimb(x + 0), x1 = LoadLimb(x + 2), x2 = LoadLimb(x + 4), x3 = LoadLimb(x + 6),
               x4 = LoadLimb(x + 8), x5 = LoadLimb(x + 10), x6 = LoadLimb(x + 12), x7 = LoadLimb(x + 14);
    const Limb y0 = LoadLimb(y + 0), y1 = LoadLimb(y + 2), y2 = LoadLimb(y + 4), y3 = LoadLimb(y + 6),
               y4 = LoadLimb(y + 8), y5 = LoadLimb(y + 10), y6 = LoadLimb(y + 12), y7 = LoadLimb(y + 14);
    ColumnSum s;
    s.MulAdd(x0, y0);
    StoreLimb(z + 0, s.Shift());
    s.MulAdd(x0, y1);
    s.MulAdd(x1, y0);
    StoreLimb(z + 2, s.Shift());
    s.MulAdd(x0, y2);
    s.MulAdd(x1, y1);
    s.MulAdd(x2, y0);
    StoreLimb(z + 4, s.Shift());
    s.MulAdd(x0, y3);
    s.MulAdd(x1, y2);
    s.MulAdd(x2, y1);
    s.MulAdd(x3, y0);
    StoreLimb(z + 6, s.Shift());
    s.MulAdd(x0, y4);
    s.MulAdd(x1, y3);
    s.MulAdd(x2, y2);
    s.MulAdd(x3, y1);
    s.MulAdd(x4, y0);
    StoreLimb(z + 8, s.Shift());
    s.MulAdd(x0, y5);
    s.MulAdd(x1, y4);
    s.MulAdd(x2, y3);
    s.MulAdd(x3, y2);
    s.MulAdd(x4, y1);
    s.MulAdd(x5, y0);
    StoreLimb(z + 10, s.Shift());
    s.MulAdd(x0, y6);
    s.MulAdd(x1, y5);
    s.MulAdd(x2, y4);
    s.MulAdd(x3, y3);
    s.MulAdd(x4, y2);
    s.MulAdd(x5, y1);
    s.MulAdd(x6, y0);
    StoreLimb(z + 12, s.Shift());
    StoreLimb(z + 14, s.c0 + x0 * y7 + x1 * y6 + x2 * y5 + x3 * y4 + x4 * y3 + x5 * y2 + x6 * y1 + x7 * y0);
}

void Comba16MultiplyHigh(const std::uint32_t* x, const std::uint32_t* y, std::uint32_t* z) {
    const Limb x0 = LoadLimb(x + 0), x1 = LoadLimb(x + 2), x2 = LoadLimb(x + 4), x3 = LoadLimb(x + 6),
               x4 = LoadLimb(x + 8), x5 = LoadLimb(x + 10), x6 = LoadLimb(x + 12), x7 = LoadLimb(x + 14);
    const Limb y0 = LoadLimb(y + 0), y1 = LoadLimb(y + 2), y2 = LoadLimb(y + 4), y3 = LoadLimb(y + 6),
               y4 = LoadLimb(y + 8), y5 = LoadLimb(y + 10), y6 = LoadLimb(y + 12), y7 = LoadLimb(y + 14);
    ColumnSum s;
    s.MulAdd(x0, y6);
    s.MulAdd(x1, y5);
    s.MulAdd(x2, y4);
    s.MulAdd(x3, y3);
    s.MulAdd(x4, y2);
    s.MulAdd(x5, y1);
    s.MulAdd(x6, y0);
    const Limb s6 = s.Shift();
    s.MulAdd(x0, y7);
    s.MulAdd(x1, y6);
    s.MulAdd(x2, y5);
    s.MulAdd(x3, y4);
    s.MulAdd(x4, y3);
    s.MulAdd(x5, y2);
    s.MulAdd(x6, y1);
    s.MulAdd(x7, y0);
    const Limb s7 = s.Shift();
    // Carry of (S mod B^8) + T: the borrow of L - (S mod B^8).
    Carry lowCarry = 0;
    SubBorrow(LoadLimb(z + 12), s6, lowCarry);
    SubBorrow(LoadLimb(z + 14), s7, lowCarry);
    s.Add(lowCarry);
    s.MulAdd(x1, y7);
    s.MulAdd(x2, y6);
    s.MulAdd(x3, y5);
    s.MulAdd(x4, y4);
    s.MulAdd(x5, y3);
    s.MulAdd(x6, y2);
    s.MulAdd(x7, y1);
    StoreLimb(z + 16, s.Shift());
    s.MulAdd(x2, y7);
    s.MulAdd(x3, y6);
    s.MulAdd(x4, y5);
    s.MulAdd(x5, y4);
    s.MulAdd(x6, y3);
    s.MulAdd(x7, y2);
    StoreLimb(z + 18, s.Shift());
    s.MulAdd(x3, y7);
    s.MulAdd(x4, y6);
    s.MulAdd(x5, y5);
    s.MulAdd(x6, y4);
    s.MulAdd(x7, y3);
    StoreLimb(z + 20, s.Shift());
    s.MulAdd(x4, y7);
    s.MulAdd(x5, y6);
    s.MulAdd(x6, y5);
    s.MulAdd(x7, y4);
    StoreLimb(z + 22, s.Shift());
    s.MulAdd(x5, y7);
    s.MulAdd(x6, y6);
    s.MulAdd(x7, y5);
    StoreLimb(z + 24, s.Shift());
    s.MulAdd(x6, y7);
    s.MulAdd(x7, y6);
    StoreLimb(z + 26, s.Shift());
    s.MulAdd(x7, y7);
    StoreLimb(z + 28, s.Shift());
    StoreLimb(z + 30, s.c0);
}

}  // namespace arkseal
