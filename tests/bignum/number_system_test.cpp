// The workspace: creation rules, error codes and their stickiness, clearing
// of every block before release, and no allocation on the arithmetic path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/workspace/number_system.h>
#include <arkseal/bignum/workspace/random_words.h>
#include <arkseal/tests/bignum/gmp_bridge.h>
#include <arkseal/tests/bignum/workspace_fixture.h>

namespace arkseal::test {
namespace {

class InspectedWorkspaceTest : public GuardedTest {};

struct CreationCase {
    int digits;
    std::uint32_t base;
    std::uint32_t workingBase;
    int digitsPerWord;
    int bitsPerWord;
    int wordCapacity;
};

TEST_F(InspectedWorkspaceTest, CreationDerivesBaseAndCapacity) {
    const CreationCase cases[] = {
        {640, 0, 0, 1, 32, 640},         {100, 10, 1000000000, 9, 29, 12},
        {-32, 0, 0, 1, 32, 8},           {100, 8, 1u << 30, 10, 30, 10},
        {64, 16, 0, 8, 32, 8},           {1, 0, 0, 1, 32, 2},
        {-32, 10, 1000000000, 9, 29, 9}, {10, 65536, 0, 2, 32, 5},
        {33, 2, 0, 32, 32, 2},           {5, 0x80000000u, 0x80000000u, 1, 31, 5},
    };
    for (const CreationCase& c : cases) {
        NumberSystem* s = CreateNumberSystem(c.digits, c.base);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->errorCode, 0);
        EXPECT_EQ(s->base, c.workingBase) << c.digits << " digits in base " << c.base;
        EXPECT_EQ(s->digitsPerWord, c.digitsPerWord) << c.base;
        EXPECT_EQ(s->bitsPerWord, c.bitsPerWord) << c.base;
        EXPECT_EQ(s->wordCapacity, c.wordCapacity) << c.digits << " digits in base " << c.base;
        EXPECT_EQ(s->active, 1);
        EXPECT_EQ(s->ioBase, 10);
        EXPECT_EQ(s->checkOverflow, 1);
        EXPECT_EQ(s->primalityRounds, 6);
        EXPECT_EQ(s->ioBufferSize, 1024);
        EXPECT_EQ(CurrentNumberSystem(), s);
        // Scratch 0, 5, 6, 7 are double length; 8, 9, 10 the upper halves of 5, 6, 7.
        EXPECT_EQ(GuardAllocator::Live()[s->scratch[0]], (2u * c.wordCapacity + 2) * 4);
        EXPECT_EQ(GuardAllocator::Live()[s->scratch[1]], (c.wordCapacity + 1u) * 4);
        for (int i = 5; i <= 7; ++i) {
            EXPECT_EQ(GuardAllocator::Live()[s->scratch[i]], (2u * c.wordCapacity + 2) * 4);
            EXPECT_EQ(s->scratch[i + 3], s->scratch[i] + c.wordCapacity + 1);
        }
        for (int i = 11; i <= 18; ++i) EXPECT_NE(s->scratch[i], nullptr);
        EXPECT_NE(s->fastScratch, nullptr);
        DestroyNumberSystem();
        EXPECT_EQ(CurrentNumberSystem(), nullptr);
    }
    EXPECT_TRUE(GuardAllocator::Live().empty()) << "blocks left after destruction";
}

TEST_F(InspectedWorkspaceTest, RefusedArgumentsLeaveAnInactiveWorkspaceWithoutNumbers) {
    const struct {
        int digits;
        std::uint32_t base;
        int error;
    } cases[] = {{640, 1, kErrorBadBase},
                 {640, 0x80000001u, kErrorBadBase},
                 {40000, 0, kErrorTooLong},
                 {-200000, 0, kErrorTooLong}};
    for (const auto& c : cases) {
        NumberSystem* s = CreateNumberSystem(c.digits, c.base);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->errorCode, c.error);
        EXPECT_EQ(s->active, 0);
        for (BigNumber scratch : s->scratch) EXPECT_EQ(scratch, nullptr);
        EXPECT_EQ(NewBig(5), nullptr);
        DestroyNumberSystem();
    }
}

TEST_F(InspectedWorkspaceTest, EveryBlockIsClearedBeforeRelease) {
    CreateNumberSystem(64, 0);
    {
        OperandSource source(1);
        Big x(source.NextPositive(30)), y(source.NextPositive(30)), z, w;
        BigMultiply(x, y, z);
        BigMultiply(x, x, w);
        BigDivide(z, y, w);
        BigMultiplyAddDivide(x, y, z, y, w, z);
        BigExtendedGcd(x, y, z, w, z);
        BigRoot(x, 3, w);
        BigPowerModInt(x, 77, y, w);
        char text[1200];
        BigToString(x, text);
        BigFromString(w, text);
        std::uint8_t bytes[300];
        BigToBytes(0, x, bytes);
        BigShiftBits(x, -40, z);
        ASSERT_EQ(CurrentNumberSystem()->errorCode, 0);
    }
    DestroyNumberSystem();
    EXPECT_TRUE(GuardAllocator::Dirty().empty()) << GuardAllocator::Dirty().front();
    EXPECT_TRUE(GuardAllocator::Live().empty());
}

TEST_F(InspectedWorkspaceTest, ArithmeticAllocatesNothing) {
    CreateNumberSystem(640, 0);
    OperandSource source(2);
    Big x(source.NextPositive(300)), y(source.NextPositive(300)), z, w;
    const int before = GuardAllocator::Acquired();
    BigMultiply(x, y, z);
    BigMultiply(x, x, z);
    BigMultiply(x, y, x);
    BigDivide(z, y, w);
    BigMultiplyAddDivide(x, y, z, y, w, z);
    BigAdd(x, y, z);
    BigGcd(x, y, z);
    BigExtendedGcd(x, y, z, w, z);
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
    EXPECT_EQ(GuardAllocator::Acquired(), before);
}

TEST_F(InspectedWorkspaceTest, AlignedBlocksAreAlignedClearedAndReleased) {
    CreateNumberSystem(64, 0);
    for (int alignment : {8, 16, 64}) {
        CurrentNumberSystem()->alignment = alignment;
        BigNumber x = NewBig(-7);
        ASSERT_NE(x, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(x) % static_cast<std::uintptr_t>(alignment), 0u);
        EXPECT_EQ(BigToInt(x), -7);
        FreeBig(x);
    }
    CurrentNumberSystem()->alignment = 0;
    DestroyNumberSystem();
    EXPECT_TRUE(GuardAllocator::Dirty().empty());
    EXPECT_TRUE(GuardAllocator::Live().empty());
}

class RandomWordsTest : public GuardedTest {};

TEST_F(RandomWordsTest, CreationSeedsTheSameSequenceAndSeedingMixesIntoTheState) {
    auto firstWords = [](int count) {
        std::vector<std::uint32_t> words;
        for (int i = 0; i < count; ++i) words.push_back(RandomWord());
        return words;
    };
    CreateNumberSystem(64, 0);
    const auto fresh = firstWords(100);
    SeedRandom(12345);
    const auto seeded = firstWords(100);
    SeedRandom(12345);
    const auto seededAgain = firstWords(100);
    DestroyNumberSystem();
    CreateNumberSystem(100, 10);  // the shape does not matter
    EXPECT_EQ(firstWords(100), fresh);
    SeedRandom(12345);
    EXPECT_EQ(firstWords(100), seeded);
    DestroyNumberSystem();
    EXPECT_NE(seeded, fresh);
    EXPECT_NE(seededAgain, seeded) << "seeding again mixes into the state, it does not restart";
    std::vector<std::uint32_t> sorted = fresh;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end()) << "100 distinct words";
}

// One error per case: the operation raises exactly this code from a clean
// workspace.
struct ErrorCase {
    const char* what;
    int code;
    std::function<void()> provoke;
};

class ErrorRuleTest : public GuardedTest {
protected:
    void SetUp() override {
        GuardedTest::SetUp();
        CreateNumberSystem(-32, 0);  // 8 words
    }
};

BigNumber Words(int count, std::uint32_t value) {
    BigNumber x = NewBig(0);
    for (int i = 1; i <= count; ++i) x[i] = value;
    x[0] = static_cast<std::uint32_t>(count);
    return x;
}

TEST_F(ErrorRuleTest, EachConditionRaisesItsCode) {
    std::vector<BigNumber> owned;
    auto keep = [&](BigNumber x) {
        owned.push_back(x);
        return x;
    };
    const ErrorCase cases[] = {
        {"text base 0", kErrorBadIoBase,
         [&] {
             char t[8];
             CurrentNumberSystem()->ioBase = 0;
             BigToString(keep(NewBig(1)), t);
         }},
        {"text base above 256", kErrorBadIoBase,
         [&] {
             CurrentNumberSystem()->ioBase = 257;
             BigFromString(keep(NewBig(1)), "1");
         }},
        {"divide by zero", kErrorDivisionByZero, [&] { BigDivide(keep(NewBig(5)), keep(NewBig(0)), keep(NewBig(0))); }},
        {"divide int by zero", kErrorDivisionByZero, [&] { BigDivideInt(keep(NewBig(5)), 0, keep(NewBig(0))); }},
        {"sum beyond capacity", kErrorOverflow, [&] { BigAddInt(keep(Words(8, 0xFFFFFFFFu)), 1, keep(NewBig(0))); }},
        {"product of 4 and 5 words", kErrorOverflow,
         [&] { BigMultiply(keep(Words(4, 1)), keep(Words(5, 1)), keep(NewBig(0))); }},
        {"word shift beyond capacity", kErrorOverflow, [&] { BigShiftWords(keep(NewBig(1)), 8, keep(NewBig(0))); }},
        {"bit shift beyond capacity", kErrorOverflow, [&] { BigShiftBits(keep(NewBig(1)), 256, keep(NewBig(0))); }},
        {"power beyond capacity", kErrorOverflow, [&] { BigIntPower(3, 200, keep(NewBig(0))); }},
        {"magnitude below", kErrorNegativeMagnitude,
         [&] { BigMagnitudeSubtract(keep(NewBig(3)), keep(NewBig(5)), keep(NewBig(0))); }},
        {"bad digit", kErrorBadDigit, [&] { BigFromString(keep(NewBig(0)), "12a"); }},
        {"divide by itself", kErrorSameArgument,
         [&] {
             BigNumber x = keep(NewBig(7));
             BigDivide(x, x, keep(NewBig(0)));
         }},
        {"divisor is remainder", kErrorSameArgument,
         [&] {
             BigNumber w = keep(NewBig(7));
             BigMultiplyAddDivide(keep(NewBig(2)), keep(NewBig(3)), keep(NewBig(0)), w, keep(NewBig(0)), w);
         }},
        {"even root of negative", kErrorEvenRootOfNegative, [&] { BigRoot(keep(NewBig(-16)), 2, keep(NewBig(0))); }},
        {"negative exponent", kErrorNegativeExponent, [&] { BigIntPower(2, -1, keep(NewBig(0))); }},
        {"negative modular exponent", kErrorNegativeExponent,
         [&] { BigPowerModInt(keep(NewBig(2)), -1, keep(NewBig(7)), keep(NewBig(0))); }},
        {"root of order 0", kErrorBadRootOrder, [&] { BigRoot(keep(NewBig(16)), 0, keep(NewBig(0))); }},
        {"fraction operand", kErrorFraction,
         [&] {
             BigNumber f = keep(NewBig(0));
             BigFromString(f, "1/3");
             BigAdd(f, keep(NewBig(1)), keep(NewBig(0)));
         }},
        {"fraction too long", kErrorFractionTooLong,
         [&] {
             BigFromString(keep(NewBig(0)), "123456789012345678901234567890123456789/98765432109876543210987654321");
         }},
        {"zero denominator", kErrorFractionTooLong, [&] { BigFromString(keep(NewBig(0)), "5/0"); }},
        {"bytes beyond limit", kErrorTooLong,
         [&] {
             std::uint8_t b[4];
             BigToBytes(2, keep(NewBig(65536)), b);
         }},
        {"text beyond the io buffer", kErrorBufferOverflow,
         [&] {
             NumberSystem* s = CurrentNumberSystem();
             std::memset(s->ioBuffer, '1', static_cast<std::size_t>(s->ioBufferSize));
             BigFromString(keep(NewBig(0)), s->ioBuffer);
         }},
        {"inactive workspace", kErrorInactive,
         [&] {
             CurrentNumberSystem()->active = 0;
             NewBig(1);
         }},
    };
    for (const ErrorCase& c : cases) {
        DestroyNumberSystem();
        CreateNumberSystem(-32, 0);
        c.provoke();
        EXPECT_EQ(CurrentNumberSystem()->errorCode, c.code) << c.what;
        CurrentNumberSystem()->active = 1;
        for (BigNumber x : owned) FreeBig(x);
        owned.clear();
    }
}

TEST_F(ErrorRuleTest, ProductOf320And321WordsOverflowsA640WordWorkspace) {
    DestroyNumberSystem();
    CreateNumberSystem(640, 0);
    // The product has 640 words only, yet the operands' lengths decide.
    BigNumber x = Words(320, 0), y = Words(321, 0), z = NewBig(9);
    x[320] = 1;
    y[321] = 1;
    BigMultiply(x, y, z);
    EXPECT_EQ(CurrentNumberSystem()->errorCode, kErrorOverflow);
    EXPECT_EQ(BigToInt(z), 9);
    FreeBig(x);
    FreeBig(y);
    FreeBig(z);
    DestroyNumberSystem();
    CreateNumberSystem(640, 0);
    // 319 and 321 words of ones: a full 640-word product is allowed.
    x = Words(319, 0xFFFFFFFFu);
    y = Words(321, 0xFFFFFFFFu);
    z = NewBig(0);
    BigMultiply(x, y, z);
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
    EXPECT_EQ(z[0], 640u);
    FreeBig(x);
    FreeBig(y);
    FreeBig(z);
}

TEST_F(ErrorRuleTest, APendingErrorLeavesEveryOutputUntouched) {
    BigNumber x = NewBig(12), y = NewBig(5), out = NewBig(0), zero = NewBig(0);
    BigDivide(x, zero, out);
    ASSERT_EQ(CurrentNumberSystem()->errorCode, kErrorDivisionByZero);
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"add", [&] { BigAdd(x, y, out); }},
        {"subtract int", [&] { BigSubtractInt(x, 3, out); }},
        {"multiply", [&] { BigMultiply(x, y, out); }},
        {"multiply int", [&] { BigMultiplyInt(x, 3, out); }},
        {"divide", [&] { BigDivide(x, y, out); }},
        {"divide int", [&] { BigDivideInt(x, 3, out); }},
        {"multiply add divide", [&] { BigMultiplyAddDivide(x, y, x, y, out, out); }},
        {"shift words", [&] { BigShiftWords(x, 1, out); }},
        {"shift bits", [&] { BigShiftBits(x, 3, out); }},
        {"power", [&] { BigIntPower(3, 3, out); }},
        {"power mod", [&] { BigPowerModInt(x, 3, y, out); }},
        {"root", [&] { BigRoot(x, 2, out); }},
        {"gcd", [&] { BigGcd(x, y, out); }},
        {"extended gcd", [&] { BigExtendedGcd(x, y, out, out, out); }},
        {"from string", [&] { BigFromString(out, "77"); }},
        {"from bytes",
         [&] {
             const std::uint8_t b[2] = {1, 2};
             BigFromBytes(2, b, out);
         }},
    };
    for (const auto& [what, run] : operations) {
        BigFromInt(-99, out);
        run();
        EXPECT_EQ(BigToInt(out), -99) << what;
        EXPECT_EQ(BigToInt(x), 12) << what;
        EXPECT_EQ(CurrentNumberSystem()->errorCode, kErrorDivisionByZero) << what;
    }
    char text[16] = "unchanged";
    EXPECT_EQ(BigToString(x, text), 0);
    EXPECT_STREQ(text, "unchanged");
    EXPECT_EQ(NewBig(1), nullptr);
    // Operations that always run still work, and may record their own error.
    BigCopy(x, out);
    EXPECT_EQ(BigToInt(out), 12);
    BigMagnitudeSubtract(y, x, out);
    EXPECT_EQ(CurrentNumberSystem()->errorCode, kErrorNegativeMagnitude);
    FreeBig(x);
    FreeBig(y);
    FreeBig(out);
    FreeBig(zero);
}

}  // namespace
}  // namespace arkseal::test
