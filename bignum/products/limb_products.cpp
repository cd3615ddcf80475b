/* Basecase products on 64-bit limbs.
 *
 * Two adjacent 32-bit words w0 + w1 2^32 form one limb; an odd top word is a
 * limb with a zero upper half. Operands are packed into limb buffers on the
 * stack, multiplied or squared by the schoolbook rows of row_loops.h on
 * limbs, and the product is unpacked into the caller's words, so the
 * caller's arrays may have any length and alignment.
 *
 * Long operands go through the Karatsuba products and squares of any length
 * (limb_karatsuba.h), which start with the same rows.
 *
 * Operands of exactly 4 or 8 words (2 or 4 limbs; the 256-bit curve field
 * has 8 words) take the unrolled column-wise (Comba) forms of
 * comba_columns.h instead.
 */
#include <arkseal/bignum/products/limb_products.h>

#include <arkseal/bignum/kernels/comba_columns.h>
#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/kernels/row_loops.h>
#include <arkseal/bignum/products/limb_karatsuba.h>

namespace arkseal {

namespace {

// Operands up to 1024 words (twice the largest single-length number of the
// program's workspace is 1280 words; those fall back to words).
constexpr int kMaxLimbs = 512;
constexpr int kSmallLimbs = 8;

// Products in limb buffers of kLimbs limbs per operand: small operands get
// small stack frames.
template <int kLimbs>
void MultiplyInBuffers(std::uint32_t* z, const std::uint32_t* x, int n, const std::uint32_t* y, int m) {
    Limb xs[kLimbs];
    Limb ys[kLimbs];
    Limb zs[2 * kLimbs];
    const int nl = PackLimbs(xs, x, n);
    const int ml = PackLimbs(ys, y, m);
    if constexpr (kLimbs <= kSmallLimbs) {
        rows::Multiply(zs, xs, nl, ys, ml);
    } else {
        Limb t[MultiplyLimbsSpace(kLimbs)];
        if (nl >= ml) {
            MultiplyLimbs(zs, xs, nl, ys, ml, t);
        } else {
            MultiplyLimbs(zs, ys, ml, xs, nl, t);
        }
    }
    UnpackLimbs(z, n + m, zs, nl + ml);
}

template <int kLimbs>
void SquareInBuffers(std::uint32_t* z, const std::uint32_t* x, int n) {
    Limb xs[kLimbs];
    Limb zs[2 * kLimbs];
    const int nl = PackLimbs(xs, x, n);
    if constexpr (kLimbs <= kSmallLimbs) {
        rows::Square(zs, xs, nl);
    } else {
        Limb t[MultiplyLimbsSpace(kLimbs)];
        SquareLimbs(zs, xs, nl, t);
    }
    UnpackLimbs(z, 2 * n, zs, 2 * nl);
}

// Operands of exactly 2N words through the column-wise forms of
// comba_columns.h. Kept out of line: inlined into their callers the
// accumulators spill and the product runs about a third slower.
template <int N>
[[gnu::noinline]] void CombaMultiplyWords(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y) {
    const comba::Limbs<N> a = comba::LoadLimbs<N>(x), b = comba::LoadLimbs<N>(y);
    comba::StoreProduct(z, a, b);
}

template <int N>
[[gnu::noinline]] void CombaSquareWords(std::uint32_t* z, const std::uint32_t* x) {
    comba::StoreSquare(z, comba::LoadLimbs<N>(x));
}

}  // namespace

bool MultiplyWordsInLimbs(std::uint32_t* z, const std::uint32_t* x, int n, const std::uint32_t* y, int m) {
    if (n == 8 && m == 8) {
        CombaMultiplyWords<4>(z, x, y);
    } else if (n == 4 && m == 4) {
        CombaMultiplyWords<2>(z, x, y);
    } else if (n <= 2 * kSmallLimbs && m <= 2 * kSmallLimbs) {
        MultiplyInBuffers<kSmallLimbs>(z, x, n, y, m);
    } else if (n <= 2 * kMaxLimbs && m <= 2 * kMaxLimbs) {
        MultiplyInBuffers<kMaxLimbs>(z, x, n, y, m);
    } else {
        return false;
    }
    return true;
}

bool SquareWordsInLimbs(std::uint32_t* z, const std::uint32_t* x, int n) {
    if (n == 8) {
        CombaSquareWords<4>(z, x);
    } else if (n == 4) {
        CombaSquareWords<2>(z, x);
    } else if (n <= 2 * kSmallLimbs) {
        SquareInBuffers<kSmallLimbs>(z, x, n);
    } else if (n <= 2 * kMaxLimbs) {
        SquareInBuffers<kMaxLimbs>(z, x, n);
    } else {
        return false;
    }
    return true;
}

}  // namespace arkseal
