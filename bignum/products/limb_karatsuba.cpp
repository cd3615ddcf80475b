/* Karatsuba products on limbs, halves of any length.
 *
 * For n >= m > h = ceil(n / 2), with B = 2^(64h), x = x1 B + x0 and
 * y = y1 B + y0 (x0, y0 of h limbs; x1, y1 shorter or as long):
 *   x y = x1 y1 B^2 + (x0 y0 + x1 y1 - (x0 - x1)(y0 - y1)) B + x0 y0,
 * three products of at most h limbs. The differences are formed as absolute
 * values of h limbs with their signs kept aside, so no half sum carries.
 * A square takes three half squares, the middle term from |x0 - x1|^2.
 * An operand no longer than half the other (rounded up) is cut into pieces of its own
 * length, each piece multiplied by it and added in. Below kKaratsubaLimbs
 * the schoolbook rows run, the shorter operand's limbs outermost.
 *
 * The temporary space of a level is 6h + 1 limbs (the two differences,
 * their product and the middle term) and the next level's space follows it:
 * below 6n + 7 limbs per level in all, within MultiplyLimbsSpace for every
 * length the buffers hold. A piece's product (2m limbs, m <= ceil(n / 2))
 * and its own space take less.
 */
#include <arkseal/bignum/products/limb_karatsuba.h>

#include <algorithm>

#include <arkseal/bignum/kernels/row_loops.h>

namespace arkseal {

namespace {

// Operands from these lengths up take the three-product split (measured).
constexpr int kKaratsubaLimbs = 24;
constexpr int kKaratsubaSquareLimbs = 40;

// d[0..h) = |a[0..h) - b[0..k)| for k <= h; true when a < b.
bool AbsoluteDifference(Limb* d, const Limb* a, int h, const Limb* b, int k) {
    int top = h - 1;
    while (top >= k && a[top] == 0) --top;
    if (top < k && rows::Compare(a, b, k) < 0) {
        rows::Subtract(d, b, a, k);
        std::fill(d + k, d + h, Limb{0});
        return true;
    }
    const Limb borrow = rows::Subtract(d, a, b, k);
    std::copy(a + k, a + h, d + k);
    rows::Decrement(d + k, h - k, borrow);
    return false;
}

// With z[0..2h) = x0 y0, z[2h..n+m) = x1 y1 and product = (x0 - x1)(y0 - y1)
// in absolute value (subtract: its sign is positive), adds the middle term
// x0 y0 + x1 y1 -+ product = x0 y1 + x1 y0 (2h + 1 limbs, in middle) at z[h].
void AddMiddle(Limb* z, int n, int m, int h, const Limb* product, bool subtract, Limb* middle) {
    const int high = n + m - 2 * h;
    Limb carry = rows::Add(middle, z, z + 2 * h, high);
    std::copy(z + high, z + 2 * h, middle + high);
    middle[2 * h] = rows::Increment(middle + high, 2 * h - high, carry);
    if (subtract) {
        middle[2 * h] -= rows::Subtract(middle, middle, product, 2 * h);
    } else {
        middle[2 * h] += rows::Add(middle, middle, product, 2 * h);
    }
    // The result fits n + m limbs, so a middle limb past them is zero.
    const int room = n + m - h;
    const int length = std::min(2 * h + 1, room);
    carry = rows::Add(z + h, z + h, middle, length);
    rows::Increment(z + h + length, room - length, carry);
}

void Karatsuba(Limb* z, const Limb* x, int n, const Limb* y, int m, Limb* t) {
    const int h = (n + 1) / 2;
    Limb* const dx = t;
    Limb* const dy = t + h;
    Limb* const product = t + 2 * h;
    Limb* const middle = t + 4 * h;
    Limb* const next = t + 6 * h + 1;
    const bool xSwapped = AbsoluteDifference(dx, x, h, x + h, n - h);
    const bool ySwapped = AbsoluteDifference(dy, y, h, y + h, m - h);
    MultiplyLimbs(product, dx, h, dy, h, next);
    MultiplyLimbs(z, x, h, y, h, next);
    MultiplyLimbs(z + 2 * h, x + h, n - h, y + h, m - h, next);
    AddMiddle(z, n, m, h, product, xSwapped == ySwapped, middle);
}

// m <= ceil(n / 2): y times pieces of x of m limbs (the last one shorter).
void MultiplyInPieces(Limb* z, const Limb* x, int n, const Limb* y, int m, Limb* t) {
    Limb* const piece = t;
    Limb* const next = t + 2 * m;
    MultiplyLimbs(z, x, m, y, m, next);
    for (int i = m; i < n; i += m) {
        const int k = std::min(m, n - i);
        if (k == m) {
            MultiplyLimbs(piece, x + i, k, y, m, next);
        } else {
            MultiplyLimbs(piece, y, m, x + i, k, next);
        }
        const Limb carry = rows::Add(z + i, z + i, piece, m);
        std::copy(piece + m, piece + m + k, z + i + m);
        rows::Increment(z + i + m, k, carry);
    }
}

}  // namespace

void SquareLimbs(Limb* z, const Limb* x, int n, Limb* t) {
    if (n < kKaratsubaSquareLimbs) {
        rows::Square(z, x, n);
        return;
    }
    const int h = (n + 1) / 2;
    Limb* const d = t;
    Limb* const square = t + h;
    Limb* const middle = t + 3 * h;
    Limb* const next = t + 5 * h + 1;
    AbsoluteDifference(d, x, h, x + h, n - h);
    SquareLimbs(square, d, h, next);
    SquareLimbs(z, x, h, next);
    SquareLimbs(z + 2 * h, x + h, n - h, next);
    AddMiddle(z, n, n, h, square, true, middle);
}

void MultiplyLimbs(Limb* z, const Limb* x, int n, const Limb* y, int m, Limb* t) {
    if (m < kKaratsubaLimbs) {
        rows::Multiply(z, y, m, x, n);
    } else if (2 * m <= n + 1) {
        MultiplyInPieces(z, x, n, y, m, t);
    } else {
        Karatsuba(z, x, n, y, m, t);
    }
}

}  // namespace arkseal
