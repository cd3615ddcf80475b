// Montgomery arithmetic against GMP on random residues from fixed seeds, for
// moduli of 1 to 64 words: the three product routes (fixed-size, row kernel,
// full product and word-by-word reduction) must agree digit for digit and
// with GMP, and the conversions, sums, inverses and powers must match.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/modular_power.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/tests/bignum/gmp_bridge.h>
#include <arkseal/tests/bignum/workspace_fixture.h>

namespace arkseal::test {
namespace {

// A modulus of `words` digits in a workspace of the given shape.
struct ModulusCase {
    int words;
    WorkspaceShape shape;
};

std::ostream& operator<<(std::ostream& out, const ModulusCase& c) { return out << c.words << "_in_" << c.shape.name; }

class MontgomeryDiffTest : public GuardedTest, public ::testing::WithParamInterface<ModulusCase> {
protected:
    void SetUp() override {
        GuardedTest::SetUp();
        system_ = CreateNumberSystem(GetParam().shape.digits, GetParam().shape.base);
        ASSERT_EQ(system_->errorCode, 0);
        radix_ = system_->base == 0 ? (1ull << 32) : system_->base;
        mpz_ui_pow_ui(r_, radix_, static_cast<unsigned long>(GetParam().words));
    }
    int Words() const { return GetParam().words; }
    int Capacity() const { return system_->wordCapacity; }
    bool FixedSize() const { return system_->base == 0 && Words() % 16 == 0; }

    // A modulus of exactly Words() digits prime to the radix; now and then
    // the largest one, with (nearly) all digits at their largest, which
    // drives every carry.
    Mpz RandomModulus(std::mt19937_64& rng) {
        Mpz n;
        if (rng() % 4 == 0) {
            mpz_sub_ui(n, r_, 1);
            if (mpz_even_p(n.get())) mpz_sub_ui(n, n, 1);
            while (mpz_gcd_ui(nullptr, n, radix_) != 1) mpz_sub_ui(n, n, 2);
            return n;
        }
        mpz_set_ui(n, 1 + rng() % (radix_ - 1));
        for (int i = 1; i < Words(); ++i) {
            mpz_mul_ui(n, n, radix_);
            mpz_add_ui(n, n, rng() % radix_);
        }
        if (mpz_even_p(n.get())) mpz_add_ui(n, n, 1);
        // In base 10^9 the lowest digit must also be prime to 5, in base 7^11 to 7.
        while (mpz_gcd_ui(nullptr, n, radix_) != 1) mpz_add_ui(n, n, 2);
        if (mpz_cmp_ui(n.get(), 3) < 0) mpz_set_ui(n, 3);
        return n;
    }

    // A residue below n: zero, one, n - 1, or random.
    Mpz RandomResidue(std::mt19937_64& rng, const Mpz& n) {
        Mpz v;
        switch (rng() % 8) {
            case 0: break;
            case 1: mpz_set_ui(v, 1); break;
            case 2: mpz_sub_ui(v, n, 1); break;
            default: {
                gmp_randstate_t state;
                gmp_randinit_default(state);
                gmp_randseed_ui(state, rng());
                mpz_urandomm(v, state, n);
                gmp_randclear(state);
            }
        }
        return v;
    }

    // Montgomery form of v under n (v R mod n).
    Mpz Form(const Mpz& v, const Mpz& n) {
        Mpz f;
        mpz_mul(f, v, r_);
        mpz_mod(f, f, n);
        return f;
    }

    Mpz ProductOfForms(const Mpz& a, const Mpz& b, const Mpz& n) {
        Mpz p, rInverse;
        mpz_invert(rInverse, r_, n);
        mpz_mul(p, a, b);
        mpz_mul(p, p, rInverse);
        mpz_mod(p, p, n);
        return p;
    }

    NumberSystem* system_ = nullptr;
    std::uint64_t radix_ = 0;
    Mpz r_;
};

// The 640-digit decimal workspace (72 words of 10^9), and full-word
// workspaces exactly as long as the two smallest fixed-size moduli.
constexpr WorkspaceShape kDecimal640 = {640, 10, "Decimal72"};
constexpr WorkspaceShape kFullWords16 = {-64, 0, "FullWords16"};
constexpr WorkspaceShape kFullWords32 = {-128, 0, "FullWords32"};

#ifdef NDEBUG
constexpr int kCases = 60;
constexpr int kExponentWords = 64;
#else
constexpr int kCases = 12;
constexpr int kExponentWords = 8;  // the sanitizer build is slow at full size
#endif

TEST_P(MontgomeryDiffTest, ConversionsRoundTrip) {
    std::mt19937_64 rng(11 + Words());
    Big n, x, y, z;
    for (int c = 0; c < kCases; ++c) {
        const Mpz m = RandomModulus(rng);
        FromMpz(m, n);
        ASSERT_NE(MontgomerySetModulus(n), 0u);
        ASSERT_EQ(system_->fastReduction, FixedSize() ? 1 : 0);
        // Any integer, negative or longer than n, converts to its residue's form.
        OperandSource source(rng());
        const Mpz v = source.Next(std::min(2 * Words(), Capacity()));
        Mpz residue;
        mpz_mod(residue, v, m);
        FromMpz(v, x);
        ToMontgomery(x, y);
        ASSERT_EQ(mpz_cmp(y.value(), Form(residue, m)), 0) << MpzText(v);
        ASSERT_EQ(ShapeProblem(y, system_->wordCapacity + 1), "");
        FromMontgomery(y, z);
        ASSERT_EQ(mpz_cmp(z.value(), residue), 0);
        ASSERT_EQ(ShapeProblem(z, system_->wordCapacity + 1), "");
    }
    EXPECT_EQ(system_->errorCode, 0);
}

TEST_P(MontgomeryDiffTest, ProductRoutesAgreeWithEachOtherAndGmp) {
    std::mt19937_64 rng(23 + Words());
    Big n, a, b, w, general, square;
    for (int c = 0; c < kCases; ++c) {
        const Mpz m = RandomModulus(rng);
        FromMpz(m, n);
        MontgomerySetModulus(n);
        for (int k = 0; k < 4; ++k) {
            const Mpz va = RandomResidue(rng, m), vb = RandomResidue(rng, m);
            FromMpz(va, a);
            FromMpz(vb, b);
            MontgomeryMultiply(a, b, w);
            ASSERT_EQ(mpz_cmp(w.value(), ProductOfForms(va, vb, m)), 0)
                << MpzText(m) << " " << MpzText(va) << " " << MpzText(vb);
            ASSERT_EQ(ShapeProblem(w, system_->wordCapacity + 1), "");
            // The full product and word-by-word reduction, where the product fits.
            if (2 * Words() <= Capacity()) {
                BigMultiply(a, b, general);
                FromMontgomery(general, general);
                ASSERT_EQ(mpz_cmp(w.value(), general.value()), 0);
            }
            // The other route for fixed-size moduli (row kernel instead).
            if (FixedSize()) {
                system_->fastReduction = 0;
                MontgomeryMultiply(a, b, general);
                system_->fastReduction = 1;
                ASSERT_EQ(mpz_cmp(w.value(), general.value()), 0);
            }
            // Squaring, also in place.
            BigCopy(a, square);
            MontgomeryMultiply(square, square, square);
            ASSERT_EQ(mpz_cmp(square.value(), ProductOfForms(va, va, m)), 0);
            // Output aliasing an input.
            MontgomeryMultiply(a, b, a);
            ASSERT_EQ(mpz_cmp(a.value(), w.value()), 0);
        }
    }
    EXPECT_EQ(system_->errorCode, 0);
}

// Operands below R but not below n: the limb kernel and the full product
// with word-by-word reduction still give the same digits (both subtract n
// once). The fixed-size route takes residues only, so it is switched off.
TEST_P(MontgomeryDiffTest, UnreducedOperandsGiveTheSameDigitsOnEveryRoute) {
    if (Words() == Capacity()) GTEST_SKIP() << "unreduced products may need a word more than the capacity";
    std::mt19937_64 rng(31 + Words());
    Big n, a, b, w, general;
    for (int c = 0; c < kCases; ++c) {
        const Mpz m = RandomModulus(rng);
        FromMpz(m, n);
        MontgomerySetModulus(n);
        system_->fastReduction = 0;
        Mpz va, vb;
        mpz_sub_ui(va, r_, 1 + rng() % 3);
        mpz_sub_ui(vb, r_, 1 + rng() % 5);
        FromMpz(va, a);
        FromMpz(vb, b);
        MontgomeryMultiply(a, b, w);
        if (2 * Words() <= Capacity()) {
            BigMultiply(a, b, general);
            FromMontgomery(general, general);
            ASSERT_EQ(mpz_cmp(w.value(), general.value()), 0);
        }
        Mpz congruent;
        mpz_sub(congruent, w.value(), ProductOfForms(va, vb, m));
        ASSERT_TRUE(mpz_divisible_p(congruent, m));
    }
    EXPECT_EQ(system_->errorCode, 0);
}

TEST_P(MontgomeryDiffTest, SumsDifferencesNegationsAndSmallMultiples) {
    std::mt19937_64 rng(41 + Words());
    Big n, a, b, w;
    OperandSource ints(rng());
    for (int c = 0; c < kCases; ++c) {
        const Mpz m = RandomModulus(rng);
        FromMpz(m, n);
        MontgomerySetModulus(n);
        const Mpz va = RandomResidue(rng, m), vb = RandomResidue(rng, m);
        FromMpz(va, a);
        FromMpz(vb, b);
        Mpz want;
        MontgomeryAdd(a, b, w);
        mpz_add(want, va, vb);
        mpz_mod(want, want, m);
        ASSERT_EQ(mpz_cmp(w.value(), want), 0);
        MontgomerySubtract(a, b, w);
        mpz_sub(want, va, vb);
        mpz_mod(want, want, m);
        ASSERT_EQ(mpz_cmp(w.value(), want), 0);
        MontgomeryNegate(a, w);
        mpz_neg(want, va);
        mpz_mod(want, want, m);
        ASSERT_EQ(mpz_cmp(w.value(), want), 0);
        const int k = ints.Int();
        MontgomeryMultiplyInt(a, k, w);
        mpz_mul_si(want, va, k);
        mpz_mod(want, want, m);
        ASSERT_EQ(mpz_cmp(w.value(), want), 0) << k;
        ASSERT_EQ(ShapeProblem(w, system_->wordCapacity + 1), "");
    }
    EXPECT_EQ(system_->errorCode, 0);
}

TEST_P(MontgomeryDiffTest, DivisionAndSimultaneousInversion) {
    std::mt19937_64 rng(53 + Words());
    Big n;
    constexpr int kMany = 5;
    std::vector<Big> x(kMany), w(kMany);
    std::vector<BigNumber> xs, ws;
    for (int i = 0; i < kMany; ++i) {
        xs.push_back(x[i]);
        ws.push_back(w[i]);
    }
    for (int c = 0; c < kCases; ++c) {
        const Mpz m = RandomModulus(rng);
        FromMpz(m, n);
        MontgomerySetModulus(n);
        std::vector<Mpz> values;
        for (int i = 0; i < kMany; ++i) {
            Mpz v, g;
            do {
                v = RandomResidue(rng, m);
                mpz_gcd(g, v, m);
            } while (mpz_cmp_ui(g.get(), 1) != 0);
            values.push_back(v);
            FromMpz(Form(v, m), x[i]);
        }
        ASSERT_EQ(MontgomeryInverseMany(kMany, xs.data(), ws.data()), 1);
        for (int i = 0; i < kMany; ++i) {
            Mpz inverse;
            ASSERT_NE(mpz_invert(inverse, values[i], m), 0);
            ASSERT_EQ(mpz_cmp(w[i].value(), Form(inverse, m)), 0) << i;
        }
        // x0 / x1 in Montgomery form.
        ASSERT_EQ(MontgomeryDivide(x[0], x[1], w[0]), 1);
        Mpz quotient;
        mpz_invert(quotient, values[1], m);
        mpz_mul(quotient, quotient, values[0]);
        mpz_mod(quotient, quotient, m);
        ASSERT_EQ(mpz_cmp(w[0].value(), Form(quotient, m)), 0);
    }
    EXPECT_EQ(system_->errorCode, 0);
}

TEST_P(MontgomeryDiffTest, PowersMatchGmp) {
    std::mt19937_64 rng(67 + Words());
    Big n, x, a, e, f, w;
    OperandSource source(rng());
    const int cases = std::max(2, kCases / (1 + Words() / 16));
    for (int c = 0; c < cases; ++c) {
        const Mpz m = RandomModulus(rng);
        FromMpz(m, n);
        MontgomerySetModulus(n);
        const Mpz vx = RandomResidue(rng, m), va = RandomResidue(rng, m);
        const int eWords = std::min(Words(), kExponentWords);
        const Mpz ve = source.NextPositive(eWords), vf = source.NextPositive(eWords / 2 + 1);
        FromMpz(Form(vx, m), x);
        FromMpz(Form(va, m), a);
        FromMpz(ve, e);
        FromMpz(vf, f);
        Mpz want, other;
        mpz_powm(want, vx, ve, m);
        MontgomeryPower(x, e, w);
        ASSERT_EQ(mpz_cmp(w.value(), Form(want, m)), 0) << "x^e";
        MontgomeryPower2(x, e, a, f, w);
        mpz_powm(other, va, vf, m);
        mpz_mul(want, want, other);
        mpz_mod(want, want, m);
        ASSERT_EQ(mpz_cmp(w.value(), Form(want, m)), 0) << "x^e a^f";
        BigNumber bases[2] = {x, a};
        BigNumber exponents[2] = {e, f};
        if (system_->base == system_->powerOfTwo) {
            MontgomeryPowerMany(2, bases, exponents, w);
            ASSERT_EQ(mpz_cmp(w.value(), Form(want, m)), 0) << "many";
        }
        const int small = source.Int();
        MontgomeryIntPower(small, e, w);
        Mpz vs(small);
        mpz_mod(vs, vs, m);
        mpz_powm(want, vs, ve, m);
        ASSERT_EQ(mpz_cmp(w.value(), Form(want, m)), 0) << "small base " << small;
        // The explicit-modulus form on ordinary numbers, the output also being
        // the exponent.
        FromMpz(vx, x);
        BigCopy(e, w);
        PowerMod(x, w, n, w);
        mpz_powm(want, vx, ve, m);
        ASSERT_EQ(mpz_cmp(w.value(), want), 0) << "PowerMod";
    }
    EXPECT_EQ(system_->errorCode, 0);
}

// x^e mod an even modulus goes through plain products; small and zero
// exponents and the exponent as output everywhere.
TEST_P(MontgomeryDiffTest, PowersOfEvenModuliAndEdgeExponents) {
    std::mt19937_64 rng(71 + Words());
    OperandSource source(rng());
    Big n, x, e, w;
    for (int c = 0; c < kCases; ++c) {
        Mpz m = RandomModulus(rng);
        mpz_sub_ui(m, m, 1);
        const Mpz vx = source.Next(std::min(Words() + 1, Capacity())), ve = source.NextPositive(3);
        FromMpz(m, n);
        FromMpz(vx, x);
        FromMpz(ve, e);
        PowerMod(x, e, n, w);
        Mpz want;
        mpz_powm(want, vx, ve, m);
        ASSERT_EQ(mpz_cmp(w.value(), want), 0);
        const int small = source.Int();
        IntPowerMod(small, e, n, w);
        Mpz vs(small);
        mpz_mod(vs, vs, m);
        mpz_powm(want, vs, ve, m);
        ASSERT_EQ(mpz_cmp(w.value(), want), 0) << small;
    }
    EXPECT_EQ(system_->errorCode, 0);
}

TEST_P(MontgomeryDiffTest, SquareRootsSquareBackAndNonResiduesGiveZero) {
    std::mt19937_64 rng(79 + Words());
    Big p, x, w;
    // Finding large primes costs GMP more than the roots cost us.
    const int cases = Words() > 16 ? 3 : kCases;
    for (int c = 0; c < cases; ++c) {
        Mpz m = RandomModulus(rng);
        mpz_nextprime(m, m);
        if (mpz_cmp(m, r_) >= 0) continue;
        FromMpz(m, p);
        const Mpz v = RandomResidue(rng, m);
        FromMpz(v, x);
        const int found = SquareRootMod(x, p, w);
        const bool square = mpz_sgn(v.get()) == 0 || mpz_legendre(v, m) == 1;
        ASSERT_EQ(found, square ? 1 : 0) << MpzText(m) << " " << MpzText(v);
        Mpz root = w.value(), back;
        if (square) {
            mpz_powm_ui(back, root, 2, m);
            ASSERT_EQ(mpz_cmp(back, v), 0);
        } else {
            ASSERT_EQ(mpz_sgn(root.get()), 0);
        }
    }
    EXPECT_EQ(system_->errorCode, 0);
}

TEST_P(MontgomeryDiffTest, LucasValuesFollowTheRecurrence) {
    std::mt19937_64 rng(83 + Words());
    Big n, p, e, vp, v;
    for (int c = 0; c < kCases; ++c) {
        const Mpz m = RandomModulus(rng);
        const Mpz vpar = RandomResidue(rng, m);
        const long k = static_cast<long>(rng() % 200) - 100;
        // V_0 .. V_|k| by the recurrence.
        Mpz previous(2), current(vpar), next;
        mpz_mod(current, current, m);
        Mpz before = vpar;  // V_-1 = V_1
        for (long j = 0; j < std::labs(k); ++j) {
            before = previous;
            mpz_mul(next, vpar, current);
            mpz_sub(next, next, previous);
            mpz_mod(next, next, m);
            previous = current;
            current = next;
        }
        // previous = V_|k|, before = V_(|k|-1).
        FromMpz(m, n);
        FromMpz(vpar, p);
        BigFromInt(static_cast<int>(k), e);
        LucasMod(p, e, n, vp, v);
        ASSERT_EQ(mpz_cmp(v.value(), previous), 0) << k;
        ASSERT_EQ(mpz_cmp(vp.value(), before), 0) << k;
    }
    EXPECT_EQ(system_->errorCode, 0);
}

// Every modulus length from 1 to 18 words, so that each fixed limb count of
// the column kernel and both row kernels meet GMP; residues and unreduced
// operands below R alike.
class MontgomeryKernelLengths : public GuardedTest {};

TEST_F(MontgomeryKernelLengths, EveryLengthAgreesWithGmpAndTheWordByWordReduction) {
    CreateNumberSystem(640, 0);
    NumberSystem* s = CurrentNumberSystem();
    std::mt19937_64 rng(97);
    {
        Big n, a, b, w, general;
        for (int words = 1; words <= 18; ++words) {
            Mpz r, rInverse;
            mpz_setbit(r, static_cast<mp_bitcnt_t>(32 * words));
            for (int c = 0; c < 20; ++c) {
                Mpz m, va, vb;
                for (int i = 0; i < words; ++i) {
                    mpz_mul_2exp(m, m, 32);
                    mpz_add_ui(m, m, rng() & 0xFFFFFFFFu);
                    mpz_mul_2exp(va, va, 32);
                    mpz_add_ui(va, va, rng() & 0xFFFFFFFFu);
                    mpz_mul_2exp(vb, vb, 32);
                    mpz_add_ui(vb, vb, rng() & 0xFFFFFFFFu);
                }
                mpz_setbit(m, static_cast<mp_bitcnt_t>(32 * words - 1 - rng() % 3));
                mpz_setbit(m, 0);
                if (c % 2 == 0) {  // residues
                    mpz_mod(va, va, m);
                    mpz_mod(vb, vb, m);
                }
                FromMpz(m, n);
                FromMpz(va, a);
                FromMpz(vb, b);
                MontgomerySetModulus(n);
                s->fastReduction = 0;
                MontgomeryMultiply(a, b, w);
                BigMultiply(a, b, general);
                FromMontgomery(general, general);
                ASSERT_EQ(BigCompare(w, general), 0) << words;
                ASSERT_EQ(ShapeProblem(w, s->wordCapacity + 1), "");
                mpz_invert(rInverse, r, m);
                Mpz want, got = w.value();
                mpz_mul(want, va, vb);
                mpz_mul(want, want, rInverse);
                mpz_sub(want, got, want);
                ASSERT_TRUE(mpz_divisible_p(want, m)) << words;
                if (c % 2 == 0) {
                    ASSERT_LT(mpz_cmp(got, m), 0);
                }
            }
        }
        ASSERT_EQ(s->errorCode, 0);
    }
    DestroyNumberSystem();
}

INSTANTIATE_TEST_SUITE_P(
    Moduli, MontgomeryDiffTest,
    ::testing::Values(ModulusCase{1, kFullWords640}, ModulusCase{3, kFullWords640}, ModulusCase{8, kFullWords640},
                      ModulusCase{16, kFullWords640}, ModulusCase{24, kFullWords640}, ModulusCase{32, kFullWords640},
                      ModulusCase{64, kFullWords640}, ModulusCase{4, kDecimal640}, ModulusCase{9, kDecimal640},
                      // Moduli as long as the capacity, and other working bases.
                      ModulusCase{4, kFullWords4}, ModulusCase{8, kFullWords8}, ModulusCase{16, kFullWords16},
                      ModulusCase{32, kFullWords32}, ModulusCase{96, kDecimal96}, ModulusCase{3, kOctal24},
                      ModulusCase{24, kOctal24}, ModulusCase{5, kSeptenary24}, ModulusCase{24, kSeptenary24}),
    [](const auto& info) {
        std::ostringstream name;
        name << info.param;
        return name.str();
    });

}  // namespace
}  // namespace arkseal::test
