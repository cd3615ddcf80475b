/* Knuth's algorithm D on normalised 64-bit limbs.
 *
 * Each quotient limb is the top three remainder limbs divided by the top two
 * divisor limbs, from the reciprocal of those two limbs (limb_reciprocal.h):
 * Knuth's estimate with both of its corrections against the second divisor
 * limb already made, and the step's top two remainder limbs come with it, so
 * the multiply-subtract runs over the divisor's other limbs only. It is taken
 * as 2^64 - 1, with a multiply-subtract over the whole divisor, when the top
 * two remainder limbs equal the divisor's. Either way it is at most one too
 * large, which one addition of the divisor corrects.
 */
#include <arkseal/bignum/division/schoolbook_division.h>

#include <arkseal/bignum/division/limb_reciprocal.h>
#include <arkseal/bignum/kernels/row_loops.h>

namespace arkseal {

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

}  // namespace arkseal
