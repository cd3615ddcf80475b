/* Long division of word arrays on 64-bit limbs.
 *
 * The divisor is shifted left until its top limb has its top bit set, and
 * the dividend by the same amount into one extra limb. A one-limb divisor
 * takes the two-by-one division by its reciprocal; longer ones go to the
 * divide and conquer of recursive_division.cpp, which ends in the schoolbook
 * rows of schoolbook_division.cpp. The remainder is shifted back at the end.
 * Operands are packed into stack buffers, so the caller's words are written
 * only once the result is complete.
 */
#include <arkseal/bignum/division/limb_division.h>

#include <bit>

#include <arkseal/bignum/division/limb_reciprocal.h>
#include <arkseal/bignum/division/recursive_division.h>
#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/kernels/row_loops.h>

namespace arkseal {

namespace {

constexpr int kSmallLimbs = 16;
constexpr int kLargeLimbs = 704;  // 1408 words: twice the program's capacity and more

// u (m + 1 limbs, normalised with d) by the normalised limb d: the remainder
// in u[0], zeros above it.
void DivideByLimb(Limb* u, int m, Limb d, Limb* q) {
    const Limb reciprocal = ReciprocalOf(d);
    Limb r = u[m];
    u[m] = 0;
    for (int i = m - 1; i >= 0; --i) {
        q[i] = DivideTwoByOne(r, u[i], d, reciprocal);
        u[i] = 0;
    }
    u[0] = r;
}

template <int kLimbs>
void DivideInBuffers(std::uint32_t* u, int lx, const std::uint32_t* v, int ly, std::uint32_t* q, int quotientWords) {
    Limb us[kLimbs + 1];
    Limb vs[kLimbs];
    Limb qs[kLimbs];
    Limb ts[DivideLimbsSpace(kLimbs)];
    const int m = PackLimbs(us, u, lx);
    const int n = PackLimbs(vs, v, ly);
    us[m] = 0;
    const int s = std::countl_zero(vs[n - 1]);
    if (s > 0) {
        rows::ShiftLeft(vs, vs, n, s);
        us[m] = rows::ShiftLeft(us, us, m, s);
    }
    if (n == 1) {
        DivideByLimb(us, m, vs[0], qs);
    } else {
        DivideLimbs(qs, us, m + 1, vs, n, ts);
    }
    if (s > 0) rows::ShiftRight(us, us, n, s);
    UnpackLimbs(u, ly, us, n);
    if (q != nullptr) UnpackLimbs(q, quotientWords, qs, m - n + 1);
}

}  // namespace

bool DivideWordsInLimbs(std::uint32_t* u, int lx, const std::uint32_t* v, int ly, std::uint32_t* q, int quotientWords) {
    if (lx <= 2 * kSmallLimbs) {
        DivideInBuffers<kSmallLimbs>(u, lx, v, ly, q, quotientWords);
    } else if (lx <= 2 * kLargeLimbs) {
        DivideInBuffers<kLargeLimbs>(u, lx, v, ly, q, quotientWords);
    } else {
        return false;
    }
    return true;
}

}  // namespace arkseal
