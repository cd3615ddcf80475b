// Fixed-size multiplication kernels and Montgomery reduction, checked against GMP.

#include <arkseal/bignum/products/fast_multiply.h>

#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace arkseal {
namespace {

static_assert(GMP_LIMB_BITS == 64, "the oracle packs two digits per GMP limb");

using Words = std::vector<std::uint32_t>;

// Operand shapes that reach the carry paths: random digits, all ones (every
// half sum carries, every column is full), one half all ones and the other
// zero, alternating words, zero, one, and a ripple shape (low half all ones,
// high half 2^64): times all ones, its high half product ends in a limb of
// ones that the carry of the middle term must ripple through.
enum class Shape { kRandom, kOnes, kLowOnes, kHighOnes, kAlternating, kZero, kOne, kRipple };
constexpr Shape kShapes[] = {Shape::kRandom,      Shape::kOnes, Shape::kLowOnes, Shape::kHighOnes,
                             Shape::kAlternating, Shape::kZero, Shape::kOne,     Shape::kRipple};

Words MakeOperand(Shape shape, int n, std::mt19937& rng) {
    Words w(n, 0);
    for (int i = 0; i < n; ++i) {
        switch (shape) {
            case Shape::kRandom: w[i] = rng(); break;
            case Shape::kOnes: w[i] = 0xFFFFFFFF; break;
            case Shape::kLowOnes: w[i] = i < n / 2 ? 0xFFFFFFFF : 0; break;
            case Shape::kHighOnes: w[i] = i >= n / 2 ? 0xFFFFFFFF : 0; break;
            case Shape::kAlternating: w[i] = i % 2 ? 0xFFFFFFFF : 0; break;
            case Shape::kZero: break;
            case Shape::kOne: w[i] = i == 0; break;
            case Shape::kRipple: w[i] = i < n / 2 ? 0xFFFFFFFF : i == n / 2 + 2; break;
        }
    }
    return w;
}

std::vector<mp_limb_t> ToLimbs(const Words& w) {
    std::vector<mp_limb_t> l(w.size() / 2);
    for (std::size_t i = 0; i < l.size(); ++i) l[i] = mp_limb_t(w[2 * i]) | mp_limb_t(w[2 * i + 1]) << 32;
    return l;
}

Words FromLimbs(const std::vector<mp_limb_t>& l) {
    Words w(2 * l.size());
    for (std::size_t i = 0; i < l.size(); ++i) {
        w[2 * i] = std::uint32_t(l[i]);
        w[2 * i + 1] = std::uint32_t(l[i] >> 32);
    }
    return w;
}

Words GmpProduct(const Words& x, const Words& y) {
    const auto a = ToLimbs(x), b = ToLimbs(y);
    std::vector<mp_limb_t> p(2 * a.size());
    if (&x == &y) {
        mpn_sqr(p.data(), a.data(), a.size());
    } else {
        mpn_mul_n(p.data(), a.data(), b.data(), a.size());
    }
    return FromLimbs(p);
}

Words Low(const Words& w, int n) { return Words(w.begin(), w.begin() + n); }

struct Mpz {
    mpz_t v;
    Mpz() { mpz_init(v); }
    explicit Mpz(const Words& w) {
        mpz_init(v);
        mpz_import(v, w.size(), -1, sizeof(std::uint32_t), 0, 0, w.data());
    }
    ~Mpz() { mpz_clear(v); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    Words ToWords(int n) const {
        Words w(n, 0);
        EXPECT_LE(mpz_sizeinbase(v, 2), std::size_t(32 * n));
        mpz_export(w.data(), nullptr, -1, sizeof(std::uint32_t), 0, 0, v);
        return w;
    }
};

constexpr int kSizes[] = {16, 32, 64, 128};

TEST(FastMultiplySize, IsSixteenTimesAPowerOfTwo) {
    for (int words : {16, 32, 64, 128, 512}) EXPECT_TRUE(IsFastMultiplySize(words)) << words;
    for (int words : {-16, 0, 1, 8, 24, 48, 96, 640}) EXPECT_FALSE(IsFastMultiplySize(words)) << words;
}

TEST(Comba16, ProductSquareAndHalvesMatchGmp) {
    std::mt19937 rng(1601);
    for (Shape sx : kShapes) {
        for (Shape sy : kShapes) {
            const Words x = MakeOperand(sx, 16, rng), y = MakeOperand(sy, 16, rng);
            SCOPED_TRACE(testing::Message() << "shapes " << int(sx) << ", " << int(sy));
            const Words expected = GmpProduct(x, y);
            Words z(32);
            Comba16Multiply(z.data(), x.data(), y.data());
            EXPECT_EQ(z, expected);
            Words low(16);
            Comba16MultiplyLow(low.data(), x.data(), y.data());
            EXPECT_EQ(low, Low(expected, 16));
            Words high = Low(expected, 16);
            high.resize(32, 0xA5A5A5A5);
            Comba16MultiplyHigh(high.data(), x.data(), y.data());
            EXPECT_EQ(high, expected);
        }
        const Words x = MakeOperand(sx, 16, rng);
        Words z(32);
        Comba16Square(z.data(), x.data());
        EXPECT_EQ(z, GmpProduct(x, x)) << "shape " << int(sx);
    }
    for (int i = 0; i < 200; ++i) {
        const Words x = MakeOperand(Shape::kRandom, 16, rng), y = MakeOperand(Shape::kRandom, 16, rng);
        Words z(32), s(32);
        Comba16Multiply(z.data(), x.data(), y.data());
        ASSERT_EQ(z, GmpProduct(x, y));
        Comba16Square(s.data(), x.data());
        ASSERT_EQ(s, GmpProduct(x, x));
    }
}

TEST(ArrayArithmetic, AddAndSubtractMatchGmpInEveryForm) {
    std::mt19937 rng(2202);
    for (int n : kSizes) {
        for (Shape sx : kShapes) {
            for (Shape sy : {Shape::kRandom, Shape::kOnes, Shape::kOne, Shape::kZero}) {
                SCOPED_TRACE(testing::Message() << "n " << n << " shapes " << int(sx) << ", " << int(sy));
                const Words x = MakeOperand(sx, n, rng), y = MakeOperand(sy, n, rng);
                const auto a = ToLimbs(x), b = ToLimbs(y);
                std::vector<mp_limb_t> sum(a.size()), difference(a.size());
                const std::uint32_t carry = mpn_add_n(sum.data(), a.data(), b.data(), a.size());
                const std::uint32_t borrow = mpn_sub_n(difference.data(), a.data(), b.data(), a.size());

                Words z(n);
                EXPECT_EQ(AddMultipleOf16Words(z.data(), x.data(), y.data(), n), carry);
                EXPECT_EQ(z, FromLimbs(sum));
                Words inPlace = y;
                EXPECT_EQ(AddMultipleOf16Words(inPlace.data(), inPlace.data(), x.data(), n), carry);
                EXPECT_EQ(inPlace, FromLimbs(sum));
                Words overFirst = x;
                EXPECT_EQ(AddMultipleOf16Words(overFirst.data(), overFirst.data(), y.data(), n), carry);
                EXPECT_EQ(overFirst, FromLimbs(sum));

                EXPECT_EQ(SubtractMultipleOf16Words(z.data(), x.data(), y.data(), n), borrow);
                EXPECT_EQ(z, FromLimbs(difference));
                inPlace = x;
                EXPECT_EQ(SubtractMultipleOf16Words(inPlace.data(), inPlace.data(), y.data(), n), borrow);
                EXPECT_EQ(inPlace, FromLimbs(difference));
                Words overSecond = y;
                EXPECT_EQ(SubtractMultipleOf16Words(overSecond.data(), x.data(), overSecond.data(), n), borrow);
                EXPECT_EQ(overSecond, FromLimbs(difference));
            }
        }
    }
}

// The temporary space is sized exactly 2n words, so the sanitizer build
// catches any routine that reaches beyond it.
TEST(Karatsuba, ProductAndSquareMatchGmp) {
    std::mt19937 rng(3303);
    for (int n : kSizes) {
        Words t(2 * n), z(2 * n);
        for (Shape sx : kShapes) {
            for (Shape sy : kShapes) {
                SCOPED_TRACE(testing::Message() << "n " << n << " shapes " << int(sx) << ", " << int(sy));
                const Words x = MakeOperand(sx, n, rng), y = MakeOperand(sy, n, rng);
                KaratsubaMultiply(z.data(), x.data(), y.data(), n, t.data());
                EXPECT_EQ(z, GmpProduct(x, y));
            }
            const Words x = MakeOperand(sx, n, rng);
            KaratsubaSquare(z.data(), x.data(), n, t.data());
            EXPECT_EQ(z, GmpProduct(x, x)) << "n " << n << " shape " << int(sx);
        }
        for (int i = 0; i < 20; ++i) {
            const Words x = MakeOperand(Shape::kRandom, n, rng), y = MakeOperand(Shape::kRandom, n, rng);
            KaratsubaMultiply(z.data(), x.data(), y.data(), n, t.data());
            ASSERT_EQ(z, GmpProduct(x, y)) << "n " << n;
            KaratsubaSquare(z.data(), x.data(), n, t.data());
            ASSERT_EQ(z, GmpProduct(x, x)) << "n " << n;
        }
    }
}

TEST(HalfProducts, LowerAndUpperHalvesMatchTheFullProduct) {
    std::mt19937 rng(4404);
    for (int n : kSizes) {
        Words t(2 * n);
        auto check = [&](const Words& x, const Words& y) {
            const Words full = GmpProduct(x, y);
            Words low(n);
            LowerHalfMultiply(low.data(), x.data(), y.data(), n, t.data());
            EXPECT_EQ(low, Low(full, n));
            Words z = Low(full, n);
            z.resize(2 * n, 0x5A5A5A5A);
            UpperHalfMultiply(z.data(), x.data(), y.data(), n, t.data());
            EXPECT_EQ(z, full);
        };
        for (Shape sx : kShapes) {
            for (Shape sy : kShapes) {
                SCOPED_TRACE(testing::Message() << "n " << n << " shapes " << int(sx) << ", " << int(sy));
                check(MakeOperand(sx, n, rng), MakeOperand(sy, n, rng));
            }
        }
        for (int i = 0; i < 20; ++i) {
            SCOPED_TRACE(testing::Message() << "n " << n << " random " << i);
            check(MakeOperand(Shape::kRandom, n, rng), MakeOperand(Shape::kRandom, n, rng));
        }
    }
}

// Odd moduli of n words: random with the top bit set, random with the top
// quarter zero, and all ones. With all ones, q = -x_lo mod R, and x_lo = 1
// gives q = R - 1, whose product with m fills every column (the case where
// the high half of q m takes a carry from the columns below it).
enum class ModulusKind { kFull, kShort, kOnes };
constexpr ModulusKind kModulusKinds[] = {ModulusKind::kFull, ModulusKind::kShort, ModulusKind::kOnes};

Words MakeModulus(ModulusKind kind, int n, std::mt19937& rng) {
    if (kind == ModulusKind::kOnes) return MakeOperand(Shape::kOnes, n, rng);
    Words m = MakeOperand(Shape::kRandom, n, rng);
    m[0] |= 1;
    if (kind == ModulusKind::kShort) {
        for (int i = 3 * n / 4; i < n; ++i) m[i] = 0;
    } else {
        m[n - 1] |= 0x80000000;
    }
    return m;
}

TEST(FastMontgomery, InverseMatchesGmp) {
    std::mt19937 rng(5505);
    for (int n : kSizes) {
        for (ModulusKind kind : kModulusKinds) {
            const Words m = MakeModulus(kind, n, rng);
            Words t(2 * n), inv(n);
            FastMontgomeryInverse(inv.data(), m.data(), n, t.data());
            Mpz modulus(m), r, expected;
            mpz_setbit(r.v, 32 * n);
            ASSERT_NE(mpz_invert(expected.v, modulus.v, r.v), 0);
            EXPECT_EQ(inv, expected.ToWords(n)) << "n " << n << " modulus kind " << int(kind);
        }
    }
}

// Reduces x with the kernel and compares with x * R^-1 mod m from GMP.
void CheckReduction(int n, const Words& m, const Words& inv, const Mpz& x) {
    Mpz modulus(m), r, rInverse, expected;
    mpz_setbit(r.v, 32 * n);
    ASSERT_NE(mpz_invert(rInverse.v, r.v, modulus.v), 0);
    mpz_mul(expected.v, x.v, rInverse.v);
    mpz_mod(expected.v, expected.v, modulus.v);

    Words input = x.ToWords(2 * n), t(2 * n), q(n), w(n);
    FastMontgomeryReduce(w.data(), input.data(), m.data(), inv.data(), n, q.data(), t.data());
    EXPECT_EQ(w, expected.ToWords(n));
    EXPECT_EQ(Low(input, n), Low(x.ToWords(2 * n), n)) << "the low half of x is kept";
    if (n == 16) {
        for (int offset : {0, 16}) {
            Words inPlace = x.ToWords(32);
            Comba16MontgomeryReduce(inPlace.data() + offset, inPlace.data(), m.data(), inv.data());
            EXPECT_EQ(Words(inPlace.begin() + offset, inPlace.begin() + offset + 16), expected.ToWords(16))
                << "result written over x at word " << offset;
        }
    }
}

TEST(FastMontgomery, ReductionMatchesGmp) {
    std::mt19937 rng(6606);
    for (int n : {16, 32, 64}) {
        for (ModulusKind kind : kModulusKinds) {
            SCOPED_TRACE(testing::Message() << "n " << n << " modulus kind " << int(kind));
            const Words m = MakeModulus(kind, n, rng);
            Words t(2 * n), inv(n);
            FastMontgomeryInverse(inv.data(), m.data(), n, t.data());
            Mpz modulus(m), bound, x;
            mpz_mul_2exp(bound.v, modulus.v, 32 * n);  // m R

            CheckReduction(n, m, inv, x);  // zero
            mpz_sub_ui(x.v, bound.v, 1);
            CheckReduction(n, m, inv, x);  // the largest input, m R - 1
            mpz_set(x.v, modulus.v);
            CheckReduction(n, m, inv, x);  // m, which reduces to zero
            // w R reduces to w: results of one word and of a few words, with
            // leading zero words, and the largest result m - 1.
            for (unsigned long w : {1ul, 0xFFFFFFFFul}) {
                mpz_set_ui(x.v, w);
                mpz_mul_2exp(x.v, x.v, 32 * n);
                CheckReduction(n, m, inv, x);
            }
            mpz_sub_ui(x.v, modulus.v, 1);
            mpz_mul_2exp(x.v, x.v, 32 * n);
            CheckReduction(n, m, inv, x);
            mpz_add_ui(x.v, x.v, 1);
            CheckReduction(n, m, inv, x);  // (m - 1) R + 1

            for (int i = 0; i < 20; ++i) {
                Mpz random(MakeOperand(Shape::kRandom, 2 * n, rng));
                mpz_mod(x.v, random.v, bound.v);
                CheckReduction(n, m, inv, x);
            }
        }
    }
}

// The way the Montgomery product uses the kernels: product into a 2n-word
// area, reduction from there.
TEST(FastMontgomery, ProductThenReductionGivesTheMontgomeryProduct) {
    std::mt19937 rng(7707);
    for (int n : {16, 32, 64}) {
        const Words m = MakeModulus(ModulusKind::kFull, n, rng);
        Words t(2 * n), q(n), inv(n), z(2 * n), w(n);
        FastMontgomeryInverse(inv.data(), m.data(), n, t.data());
        Mpz modulus(m), r, rInverse;
        mpz_setbit(r.v, 32 * n);
        mpz_invert(rInverse.v, r.v, modulus.v);
        for (int i = 0; i < 10; ++i) {
            Mpz a(MakeOperand(Shape::kRandom, n, rng)), b(MakeOperand(Shape::kRandom, n, rng));
            mpz_mod(a.v, a.v, modulus.v);
            mpz_mod(b.v, b.v, modulus.v);
            const Words x = a.ToWords(n), y = b.ToWords(n);
            Mpz expected;
            mpz_mul(expected.v, a.v, b.v);
            mpz_mul(expected.v, expected.v, rInverse.v);
            mpz_mod(expected.v, expected.v, modulus.v);
            KaratsubaMultiply(z.data(), x.data(), y.data(), n, t.data());
            FastMontgomeryReduce(w.data(), z.data(), m.data(), inv.data(), n, q.data(), t.data());
            EXPECT_EQ(w, expected.ToWords(n)) << "n " << n << " product " << i;

            mpz_mul(expected.v, a.v, a.v);
            mpz_mul(expected.v, expected.v, rInverse.v);
            mpz_mod(expected.v, expected.v, modulus.v);
            KaratsubaSquare(z.data(), x.data(), n, t.data());
            FastMontgomeryReduce(w.data(), z.data(), m.data(), inv.data(), n, q.data(), t.data());
            EXPECT_EQ(w, expected.ToWords(n)) << "n " << n << " square " << i;
        }
    }
}

}  // namespace
}  // namespace arkseal
