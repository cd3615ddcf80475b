// Worked examples of the integer operations that random operands do not
// single out: signs of zero and remainders, the quotient-or-remainder
// outputs, small-int conversion markers, roots and inverses.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/tests/bignum/gmp_bridge.h>
#include <arkseal/tests/bignum/workspace_fixture.h>

namespace arkseal::test {
namespace {

class ArithmeticExamplesTest : public GuardedTest {
protected:
    void SetUp() override {
        GuardedTest::SetUp();
        CreateNumberSystem(640, 0);
    }
    void TearDown() override {
        EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
        GuardedTest::TearDown();
    }
};

TEST_F(ArithmeticExamplesTest, SignsOfComparisonSumsAndZero) {
    Big a, b, z;
    BigFromInt(-5, a);
    BigFromInt(3, b);
    EXPECT_EQ(BigCompare(a, b), -1);
    BigFromInt(-7, b);
    EXPECT_EQ(BigCompare(a, b), 1);
    BigFromInt(-5, b);
    EXPECT_EQ(BigCompare(a, b), 0);
    BigFromInt(3, a);
    BigFromInt(5, b);
    BigSubtract(a, b, z);
    EXPECT_EQ(BigToInt(z), -2);
    BigFromInt(-3, a);
    BigFromInt(3, b);
    BigAdd(a, b, z);
    EXPECT_EQ(z.get()[0], 0u);
    BigNegate(z, z);
    EXPECT_EQ(z.get()[0], 0u);
    EXPECT_EQ(BigSetSign(-1, z), 0u);
    EXPECT_EQ(BigSign(a), -1);
    EXPECT_EQ(BigSign(z), 1);
}

TEST_F(ArithmeticExamplesTest, DivisionKeepsTheSignOfTheDividend) {
    Big x, y, z;
    BigFromInt(-7, x);
    BigFromInt(2, y);
    BigDivide(x, y, z);
    EXPECT_EQ(BigToInt(z), -3);
    EXPECT_EQ(BigToInt(x), -1);
    BigFromInt(-7, x);
    BigFromInt(9, z);
    BigDivide(x, y, y);  // remainder only
    EXPECT_EQ(BigToInt(x), -1);
    EXPECT_EQ(BigToInt(y), 2);
    BigFromInt(-7, x);
    EXPECT_EQ(BigRemainderInt(x, 2), -1);
    EXPECT_EQ(BigDivideInt(x, -2, z), -1);
    EXPECT_EQ(BigToInt(z), 3);
}

// A dividend and divisor whose estimated quotient limb is one too large even
// after the two-limb test, so the divisor must be added back (the pattern of
// Hacker's Delight's test table, at 64-bit digits).
TEST_F(ArithmeticExamplesTest, DivisionAddsTheDivisorBackWhenTheEstimateIsHigh) {
    const std::vector<std::vector<std::uint32_t>> dividends = {{0, 0, 0, 0, 0, 0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu}};
    const std::vector<std::vector<std::uint32_t>> divisors = {{1, 0, 0, 0, 0, 0x80000000u}};
    for (std::size_t i = 0; i < dividends.size(); ++i) {
        Mpz a, b, q, r;
        mpz_import(a, dividends[i].size(), -1, 4, 0, 0, dividends[i].data());
        mpz_import(b, divisors[i].size(), -1, 4, 0, 0, divisors[i].data());
        mpz_tdiv_qr(q, r, a, b);
        Big x(a), y(b), z;
        BigDivide(x, y, z);
        EXPECT_EQ(mpz_cmp(z.value(), q), 0) << i;
        EXPECT_EQ(mpz_cmp(x.value(), r), 0) << i;
    }
}

// Quotient limbs at their edges: divisors of one to five 64-bit limbs and
// quotients made of limbs that sit where the estimate from the top limbs
// needs its corrections (all ones, the top bit alone, zero, one), with
// remainders of zero, one and one less than the divisor, so that partial
// remainders often start with the divisor's own top limbs. Long divisors and
// quotients either side of 32 limbs (where the division splits), as long as
// and longer than each other, take the divide-and-conquer route the same
// way; an odd top word or a shifted-in top word of 0 alternates with the
// whole limbs.
TEST_F(ArithmeticExamplesTest, DivisionQuotientLimbsAtTheirEdges) {
    constexpr std::uint64_t kEdges[] = {
        0, 1, 0x8000000000000000u, ~std::uint64_t{0}, ~std::uint64_t{1}, 0x7FFFFFFFFFFFFFFFu};
    std::mt19937_64 rng(16);
    auto limbs = [&](int count, bool topNonZero) {
        std::vector<std::uint64_t> v(static_cast<std::size_t>(count));
        for (auto& limb : v) limb = rng() % 4 == 0 ? rng() : kEdges[rng() % std::size(kEdges)];
        if (topNonZero && v.back() == 0) v.back() = kEdges[2 + rng() % 3];
        if (topNonZero && count > 5 && rng() % 2 == 0) v.back() >>= 32 + rng() % 32;
        Mpz m;
        mpz_import(m, v.size(), -1, sizeof(std::uint64_t), 0, 0, v.data());
        return m;
    };
    const struct {
        int divisorLimbs, shortestQuotient, longestQuotient, rounds;
    } cases[] = {{1, 1, 5, 400},     {2, 1, 5, 400},      {3, 1, 5, 400},    {4, 1, 5, 400},     {5, 1, 5, 400},
                 {31, 31, 33, 30},   {32, 30, 34, 30},    {33, 31, 66, 30},  {64, 31, 129, 20},  {65, 63, 66, 20},
                 {100, 31, 160, 20}, {159, 158, 160, 10}, {160, 1, 160, 10}, {200, 31, 119, 10}, {288, 31, 32, 10}};
    for (const auto& c : cases) {
        for (int round = 0; round < c.rounds; ++round) {
            const Mpz b = limbs(c.divisorLimbs, true);
            const int span = c.longestQuotient - c.shortestQuotient + 1;
            const Mpz quotient = limbs(c.shortestQuotient + static_cast<int>(rng() % span), false);
            Mpz a, r = limbs(c.divisorLimbs, false);
            mpz_mul(a, quotient, b);
            switch (round % 4) {
                case 0: break;
                case 1: mpz_add_ui(a, a, 1); break;
                case 2:
                    mpz_add(a, a, b);
                    mpz_sub_ui(a, a, 1);
                    break;
                default:
                    mpz_mod(r, r, b);
                    mpz_add(a, a, r);
                    break;
            }
            Mpz q;
            mpz_tdiv_qr(q, r, a, b);
            Big x(a), y(b), z;
            BigDivide(x, y, z);
            ASSERT_EQ(mpz_cmp(z.value(), q), 0) << MpzText(a) << " / " << MpzText(b);
            ASSERT_EQ(mpz_cmp(x.value(), r), 0) << MpzText(a) << " % " << MpzText(b);
        }
    }
}

// Operands beyond the 64-bit limb buffers take the schoolbook rows on words
// (the same row loops as the limb kernels, at the other digit width).
TEST_F(ArithmeticExamplesTest, LongOperandsTakeTheWordRows) {
    DestroyNumberSystem();
    CreateNumberSystem(3000, 0);
    OperandSource source(41);
    for (int round = 0; round < 3; ++round) {
        Mpz a, b, c, want, r;
        a = source.NextPositive(1);
        mpz_mul_2exp(a, a, 32 * (1100 + round * 150));
        mpz_add(a, a, source.NextPositive(1000));
        b = source.NextPositive(1);
        mpz_mul_2exp(b, b, 32 * (1030 + round * 100));
        mpz_sub(b, b, source.NextPositive(900));
        Big x(a), y(b), z;
        BigMultiply(x, y, z);
        mpz_mul(want, a, b);
        EXPECT_EQ(mpz_cmp(z.value(), want), 0) << "product, round " << round;
        BigMultiply(x, x, z);
        mpz_mul(want, a, a);
        EXPECT_EQ(mpz_cmp(z.value(), want), 0) << "square, round " << round;
        mpz_mul(c, a, b);
        mpz_add(c, c, b);
        mpz_tdiv_qr(want, r, c, a);
        Big dividend(c);
        BigDivide(dividend, x, z);
        EXPECT_EQ(mpz_cmp(z.value(), want), 0) << "quotient, round " << round;
        EXPECT_EQ(mpz_cmp(dividend.value(), r), 0) << "remainder, round " << round;
        ASSERT_EQ(CurrentNumberSystem()->errorCode, 0);
    }
}

TEST_F(ArithmeticExamplesTest, ToIntMarksValuesFrom2To30Up) {
    Big x;
    BigIntPower(2, 30, x);
    EXPECT_EQ(BigToInt(x), 0x40000000);
    BigFromInt(0x3FFFFFFF, x);
    EXPECT_EQ(BigToInt(x), 0x3FFFFFFF);
    BigFromInt(-1, x);
    EXPECT_EQ(BigToInt(x), -1);
    BigIntPower(2, 40, x);
    BigNegate(x, x);
    EXPECT_EQ(BigToInt(x), -0x40000000);
}

TEST_F(ArithmeticExamplesTest, ShiftsRootsGcdAndPowers) {
    Big x, z, w;
    BigFromInt(1, x);
    BigShiftBits(x, 100, z);
    Mpz want;
    mpz_ui_pow_ui(want, 2, 100);
    EXPECT_EQ(mpz_cmp(z.value(), want), 0);
    BigShiftBits(z, -99, w);
    EXPECT_EQ(BigToInt(w), 2);
    BigFromInt(1000, x);
    EXPECT_EQ(BigRoot(x, 3, w), 1);
    EXPECT_EQ(BigToInt(w), 10);
    BigFromInt(1001, x);
    EXPECT_EQ(BigRoot(x, 3, w), 0);
    EXPECT_EQ(BigToInt(w), 10);
    BigFromInt(-1001, x);
    EXPECT_EQ(BigRoot(x, 3, w), 0);
    EXPECT_EQ(BigToInt(w), -10);
    Big a, n, v;
    BigFromInt(3, a);
    BigFromInt(7, n);
    EXPECT_EQ(BigExtendedGcd(a, n, v, v, v), 1);
    EXPECT_EQ(BigToInt(v), 5);
    BigFromInt(3, x);
    BigPowerModInt(x, 5, w, w);
    EXPECT_EQ(BigToInt(w), 243);
}

TEST_F(ArithmeticExamplesTest, OtherBasesKeepBitOperationsExact) {
    DestroyNumberSystem();
    CreateNumberSystem(90, 10);  // base 10^9: bits do not line up with digits
    Big x, z;
    BigFromString(x, "1000000000");  // two digit words, yet below the marker
    EXPECT_EQ(BigToInt(x), 1000000000);
    BigFromString(x, "1073741824");
    EXPECT_EQ(BigToInt(x), kBigIntMarker);
    BigFromString(x, "1000000000000000000");  // 10^18 = 2^18 * 5^18
    EXPECT_EQ(BigBitLength(x), 60);
    EXPECT_EQ(BigTestBit(x, 18), 1);
    EXPECT_EQ(BigTestBit(x, 17), 0);
    EXPECT_EQ(BigTestBit(x, 59), 1);
    EXPECT_EQ(BigTestBit(x, 60), 0);
    BigShiftBits(x, -18, z);
    char text[64];
    BigToString(z, text);
    EXPECT_STREQ(text, "3814697265625");  // 5^18
}

}  // namespace
}  // namespace arkseal::test
