// Numbers at the edge of the capacity, in every workspace shape: the largest
// operands that fit, one word more, and the aliasing forms each operation
// allows. The guard allocator under every block turns a write past a number
// into a failure of the test that made it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/montgomery/modular_power.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/primes/primes.h>
#include <arkseal/bignum/primes/random_numbers.h>
#include <arkseal/tests/bignum/gmp_bridge.h>
#include <arkseal/tests/bignum/workspace_fixture.h>

namespace arkseal::test {
namespace {

class CapacityTest : public WorkspaceTest {
protected:
    // radix^words - 1: every digit at its largest.
    Mpz AllOnes(int words) const {
        Mpz v, radix;
        mpz_set_ui(radix, system_->base == 0 ? 65536ul : system_->base);
        if (system_->base == 0) mpz_mul(radix, radix, radix);
        mpz_pow_ui(v, radix, static_cast<unsigned long>(words));
        mpz_sub_ui(v, v, 1);
        return v;
    }
    // radix^words: the smallest value of words + 1 digits.
    Mpz RadixPower(int words) const {
        Mpz v = AllOnes(words);
        mpz_add_ui(v, v, 1);
        return v;
    }
    // The text base whose working base is the workspace's, so that reading
    // text involves no change of base.
    int SameBaseText() const { return system_->apparentBase == 0 ? 16 : static_cast<int>(system_->apparentBase); }

    // Checks an operation whose exact result is want: when want fits the
    // capacity the output holds it, otherwise error 3 was raised; either way
    // the output is in normal form. The error is then cleared for the next
    // case.
    void ExpectFitsOrOverflows(const std::string& what, const Mpz& want, const Big& out) {
        ASSERT_NE(out.get(), nullptr) << what << ": made while an error was pending";
        if (mpz_cmpabs(want, RadixPower(Capacity())) < 0) {
            EXPECT_EQ(system_->errorCode, 0) << what;
            EXPECT_EQ(mpz_cmp(out.value(), want), 0) << what;
        } else {
            EXPECT_EQ(system_->errorCode, kErrorOverflow) << what;
        }
        EXPECT_EQ(ShapeProblem(out, BlockWords()), "") << what;
        system_->errorCode = 0;
    }

    enum class Alias { kApart, kOutIsFirst, kOutIsSecond };
    static Big& Output(Alias mode, Big& x, Big& y, Big& z) {
        return mode == Alias::kOutIsFirst ? x : mode == Alias::kOutIsSecond ? y : z;
    }
};

// Digits of abs(v) in base b, 2 <= b <= 256.
int DigitsIn(const mpz_t v, int b) {
    Mpz m;
    mpz_abs(m, v);
    int digits = 0;
    for (; Sign(m) != 0; ++digits) mpz_tdiv_q_ui(m, m, static_cast<unsigned long>(b));
    return digits;
}

// Text read in the working base itself (a plain copy, no change of base) and
// in decimal: the largest value that fits is read; one more, and text twice
// as long, raise error 3 and return 0.
TEST_P(CapacityTest, TextIsHeldToTheCapacityInEveryTextBase) {
    const Mpz largest = AllOnes(Capacity()), beyond = RadixPower(Capacity());
    Mpz doubled;
    mpz_mul(doubled, beyond, beyond);
    for (int ioBase : {SameBaseText(), 10}) {
        system_->ioBase = ioBase;
        for (const Mpz* v : std::vector<const Mpz*>{&largest, &beyond, &doubled}) {
            const std::string text = GmpText(*v, ioBase);
            Big x;
            const int count = BigFromString(x, text.c_str());
            EXPECT_EQ(count, system_->errorCode == 0 ? static_cast<int>(text.size()) : 0) << ioBase;
            ExpectFitsOrOverflows("text in base " + std::to_string(ioBase), *v, x);
        }
    }
}

// A quotient of exactly the capacity from a dividend one quotient position
// longer (the top digit of the quotient is zero): the single-digit, 64-bit
// limb and general division paths each write only the digits the quotient
// has.
TEST_P(CapacityTest, MultiplyAddDivideWritesOnlyTheQuotientDigits) {
    const int full = Capacity();
    struct Case {
        int xWords, yWords;  // w = y
    } const cases[] = {{full, full}, {full, 1}, {full, 2}, {full, 3}, {full, full - 1}};
    for (const Case& c : cases) {
        const Mpz a = AllOnes(c.xWords), b = AllOnes(c.yWords);
        Big x(a), y(b), w(b), q, r;
        BigMultiplyAddDivide(x, y, x, w, q, r);  // q = a * b / b = a
        ASSERT_EQ(system_->errorCode, 0) << c.xWords << " " << c.yWords;
        EXPECT_EQ(mpz_cmp(q.value(), a), 0) << c.xWords << " " << c.yWords;
        EXPECT_EQ(Sign(r.value()), 0);
        EXPECT_EQ(ShapeProblem(q, BlockWords()), "");
        Big x2(a), y2(b);
        BigMultiplyAddDivide(x2, y2, x2, w, x2, y2);  // outputs on the inputs
        ASSERT_EQ(system_->errorCode, 0);
        EXPECT_EQ(mpz_cmp(x2.value(), a), 0);
        EXPECT_EQ(Sign(y2.value()), 0);
    }
    // One word more: the quotient does not fit and nothing is written.
    Big x(AllOnes(full)), y(RadixPower(1)), w, q, r;
    BigFromInt(1, w);
    BigFromInt(5, q);
    BigMultiplyAddDivide(x, y, x, w, q, r);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
    EXPECT_EQ(BigToInt(q), 5);
}

// Orders up to and beyond the bit length of the largest number: the root is
// 1 or 2, and the powers of a start above it run far past the capacity.
TEST_P(CapacityTest, RootsOfOrdersNearTheBitLength) {
    const Mpz largest = AllOnes(Capacity());
    Mpz power;
    mpz_setbit(power, mpz_sizeinbase(largest, 2) - 1);
    for (const Mpz* a : std::vector<const Mpz*>{&largest, &power}) {
        const int bits = static_cast<int>(mpz_sizeinbase(*a, 2));
        for (int n = bits - 20; n <= bits + 1; ++n) {
            Mpz want;
            const int exact = mpz_root(want, *a, static_cast<unsigned long>(n));
            Big x(*a), w;
            const int result = BigRoot(x, n, w);
            ASSERT_EQ(system_->errorCode, 0) << "order " << n << " of a " << bits << "-bit number";
            EXPECT_EQ(mpz_cmp(w.value(), want), 0) << "order " << n;
            EXPECT_EQ(result, exact ? 1 : 0) << "order " << n;
        }
    }
}

// Sums and differences of the largest numbers, signed, by magnitude and with
// small ints, under every aliasing of output and inputs.
TEST_P(CapacityTest, SumsAndDifferences) {
    const Mpz top = AllOnes(Capacity()), below = AllOnes(Capacity() - 1);
    Mpz minusTop, one(1), minusOne(-1);
    mpz_neg(minusTop, top);
    struct Case {
        const char* what;
        const Mpz &a, &b;
    } const cases[] = {{"top + 0", top, Mpz()},           {"top + 1", top, one},           {"top - -1", top, minusOne},
                       {"-top + -1", minusTop, minusOne}, {"below + below", below, below}, {"top + top", top, top},
                       {"top + -top", top, minusTop}};
    for (const Case& c : cases) {
        Mpz sum, difference;
        mpz_add(sum, c.a, c.b);
        mpz_sub(difference, c.a, c.b);
        for (Alias mode : {Alias::kApart, Alias::kOutIsFirst, Alias::kOutIsSecond}) {
            Big x(c.a), y(c.b), z;
            BigAdd(x, y, Output(mode, x, y, z));
            ExpectFitsOrOverflows(std::string(c.what) + " add", sum, Output(mode, x, y, z));
            FromMpz(c.a, x);
            FromMpz(c.b, y);
            BigSubtract(x, y, Output(mode, x, y, z));
            ExpectFitsOrOverflows(std::string(c.what) + " subtract", difference, Output(mode, x, y, z));
        }
        if (Sign(c.a) >= 0 && Sign(c.b) >= 0) {
            Big x(c.a), y(c.b);
            BigMagnitudeAdd(x, y, x);
            ExpectFitsOrOverflows(std::string(c.what) + " magnitude add", sum, x);
        }
    }
    for (int n : {1, -1, INT_MAX, INT_MIN}) {
        for (const Mpz* a : std::vector<const Mpz*>{&top, &minusTop}) {
            Mpz want;
            mpz_add(want, *a, Mpz(n));
            Big x(*a);
            BigAddInt(x, n, x);
            ExpectFitsOrOverflows("add int " + std::to_string(n), want, x);
            mpz_sub(want, *a, Mpz(n));
            FromMpz(*a, x);
            BigSubtractInt(x, n, x);
            ExpectFitsOrOverflows("subtract int " + std::to_string(n), want, x);
        }
    }
}

// Products: by a number the operand lengths decide (their sum above the
// capacity is an overflow even where the product would fit); by a small int
// the product's own length does.
TEST_P(CapacityTest, Products) {
    const int half = Capacity() / 2;
    const Mpz a = AllOnes(half), b = AllOnes(Capacity() - half), leading = RadixPower(Capacity() - 1);
    for (Alias mode : {Alias::kApart, Alias::kOutIsFirst, Alias::kOutIsSecond}) {
        Big x(a), y(b), z;
        BigMultiply(x, y, Output(mode, x, y, z));
        Mpz want;
        mpz_mul(want, a, b);
        ExpectFitsOrOverflows("halves", want, Output(mode, x, y, z));
    }
    {
        Big x(a), square;
        BigMultiply(x, x, square);
        BigMultiply(x, x, x);
        Mpz want;
        mpz_mul(want, a, a);
        ExpectFitsOrOverflows("square", want, square);
        ExpectFitsOrOverflows("square in place", want, x);
    }
    {
        Big x(leading), y, z;
        BigFromInt(1, y);
        BigMultiply(x, y, z);
        EXPECT_EQ(system_->errorCode, kErrorOverflow) << "lengths " << Capacity() << " + 1";
        system_->errorCode = 0;
    }
    for (int n : {1, -1, 2, 3, INT_MAX, INT_MIN}) {
        for (const Mpz* v : std::vector<const Mpz*>{&a, &leading}) {
            Mpz top = AllOnes(Capacity());
            for (const Mpz* operand : std::vector<const Mpz*>{v, &top}) {
                Mpz want;
                mpz_mul_si(want, *operand, n);
                Big x(*operand), z;
                BigMultiplyInt(x, n, z);
                ExpectFitsOrOverflows("multiply by " + std::to_string(n), want, z);
                BigMultiplyInt(x, n, x);
                ExpectFitsOrOverflows("multiply in place by " + std::to_string(n), want, x);
            }
        }
    }
}

// Quotients as long as the capacity, by a number and by a small int, with
// each output form; dividends one word shorter, which the division works on
// in place up to the last word of their block; the fused form with an added
// term that makes the quotient too long.
TEST_P(CapacityTest, Quotients) {
    const Mpz top = AllOnes(Capacity());
    for (const Mpz& dividend : {top, AllOnes(Capacity() - 1)}) {
        for (const Mpz& divisor : {Mpz(1), Mpz(-3), RadixPower(1), AllOnes(2), RadixPower(Capacity() - 1), top}) {
            Mpz q, r;
            mpz_tdiv_qr(q, r, dividend, divisor);
            Big x(dividend), y(divisor), z;
            BigDivide(x, y, z);
            ExpectFitsOrOverflows("quotient", q, z);
            ExpectFitsOrOverflows("remainder", r, x);
            FromMpz(dividend, x);
            BigDivide(x, y, x);
            ExpectFitsOrOverflows("quotient only", q, x);
            FromMpz(dividend, x);
            BigDivide(x, y, y);
            ExpectFitsOrOverflows("remainder only", r, x);
        }
    }
    for (int n : {1, -1, 2, INT_MAX, INT_MIN}) {
        Mpz q, r;
        mpz_tdiv_qr(q, r, top, Mpz(n));
        Big x(top), z;
        EXPECT_EQ(BigRemainderInt(x, n), mpz_get_si(r)) << n;
        EXPECT_EQ(BigDivideInt(x, n, x), mpz_get_si(r)) << n;
        ExpectFitsOrOverflows("divide by int " + std::to_string(n), q, x);
    }
    // (top * 1 + top) / 1 needs one word more; / 2 fits again.
    for (int d : {1, 2}) {
        Big x(top), y, z(top), w, q, r;
        BigFromInt(1, y);
        BigFromInt(d, w);
        BigMultiplyAddDivide(x, y, z, w, q, r);
        Mpz want;
        mpz_mul_2exp(want, top, 1);
        mpz_tdiv_q_ui(want, want, static_cast<unsigned long>(d));
        ExpectFitsOrOverflows("fused sum / " + std::to_string(d), want, q);
    }
}

// Shifts to the last bit and word that fit and one beyond, and shifts by the
// extreme ints.
TEST_P(CapacityTest, Shifts) {
    const Mpz top = AllOnes(Capacity());
    const int bits = static_cast<int>(mpz_sizeinbase(top, 2));
    for (const Mpz& a : {Mpz(1), Mpz(-3), AllOnes(1), top}) {
        for (int n : {bits - 2, bits - 1, bits, -1, -bits, -bits - 1, INT_MAX, INT_MIN, INT_MIN + 1}) {
            Mpz want;
            if (n >= 0) {
                if (n > 2 * bits) {
                    mpz_mul_2exp(want, top, static_cast<mp_bitcnt_t>(bits));  // any value too long
                } else {
                    mpz_mul_2exp(want, a, static_cast<mp_bitcnt_t>(n));
                }
            } else {
                mpz_tdiv_q_2exp(want, a, static_cast<mp_bitcnt_t>(-static_cast<std::int64_t>(n)));
            }
            Big x(a), z;
            BigShiftBits(x, n, z);
            ExpectFitsOrOverflows("bit shift by " + std::to_string(n), want, z);
            BigShiftBits(x, n, x);
            ExpectFitsOrOverflows("bit shift in place by " + std::to_string(n), want, x);
        }
        for (int n : {Capacity() - 1, Capacity(), -1, -Capacity(), INT_MAX, INT_MIN}) {
            Mpz want;
            if (n > Capacity()) {
                want = RadixPower(Capacity());
            } else {
                const Mpz scale = RadixPower(n < 0 ? (n == INT_MIN ? Capacity() : -n) : n);
                if (n >= 0) {
                    mpz_mul(want, a, scale);
                } else {
                    mpz_tdiv_q(want, a, scale);
                }
            }
            Big x(a);
            BigShiftWords(x, n, x);
            ExpectFitsOrOverflows("word shift by " + std::to_string(n), want, x);
        }
    }
    Big x(top);
    EXPECT_EQ(BigBitLength(x), bits);
    EXPECT_EQ(BigTestBit(x, bits - 1), 1);
    EXPECT_EQ(BigTestBit(x, bits), 0);
    EXPECT_EQ(BigTestBit(x, INT_MAX), 0);
}

// The largest power of each base that fits, and the next one.
TEST_P(CapacityTest, PowersOfSmallInts) {
    for (int b : {2, 3, -3, 7, 10, 255, INT_MAX, INT_MIN}) {
        const Mpz limit = RadixPower(Capacity());
        Mpz power(1);
        int n = 0;
        while (mpz_cmpabs(power, limit) < 0) {
            mpz_mul_si(power, power, b);
            ++n;
        }
        for (int e : {n - 1, n}) {
            Mpz want;
            mpz_pow_ui(want, Mpz(b), static_cast<unsigned long>(e));
            Big x;
            BigIntPower(b, e, x);
            ExpectFitsOrOverflows(std::to_string(b) + "^" + std::to_string(e), want, x);
            // The same power with no modulus (the modulus is the output).
            Big base;
            BigFromInt(b, base);
            BigPowerModInt(base, e, x, x);
            ExpectFitsOrOverflows(std::to_string(b) + "^" + std::to_string(e) + " unreduced", want, x);
        }
    }
    for (int b : {0, 1, -1}) {
        Big x;
        BigIntPower(b, INT_MAX, x);
        EXPECT_EQ(BigToInt(x), b) << b;
    }
    // Modulo the largest number, the base one below it.
    const Mpz top = AllOnes(Capacity());
    Mpz a = top;
    mpz_sub_ui(a, a, 1);
    for (int e : {2, 3, 65537}) {
        Mpz want;
        mpz_powm_ui(want, a, static_cast<unsigned long>(e), top);
        Big x(a), z(top), w;
        BigPowerModInt(x, e, z, w);
        ExpectFitsOrOverflows("power mod the top", want, w);
        EXPECT_EQ(mpz_cmp(z.value(), top), 0);
        BigPowerModInt(x, e, z, x);
        ExpectFitsOrOverflows("power mod the top in place", want, x);
    }
}

// Greatest common divisors of the two largest numbers with a common factor,
// and the inverse form (a, n, v, v, v).
TEST_P(CapacityTest, GreatestCommonDivisors) {
    const Mpz top = AllOnes(Capacity());
    Mpz other = RadixPower(Capacity() - 1);
    mpz_add_ui(other, other, 1);
    for (const Mpz* b : std::vector<const Mpz*>{&other, nullptr}) {
        Mpz y = b != nullptr ? *b : top;
        if (b == nullptr) mpz_sub_ui(y, y, 2);
        Mpz g, s, t;
        mpz_gcdext(g, s, t, top, y);
        Big x(top), yb(y), z, xd, yd;
        BigGcd(x, yb, z);
        ExpectFitsOrOverflows("gcd", g, z);
        BigExtendedGcd(x, yb, xd, yd, z);
        ASSERT_EQ(system_->errorCode, 0);
        Mpz combination, term;
        mpz_mul(combination, xd.value(), top);
        mpz_mul(term, yd.value(), y);
        mpz_add(combination, combination, term);
        EXPECT_EQ(mpz_cmp(combination, g), 0);
        EXPECT_EQ(ShapeProblem(xd, BlockWords()), "");
        EXPECT_EQ(ShapeProblem(yd, BlockWords()), "");
        if (mpz_cmp_ui(g.get(), 1) == 0) {
            Mpz inverse;
            mpz_invert(inverse, top, y);
            Big v;
            EXPECT_EQ(BigExtendedGcd(x, yb, v, v, v), 1);
            ExpectFitsOrOverflows("inverse", inverse, v);
        }
    }
}

// Bytes: the largest value and one more, with leading zero bytes; output
// limited to exactly its length and to one byte less.
TEST_P(CapacityTest, Bytes) {
    const Mpz top = AllOnes(Capacity());
    for (const Mpz& v : {top, RadixPower(Capacity())}) {
        std::vector<std::uint8_t> bytes(8 + (mpz_sizeinbase(v, 2) + 7) / 8, 0);
        std::size_t count = 0;
        mpz_export(bytes.data() + 8, &count, 1, 1, 1, 0, v);
        Big x;
        BigFromBytes(static_cast<int>(bytes.size()), bytes.data(), x);
        ExpectFitsOrOverflows("from bytes", v, x);
    }
    Big x(top);
    std::vector<std::uint8_t> out(4 * static_cast<std::size_t>(Capacity()) + 8, 0xEE);
    const int count = static_cast<int>((mpz_sizeinbase(top, 2) + 7) / 8);
    EXPECT_EQ(BigToBytes(count, x, out.data()), count);
    EXPECT_EQ(out[static_cast<std::size_t>(count)], 0xEE) << "written past its length";
    EXPECT_EQ(BigToBytes(count - 1, x, out.data()), 0);
    EXPECT_EQ(system_->errorCode, kErrorTooLong);
}

// The largest number and its negation written in text bases from 2 to 256
// and read back; in bases above 60 digits are bytes (zero among them), so
// the text is read by its length.
TEST_P(CapacityTest, TextOfTheLargestNumberInEveryTextBase) {
    Mpz top = AllOnes(Capacity()), minusTop;
    mpz_neg(minusTop, top);
    for (int ioBase : {2, 3, 7, 10, 16, 36, 60, 61, 200, 255, 256}) {
        system_->ioBase = ioBase;
        for (const Mpz* v : std::vector<const Mpz*>{&top, &minusTop}) {
            if (ioBase > 60 && Sign(*v) < 0) continue;  // no sign in byte digits
            std::vector<char> text(mpz_sizeinbase(*v, 2) + 3, '\xEE');
            Big x(*v), back;
            const int count = BigToString(x, text.data());
            ASSERT_EQ(system_->errorCode, 0) << ioBase;
            EXPECT_EQ(count, DigitsIn(*v, ioBase) + (Sign(*v) < 0 ? 1 : 0)) << ioBase;
            EXPECT_EQ(text[static_cast<std::size_t>(count) + 1], '\xEE') << "written past the terminator";
            if (ioBase <= 60) {
                EXPECT_EQ(std::string(text.data()), GmpText(*v, ioBase));
            }
            system_->inputLength = count;
            EXPECT_EQ(BigFromString(back, text.data()), count) << ioBase;
            ExpectFitsOrOverflows("read back in base " + std::to_string(ioBase), *v, back);
        }
    }
}

// Stream mode goes through the workspace's text buffer of 1024 characters:
// a radix-point expansion of 1/3 (about twice the capacity in digits) and an
// input length beyond the buffer raise error 17 instead of running past it.
TEST_P(CapacityTest, StreamTextIsHeldToTheBuffer) {
    std::FILE* out = std::tmpfile();
    std::FILE* in = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ASSERT_NE(in, nullptr);
    std::fputs("12345\n", in);
    std::rewind(in);
    Big third, x;
    ASSERT_EQ(BigFromString(third, "1/3"), 3);
    system_->radixPoint = 1;
    system_->writeToFile = 1;
    system_->outputFile = out;
    char unused[1];
    const int count = BigToString(third, unused);
    if (system_->errorCode == 0) {
        std::rewind(out);
        char written[1100] = {};
        ASSERT_NE(std::fgets(written, sizeof written, out), nullptr);
        EXPECT_EQ(std::string(written, 5), "0.333");
        EXPECT_EQ(static_cast<int>(std::string(written).size()), count + 1);  // and the newline
    } else {
        EXPECT_EQ(system_->errorCode, kErrorBufferOverflow);
        EXPECT_LE(count, system_->ioBufferSize - 3);
    }
    system_->writeToFile = 0;
    system_->errorCode = 0;
    system_->readFromFile = 1;
    system_->inputFile = in;
    system_->inputLength = 5000;
    EXPECT_EQ(BigFromString(x, nullptr), 0);
    EXPECT_EQ(system_->errorCode, kErrorBufferOverflow);
    system_->readFromFile = 0;
    std::fclose(out);
    std::fclose(in);
}

// Digits in the apparent base up to the last one the capacity holds.
TEST_P(CapacityTest, DigitAccess) {
    const int last = Capacity() * system_->digitsPerWord;
    const Mpz top = AllOnes(Capacity());
    Big x(top);
    EXPECT_EQ(BigDigitCount(x), last);
    EXPECT_EQ(BigGetDigit(x, last + 1), 0u);
    Big y;
    BigSetDigit(y, last, 1);
    ASSERT_EQ(system_->errorCode, 0);
    EXPECT_EQ(BigDigitCount(y), last);
    EXPECT_EQ(ShapeProblem(y, BlockWords()), "");
    BigSetDigit(y, last + 1, 1);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
}

// Residue operations under the largest modulus prime to the radix, with the
// residues just below it: each result is below the modulus, so each fits.
TEST_P(CapacityTest, ResiduesUnderAModulusAsLongAsTheCapacity) {
    Mpz n = AllOnes(Capacity());
    const unsigned long radix = system_->base == 0 ? 0ul : system_->base;
    while (mpz_even_p(n.get()) || (radix != 0 && mpz_gcd_ui(nullptr, n, radix) != 1)) mpz_sub_ui(n, n, 1);
    Mpz r, rInverse;
    mpz_add_ui(r, AllOnes(Capacity()), 1);
    ASSERT_NE(mpz_invert(rInverse, r, n), 0);
    auto form = [&](const Mpz& v) {
        Mpz f;
        mpz_mul(f, v, r);
        mpz_mod(f, f, n);
        return f;
    };
    Mpz a = n, b = n;
    mpz_sub_ui(a, a, 1);
    mpz_sub_ui(b, b, 2);
    const Mpz e = AllOnes(2);
    // Every number made before the first operation: none can be made while
    // an error is pending.
    Big modulus(n), x(a), y(b), w, inverseOfA, inverseOfB, exponent(e), four, vp, v;
    ASSERT_NE(MontgomerySetModulus(modulus), 0u);
    Mpz want;
    MontgomeryAdd(x, y, w);
    mpz_add(want, a, b);
    mpz_mod(want, want, n);
    ExpectFitsOrOverflows("sum", want, w);
    MontgomeryAdd(x, x, x);
    mpz_add(want, a, a);
    mpz_mod(want, want, n);
    ExpectFitsOrOverflows("sum in place", want, x);
    FromMpz(a, x);
    MontgomerySubtract(y, x, w);
    mpz_sub(want, b, a);
    mpz_mod(want, want, n);
    ExpectFitsOrOverflows("difference", want, w);
    MontgomeryNegate(y, w);
    mpz_sub(want, n, b);
    ExpectFitsOrOverflows("negation", want, w);
    for (int k : {2, -1, INT_MAX, INT_MIN}) {
        MontgomeryMultiplyInt(x, k, w);
        mpz_mul_si(want, a, k);
        mpz_mod(want, want, n);
        ExpectFitsOrOverflows("small multiple " + std::to_string(k), want, w);
    }
    // Products and conversions of the forms.
    MontgomeryMultiply(x, y, w);
    mpz_mul(want, a, b);
    mpz_mul(want, want, rInverse);
    mpz_mod(want, want, n);
    ExpectFitsOrOverflows("product", want, w);
    MontgomeryMultiply(x, x, x);
    mpz_mul(want, a, a);
    mpz_mul(want, want, rInverse);
    mpz_mod(want, want, n);
    ExpectFitsOrOverflows("square in place", want, x);
    Mpz minusTop;
    mpz_neg(minusTop, AllOnes(Capacity()));
    for (const Mpz* v : std::vector<const Mpz*>{&a, &minusTop}) {
        Big value(*v);
        ToMontgomery(value, w);
        Mpz residue;
        mpz_mod(residue, *v, n);
        ExpectFitsOrOverflows("to the form", form(residue), w);
        FromMontgomery(w, w);
        ExpectFitsOrOverflows("back from the form", residue, w);
    }
    // Quotient and inverses of the forms (n - 1 and n - 2 are prime to n).
    Mpz quotient;
    mpz_invert(quotient, b, n);
    mpz_mul(quotient, quotient, a);
    mpz_mod(quotient, quotient, n);
    FromMpz(form(a), x);
    FromMpz(form(b), y);
    EXPECT_EQ(MontgomeryDivide(x, y, w), 1);
    ExpectFitsOrOverflows("quotient", form(quotient), w);
    BigNumber values[2] = {x, y};
    BigNumber inverses[2] = {inverseOfA, inverseOfB};
    EXPECT_EQ(MontgomeryInverseMany(2, values, inverses), 1);
    mpz_invert(want, a, n);
    ExpectFitsOrOverflows("inverse", form(want), inverseOfA);
    // Powers: the exponent's length does not meet the capacity, the base's does.
    MontgomeryPower(x, exponent, w);
    mpz_powm(want, a, e, n);
    ExpectFitsOrOverflows("power", form(want), w);
    MontgomeryPower2(x, exponent, y, exponent, w);
    Mpz other;
    mpz_mul(other, a, b);
    mpz_powm(want, other, e, n);
    ExpectFitsOrOverflows("power of two bases", form(want), w);
    MontgomeryIntPower(INT_MIN, exponent, w);
    mpz_powm(want, Mpz(INT_MIN), e, n);
    ExpectFitsOrOverflows("power of a small int", form(want), w);
    if (system_->base == 0) {
        BigNumber exponents[2] = {exponent, exponent};
        MontgomeryPowerMany(2, values, exponents, w);
        mpz_powm(want, other, e, n);
        ExpectFitsOrOverflows("power of many bases", form(want), w);
    }
    FromMpz(a, x);
    PowerMod(x, exponent, modulus, w);
    mpz_powm(want, a, e, n);
    ExpectFitsOrOverflows("power on ordinary numbers", want, w);
    // n is composite (3 mod 4): a root either squares back or is refused, and
    // forming (n + 1) / 4 must not overflow. (A power to an exponent as long
    // as the capacity: too slow for the 640-word workspace.)
    if (Capacity() <= 96) {
        BigFromInt(4, four);
        if (SquareRootMod(four, modulus, w) == 1) {
            mpz_powm_ui(want, w.value(), 2, n);
            EXPECT_EQ(mpz_cmp_ui(want.get(), 4), 0);
        }
        EXPECT_EQ(system_->errorCode, 0) << "square root";
        system_->errorCode = 0;
    }
    // Lucas values V_20 and V_19 of p = n - 1 = -1: the sequence of -1 runs
    // 2, -1, -1, 2, ... with period 3.
    BigFromInt(20, exponent);
    LucasMod(x, exponent, modulus, vp, v);
    ExpectFitsOrOverflows("V_20", a, v);
    ExpectFitsOrOverflows("V_19", a, vp);
}

// Random numbers below the largest number, and of as many digits as the
// capacity holds exactly (b^n the radix to the capacity).
TEST_P(CapacityTest, RandomNumbers) {
    const Mpz top = AllOnes(Capacity());
    Big bound(top), x;
    for (int i = 0; i < 4; ++i) {
        BigRandomBelow(bound, x);
        ASSERT_EQ(system_->errorCode, 0);
        EXPECT_LT(mpz_cmp(x.value(), top), 0);
        EXPECT_EQ(ShapeProblem(x, BlockWords()), "");
    }
    const int b = SameBaseText();
    Mpz power(1);
    int n = 0;
    while (mpz_cmp(power, top) <= 0) {
        mpz_mul_ui(power, power, static_cast<unsigned long>(b));
        ++n;
    }
    ASSERT_EQ(mpz_cmp(power, RadixPower(Capacity())), 0);
    Mpz least;
    mpz_ui_pow_ui(least, static_cast<unsigned long>(b), static_cast<unsigned long>(n - 1));
    for (int i = 0; i < 4; ++i) {
        BigRandomDigits(n, b, x);
        ASSERT_EQ(system_->errorCode, 0) << n << " digits in base " << b;
        EXPECT_GE(mpz_cmp(x.value(), least), 0);
        EXPECT_EQ(ShapeProblem(x, BlockWords()), "");
    }
}

// Primality of the largest number, and the next prime above it, which does
// not fit.
TEST_P(CapacityTest, PrimesAtTheTop) {
    const Mpz top = AllOnes(Capacity());
    Big x(top), y;
    EXPECT_EQ(BigIsPrime(x), mpz_probab_prime_p(top, 20) != 0 ? 1 : 0);
    EXPECT_NE(BigTrialDivision(x, y), 1);
    ASSERT_EQ(system_->errorCode, 0);
    BigNextPrime(x, y);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
    EXPECT_EQ(ShapeProblem(y, BlockWords()), "");
}

// The longest modulus of the fixed-size route in the program's workspace,
// 512 words: its working space (twice the modulus) is the largest the
// double-length scratch numbers hold for it. Products of residues just below
// the modulus agree with GMP and with the general route.
class FixedSizeRouteTest : public GuardedTest {};

TEST_F(FixedSizeRouteTest, LongestModulusInTheProgramsWorkspace) {
    NumberSystem* s = CreateNumberSystem(640, 0);
    constexpr int kWords = 512;
    Mpz n, r, rInverse;
    mpz_setbit(r, 32 * kWords);
    mpz_sub_ui(n, r, 1);
    mpz_clrbit(n, 32 * kWords - 2);  // odd, all but one bit set
    ASSERT_NE(mpz_invert(rInverse, r, n), 0);
    Mpz a = n, b = n;
    mpz_sub_ui(a, a, 1);
    mpz_sub_ui(b, b, 12345);
    Big modulus(n), x(a), y(b), fast, general, square;
    MontgomerySetModulus(modulus);
    ASSERT_EQ(s->fastReduction, 1);
    MontgomeryMultiply(x, y, fast);
    MontgomeryMultiply(x, x, square);
    s->fastReduction = 0;
    MontgomeryMultiply(x, y, general);
    s->fastReduction = 1;
    ASSERT_EQ(s->errorCode, 0);
    Mpz want;
    mpz_mul(want, a, b);
    mpz_mul(want, want, rInverse);
    mpz_mod(want, want, n);
    EXPECT_EQ(mpz_cmp(fast.value(), want), 0);
    EXPECT_EQ(mpz_cmp(general.value(), want), 0);
    mpz_mul(want, a, a);
    mpz_mul(want, want, rInverse);
    mpz_mod(want, want, n);
    EXPECT_EQ(mpz_cmp(square.value(), want), 0);
    EXPECT_EQ(ShapeProblem(fast, s->wordCapacity + 1), "");
}

INSTANTIATE_TEST_SUITE_P(Shapes, CapacityTest, ::testing::ValuesIn(kWorkspaceShapes), ShapeName);
// An odd capacity: a square of half the lengths plus one can still fit.
INSTANTIATE_TEST_SUITE_P(Odd, CapacityTest, ::testing::Values(WorkspaceShape{-20, 0, "FullWords5"}), ShapeName);

}  // namespace
}  // namespace arkseal::test
