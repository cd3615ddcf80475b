// Worked examples of the modular operations that random operands do not
// single out: the modulus rules, one-word Montgomery forms, boundary sums,
// non-invertible divisors, the exact roots the root rules select, the
// recoding steps, even moduli, the fixed-size route and its all-ones carries.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/arithmetic/exponent_recoding.h>
#include <arkseal/bignum/montgomery/modular_power.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/tests/bignum/gmp_bridge.h>
#include <arkseal/tests/bignum/workspace_fixture.h>

namespace arkseal::test {
namespace {

class ModularExamplesTest : public GuardedTest {
protected:
    void SetUp() override {
        GuardedTest::SetUp();
        system_ = CreateNumberSystem(640, 0);
    }

    void Set(BigNumber x, int v) { BigFromInt(v, x); }
    int ErrorCode() const { return system_->errorCode; }

    NumberSystem* system_ = nullptr;
};

TEST_F(ModularExamplesTest, ModulusMustBeOddAndAboveTwo) {
    for (int bad : {1, 2, 10, 0, -7}) {
        DestroyNumberSystem();
        system_ = CreateNumberSystem(640, 0);
        Big n;
        Set(n, bad);
        EXPECT_EQ(MontgomerySetModulus(n), 0u) << bad;
        EXPECT_EQ(ErrorCode(), kErrorBadModulus) << bad;
    }
    DestroyNumberSystem();
    system_ = CreateNumberSystem(640, 0);
    Big n;
    Set(n, 7);
    const std::uint32_t factor = MontgomerySetModulus(n);
    EXPECT_EQ(factor * 7u, 0xFFFFFFFFu);  // -7^-1 mod 2^32
    // Setting it again is a comparison only: a scratch number it would
    // overwrite keeps its value.
    Set(system_->scratch[17], 1234);
    EXPECT_EQ(MontgomerySetModulus(n), factor);
    EXPECT_EQ(BigToInt(system_->scratch[17]), 1234);
    EXPECT_EQ(ErrorCode(), 0);
}

TEST_F(ModularExamplesTest, ConversionWithoutModulusRecordsError20) {
    Big x, y;
    Set(x, 3);
    ToMontgomery(x, y);
    EXPECT_EQ(ErrorCode(), kErrorNoModulus);
}

TEST_F(ModularExamplesTest, OneWordModulusSeven) {
    Big n, x, y, a, b, w;
    Set(n, 7);
    MontgomerySetModulus(n);
    Set(x, 3);
    ToMontgomery(x, a);
    EXPECT_EQ(BigToInt(a), 5);  // 3 * 2^32 mod 7
    FromMontgomery(a, y);
    EXPECT_EQ(BigToInt(y), 3);
    Set(x, 5);
    ToMontgomery(x, b);
    MontgomeryMultiply(a, b, w);
    FromMontgomery(w, w);
    EXPECT_EQ(BigToInt(w), 1);  // 15 mod 7
    Set(x, -1);
    ToMontgomery(x, y);
    FromMontgomery(y, y);
    EXPECT_EQ(BigToInt(y), 6);
    EXPECT_EQ(ErrorCode(), 0);
}

TEST_F(ModularExamplesTest, SumsAtTheBoundary) {
    Big n, x, y, w;
    Set(n, 1000003);
    MontgomerySetModulus(n);
    Set(x, 1000002);
    Set(y, 1);
    MontgomeryAdd(x, y, w);
    EXPECT_EQ(w.get()[0], 0u);
    Set(x, 0);
    MontgomerySubtract(x, y, w);
    EXPECT_EQ(BigToInt(w), 1000002);
    MontgomeryNegate(x, w);
    EXPECT_EQ(w.get()[0], 0u);
    Set(x, 5);
    MontgomeryMultiplyInt(x, -3, w);
    EXPECT_EQ(BigToInt(w), 1000003 - 15);
    EXPECT_EQ(ErrorCode(), 0);
}

TEST_F(ModularExamplesTest, DivisionByZeroReportsTheGcd) {
    Big n, x, zero, w;
    Set(n, 15);
    MontgomerySetModulus(n);
    Set(x, 4);
    EXPECT_NE(MontgomeryDivide(x, zero, w), 1);
    Set(zero, 10);  // not invertible mod 15 in any form
    EXPECT_EQ(MontgomeryDivide(x, zero, w), 5);
    EXPECT_EQ(ErrorCode(), 0);
    MontgomeryDivide(x, x, w);
    EXPECT_EQ(ErrorCode(), kErrorSameArgument);
}

TEST_F(ModularExamplesTest, SimultaneousInversionRules) {
    Big n, one, a, b, c, d, e, f;
    Set(n, 101);
    MontgomerySetModulus(n);
    Set(a, 7);
    ToMontgomery(a, a);
    BigNumber x1[] = {a};
    BigNumber w1[] = {d};
    EXPECT_EQ(MontgomeryInverseMany(1, x1, w1), 1);
    Set(one, 1);
    ToMontgomery(one, one);
    MontgomeryDivide(one, a, e);
    EXPECT_EQ(BigCompare(d, e), 0);
    EXPECT_EQ(MontgomeryInverseMany(0, x1, w1), 1);
    EXPECT_EQ(MontgomeryInverseMany(-1, x1, w1), 0);
    EXPECT_EQ(MontgomeryInverseMany(1, x1, x1), 0);
    EXPECT_EQ(ErrorCode(), kErrorSameArgument);
    system_->errorCode = 0;
    Set(b, 0);
    Set(c, 9);
    BigNumber x3[] = {a, b, c};
    BigNumber w3[] = {d, e, f};
    EXPECT_EQ(MontgomeryInverseMany(3, x3, w3), 0);
    EXPECT_EQ(ErrorCode(), kErrorDivisionByZero);
    // With an error pending it still sets the first two outputs.
    Set(d, 55);
    MontgomeryInverseMany(3, x3, w3);
    EXPECT_EQ(BigToInt(d), 1);
    EXPECT_EQ(BigCompare(e, a), 0);
}

struct RootCase {
    int x, p, found, root;
};

TEST_F(ModularExamplesTest, SquareRootsSelectTheDocumentedRoot) {
    // 7 = 3 mod 4: x^((p+1)/4). 13 = 5 mod 8: Atkin. 17 = 1 mod 8:
    // Tonelli-Shanks, b = 2 is a residue, b = 3 taken, root 11 (not 6).
    const RootCase cases[] = {{2, 7, 1, 4},  {3, 7, 0, 0},  {10, 13, 1, 7},  {2, 17, 1, 11}, {3, 17, 0, 0},
                              {0, 17, 1, 0}, {1, 17, 1, 1}, {16, 17, 1, 13}, {5, 4, 0, 0},   {4, 41, 1, 39}};
    Big x, p, w;
    for (const RootCase& c : cases) {
        Set(x, c.x);
        Set(p, c.p);
        Set(w, 99);
        EXPECT_EQ(SquareRootMod(x, p, w), c.found) << c.x << " mod " << c.p;
        EXPECT_EQ(BigToInt(w), c.root) << c.x << " mod " << c.p;
    }
    EXPECT_EQ(ErrorCode(), 0);
}

TEST_F(ModularExamplesTest, SquareRootFindsCompositeModuli) {
    // 561 = 1 mod 8 is a Carmichael number: 2^35 squares to 1 without -1.
    Big x, p, w;
    Set(x, 4);
    Set(p, 561);
    EXPECT_EQ(SquareRootMod(x, p, w), 0);
    EXPECT_EQ(w.get()[0], 0u);
    EXPECT_EQ(ErrorCode(), 0);
}

TEST_F(ModularExamplesTest, PowersWithOddAndEvenModuli) {
    Big x, e, n, w;
    Set(x, 4);
    Set(e, 13);
    Set(n, 497);
    PowerMod(x, e, n, w);
    EXPECT_EQ(BigToInt(w), 445);
    Set(x, 3);
    Set(e, 5);
    Set(n, 10);
    PowerMod(x, e, n, w);
    EXPECT_EQ(BigToInt(w), 3);
    EXPECT_EQ(IntPowerMod(3, e, n, w), 3);
    Set(n, 1);
    PowerMod(x, e, n, w);
    EXPECT_EQ(w.get()[0], 0u);
    Set(e, 0);
    Set(n, 11);
    PowerMod(x, e, n, w);
    EXPECT_EQ(BigToInt(w), 1);
    EXPECT_EQ(ErrorCode(), 0);
    Set(n, 10);
    PowerMod(x, e, n, n);
    EXPECT_EQ(ErrorCode(), kErrorSameArgument);
}

TEST_F(ModularExamplesTest, ZeroBasesAndNegativeExponents) {
    Big n, zero, one, two, e, zeroE, w;
    Set(n, 23);
    MontgomerySetModulus(n);
    Set(one, 1);
    ToMontgomery(one, one);
    Set(two, 2);
    ToMontgomery(two, two);
    Set(e, 5);
    MontgomeryPower(zero, e, w);
    EXPECT_EQ(w.get()[0], 0u);
    MontgomeryPower(zero, zeroE, w);
    EXPECT_EQ(BigCompare(w, one), 0);
    MontgomeryIntPower(0, zeroE, w);
    EXPECT_EQ(BigCompare(w, one), 0);
    // 0^0 * 2^5 = 32 = 9 mod 23: a zero base with exponent 0 counts as 1.
    MontgomeryPower2(zero, zeroE, two, e, w);
    FromMontgomery(w, w);
    EXPECT_EQ(BigToInt(w), 9);
    MontgomeryPower2(two, e, zero, e, w);
    EXPECT_EQ(w.get()[0], 0u);
    EXPECT_EQ(ErrorCode(), 0);
    Set(e, -1);
    MontgomeryPower(two, e, w);
    EXPECT_EQ(ErrorCode(), kErrorNegativeExponent);
}

TEST_F(ModularExamplesTest, PowerOfManyNeedsAPowerOfTwoBase) {
    DestroyNumberSystem();
    CreateNumberSystem(100, 10);
    Big n, x, e, w;
    BigFromInt(101, n);
    MontgomerySetModulus(n);
    BigFromInt(3, x);
    BigFromInt(4, e);
    BigNumber xs[] = {x};
    BigNumber es[] = {e};
    MontgomeryPowerMany(1, xs, es, w);
    EXPECT_EQ(CurrentNumberSystem()->errorCode, kErrorNeedsPowerOfTwoBase);
    DestroyNumberSystem();
    system_ = CreateNumberSystem(640, 0);
}

TEST_F(ModularExamplesTest, PowerModManyLeavesTheBasesReduced) {
    Big n, a, b, e, f, w;
    Set(n, 1009);
    Set(a, 5000);
    Set(b, -3);
    Set(e, 77);
    Set(f, 12);
    BigNumber xs[] = {a, b};
    BigNumber es[] = {e, f};
    PowerModMany(2, xs, es, n, w);
    Mpz want, t, m(1009);
    mpz_powm_ui(want, Mpz(5000), 77, m);
    mpz_powm_ui(t, Mpz(-3), 12, m);
    mpz_mul(want, want, t);
    mpz_mod(want, want, m);
    EXPECT_EQ(mpz_cmp(w.value(), want), 0);
    EXPECT_EQ(BigToInt(a), 5000 % 1009);
    EXPECT_EQ(BigToInt(b), 1006);
    EXPECT_EQ(ErrorCode(), 0);
}

TEST_F(ModularExamplesTest, LucasSmallIndices) {
    Big n, p, e, vp, v;
    Set(n, 1000003);
    Set(p, 3);
    Set(e, 0);
    LucasMod(p, e, n, vp, v);
    EXPECT_EQ(BigToInt(v), 2);
    EXPECT_EQ(BigToInt(vp), 3);  // V_-1 = V_1
    Set(e, -1);
    LucasMod(p, e, n, vp, v);
    EXPECT_EQ(BigToInt(v), 3);
    EXPECT_EQ(BigToInt(vp), 2);
    Set(e, 5);  // 2, 3, 7, 18, 47, 123
    LucasMod(p, e, n, vp, v);
    EXPECT_EQ(BigToInt(v), 123);
    EXPECT_EQ(BigToInt(vp), 47);
    LucasMod(p, e, n, v, v);
    EXPECT_EQ(BigToInt(v), 123);
    EXPECT_EQ(ErrorCode(), 0);
}

struct WindowCase {
    int x, i, value, nbs, nzs;
};

TEST_F(ModularExamplesTest, SlidingWindows) {
    const WindowCase cases[] = {
        {0b101101, 5, 11, 4, 1},                        // 10110 loses its last zero
        {0b100111, 5, 1, 1, 2},                         // 100: stops at two zeros
        {0b111110, 5, 31, 5, 0},                        // full 5-bit window
        {0b111100, 5, 15, 4, 1},                        // 11110 loses its last zero
        {0b10, 1, 1, 1, 1},                             // i < 4: at most i + 1 bits
        {0b1, 0, 1, 1, 0},       {0b0110, 3, 0, 1, 0},  // bit i clear
    };
    Big x;
    for (const WindowCase& c : cases) {
        Set(x, c.x);
        int nbs = -1, nzs = -1;
        EXPECT_EQ(ExponentWindow(x, c.i, &nbs, &nzs), c.value) << c.x;
        EXPECT_EQ(nbs, c.nbs) << c.x;
        EXPECT_EQ(nzs, c.nzs) << c.x;
    }
}

TEST_F(ModularExamplesTest, JointWindows) {
    Big x, y;
    int nbs, nzs;
    Set(x, 0b10);
    Set(y, 0b11);
    EXPECT_EQ(ExponentWindow2(x, y, 1, &nbs, &nzs), 4 * 3 + 1);
    EXPECT_EQ(nbs, 2);
    EXPECT_EQ(nzs, 0);
    Set(x, 0b100);
    Set(y, 0b000);
    EXPECT_EQ(ExponentWindow2(x, y, 2, &nbs, &nzs), 2);
    EXPECT_EQ(nbs, 1);
    EXPECT_EQ(nzs, 1);
    EXPECT_EQ(ExponentWindow2(x, y, 1, &nbs, &nzs), 0);
    EXPECT_EQ(nbs, 1);
    // At bit 0 there is no lower pair to consume.
    Set(x, 1);
    EXPECT_EQ(ExponentWindow2(x, y, 0, &nbs, &nzs), 2);
    EXPECT_EQ(nbs, 1);
    EXPECT_EQ(nzs, 0);
}

TEST_F(ModularExamplesTest, SignedWindowOf27) {
    Big x, x3;
    Set(x, 27);
    Set(x3, 81);
    int nbs, nzs;
    EXPECT_EQ(SignedWindow(x, x3, 6, &nbs, &nzs), 7);
    EXPECT_EQ(nbs, 4);
    EXPECT_EQ(nzs, 1);
    EXPECT_EQ(SignedWindow(x, x3, 5, &nbs, &nzs), 0);
    EXPECT_EQ(nbs, 1);
    EXPECT_EQ(nzs, 0);
    // Position 2 down to 1: digits 0, -1 -> starts with 0.
    EXPECT_EQ(SignedWindow(x, x3, 3, &nbs, &nzs), -5);  // -1, 0, -1
    EXPECT_EQ(nbs, 3);
    EXPECT_EQ(nzs, 0);
}

// Every signed window walk rebuilds the scalar: x = sum of d_j 2^(j-1).
TEST_F(ModularExamplesTest, SignedWindowsRebuildTheScalar) {
    std::mt19937_64 rng(5);
    Big x, x3;
    for (int round = 0; round < 200; ++round) {
        Mpz v;
        mpz_set_ui(v, rng());
        mpz_mul_2exp(v, v, 64);
        mpz_add_ui(v, v, rng());
        FromMpz(v, x);
        BigMultiplyInt(x, 3, x3);
        Mpz rebuilt;
        for (int i = BigBitLength(x3) - 1; i >= 1;) {
            int nbs, nzs;
            const int r = SignedWindow(x, x3, i, &nbs, &nzs);
            ASSERT_TRUE(r == 0 || (r % 2 != 0 && r >= -21 && r <= 21)) << r;
            mpz_mul_2exp(rebuilt, rebuilt, static_cast<mp_bitcnt_t>(nbs));
            if (r >= 0) mpz_add_ui(rebuilt, rebuilt, static_cast<unsigned long>(r));
            if (r < 0) mpz_sub_ui(rebuilt, rebuilt, static_cast<unsigned long>(-r));
            mpz_mul_2exp(rebuilt, rebuilt, static_cast<mp_bitcnt_t>(nzs));
            i -= nbs + nzs;
            if (i < 0) mpz_tdiv_q_2exp(rebuilt, rebuilt, static_cast<mp_bitcnt_t>(-i));
        }
        ASSERT_EQ(mpz_cmp(rebuilt, v), 0) << MpzText(v);
    }
}

// A 512-bit modulus takes the fixed-size route; 256 and 768 bits do not.
TEST_F(ModularExamplesTest, FixedSizeRouteIsChosenBySize) {
    Big n;
    for (int words : {8, 16, 24, 32, 64, 48}) {
        Mpz m;
        mpz_setbit(m, static_cast<mp_bitcnt_t>(32 * words - 1));
        mpz_add_ui(m, m, 12345);
        FromMpz(m, n);
        MontgomerySetModulus(n);
        EXPECT_EQ(system_->fastReduction, words == 16 || words == 32 || words == 64 ? 1 : 0) << words;
    }
}

// All-ones operands and an all-ones modulus push a carry through every word
// of the Karatsuba sums and the reduction; results that reduce to zero or to
// short values come out in normal form.
TEST_F(ModularExamplesTest, AllOnesOperandsOnTheFixedSizeRoute) {
    Big n, x, y, w, general;
    for (int words : {16, 32, 64}) {
        Mpz m, r;
        mpz_setbit(r, static_cast<mp_bitcnt_t>(32 * words));
        mpz_sub_ui(m, r, 1);  // every word 0xFFFFFFFF
        FromMpz(m, n);
        MontgomerySetModulus(n);
        ASSERT_EQ(system_->fastReduction, 1);
        Mpz vx;
        mpz_sub_ui(vx, m, 1);  // n - 1
        FromMpz(vx, x);
        for (bool square : {false, true}) {
            MontgomeryMultiply(x, square ? x.get() : x.get(), w);
            BigMultiply(x, x, general);
            FromMontgomery(general, general);
            EXPECT_EQ(BigCompare(w, general), 0) << words;
            Mpz want, inverse;
            mpz_invert(inverse, r, m);
            mpz_mul(want, vx, vx);
            mpz_mul(want, want, inverse);
            mpz_mod(want, want, m);
            EXPECT_EQ(mpz_cmp(w.value(), want), 0) << words;
            EXPECT_EQ(ShapeProblem(w, system_->wordCapacity + 1), "");
        }
        // R mod n (the form of 1) times 0, and a product reducing to 1 word.
        BigZero(y);
        MontgomeryMultiply(x, y, w);
        EXPECT_EQ(w.get()[0], 0u);
        BigFromInt(1, y);
        ToMontgomery(y, y);  // form of 1
        BigFromInt(5, x);
        MontgomeryMultiply(x, y, w);
        EXPECT_EQ(BigToInt(w), 5);
        EXPECT_EQ(ShapeProblem(w, system_->wordCapacity + 1), "");
    }
    EXPECT_EQ(system_->errorCode, 0);
}

// With an error pending the operations leave their outputs alone, except
// the square root, which clears its output first.
TEST_F(ModularExamplesTest, PendingErrorLeavesOutputsAlone) {
    Big n, x, y, w;
    Set(n, 1000003);
    MontgomerySetModulus(n);
    Set(x, 5);
    Set(y, 7);
    system_->errorCode = kErrorOverflow;
    Set(w, 42);
    MontgomeryMultiply(x, y, w);
    MontgomeryAdd(x, y, w);
    MontgomerySubtract(x, y, w);
    MontgomeryNegate(x, w);
    MontgomeryMultiplyInt(x, 3, w);
    MontgomeryPower(x, y, w);
    ToMontgomery(x, w);
    FromMontgomery(x, w);
    EXPECT_EQ(MontgomeryDivide(x, y, w), 0);
    EXPECT_EQ(BigToInt(w), 42);
    EXPECT_EQ(MontgomerySquareRoot(x, w), 0);
    EXPECT_EQ(w.get()[0], 0u);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
}

int progressCalls = 0;
int CountProgress() { return ++progressCalls; }

TEST_F(ModularExamplesTest, PowersReportProgressPerStep) {
    system_->progressCallback = CountProgress;
    Big n, x, e, w;
    Set(n, 1000003);
    Set(x, 12345);
    Set(e, 1 << 20);
    progressCalls = 0;
    PowerMod(x, e, n, w);
    EXPECT_GT(progressCalls, 0);
    EXPECT_LE(progressCalls, 20);  // one per window step over 20 bits
    Mpz want;
    mpz_powm_ui(want, Mpz(12345), 1 << 20, Mpz(1000003));
    EXPECT_EQ(mpz_cmp(w.value(), want), 0);
    system_->progressCallback = nullptr;
}

// A modulus as long as the capacity: the fixed-size route's working space
// then reaches the upper-half view of scratch 7, which must read as zero
// afterwards.
TEST_F(ModularExamplesTest, FixedSizeRouteAtFullCapacity) {
    DestroyNumberSystem();
    system_ = CreateNumberSystem(-64, 0);  // 16 words
    ASSERT_EQ(system_->wordCapacity, 16);
    std::mt19937_64 rng(9);
    Mpz m, r, inverse;
    mpz_setbit(r, 512);
    for (int i = 0; i < 8; ++i) {
        mpz_mul_2exp(m, m, 64);
        mpz_add_ui(m, m, rng());
    }
    mpz_setbit(m, 511);
    mpz_setbit(m, 0);
    mpz_invert(inverse, r, m);
    Big n, x, y, w;
    FromMpz(m, n);
    MontgomerySetModulus(n);
    ASSERT_EQ(system_->fastReduction, 1);
    Mpz vx, vy, want;
    mpz_sub_ui(vx, m, 1);
    mpz_tdiv_q_2exp(vy, m, 3);
    FromMpz(vx, x);
    FromMpz(vy, y);
    MontgomeryMultiply(x, y, w);
    mpz_mul(want, vx, vy);
    mpz_mul(want, want, inverse);
    mpz_mod(want, want, m);
    EXPECT_EQ(mpz_cmp(w.value(), want), 0);
    EXPECT_EQ(ShapeProblem(system_->scratch[10], system_->wordCapacity + 1), "");
    EXPECT_EQ(system_->errorCode, 0);
}

}  // namespace
}  // namespace arkseal::test
