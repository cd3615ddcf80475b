// Differential tests of the integer operations against GMP, on random
// operands from fixed seeds, in every workspace shape, with every
// aliasing of inputs and output that the operations allow.
#include <gtest/gtest.h>

#include <functional>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/tests/bignum/gmp_bridge.h>
#include <arkseal/tests/bignum/workspace_fixture.h>

namespace arkseal::test {
namespace {

enum class Alias { kApart, kOutIsFirst, kOutIsSecond, kSameInputs, kAllSame };
constexpr Alias kAllAliases[] = {Alias::kApart, Alias::kOutIsFirst, Alias::kOutIsSecond, Alias::kSameInputs,
                                 Alias::kAllSame};

using BinaryOp = std::function<void(BigNumber, BigNumber, BigNumber)>;
using Expectation = std::function<void(mpz_t, const mpz_t, const mpz_t)>;

class ArithmeticDiffTest : public WorkspaceTest {
protected:
    // Runs op on a and b placed as mode says and compares the output with the
    // expectation on the same (aliased) inputs; inputs that are not the output
    // must keep their values.
    void CheckBinary(const char* what, Alias mode, const Mpz& a, const Mpz& bGiven, const BinaryOp& op,
                     const Expectation& expect) {
        const bool same = mode == Alias::kSameInputs || mode == Alias::kAllSame;
        const Mpz& b = same ? a : bGiven;
        Big x(a), y(b), z;
        BigNumber px = x, py = same ? x.get() : y.get(), pz = z;
        if (mode == Alias::kOutIsFirst || mode == Alias::kAllSame) pz = px;
        if (mode == Alias::kOutIsSecond) pz = py;
        op(px, py, pz);
        ASSERT_EQ(system_->errorCode, 0) << what << " " << MpzText(a) << " " << MpzText(b);
        Mpz expected, got;
        expect(expected, a, b);
        ToMpz(pz, got);
        ASSERT_EQ(mpz_cmp(got, expected), 0)
            << what << " mode " << static_cast<int>(mode) << "\n a=" << MpzText(a) << "\n b=" << MpzText(b)
            << "\n got=" << MpzText(got) << "\n want=" << MpzText(expected);
        ASSERT_EQ(ShapeProblem(pz, BlockWords()), "") << what;
        if (px != pz) {
            ASSERT_EQ(mpz_cmp(x.value(), a), 0) << what << " changed its first input";
        }
        if (py != pz && py != px) {
            ASSERT_EQ(mpz_cmp(y.value(), b), 0) << what << " changed its second input";
        }
    }

    // Operands whose lengths add up to at most the capacity.
    std::pair<Mpz, Mpz> ProductOperands(OperandSource& source) {
        Mpz a = source.Next(Capacity() - 1);
        const int room = Capacity() - WordsOf(a);
        Mpz b = source.Next(room < 1 ? 1 : room);
        if (WordsOf(a) + WordsOf(b) > Capacity()) mpz_set_ui(b, 0);
        return {a, b};
    }
};

TEST_P(ArithmeticDiffTest, AddAndSubtractMatchGmpUnderEveryAliasing) {
    OperandSource source(11);
    for (int round = 0; round < kRounds; ++round) {
        const Mpz a = source.Next(Capacity() - 1);
        const Mpz b = source.Next(Capacity() - 1);
        for (Alias mode : kAllAliases) {
            CheckBinary("add", mode, a, b, BigAdd, mpz_add);
            CheckBinary("subtract", mode, a, b, BigSubtract, mpz_sub);
        }
        Mpz large, small;
        mpz_abs(large, a);
        mpz_abs(small, b);
        if (mpz_cmp(large, small) < 0) mpz_swap(large, small);
        for (Alias mode : {Alias::kApart, Alias::kOutIsFirst, Alias::kOutIsSecond}) {
            CheckBinary("magnitude add", mode, large, small, BigMagnitudeAdd, mpz_add);
            CheckBinary("magnitude subtract", mode, large, small, BigMagnitudeSubtract, mpz_sub);
        }
    }
}

TEST_P(ArithmeticDiffTest, SmallIntAddSubtractMultiplyDivideMatchGmp) {
    OperandSource source(12);
    for (int round = 0; round < kRounds; ++round) {
        const Mpz a = source.Next(Capacity() - 2);
        const int n = source.Int();
        const Mpz nValue(n);
        for (bool inPlace : {false, true}) {
            Big x(a), separate;
            BigNumber out = inPlace ? x.get() : separate.get();
            Mpz want;

            BigAddInt(x, n, out);
            mpz_add(want, a, nValue);
            Mpz got;
            ToMpz(out, got);
            ASSERT_EQ(mpz_cmp(got, want), 0) << "add int " << n << " to " << MpzText(a);
            FromMpz(a, x);
            BigSubtractInt(x, n, out);
            mpz_sub(want, a, nValue);
            ToMpz(out, got);
            ASSERT_EQ(mpz_cmp(got, want), 0) << "subtract int " << n << " from " << MpzText(a);
            FromMpz(a, x);
            BigMultiplyInt(x, n, out);
            mpz_mul_si(want, a, n);
            ToMpz(out, got);
            ASSERT_EQ(mpz_cmp(got, want), 0) << "multiply by int " << n << " " << MpzText(a);
            ASSERT_EQ(ShapeProblem(out, BlockWords()), "");
            if (n == 0) continue;
            FromMpz(a, x);
            Mpz r;
            mpz_tdiv_qr(want, r, a, nValue);
            ASSERT_EQ(BigRemainderInt(x, n), mpz_get_si(r)) << "remainder by int " << n;
            ASSERT_EQ(BigIsDivisibleInt(x, n), Sign(r) == 0 ? 1 : 0);
            const int remainder = BigDivideInt(x, n, out);
            ToMpz(out, got);
            ASSERT_EQ(mpz_cmp(got, want), 0) << "divide by int " << n << " " << MpzText(a);
            ASSERT_EQ(remainder, mpz_get_si(r));
            ASSERT_EQ(ShapeProblem(out, BlockWords()), "");
            ASSERT_EQ(system_->errorCode, 0);
        }
    }
}

TEST_P(ArithmeticDiffTest, MultiplyAndSquareMatchGmpUnderEveryAliasing) {
    OperandSource source(13);
    for (int round = 0; round < kRounds; ++round) {
        auto [a, b] = ProductOperands(source);
        while (2 * WordsOf(a) > Capacity()) mpz_tdiv_q_2exp(a, a, 32);
        for (Alias mode : kAllAliases) CheckBinary("multiply", mode, a, b, BigMultiply, mpz_mul);
    }
}

// Every pair of short lengths, random and all-ones, reaches each
// size-specific product and square kernel.
TEST_P(ArithmeticDiffTest, ShortProductsOfEveryLengthPairMatchGmp) {
    OperandSource source(21);
    const int longest = Capacity() / 2 < 20 ? Capacity() / 2 : 20;
    for (int n = 1; n <= longest; ++n) {
        for (int m = 1; m <= longest; ++m) {
            for (bool ones : {false, true}) {
                Mpz a, b;
                Mpz radix;
                mpz_set_ui(radix, system_->base == 0 ? 1ul << 16 : system_->base);
                if (system_->base == 0) mpz_mul(radix, radix, radix);
                mpz_pow_ui(a, radix, static_cast<unsigned long>(n));
                mpz_pow_ui(b, radix, static_cast<unsigned long>(m));
                if (ones) {
                    mpz_sub_ui(a, a, 1);
                    mpz_sub_ui(b, b, 1);
                } else {
                    mpz_tdiv_q_2exp(a, a, 1);
                    mpz_add(a, a, source.NextPositive(1));
                    mpz_tdiv_q_2exp(b, b, 3);
                    mpz_add(b, b, source.NextPositive(1));
                }
                CheckBinary("multiply", Alias::kApart, a, b, BigMultiply, mpz_mul);
                CheckBinary("square", Alias::kSameInputs, a, b, BigMultiply, mpz_mul);
            }
        }
    }
}

// Long operands on each product route: the schoolbook rows, the Karatsuba
// recursion at exactly 16 * 2^k words, the same padded with zeros from
// slightly shorter balanced operands, and Karatsuba with halves of any
// length; random and all-ones digits (every carry).
TEST_P(ArithmeticDiffTest, LongProductsOnEveryRouteMatchGmp) {
    OperandSource source(22);
    const struct {
        int n, m;
    } lengths[] = {{32, 32},   {64, 64},   {56, 64},   {64, 33},   {100, 120},
                   {128, 128}, {160, 200}, {256, 256}, {320, 320}, {512, 100}};
    for (const auto& pair : lengths) {
        if (pair.n + pair.m > Capacity()) continue;
        for (bool ones : {false, true}) {
            Mpz a, b;
            if (ones) {
                Mpz radix;
                mpz_set_ui(radix, system_->base == 0 ? 1ul << 16 : system_->base);
                if (system_->base == 0) mpz_mul(radix, radix, radix);
                mpz_pow_ui(a, radix, static_cast<unsigned long>(pair.n));
                mpz_pow_ui(b, radix, static_cast<unsigned long>(pair.m));
                mpz_sub_ui(a, a, 1);
                mpz_sub_ui(b, b, 1);
            } else {
                do a = source.NextPositive(pair.n);
                while (WordsOf(a) != pair.n);
                do b = source.NextPositive(pair.m);
                while (WordsOf(b) != pair.m);
            }
            CheckBinary("long multiply", Alias::kApart, a, b, BigMultiply, mpz_mul);
            if (2 * pair.n <= Capacity()) CheckBinary("long square", Alias::kSameInputs, a, b, BigMultiply, mpz_mul);
        }
    }
}

TEST_P(ArithmeticDiffTest, DivideMatchesGmpWithQuotientAndRemainderOutputs) {
    OperandSource source(14);
    for (int round = 0; round < 2 * kRounds; ++round) {
        const Mpz a = source.Next(Capacity());
        Mpz b = source.Next(round % 3 == 0 ? 2 : Capacity());
        if (Sign(b) == 0) mpz_set_si(b, -7);
        Mpz q, r;
        mpz_tdiv_qr(q, r, a, b);
        enum { kBoth, kQuotientOnly, kRemainderOnly };
        for (int outputs : {kBoth, kQuotientOnly, kRemainderOnly}) {
            Big x(a), y(b), z;
            BigNumber out = outputs == kQuotientOnly ? x.get() : outputs == kRemainderOnly ? y.get() : z.get();
            BigDivide(x, y, out);
            ASSERT_EQ(system_->errorCode, 0);
            ASSERT_EQ(mpz_cmp(y.value(), b), 0) << "divisor not restored";
            ASSERT_EQ(ShapeProblem(y, BlockWords()), "");
            if (outputs != kRemainderOnly) {
                Mpz got;
                ToMpz(out, got);
                ASSERT_EQ(mpz_cmp(got, q), 0) << "quotient of " << MpzText(a) << " / " << MpzText(b);
                ASSERT_EQ(ShapeProblem(out, BlockWords()), "");
            }
            if (outputs != kQuotientOnly) {
                ASSERT_EQ(mpz_cmp(x.value(), r), 0) << "remainder of " << MpzText(a) << " / " << MpzText(b);
                ASSERT_EQ(ShapeProblem(x, BlockWords()), "");
            }
        }
    }
}

TEST_P(ArithmeticDiffTest, MultiplyAddDivideMatchesGmp) {
    OperandSource source(15);
    for (int round = 0; round < kRounds; ++round) {
        auto [a, b] = ProductOperands(source);
        const Mpz c = source.Next(Capacity());
        Mpz d = source.Next(Capacity());
        if (Sign(d) == 0) mpz_set_ui(d, 3);
        Mpz sum, q, r;
        mpz_mul(sum, a, b);
        mpz_add(sum, sum, c);
        mpz_tdiv_qr(q, r, sum, d);
        Mpz product;
        mpz_mul(product, a, b);
        const int longest = WordsOf(sum) > WordsOf(product) ? WordsOf(sum) : WordsOf(product);
        if (longest - WordsOf(d) + 1 > Capacity()) continue;
        Big x(a), y(b), z(c), w(d), quotient, remainder;
        BigMultiplyAddDivide(x, y, z, w, quotient, remainder);
        ASSERT_EQ(system_->errorCode, 0);
        ASSERT_EQ(mpz_cmp(quotient.value(), q), 0);
        ASSERT_EQ(mpz_cmp(remainder.value(), r), 0);
        ASSERT_EQ(mpz_cmp(w.value(), d), 0);
        // z repeated as x adds nothing; q == w stores no quotient; q == r the quotient only.
        mpz_mul(sum, a, b);
        mpz_tdiv_qr(q, r, sum, d);
        BigMultiplyAddDivide(x, y, x, w, w, remainder);
        ASSERT_EQ(mpz_cmp(remainder.value(), r), 0);
        ASSERT_EQ(mpz_cmp(w.value(), d), 0);
        BigMultiplyAddDivide(x, y, y, w, quotient, quotient);
        ASSERT_EQ(mpz_cmp(quotient.value(), q), 0);
        ASSERT_EQ(ShapeProblem(quotient, BlockWords()), "");
        // The output may be an input.
        BigMultiplyAddDivide(x, y, x, w, x, y);
        ASSERT_EQ(mpz_cmp(x.value(), q), 0);
        ASSERT_EQ(mpz_cmp(y.value(), r), 0);
    }
}

TEST_P(ArithmeticDiffTest, ShiftsBitLengthAndBitTestMatchGmp) {
    OperandSource source(16);
    for (int round = 0; round < kRounds; ++round) {
        const Mpz a = source.Next(Capacity() / 2);
        Big x(a), z;
        const int words = source.Below(Capacity() / 2) - Capacity() / 4;
        Mpz want, radixPower;
        mpz_ui_pow_ui(radixPower, system_->base == 0 ? 2 : system_->base, system_->base == 0 ? 32 : 1);
        mpz_pow_ui(radixPower, radixPower, static_cast<unsigned long>(words < 0 ? -words : words));
        if (words >= 0) {
            mpz_mul(want, a, radixPower);
        } else {
            mpz_tdiv_q(want, a, radixPower);
        }
        for (bool inPlace : {false, true}) {
            BigNumber out = inPlace ? x.get() : z.get();
            FromMpz(a, x);
            BigShiftWords(x, words, out);
            Mpz got;
            ToMpz(out, got);
            ASSERT_EQ(mpz_cmp(got, want), 0) << "word shift by " << words;
            ASSERT_EQ(ShapeProblem(out, BlockWords()), "");
        }
        const int bits = source.Below(Capacity() * 14) - Capacity() * 7;
        if (bits >= 0) {
            mpz_mul_2exp(want, a, static_cast<mp_bitcnt_t>(bits));
        } else {
            mpz_tdiv_q_2exp(want, a, static_cast<mp_bitcnt_t>(-bits));
        }
        for (bool inPlace : {false, true}) {
            BigNumber out = inPlace ? x.get() : z.get();
            FromMpz(a, x);
            BigShiftBits(x, bits, out);
            ASSERT_EQ(system_->errorCode, 0);
            Mpz got;
            ToMpz(out, got);
            ASSERT_EQ(mpz_cmp(got, want), 0) << "bit shift by " << bits << " of " << MpzText(a);
            ASSERT_EQ(ShapeProblem(out, BlockWords()), "");
        }
        FromMpz(a, x);
        const int length = Sign(a) == 0 ? 0 : static_cast<int>(mpz_sizeinbase(a, 2));
        ASSERT_EQ(BigBitLength(x), length);
        Mpz magnitude;
        mpz_abs(magnitude, a);
        for (int probe = 0; probe < 8; ++probe) {
            const int bit = source.Below(length + 40);
            ASSERT_EQ(BigTestBit(x, bit), mpz_tstbit(magnitude, static_cast<mp_bitcnt_t>(bit))) << "bit " << bit;
        }
    }
}

TEST_P(ArithmeticDiffTest, CompareMatchesGmp) {
    OperandSource source(17);
    for (int round = 0; round < 4 * kRounds; ++round) {
        const Mpz a = source.Next(4);
        const Mpz b = round % 4 == 0 ? a : source.Next(4);
        Big x(a), y(b);
        const int want = mpz_cmp(a, b);
        ASSERT_EQ(BigCompare(x, y), (want > 0) - (want < 0)) << MpzText(a) << " vs " << MpzText(b);
    }
}

TEST_P(ArithmeticDiffTest, PowersMatchGmp) {
    OperandSource source(18);
    for (int round = 0; round < kRounds / 4; ++round) {
        const int b = source.Below(2001) - 1000;
        const int n = source.Below(60);
        Big x;
        Mpz want;
        mpz_set_si(want, b);
        mpz_pow_ui(want, want, static_cast<unsigned long>(n));
        if (WordsOf(want) <= Capacity()) {
            BigIntPower(b, n, x);
            ASSERT_EQ(mpz_cmp(x.value(), want), 0) << b << "^" << n;
        }
        mpz_ui_pow_ui(want, 2, static_cast<unsigned long>(n * 37));
        if (WordsOf(want) <= Capacity()) {
            BigIntPower(2, n * 37, x);
            ASSERT_EQ(mpz_cmp(x.value(), want), 0) << "2^" << n * 37;
        }
        ASSERT_EQ(system_->errorCode, 0);

        const Mpz a = source.Next(Capacity() / 4);
        Mpz m = source.Next(Capacity() / 4);
        if (Sign(m) == 0) mpz_set_ui(m, 5);
        const int e = source.Below(300);
        Mpz power;
        mpz_pow_ui(power, a, static_cast<unsigned long>(e));
        mpz_tdiv_r(want, power, m);
        Big base(a), modulus(m), w;
        BigPowerModInt(base, e, modulus, w);
        ASSERT_EQ(system_->errorCode, 0);
        ASSERT_EQ(mpz_cmp(w.value(), want), 0) << MpzText(a) << "^" << e << " mod " << MpzText(m);
        ASSERT_EQ(mpz_cmp(modulus.value(), m), 0);
        BigPowerModInt(base, e, modulus, base);  // output is the base
        ASSERT_EQ(mpz_cmp(base.value(), want), 0);

        const Mpz small = source.Next(1);
        const int plain = source.Below(Capacity() / 2);
        FromMpz(small, base);
        BigPowerModInt(base, plain, w, w);  // modulus is the output: no reduction
        mpz_pow_ui(want, small, static_cast<unsigned long>(plain));
        ASSERT_EQ(mpz_cmp(w.value(), want), 0);
    }
}

TEST_P(ArithmeticDiffTest, RootsMatchGmp) {
    OperandSource source(19);
    for (int round = 0; round < kRounds / 2; ++round) {
        Mpz a = source.Next(round % 2 ? Capacity() : 6);
        const int n = 1 + source.Below(round % 5 == 0 ? 200 : 7);
        if (n % 2 == 0) mpz_abs(a, a);
        if (round % 3 == 1 && WordsOf(a) * n <= Capacity()) {
            Mpz root;
            mpz_abs(root, a);
            mpz_root(root, root, 2);
            if (Sign(a) < 0) mpz_neg(root, root);
            mpz_pow_ui(a, root, static_cast<unsigned long>(n));
        }
        if (WordsOf(a) > Capacity()) continue;
        Mpz want;
        const int exact = mpz_root(want, a, static_cast<unsigned long>(n));
        for (bool inPlace : {false, true}) {
            Big x(a), w;
            BigNumber out = inPlace ? x.get() : w.get();
            const int result = BigRoot(x, n, out);
            ASSERT_EQ(system_->errorCode, 0);
            Mpz got;
            ToMpz(out, got);
            ASSERT_EQ(mpz_cmp(got, want), 0) << n << "-th root of " << MpzText(a);
            ASSERT_EQ(result, exact ? 1 : 0) << n << "-th root of " << MpzText(a);
        }
    }
}

TEST_P(ArithmeticDiffTest, GcdAndExtendedGcdMatchGmp) {
    OperandSource source(20);
    for (int round = 0; round < kRounds; ++round) {
        // One word below the capacity: the cofactor rule may make yd one word
        // longer than x.
        Mpz a = source.Next(Capacity() - 1);
        Mpz b = source.Next(round % 4 == 0 ? 1 : Capacity() - 1);
        if (round % 5 == 0) {  // a shared factor
            const Mpz f = source.NextPositive(Capacity() / 3);
            mpz_tdiv_q_2exp(a, a, mpz_sizeinbase(f, 2));
            mpz_tdiv_q_2exp(b, b, mpz_sizeinbase(f, 2));
            mpz_mul(a, a, f);
            mpz_mul(b, b, f);
        }
        Mpz g;
        mpz_gcd(g, a, b);
        Big x(a), y(b), z, xd, yd;
        const int small = BigGcd(x, y, z);
        ASSERT_EQ(mpz_cmp(z.value(), g), 0) << "gcd of " << MpzText(a) << ", " << MpzText(b);
        ASSERT_EQ(small, mpz_cmp_ui(g.get(), kBigIntMarker) < 0 ? static_cast<int>(mpz_get_si(g)) : kBigIntMarker);
        ASSERT_EQ(mpz_cmp(x.value(), a), 0);
        ASSERT_EQ(mpz_cmp(y.value(), b), 0);

        BigExtendedGcd(x, y, xd, yd, z);
        ASSERT_EQ(system_->errorCode, 0) << MpzText(a) << ", " << MpzText(b);
        ASSERT_EQ(mpz_cmp(z.value(), g), 0);
        Mpz combination, term;
        mpz_mul(combination, xd.value(), a);
        mpz_mul(term, yd.value(), b);
        mpz_add(combination, combination, term);
        ASSERT_EQ(mpz_cmp(combination, g), 0) << "cofactors of " << MpzText(a) << ", " << MpzText(b) << ": "
                                              << MpzText(xd.value()) << ", " << MpzText(yd.value());
        ASSERT_EQ(ShapeProblem(xd, BlockWords()), "");
        ASSERT_EQ(ShapeProblem(yd, BlockWords()), "");
        // The outputs may be the inputs.
        {
            Big x2(a), y2(b);
            BigGcd(x2, y2, x2);
            ASSERT_EQ(mpz_cmp(x2.value(), g), 0);
            ASSERT_EQ(mpz_cmp(y2.value(), b), 0);
            FromMpz(a, x2);
            BigExtendedGcd(x2, y2, x2, y2, z);
            ASSERT_EQ(mpz_cmp(x2.value(), xd.value()), 0);
            ASSERT_EQ(mpz_cmp(y2.value(), yd.value()), 0);
            ASSERT_EQ(mpz_cmp(z.value(), g), 0);
        }
        if (mpz_cmp_ui(g.get(), 1) == 0 && Sign(b) != 0) {
            Mpz absB;
            mpz_abs(absB, b);
            ASSERT_GT(Sign(xd.value()), 0);
            ASSERT_LE(mpz_cmp(xd.value(), absB), 0);
            if (mpz_cmp_ui(absB.get(), 1) > 0) {
                // (a, n, v, v, v) leaves the inverse of a modulo n in v.
                Mpz inverse;
                ASSERT_NE(mpz_invert(inverse, a, absB), 0);
                Big v;
                ASSERT_EQ(BigExtendedGcd(x, y, v, v, v), 1);
                ASSERT_EQ(mpz_cmp(v.value(), inverse), 0) << "inverse of " << MpzText(a) << " mod " << MpzText(absB);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bases, ArithmeticDiffTest, ::testing::ValuesIn(kWorkspaceShapes), ShapeName);

}  // namespace
}  // namespace arkseal::test
