// Residues of a 256-bit odd modulus p in four 64-bit limbs, in Montgomery
// form with R = 2^256: the field under the 256-bit curve's point formulas.
// For the workspace's current modulus of eight digit words in base 2^32 the
// product, sum and difference here give exactly the residues that
// MontgomeryMultiply, MontgomeryAdd and MontgomerySubtract give (the same R,
// the same unique representative in [0, p)), without the length bookkeeping
// of general numbers.
//
// Product (Montgomery, the reduction interleaved): t = (x y + Q p) / R with
// Q < R the unique multiple that makes the division exact, found one limb
// at a time (the Montgomery rows of row_loops.h). t < R + p for any x, y
// below 2^256: four limbs and a top bit. One subtraction of p chosen by a
// mask leaves t below 2^256, and below p when x or y is: for residues, the
// residue in [0, p). On the mulx route the general MontgomeryMultiply passes
// 8-word operands of any value here and gets the digits its column kernel
// would give.
//
// Two routes compute the product with identical results: a portable one on
// 128-bit products, and one on the mulx/adcx/adox instructions (BMI2 and
// ADX), whose two independent carry chains let the low and high halves of
// the row products go in without waiting for each other. The route is chosen
// once from the processor and can be switched for tests.
//
// Every operation here runs in time independent of the values: carries and
// choices are masks or flags, never branches or indices. Outputs may alias
// inputs.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/kernels/row_loops.h>
#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal::field256 {

using Element = Limb[4];

struct Field {
    Limb p[4];
    Limb factor;     // -p^-1 mod 2^64; must follow p (the product reads it at p + 4)
    Limb one[4];     // R mod p, one in Montgomery form
    Limb cube[4];    // R^3 mod p, which takes a plain inverse into Montgomery form
    Limb inverse62;  // p^-1 mod 2^62, for the inversion's exact divisions
    Limb p52[5];     // p in five limbs of 52 bits, for the IFMA products
};

// The field of the workspace's current modulus, or nullptr unless it has
// exactly eight digit words in base 2^32.
const Field* CurrentField();

// Loads the value of a non-negative number below 2^256 (eight digit words are
// read whatever its length word says: words above the length are zero).
void LoadLimbs(const std::uint32_t* x, Element out);
// out = x as a normalised number. The length is found with masks, so the
// store takes the same path for every value of x.
void StoreLimbs(const Element x, BigNumber out);

enum class Route { Portable, Mulx, Ifma };
bool MulxAvailable();  // the processor has BMI2 and ADX
// The processor has BMI2, ADX, AVX-512 F, VL and IFMA, and the operating
// system saves the AVX-512 registers.
bool IfmaAvailable();
// The route in use, read on every 256-bit product of the general numbers;
// written only by SelectRoute. Until the processor has been asked (static
// initialisation) it reads Portable, which gives the same results.
extern std::atomic<Route> activeRoute;
inline Route ActiveRoute() { return activeRoute.load(std::memory_order_relaxed); }
// Chooses the route for the whole process; false (nothing changes) when a
// route is asked for on a processor without it.
bool SelectRoute(Route route);

// All ones when x is zero, else 0.
inline Limb ZeroMask(const Element x) {
    const Limb v = x[0] | x[1] | x[2] | x[3];
    return ((v | (0 - v)) >> 63) - 1;
}

inline void Copy(const Element x, Element z) {
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] = x[i];
}

// z = x where mask is all ones, z unchanged where it is 0.
inline void Select(Limb mask, const Element x, Element z) {
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] ^= mask & (z[i] ^ x[i]);
}

// z = x - p when x (with the carry bit above it) is not below p, else x.
inline void SubtractPIfNotBelow(const Field& f, const Element x, Limb carry, Element z) {
    Limb d[4];
    Carry borrow = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) d[i] = SubBorrow(x[i], f.p[i], borrow);
    const Limb keep = 0 - static_cast<Limb>(borrow > carry);  // all ones when x < p and no carry
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] = (x[i] & keep) | (d[i] & ~keep);
}

inline void Add(const Field& f, const Element x, const Element y, Element z) {
    Limb s[4];
    Carry carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) s[i] = AddCarry(x[i], y[i], carry);
    SubtractPIfNotBelow(f, s, carry, z);
}

inline void Subtract(const Field& f, const Element x, const Element y, Element z) {
    Limb d[4];
    Carry borrow = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) d[i] = SubBorrow(x[i], y[i], borrow);
    const Limb mask = 0 - static_cast<Limb>(borrow);  // add p back on a borrow
    Carry carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] = AddCarry(d[i], f.p[i] & mask, carry);
}

// z = -x where mask is all ones, z = x where it is 0.
inline void NegateIf(const Field& f, Limb mask, const Element x, Element z) {
    const Element zero = {};
    Limb n[4];
    Subtract(f, zero, x, n);
    Copy(x, z);
    Select(mask, n, z);
}

// z = x / 2: (x + p) / 2 for odd x, x / 2 for even x.
inline void Halve(const Field& f, const Element x, Element z) {
    const Limb mask = 0 - (x[0] & 1);
    Limb s[4];
    Carry carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) s[i] = AddCarry(x[i], f.p[i] & mask, carry);
#pragma GCC unroll 4
    for (int i = 0; i < 3; ++i) z[i] = s[i] >> 1 | s[i + 1] << 63;
    z[3] = s[3] >> 1 | static_cast<Limb>(carry) << 63;
}

// The product on 128-bit products: the general kernel's Montgomery rows at
// four limbs (rows keep more products in flight than the columns'
// single accumulator chain).
struct PortableOps {
    static void Multiply(const Field& f, const Element x, const Element y, Element z) {
        Limb t[6];
        rows::MontgomeryRows<Limb>(t, x, y, f.p, f.factor, std::integral_constant<int, 4>{});
        SubtractPIfNotBelow(f, t, t[4], z);
    }
    static void Square(const Field& f, const Element x, Element z) { Multiply(f, x, x, z); }
    static void Add(const Field& f, const Element x, const Element y, Element z) { field256::Add(f, x, y, z); }
    static void Subtract(const Field& f, const Element x, const Element y, Element z) {
        field256::Subtract(f, x, y, z);
    }
    static void Halve(const Field& f, const Element x, Element z) { field256::Halve(f, x, z); }
};

#if defined(__x86_64__)

// The product on mulx/adcx/adox; call only when MulxAvailable(). The
// accumulator t0..t5 rotates by one register per round, so the limb that the
// reduction clears becomes the next round's top limb, already zero, without
// moves.
struct MulxOps {
// One round: t += x y_i (low halves on the carry flag, high halves on the
// overflow flag), then t += m p with m = t_0 factor, after which t_0 is zero.
// clang-format off
#define ARKSEAL_MULX_ROUND(I, T0, T1, T2, T3, T4, T5) \
    "movq " #I "*8(%[y]), %%rdx\n\t" \
    "xorl %%eax, %%eax\n\t" \
    "mulxq 0(%[x]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T0 "]\n\t" \
    "adoxq %[hi], %[" #T1 "]\n\t" \
    "mulxq 8(%[x]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T1 "]\n\t" \
    "adoxq %[hi], %[" #T2 "]\n\t" \
    "mulxq 16(%[x]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T2 "]\n\t" \
    "adoxq %[hi], %[" #T3 "]\n\t" \
    "mulxq 24(%[x]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T3 "]\n\t" \
    "adoxq %[hi], %[" #T4 "]\n\t" \
    "adcxq %%rax, %[" #T4 "]\n\t" \
    "adoxq %%rax, %[" #T5 "]\n\t" \
    "adcxq %%rax, %[" #T5 "]\n\t" \
    "movq %[" #T0 "], %%rdx\n\t" \
    "imulq 32(%[p]), %%rdx\n\t" \
    "xorl %%eax, %%eax\n\t" \
    "mulxq 0(%[p]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T0 "]\n\t" \
    "adoxq %[hi], %[" #T1 "]\n\t" \
    "mulxq 8(%[p]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T1 "]\n\t" \
    "adoxq %[hi], %[" #T2 "]\n\t" \
    "mulxq 16(%[p]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T2 "]\n\t" \
    "adoxq %[hi], %[" #T3 "]\n\t" \
    "mulxq 24(%[p]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T3 "]\n\t" \
    "adoxq %[hi], %[" #T4 "]\n\t" \
    "adcxq %%rax, %[" #T4 "]\n\t" \
    "adoxq %%rax, %[" #T5 "]\n\t" \
    "adcxq %%rax, %[" #T5 "]\n\t"
    // clang-format on

    [[gnu::always_inline]] static void Multiply(const Field& f, const Element x, const Element y, Element z) {
        Limb t0 = 0, t1 = 0, t2 = 0, t3 = 0, t4 = 0, t5 = 0, lo, hi;
        // After the four rounds the value is t4, t5, t0, t1 with the top bit
        // in t2; t3 is free. Subtract p and keep the difference unless it
        // borrows.
        asm(ARKSEAL_MULX_ROUND(0, t0, t1, t2, t3, t4, t5)  //
            ARKSEAL_MULX_ROUND(1, t1, t2, t3, t4, t5, t0)  //
            ARKSEAL_MULX_ROUND(2, t2, t3, t4, t5, t0, t1)  //
            ARKSEAL_MULX_ROUND(3, t3, t4, t5, t0, t1, t2)  //
            "movq %[t4], %%rax\n\t"                        //
            "subq 0(%[p]), %%rax\n\t"                      //
            "movq %[t5], %%rdx\n\t"                        //
            "sbbq 8(%[p]), %%rdx\n\t"                      //
            "movq %[t0], %[lo]\n\t"                        //
            "sbbq 16(%[p]), %[lo]\n\t"                     //
            "movq %[t1], %[hi]\n\t"                        //
            "sbbq 24(%[p]), %[hi]\n\t"                     //
            "sbbq $0, %[t2]\n\t"                           //
            "cmovncq %%rax, %[t4]\n\t"                     //
            "cmovncq %%rdx, %[t5]\n\t"                     //
            "cmovncq %[lo], %[t0]\n\t"                     //
            "cmovncq %[hi], %[t1]\n\t"                     //
            : [t0] "+&r"(t0), [t1] "+&r"(t1), [t2] "+&r"(t2), [t3] "+&r"(t3), [t4] "+&r"(t4), [t5] "+&r"(t5),
              [lo] "=&r"(lo), [hi] "=&r"(hi)
            : [x] "r"(x), [y] "r"(y), [p] "r"(&f)
            : "rax", "rdx", "cc", "memory");
#undef ARKSEAL_MULX_ROUND
        z[0] = t4;
        z[1] = t5;
        z[2] = t0;
        z[3] = t1;
    }
// One reduction round of the square: t_i..t_i+4 += m p with m = t_i factor
// (t_i becomes zero), the previous round's carry c added at t_i+4, and the
// new carry (0 to 2, at t_i+5) left in c.
// clang-format off
#define ARKSEAL_MULX_REDUCE(T0, T1, T2, T3, T4) \
    "movq %[" #T0 "], %%rdx\n\t" \
    "imulq 32(%[p]), %%rdx\n\t" \
    "xorl %%eax, %%eax\n\t" \
    "mulxq 0(%[p]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T0 "]\n\t" \
    "adoxq %[hi], %[" #T1 "]\n\t" \
    "mulxq 8(%[p]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T1 "]\n\t" \
    "adoxq %[hi], %[" #T2 "]\n\t" \
    "mulxq 16(%[p]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T2 "]\n\t" \
    "adoxq %[hi], %[" #T3 "]\n\t" \
    "mulxq 24(%[p]), %[lo], %[hi]\n\t" \
    "adcxq %[lo], %[" #T3 "]\n\t" \
    "adoxq %[hi], %[" #T4 "]\n\t" \
    "adcxq %[c], %[" #T4 "]\n\t" \
    "movl $0, %k[c]\n\t" \
    "adcxq %%rax, %[c]\n\t" \
    "adoxq %%rax, %[c]\n\t"
    // clang-format on

    // The square: the six products x_i x_j (i < j) once, doubled, plus the
    // four squares x_i^2, into t0..t7; then the reduction of all eight
    // limbs, whose last carry is the top bit of the result t4..t7; then the
    // subtraction of p chosen by a flag. The pointer to x becomes the carry
    // register once x has been read.
    [[gnu::always_inline]] static void Square(const Field& f, const Element x, Element z) {
        Limb t0, t1, t2, t3, t4, t5, t6, t7, lo, hi;
        const Limb* c = x;
        asm("movq 0(%[c]), %%rdx\n\t"
            "mulxq 8(%[c]), %[t1], %[t2]\n\t"
            "mulxq 16(%[c]), %[lo], %[t3]\n\t"
            "mulxq 24(%[c]), %[hi], %[t4]\n\t"
            "addq %[lo], %[t2]\n\t"
            "adcq %[hi], %[t3]\n\t"
            "adcq $0, %[t4]\n\t"
            "movq 8(%[c]), %%rdx\n\t"
            "mulxq 16(%[c]), %[lo], %[hi]\n\t"
            "mulxq 24(%[c]), %%rax, %[t5]\n\t"
            "addq %%rax, %[hi]\n\t"
            "adcq $0, %[t5]\n\t"
            "addq %[lo], %[t3]\n\t"
            "adcq %[hi], %[t4]\n\t"
            "adcq $0, %[t5]\n\t"
            "movq 16(%[c]), %%rdx\n\t"
            "mulxq 24(%[c]), %[lo], %[t6]\n\t"
            "addq %[lo], %[t5]\n\t"
            "adcq $0, %[t6]\n\t"
            "xorl %k[t7], %k[t7]\n\t"
            "addq %[t1], %[t1]\n\t"
            "adcq %[t2], %[t2]\n\t"
            "adcq %[t3], %[t3]\n\t"
            "adcq %[t4], %[t4]\n\t"
            "adcq %[t5], %[t5]\n\t"
            "adcq %[t6], %[t6]\n\t"
            "adcq %[t7], %[t7]\n\t"
            "movq 0(%[c]), %%rdx\n\t"
            "mulxq %%rdx, %[t0], %[lo]\n\t"
            "addq %[lo], %[t1]\n\t"
            "movq 8(%[c]), %%rdx\n\t"
            "mulxq %%rdx, %[lo], %[hi]\n\t"
            "adcq %[lo], %[t2]\n\t"
            "adcq %[hi], %[t3]\n\t"
            "movq 16(%[c]), %%rdx\n\t"
            "mulxq %%rdx, %[lo], %[hi]\n\t"
            "adcq %[lo], %[t4]\n\t"
            "adcq %[hi], %[t5]\n\t"
            "movq 24(%[c]), %%rdx\n\t"
            "mulxq %%rdx, %[lo], %[hi]\n\t"
            "adcq %[lo], %[t6]\n\t"
            "adcq %[hi], %[t7]\n\t"
            "xorl %k[c], %k[c]\n\t"                  //
            ARKSEAL_MULX_REDUCE(t0, t1, t2, t3, t4)  //
            ARKSEAL_MULX_REDUCE(t1, t2, t3, t4, t5)  //
            ARKSEAL_MULX_REDUCE(t2, t3, t4, t5, t6)  //
            ARKSEAL_MULX_REDUCE(t3, t4, t5, t6, t7)  //
            "movq %[t4], %%rax\n\t"
            "subq 0(%[p]), %%rax\n\t"
            "movq %[t5], %%rdx\n\t"
            "sbbq 8(%[p]), %%rdx\n\t"
            "movq %[t6], %[lo]\n\t"
            "sbbq 16(%[p]), %[lo]\n\t"
            "movq %[t7], %[hi]\n\t"
            "sbbq 24(%[p]), %[hi]\n\t"
            "sbbq $0, %[c]\n\t"
            "cmovncq %%rax, %[t4]\n\t"
            "cmovncq %%rdx, %[t5]\n\t"
            "cmovncq %[lo], %[t6]\n\t"
            "cmovncq %[hi], %[t7]\n\t"
            : [t0] "=&r"(t0), [t1] "=&r"(t1), [t2] "=&r"(t2), [t3] "=&r"(t3), [t4] "=&r"(t4), [t5] "=&r"(t5),
              [t6] "=&r"(t6), [t7] "=&r"(t7), [lo] "=&r"(lo), [hi] "=&r"(hi), [c] "+r"(c)
            : [p] "r"(&f)
            : "rax", "rdx", "cc", "memory");
#undef ARKSEAL_MULX_REDUCE
        z[0] = t4;
        z[1] = t5;
        z[2] = t6;
        z[3] = t7;
    }

    // The sum, the difference and the half in registers with the carries in
    // the flags; a compiler splits the portable versions over vector
    // registers and loses the carry chain.
    // z = x + y: the sum with its carry c, and the sum minus p, which is kept
    // unless it borrows past c.
    [[gnu::always_inline]] static void Add(const Field& f, const Element x, const Element y, Element z) {
        Limb a0 = x[0], a1 = x[1], a2 = x[2], a3 = x[3], b0, b1, b2, b3, c;
        asm("xorl %k[c], %k[c]\n\t"
            "addq %[y0], %[a0]\n\t"
            "adcq %[y1], %[a1]\n\t"
            "adcq %[y2], %[a2]\n\t"
            "adcq %[y3], %[a3]\n\t"
            "adcl $0, %k[c]\n\t"
            "movq %[a0], %[b0]\n\t"
            "subq %[p0], %[b0]\n\t"
            "movq %[a1], %[b1]\n\t"
            "sbbq %[p1], %[b1]\n\t"
            "movq %[a2], %[b2]\n\t"
            "sbbq %[p2], %[b2]\n\t"
            "movq %[a3], %[b3]\n\t"
            "sbbq %[p3], %[b3]\n\t"
            "sbbq $0, %[c]\n\t"
            "cmovcq %[a0], %[b0]\n\t"
            "cmovcq %[a1], %[b1]\n\t"
            "cmovcq %[a2], %[b2]\n\t"
            "cmovcq %[a3], %[b3]\n\t"
            : [a0] "+&r"(a0), [a1] "+&r"(a1), [a2] "+&r"(a2), [a3] "+&r"(a3), [b0] "=&r"(b0), [b1] "=&r"(b1),
              [b2] "=&r"(b2), [b3] "=&r"(b3), [c] "=&r"(c)
            : [y0] "rm"(y[0]), [y1] "rm"(y[1]), [y2] "rm"(y[2]), [y3] "rm"(y[3]), [p0] "m"(f.p[0]), [p1] "m"(f.p[1]),
              [p2] "m"(f.p[2]), [p3] "m"(f.p[3])
            : "cc");
        z[0] = b0;
        z[1] = b1;
        z[2] = b2;
        z[3] = b3;
    }
    // z = x - y, with p added back under the mask of the borrow.
    [[gnu::always_inline]] static void Subtract(const Field& f, const Element x, const Element y, Element z) {
        Limb a0 = x[0], a1 = x[1], a2 = x[2], a3 = x[3], b0, b1, b2, b3, c;
        asm("subq %[y0], %[a0]\n\t"
            "sbbq %[y1], %[a1]\n\t"
            "sbbq %[y2], %[a2]\n\t"
            "sbbq %[y3], %[a3]\n\t"
            "sbbq %[c], %[c]\n\t"
            "movq %[p0], %[b0]\n\t"
            "andq %[c], %[b0]\n\t"
            "movq %[p1], %[b1]\n\t"
            "andq %[c], %[b1]\n\t"
            "movq %[p2], %[b2]\n\t"
            "andq %[c], %[b2]\n\t"
            "movq %[p3], %[b3]\n\t"
            "andq %[c], %[b3]\n\t"
            "addq %[b0], %[a0]\n\t"
            "adcq %[b1], %[a1]\n\t"
            "adcq %[b2], %[a2]\n\t"
            "adcq %[b3], %[a3]\n\t"
            : [a0] "+&r"(a0), [a1] "+&r"(a1), [a2] "+&r"(a2), [a3] "+&r"(a3), [b0] "=&r"(b0), [b1] "=&r"(b1),
              [b2] "=&r"(b2), [b3] "=&r"(b3), [c] "=&r"(c)
            : [y0] "rm"(y[0]), [y1] "rm"(y[1]), [y2] "rm"(y[2]), [y3] "rm"(y[3]), [p0] "m"(f.p[0]), [p1] "m"(f.p[1]),
              [p2] "m"(f.p[2]), [p3] "m"(f.p[3])
            : "cc");
        z[0] = a0;
        z[1] = a1;
        z[2] = a2;
        z[3] = a3;
    }
    // z = x / 2: p added under the mask of x's low bit, then the sum with its
    // carry shifted right by one.
    [[gnu::always_inline]] static void Halve(const Field& f, const Element x, Element z) {
        Limb a0 = x[0], a1 = x[1], a2 = x[2], a3 = x[3], b0, b1, b2, b3, c;
        asm("movq %[a0], %[c]\n\t"
            "andl $1, %k[c]\n\t"
            "negq %[c]\n\t"
            "movq %[p0], %[b0]\n\t"
            "andq %[c], %[b0]\n\t"
            "movq %[p1], %[b1]\n\t"
            "andq %[c], %[b1]\n\t"
            "movq %[p2], %[b2]\n\t"
            "andq %[c], %[b2]\n\t"
            "movq %[p3], %[b3]\n\t"
            "andq %[c], %[b3]\n\t"
            "movl $0, %k[c]\n\t"
            "addq %[b0], %[a0]\n\t"
            "adcq %[b1], %[a1]\n\t"
            "adcq %[b2], %[a2]\n\t"
            "adcq %[b3], %[a3]\n\t"
            "adcl $0, %k[c]\n\t"
            "shrdq $1, %[a1], %[a0]\n\t"
            "shrdq $1, %[a2], %[a1]\n\t"
            "shrdq $1, %[a3], %[a2]\n\t"
            "shrdq $1, %[c], %[a3]\n\t"
            : [a0] "+&r"(a0), [a1] "+&r"(a1), [a2] "+&r"(a2), [a3] "+&r"(a3), [b0] "=&r"(b0), [b1] "=&r"(b1),
              [b2] "=&r"(b2), [b3] "=&r"(b3), [c] "=&r"(c)
            : [p0] "m"(f.p[0]), [p1] "m"(f.p[1]), [p2] "m"(f.p[2]), [p3] "m"(f.p[3])
            : "cc");
        z[0] = a0;
        z[1] = a1;
        z[2] = a2;
        z[3] = a3;
    }
};

// The doubling's products on the AVX-512 IFMA unit (field256_ifma.cpp),
// which runs beside the integer multiplier, so that the mulx products of the
// slope's chain and these go at once; the same residues as Multiply. Call
// only when IfmaAvailable(). For residues t = 2Y, Z and X: the first gives
// zOut = t Z, z2 = Z^2 and T = t^2 (kept in T52 as five limbs of 52 bits),
// the second s = X T and tt = T^2.
void IfmaDoublingFirst(const Field& f, const Element t, const Element Z, Element zOut, Element z2, Limb T52[5]);
void IfmaDoublingSecond(const Field& f, const Limb T52[5], const Element X, Element s, Element tt);

// Four products at once on the IFMA unit: z_i = x_i y_i for residues, all
// inputs read before any output is written.
void IfmaMultiplyFour(const Field& f, const Limb* const x[4], const Limb* const y[4], Limb* const z[4]);

// The mulx route with, on the IFMA unit, the doubling's products that are
// off the slope's chain and, four at a time, twelve of the addition's
// products.
struct IfmaOps : MulxOps {
    static void DoublingFirst(const Field& f, const Element t, const Element Z, Element zOut, Element z2, Limb T52[5]) {
        IfmaDoublingFirst(f, t, Z, zOut, z2, T52);
    }
    static void DoublingSecond(const Field& f, const Limb T52[5], const Element X, Element s, Element tt) {
        IfmaDoublingSecond(f, T52, X, s, tt);
    }
    static void MultiplyFour(const Field& f, const Limb* const x[4], const Limb* const y[4], Limb* const z[4]) {
        IfmaMultiplyFour(f, x, y, z);
    }
};

#endif

// z = x^e by fixed windows of four bits over the exponent: the same
// squarings and products for every x, the table indexed only by e, which is
// public.
template <class Ops>
void Power(const Field& f, const Element x, const Element e, Element z) {
    Limb table[16][4];
    Copy(f.one, table[0]);
    Copy(x, table[1]);
    for (int i = 2; i < 16; ++i) Ops::Multiply(f, table[i - 1], x, table[i]);
    Limb r[4];
    Copy(table[e[3] >> 60], r);
    for (int nibble = 62; nibble >= 0; --nibble) {
        for (int s = 0; s < 4; ++s) Ops::Square(f, r, r);
        Ops::Multiply(f, r, table[(e[nibble / 16] >> (4 * (nibble % 16))) & 15], r);
    }
    Copy(r, z);
}

// z = x^-1 mod p as a plain value (not in Montgomery form), 0 for x = 0,
// for prime p; see field256.cpp.
void InvertPlain(const Field& f, const Element x, Element z);

// z = 1/x in Montgomery form (0 for x = 0): x R is inverted as a plain value,
// (x R)^-1, and the product with R^3 gives x^-1 R.
template <class Ops>
void Invert(const Field& f, const Element x, Element z) {
    Element plain;
    InvertPlain(f, x, plain);
    Ops::Multiply(f, plain, f.cube, z);
}

// z = a square root of x for p = 3 mod 4, x^((p+1)/4); returns false (z is
// then no root) when x is not a square.
template <class Ops>
bool SquareRoot(const Field& f, const Element x, Element z) {
    Limb e[4];
    Carry carry = 1;  // (p + 1) / 4 = floor(p / 4) + 1
    for (int i = 0; i < 4; ++i) e[i] = AddCarry(f.p[i] >> 2 | (i < 3 ? f.p[i + 1] << 62 : 0), 0, carry);
    Limb r[4], check[4];
    Power<Ops>(f, x, e, r);
    Ops::Square(f, r, check);
    Copy(r, z);
    return ((check[0] ^ x[0]) | (check[1] ^ x[1]) | (check[2] ^ x[2]) | (check[3] ^ x[3])) == 0;
}

// True when x is a square modulo the prime p (0 included), by the binary
// Jacobi symbol: shifts and subtractions, no products. Its steps follow x:
// for public values only. Montgomery forms may be passed, since R = 2^256 is
// a square.
inline bool IsSquare(const Field& f, const Element x) {
    Limb a[4], n[4];
    Copy(x, a);
    Copy(f.p, n);
    int symbol = 1;
    const auto isZero = [](const Limb* v) { return (v[0] | v[1] | v[2] | v[3]) == 0; };
    const auto below = [](const Limb* u, const Limb* v) {
        for (int i = 3; i >= 0; --i)
            if (u[i] != v[i]) return u[i] < v[i];
        return false;
    };
    while (!isZero(a)) {
        while ((a[0] & 1) == 0) {  // (2/n) = -1 for n = 3, 5 mod 8
            for (int i = 0; i < 3; ++i) a[i] = a[i] >> 1 | a[i + 1] << 63;
            a[3] >>= 1;
            if ((n[0] & 7) == 3 || (n[0] & 7) == 5) symbol = -symbol;
        }
        if (below(a, n)) {  // reciprocity: swap, -1 when both are 3 mod 4
            for (int i = 0; i < 4; ++i) std::swap(a[i], n[i]);
            if ((a[0] & 3) == 3 && (n[0] & 3) == 3) symbol = -symbol;
        }
        Carry borrow = 0;
        for (int i = 0; i < 4; ++i) a[i] = SubBorrow(a[i], n[i], borrow);
    }
    const bool one = n[0] == 1 && (n[1] | n[2] | n[3]) == 0;
    return !one || symbol == 1;  // n != 1: x shares a factor with p, so x = 0
}

// Runs body(ops) with the active route's operations.
template <class Body>
decltype(auto) WithActiveRoute(Body&& body) {
#if defined(__x86_64__)
    if (ActiveRoute() == Route::Ifma) return body(IfmaOps{});
    if (ActiveRoute() == Route::Mulx) return body(MulxOps{});
#endif
    return body(PortableOps{});
}

}  // namespace arkseal::field256
