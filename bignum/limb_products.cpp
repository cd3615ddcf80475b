/* Basecase products on 64-bit limbs.
 *
 * Two adjacent 32-bit words w0 + w1 2^32 form one limb; an odd top word is a
 * limb with a zero upper half. Operands are packed into limb buffers on the
 * stack, multiplied or squared by the schoolbook rows of row_loops.h on
 * limbs, and the product is unpacked into the caller's words, so the
 * caller's arrays may have any length and alignment.
 *
 * Operands of exactly 4 or 8 words (2 or 4 limbs; the 256-bit curve field
 * has 8 words) take unrolled column-wise (Comba) forms instead: each
 * column's products are summed in a three-limb accumulator and its low limb
 * stored once.
 */
#include "bignum/limb_products.h"

#include "bignum/limb.h"
#include "bignum/row_loops.h"

namespace arkseal {

namespace {

// Operands up to 1024 words (twice the largest single-length number of the
// program's workspace is 1280 words; those fall back to words).
constexpr int kMaxLimbs = 512;

// Three-limb column accumulator: a 128-bit low part and the limb above it.
struct Column {
    WideLimb low = 0;
    Limb high = 0;
    void Add(WideLimb p) {
        low += p;
        high += low < p ? 1 : 0;
    }
    Limb Shift() {
        const auto limb = static_cast<Limb>(low);
        low = (low >> 64) | static_cast<WideLimb>(high) << 64;
        high = 0;
        return limb;
    }
};

// Column-wise products of exactly N limbs, fully unrolled by the compiler:
// no carry is written back between the products of one column. Kept out of
// line: inlined into their callers the accumulators spill and the product
// runs about a third slower.
template <int N>
[[gnu::noinline]] void CombaMultiply(Limb* z, const Limb* x, const Limb* y) {
    Column acc;
#pragma GCC unroll 16
    for (int k = 0; k < 2 * N - 1; ++k) {
#pragma GCC unroll 16
        for (int i = k < N ? 0 : k - N + 1; i <= (k < N ? k : N - 1); ++i)
            acc.Add(static_cast<WideLimb>(x[i]) * y[k - i]);
        z[k] = acc.Shift();
    }
    z[2 * N - 1] = acc.Shift();
}

// Each column sums the cross products x_i x_j (i < j) once, doubles them and
// adds the square x_(k/2)^2 of an even column.
template <int N>
[[gnu::noinline]] void CombaSquare(Limb* z, const Limb* x) {
    Column acc;
#pragma GCC unroll 16
    for (int k = 0; k < 2 * N - 1; ++k) {
        Column cross;
#pragma GCC unroll 16
        for (int i = k < N ? 0 : k - N + 1; 2 * i < k; ++i) cross.Add(static_cast<WideLimb>(x[i]) * x[k - i]);
        acc.Add(cross.low << 1);
        acc.high += static_cast<Limb>(cross.low >> 127) | cross.high << 1;
        if (k % 2 == 0) acc.Add(static_cast<WideLimb>(x[k / 2]) * x[k / 2]);
        z[k] = acc.Shift();
    }
    z[2 * N - 1] = acc.Shift();
}

// Products in limb buffers of kLimbs limbs per operand: small operands get
// small stack frames.
template <int kLimbs>
void MultiplyInBuffers(std::uint32_t* z, const std::uint32_t* x, int n, const std::uint32_t* y, int m) {
    Limb xs[kLimbs];
    Limb ys[kLimbs];
    Limb zs[2 * kLimbs];
    const int nl = PackLimbs(xs, x, n);
    const int ml = PackLimbs(ys, y, m);
    rows::Multiply(zs, xs, nl, ys, ml);
    UnpackLimbs(z, n + m, zs, nl + ml);
}

template <int kLimbs>
void SquareInBuffers(std::uint32_t* z, const std::uint32_t* x, int n) {
    Limb xs[kLimbs];
    Limb zs[2 * kLimbs];
    const int nl = PackLimbs(xs, x, n);
    rows::Square(zs, xs, nl);
    UnpackLimbs(z, 2 * n, zs, 2 * nl);
}

// Operands of exactly 2N words through the unrolled column-wise forms.
template <int N>
void CombaMultiplyWords(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y) {
    Limb xs[N];
    Limb ys[N];
    Limb zs[2 * N];
    PackLimbs(xs, x, 2 * N);
    PackLimbs(ys, y, 2 * N);
    CombaMultiply<N>(zs, xs, ys);
    UnpackLimbs(z, 4 * N, zs, 2 * N);
}

template <int N>
void CombaSquareWords(std::uint32_t* z, const std::uint32_t* x) {
    Limb xs[N];
    Limb zs[2 * N];
    PackLimbs(xs, x, 2 * N);
    CombaSquare<N>(zs, xs);
    UnpackLimbs(z, 4 * N, zs, 2 * N);
}

constexpr int kSmallLimbs = 8;

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
