// The routes of the four-limb field's products, and the one place that
// chooses among them. Every route computes exactly the residues of
// field256.h's portable product (the same R, the same representative in
// [0, p)):
// - portable: 128-bit products (field256.h);
// - mulx: the mulx/adcx/adox instructions (BMI2 and ADX), whose two
//   independent carry chains let the low and high halves of the row products
//   go in without waiting for each other;
// - IFMA: the mulx route with the AVX-512 IFMA unit beside it
//   (field256_ifma.h), which takes products off the chain four at a time.
// The route is chosen once from the processor and can be switched for tests.
// Code over the field is written once as a template over a route's
// operations (Ops) and run through WithActiveRoute; what a route offers
// beyond the product, sum, difference and half it says by its constants, so
// callers ask Ops::kVectorUnit rather than which route they were given.
#pragma once

#include <atomic>
#include <cstdint>

#include <arkseal/bignum/field256/field256.h>
#include <arkseal/bignum/field256/field256_ifma.h>
#include <arkseal/bignum/kernels/limb.h>

namespace arkseal::field256 {

enum class Route { Portable, Mulx, Ifma };
bool MulxAvailable();  // the processor has BMI2 and ADX
// The processor has BMI2, ADX, AVX-512 F, VL and IFMA, and the operating
// system saves the AVX-512 registers.
bool IfmaAvailable();
// The route in use, read on every product of the curve's field and every
// 256-bit product of the general numbers; written only by SelectRoute. Until the processor has been asked (static
// initialisation) it reads Portable, which gives the same results.
extern std::atomic<Route> activeRoute;
inline Route ActiveRoute() { return activeRoute.load(std::memory_order_relaxed); }
// Chooses the route for the whole process; false (nothing changes) when a
// route is asked for on a processor without it.
bool SelectRoute(Route route);

// The portable route. kVectorUnit: whether the route has the AVX-512 IFMA
// unit beside the integer multiplier, with DoublingFirst, DoublingSecond and
// MultiplyFour, and the lanes of field256_lanes.h for whole multiplications.
struct PortableOps {
    static constexpr bool kVectorUnit = false;

    static void Multiply(const Field& f, const Element x, const Element y, Element z) { field256::Multiply(f, x, y, z); }
    static void Square(const Field& f, const Element x, Element z) { field256::Multiply(f, x, x, z); }
    static void Add(const Field& f, const Element x, const Element y, Element z) { field256::Add(f, x, y, z); }
    static void Subtract(const Field& f, const Element x, const Element y, Element z) {
        field256::Subtract(f, x, y, z);
    }
    static void Halve(const Field& f, const Element x, Element z) { field256::Halve(f, x, z); }
};

#if defined(__x86_64__)

// The route on mulx/adcx/adox; call only when MulxAvailable(). The
// accumulator t0..t5 rotates by one register per round, so the limb that the
// reduction clears becomes the next round's top limb, already zero, without
// moves.
struct MulxOps {
    static constexpr bool kVectorUnit = false;

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

// The mulx route with, on the IFMA unit, the doubling's products that are
// off the slope's chain and, four at a time, twelve of the addition's
// products.
struct IfmaOps : MulxOps {
    static constexpr bool kVectorUnit = true;

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

// Runs body(ops) with the active route's operations.
template <class Body>
decltype(auto) WithActiveRoute(Body&& body) {
#if defined(__x86_64__)
    if (ActiveRoute() == Route::Ifma) return body(IfmaOps{});
    if (ActiveRoute() == Route::Mulx) return body(MulxOps{});
#endif
    return body(PortableOps{});
}

// The general numbers' Montgomery product of eight digit words (a 256-bit
// modulus) takes the field's product where the active route is faster than
// the column kernel for one product: on the mulx and IFMA routes (on the
// portable route the columns beat the field's rows for one product, while
// the rows' shorter dependency chains win inside the point formulas).
inline bool RouteTakesEightWordProducts() { return ActiveRoute() != Route::Portable; }
// z = x y / 2^256 mod m for eight-word x, y and odd m of any value below
// 2^256 and factor = -m^-1 mod 2^64, on the active route: the digits the
// column kernel gives. Call only when RouteTakesEightWordProducts().
void MultiplyEightWords(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, const std::uint32_t* m,
                        Limb factor);

}  // namespace arkseal::field256
