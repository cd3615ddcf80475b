/* Knuth's algorithm D on 64-bit limbs.
 *
 * The divisor is shifted left until its top limb has its top bit set, and
 * the dividend by the same amount into one extra limb. Each quotient limb is
 * the top three remainder limbs divided by the top two divisor limbs, from
 * the reciprocal of those two limbs (limb_reciprocal.h): Knuth's estimate
 * with both of its corrections against the second divisor limb already
 * made, and the step's top two remainder limbs come with it, so the
 * multiply-subtract runs over the divisor's other limbs only. It is taken as
 * 2^64 - 1, with a multiply-subtract over the whole divisor, when the top
 * two remainder limbs equal the divisor's. Either way it is at most one too
 * large, which one addition of the divisor corrects. A one-limb divisor
 * takes the two-by-one division by its reciprocal. Long divisors with long
 * quotients are divided by divide and conquer (recursive_division.cpp) down
 * to these rows. The remainder is shifted back at the end.
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

}  // namespace

void DivideSchoolbook(Limb* q, Limb* u, int nn, const Limb* v, int n, Limb reciprocal) {
    const Limb v1 = v[n - 1];
    const Limb v2 = v[n - 2];
    for (int j = nn - n - 1; j >= 0; --j) {
        const Limb top = u[j + n];
        const Limb next = u[j + n - 1];
        Limb qhat = ~Limb{0};
        bool negative;
        if (top == v1 && next == v2) {
            negative = rows::MultiplySubtractDigit(u + j, v, n, qhat) > top;
        } else {
            // The top three limbs less qhat times the top two are the
            // remainder of the step; only the limbs below it take the row.
            WideLimb r;
            qhat = DivideThreeByTwo(top, next, u[j + n - 2], v1, v2, reciprocal, r);
            const Limb borrow = rows::MultiplySubtractDigit(u + j, v, n - 2, qhat);
            negative = r < borrow;
            r -= borrow;
            u[j + n - 2] = static_cast<Limb>(r);
            u[j + n - 1] = static_cast<Limb>(r >> 64);
        }
        if (negative) {
            rows::Add(u + j, u + j, v, n);
            --qhat;
        }
        u[j + n] = 0;
        q[j] = qhat;
    }
}

namespace {

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
