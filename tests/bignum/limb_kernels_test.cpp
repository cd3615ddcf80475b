// The limb products of any two lengths and the limb long division, checked
// against GMP's mpn layer at the lengths where their routes change (the
// Karatsuba split, pieces of a short operand, the divide-and-conquer
// division and its blocks) and on limbs at the edges of their estimates.
// Every buffer is exactly as long as stated, so the sanitizer build catches
// any access past it.
#include <gmp.h>
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include <arkseal/bignum/division/recursive_division.h>
#include <arkseal/bignum/products/limb_karatsuba.h>

namespace arkseal {
namespace {

static_assert(sizeof(mp_limb_t) == sizeof(Limb), "the oracle works on 64-bit limbs");

using Limbs = std::vector<Limb>;

const mp_limb_t* Mp(const Limbs& x) { return reinterpret_cast<const mp_limb_t*>(x.data()); }
mp_limb_t* Mp(Limbs& x) { return reinterpret_cast<mp_limb_t*>(x.data()); }

// Limbs that sit where carries ripple and estimates need their corrections,
// mixed with random ones: every fourth limb random in the mixed shape.
enum class Shape { kRandom, kOnes, kEdges };

Limbs MakeLimbs(int n, Shape shape, std::mt19937_64& rng) {
    constexpr Limb kEdges[] = {0, 1, 0x8000000000000000u, ~Limb{0}, ~Limb{1}, 0x7FFFFFFFFFFFFFFFu};
    Limbs x(static_cast<std::size_t>(n));
    for (auto& limb : x) {
        switch (shape) {
            case Shape::kRandom: limb = rng(); break;
            case Shape::kOnes: limb = ~Limb{0}; break;
            case Shape::kEdges: limb = rng() % 4 == 0 ? rng() : kEdges[rng() % std::size(kEdges)]; break;
        }
    }
    return x;
}

// Lengths either side of the Karatsuba split (24 limbs, squares 40), of its
// halves' split and of the pieces route (the shorter operand at most half
// the longer, rounded up), up to the longest operands of the division
// buffers; squares of every length as well.
TEST(LimbKernels, ProductsOfEveryRouteMatchGmp) {
    constexpr int kLengths[] = {1,  2,  12, 23, 24, 25, 39, 40,  41,  47,  48, 49,
                                50, 51, 79, 80, 81, 95, 97, 160, 161, 320, 703};
    std::mt19937_64 rng(24);
    for (int n : kLengths) {
        for (int m : kLengths) {
            if (m > n) continue;
            for (Shape shape : {Shape::kRandom, Shape::kOnes, Shape::kEdges}) {
                const Limbs x = MakeLimbs(n, shape, rng), y = MakeLimbs(m, shape, rng);
                Limbs z(static_cast<std::size_t>(n + m)), t(static_cast<std::size_t>(MultiplyLimbsSpace(n)));
                Limbs want(z.size());
                MultiplyLimbs(z.data(), x.data(), n, y.data(), m, t.data());
                mpn_mul(Mp(want), Mp(x), n, Mp(y), m);
                ASSERT_EQ(z, want) << n << " x " << m << " shape " << static_cast<int>(shape);
                if (n != m) continue;
                SquareLimbs(z.data(), x.data(), n, t.data());
                mpn_sqr(Mp(want), Mp(x), n);
                ASSERT_EQ(z, want) << n << " squared, shape " << static_cast<int>(shape);
            }
        }
    }
}

// Divisors and quotients either side of the divide-and-conquer split (32
// limbs), quotients shorter than, as long as and longer than the divisor
// (the short first block and whole blocks), built as q v + r with edge-value
// limbs in q, v and r so that partial remainders often start with the
// divisor's own top limbs and the corrections run.
TEST(LimbKernels, DivisionOfEveryRouteMatchesGmp) {
    constexpr int kDivisors[] = {2, 31, 32, 33, 64, 65, 100, 160, 320};
    std::mt19937_64 rng(32);
    for (int n : kDivisors) {
        const int quotients[] = {1, 31, 32, 33, n - 1, n, n + 1, 2 * n + 33};
        for (int k : quotients) {
            for (Shape shape : {Shape::kRandom, Shape::kOnes, Shape::kEdges}) {
                for (int remainder = 0; remainder < 3; ++remainder) {
                    Limbs v = MakeLimbs(n, shape, rng);
                    v[n - 1] |= 0x8000000000000000u;
                    const Limbs q0 = MakeLimbs(k, shape, rng);
                    // u = q0 v + r for r = 0, v - 1 or one of the shape's.
                    Limbs u(static_cast<std::size_t>(n + k));
                    mpn_mul(Mp(u), Mp(v), n, Mp(q0), k);
                    Limbs r = remainder == 0 ? Limbs(n, 0) : remainder == 1 ? v : MakeLimbs(n, shape, rng);
                    if (remainder == 1) mpn_sub_1(Mp(r), Mp(r), n, 1);
                    if (remainder == 2) r[n - 1] &= 0x7FFFFFFFFFFFFFFFu;
                    if (mpn_add(Mp(u), Mp(u), n + k, Mp(r), n) != 0) continue;
                    Limbs wantQ(static_cast<std::size_t>(k + 1)), wantR(static_cast<std::size_t>(n));
                    mpn_tdiv_qr(Mp(wantQ), Mp(wantR), 0, Mp(u), n + k, Mp(v), n);
                    if (wantQ[k] != 0) continue;
                    wantQ.pop_back();
                    Limbs q(static_cast<std::size_t>(k)), t(static_cast<std::size_t>(DivideLimbsSpace(n)));
                    DivideLimbs(q.data(), u.data(), n + k, v.data(), n, t.data());
                    ASSERT_EQ(q, wantQ) << n << " / " << k << " shape " << static_cast<int>(shape) << " r "
                                        << remainder;
                    ASSERT_EQ(Limbs(u.begin(), u.begin() + n), wantR) << n << " / " << k;
                }
            }
        }
    }
}

}  // namespace
}  // namespace arkseal
