/* Knuth's algorithm D on 64-bit limbs.
 *
 * The divisor is shifted left until its top limb has its top bit set, and
 * the dividend by the same amount into one extra limb. Each quotient limb is
 * estimated from the top two remainder limbs divided by the top divisor limb
 * (a 128-by-64-bit division whose quotient fits 64 bits because the top
 * remainder limb is below the top divisor limb, or is taken as 2^64 - 1 when
 * they are equal), corrected at most twice against the second divisor limb,
 * and then at most once more by adding the divisor back after the
 * multiply-subtract. The remainder is shifted back at the end. Operands are
 * packed into stack buffers, so the caller's words are written only once the
 * result is complete.
 */
#include "bignum/limb_division.h"

#include <bit>

#include "bignum/limb.h"
#include "bignum/row_loops.h"

namespace arkseal {

namespace {

constexpr int kSmallLimbs = 16;
constexpr int kLargeLimbs = 704;  // 1408 words: twice the program's capacity and more

// u (m + 1 limbs, normalised with v) by v (n >= 2 limbs, top bit set).
void DivideNormalised(Limb* u, int m, const Limb* v, int n, Limb* q) {
    const Limb v1 = v[n - 1];
    const Limb v2 = v[n - 2];
    for (int j = m - n; j >= 0; --j) {
        const Limb top = u[j + n];
        Limb qhat;
        WideLimb rhat;
        if (top >= v1) {
            qhat = ~Limb{0};
            rhat = static_cast<WideLimb>(u[j + n - 1]) + v1;
        } else {
            const WideLimb numerator = static_cast<WideLimb>(top) << 64 | u[j + n - 1];
            qhat = static_cast<Limb>(numerator / v1);
            rhat = numerator - static_cast<WideLimb>(qhat) * v1;
        }
        while ((rhat >> 64) == 0 && static_cast<WideLimb>(qhat) * v2 > (rhat << 64 | u[j + n - 2])) {
            --qhat;
            rhat += v1;
        }
        const Limb borrow = rows::MultiplySubtractDigit(u + j, v, n, qhat);
        if (borrow > top) {
            rows::Add(u + j, u + j, v, n);
            --qhat;
        }
        u[j + n] = 0;
        q[j] = qhat;
    }
}

template <int kLimbs>
void DivideInBuffers(std::uint32_t* u, int lx, const std::uint32_t* v, int ly, std::uint32_t* q, int quotientWords) {
    Limb us[kLimbs + 1];
    Limb vs[kLimbs];
    Limb qs[kLimbs];
    const int m = PackLimbs(us, u, lx);
    const int n = PackLimbs(vs, v, ly);
    us[m] = 0;
    if (n == 1) {
        WideLimb r = 0;
        for (int i = m - 1; i >= 0; --i) {
            const WideLimb t = r << 64 | us[i];
            qs[i] = static_cast<Limb>(t / vs[0]);
            r = t % vs[0];
            us[i] = 0;
        }
        us[0] = static_cast<Limb>(r);
    } else {
        const int s = std::countl_zero(vs[n - 1]);
        if (s > 0) {
            rows::ShiftLeft(vs, vs, n, s);
            us[m] = rows::ShiftLeft(us, us, m, s);
        }
        DivideNormalised(us, m, vs, n, qs);
        if (s > 0) rows::ShiftRight(us, us, n, s);
    }
    UnpackLimbs(u, lx + 1, us, n);
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
