/* Division by divide and conquer (Burnikel and Ziegler, "Fast recursive
 * division", 1998).
 *
 * A dividend of 2n limbs by a divisor v of n limbs, v = v1 B^lo + v0 with
 * v1 the top hi = n - lo limbs: the top 2 hi limbs of the dividend divided
 * by v1 give hi quotient limbs and a remainder; the quotient times v0 is
 * taken from the remainder joined to the dividend's next lo limbs. The
 * quotient from v1 alone is at most two too large (v1's top bit is set), so
 * while the difference is negative the quotient is lowered and v added back.
 * The same step on the hi + lo limbs left gives the lo low quotient limbs.
 * The two half divisions recurse and the products are Karatsuba's: the
 * division costs a small multiple of one n-limb product instead of the n^2
 * of the schoolbook rows. These half divisions have no bound on the top of
 * their dividends, so they return the quotient's top bit apart.
 *
 * Longer dividends are divided n quotient limbs at a time from the top,
 * after a first block of the quotient's length modulo n; a block shorter
 * than n divides the top limbs of the dividend by as many top limbs of v and
 * corrects the same way. Short divisors and short blocks take the schoolbook
 * rows (schoolbook_division.cpp). Every half division has a top part of v as
 * its divisor, with v's top two limbs, so one reciprocal serves all.
 */
#include <arkseal/bignum/division/recursive_division.h>

#include <arkseal/bignum/division/limb_reciprocal.h>
#include <arkseal/bignum/division/schoolbook_division.h>
#include <arkseal/bignum/kernels/row_loops.h>

namespace arkseal {

namespace {

// Divisors and quotient blocks from this many limbs up are split (measured).
constexpr int kRecursiveLimbs = 32;

// u -= q v for q = qh B^k + q[0..k) and the n limbs of v, of which the low
// parts are in the product at t (n limbs: q[0..k) times the low n - k limbs
// of v); then while u is negative: q -= 1, u += v. Returns qh, the quotient's
// top bit after the corrections.
Limb SubtractAndCorrect(Limb* q, int k, Limb qh, Limb* u, const Limb* v, int n, const Limb* t) {
    Limb borrow = rows::Subtract(u, u, t, n);
    if (qh != 0) borrow += rows::Subtract(u + k, u + k, v, n - k);
    while (borrow != 0) {
        qh -= rows::Decrement(q, k, Limb{1});
        borrow -= rows::Add(u, u, v, n);
    }
    return qh;
}

// Divides u[0..2n) by v[0..n): q[0..n) and the returned top bit are the
// quotient, the remainder is in u[0..n).
Limb DivideBalanced(Limb* q, Limb* u, const Limb* v, int n, Limb reciprocal, Limb* t) {
    if (n < kRecursiveLimbs) {
        const Limb qh = rows::Compare(u + n, v, n) >= 0;
        if (qh != 0) rows::Subtract(u + n, u + n, v, n);
        DivideSchoolbook(q, u, 2 * n, v, n, reciprocal);
        return qh;
    }
    const int lo = n / 2;
    const int hi = n - lo;
    Limb qh = DivideBalanced(q + lo, u + 2 * lo, v + lo, hi, reciprocal, t);
    MultiplyLimbs(t, q + lo, hi, v, lo, t + n);
    qh = SubtractAndCorrect(q + lo, hi, qh, u + lo, v, n, t);
    const Limb ql = DivideBalanced(q, u + hi, v + hi, lo, reciprocal, t);
    MultiplyLimbs(t, v, hi, q, lo, t + n);
    SubtractAndCorrect(q, lo, ql, u, v, n, t);
    return qh;
}

// Divides u[0..k + n) by v[0..n) for k < n, the top n limbs of u below v:
// q[0..k) the quotient, the remainder in u[0..n).
void DivideShortBlock(Limb* q, Limb* u, int k, const Limb* v, int n, Limb reciprocal, Limb* t) {
    if (k < kRecursiveLimbs) {
        DivideSchoolbook(q, u, k + n, v, n, reciprocal);
        return;
    }
    const int low = n - k;
    const Limb qh = DivideBalanced(q, u + low, v + low, k, reciprocal, t);
    if (k >= low) {
        MultiplyLimbs(t, q, k, v, low, t + n);
    } else {
        MultiplyLimbs(t, v, low, q, k, t + n);
    }
    SubtractAndCorrect(q, k, qh, u, v, n, t);
}

}  // namespace

void DivideLimbs(Limb* q, Limb* u, int nn, const Limb* v, int n, Limb* t) {
    const Limb reciprocal = ReciprocalOf(v[n - 1], v[n - 2]);
    const int quotient = nn - n;
    if (n < kRecursiveLimbs || quotient < kRecursiveLimbs) {
        DivideSchoolbook(q, u, nn, v, n, reciprocal);
        return;
    }
    const int first = quotient % n;
    if (first != 0) DivideShortBlock(q + quotient - first, u + quotient - first, first, v, n, reciprocal, t);
    for (int j = quotient - first - n; j >= 0; j -= n) DivideBalanced(q + j, u + j, v, n, reciprocal, t);
}

}  // namespace arkseal
