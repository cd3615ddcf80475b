// Bytes and text: differential against GMP in several text bases and every
// workspace shape, round trips of large values, and the documented edge cases.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/tests/bignum/gmp_bridge.h>
#include <arkseal/tests/bignum/workspace_fixture.h>

namespace arkseal::test {
namespace {

class ConversionDiffTest : public WorkspaceTest {};

TEST_P(ConversionDiffTest, TextMatchesGmpAndReadsBack) {
    OperandSource source(31);
    std::vector<char> text(static_cast<std::size_t>(Capacity()) * 40 + 8);
    for (int ioBase : {10, 16, 2, 7, 36, 60}) {
        system_->ioBase = ioBase;
        for (int round = 0; round < kRounds / 6 + 2; ++round) {
            const Mpz a = source.Next(round == 0 ? Capacity() : Capacity() / 2);
            Big x(a), back;
            const int count = BigToString(x, text.data());
            const std::string want = GmpText(a, ioBase);
            ASSERT_EQ(std::string(text.data()), want) << "base " << ioBase;
            ASSERT_EQ(count, static_cast<int>(want.size()));
            ASSERT_EQ(BigFromString(back, text.data()), count);
            ASSERT_EQ(system_->errorCode, 0);
            ASSERT_EQ(mpz_cmp(back.value(), a), 0) << "read back in base " << ioBase;
            ASSERT_EQ(ShapeProblem(back, BlockWords()), "");
        }
    }
}

TEST_P(ConversionDiffTest, BytesMatchGmpExport) {
    OperandSource source(32);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Capacity()) * 4 + 4);
    for (int round = 0; round < kRounds; ++round) {
        Mpz a = source.NextPositive(Capacity());
        if (WordsOf(a) > Capacity()) continue;
        Big x(a), back;
        const int count = BigToBytes(0, x, bytes.data());
        std::vector<std::uint8_t> want((mpz_sizeinbase(a, 2) + 7) / 8);
        size_t wantCount = 0;
        mpz_export(want.data(), &wantCount, 1, 1, 1, 0, a);
        ASSERT_EQ(count, static_cast<int>(wantCount));
        ASSERT_TRUE(std::equal(want.begin(), want.begin() + static_cast<long>(wantCount), bytes.begin()));
        BigFromBytes(count, bytes.data(), back);
        ASSERT_EQ(system_->errorCode, 0);
        ASSERT_EQ(mpz_cmp(back.value(), a), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Bases, ConversionDiffTest, ::testing::ValuesIn(kWorkspaceShapes), ShapeName);
// Hex digits as the apparent base of a full-word workspace.
INSTANTIATE_TEST_SUITE_P(Hex, ConversionDiffTest, ::testing::Values(WorkspaceShape{100, 16, "Hex100"}), ShapeName);

class ConversionTest : public GuardedTest {
protected:
    void SetUp() override {
        GuardedTest::SetUp();
        system_ = CreateNumberSystem(640, 0);
    }
    std::string Text(const std::uint32_t* x) {
        char text[512];
        const int count = BigToString(x, text);
        EXPECT_EQ(count, static_cast<int>(std::string(text).size()));
        return text;
    }
    NumberSystem* system_ = nullptr;
};

TEST_F(ConversionTest, TextEdgeCases) {
    Big x;
    EXPECT_EQ(BigFromString(x, "-3"), 2);
    EXPECT_EQ(BigToInt(x), -3);
    BigFromString(x, "  +42");
    EXPECT_EQ(BigToInt(x), 42);
    BigFromString(x, "17\n99");
    EXPECT_EQ(BigToInt(x), 17);
    BigFromString(x, "-0");
    EXPECT_EQ(x.get()[0], 0u) << "zero never carries a sign";
    BigFromInt(0, x);
    char text[8];
    EXPECT_EQ(BigToString(x, text), 1);
    EXPECT_STREQ(text, "0");
    system_->ioBase = 16;
    BigFromString(x, "FF");
    EXPECT_EQ(BigToInt(x), 255);
    BigFromInt(-255, x);
    EXPECT_EQ(Text(x), "-FF");
    system_->inputLength = 2;
    BigFromString(x, "ABCD");
    EXPECT_EQ(BigToInt(x), 0xAB);
    EXPECT_EQ(system_->inputLength, 0);
    EXPECT_EQ(system_->errorCode, 0);
    EXPECT_EQ(BigFromString(x, "ff"), 0);
    EXPECT_EQ(system_->errorCode, kErrorBadDigit);
}

TEST_F(ConversionTest, TextInBasesAbove60UsesOneByteADigit) {
    system_->ioBase = 256;
    Big x;
    const char raw[] = {'\x01', '\x00', '\x02', '\0'};
    EXPECT_EQ(BigFromString(x, raw), 1) << "the NUL ends the text";
    system_->inputLength = 3;
    EXPECT_EQ(BigFromString(x, raw), 3);
    EXPECT_EQ(BigToInt(x), 0x010002);
    char text[8];
    EXPECT_EQ(BigToString(x, text), 3);
    EXPECT_EQ(std::string(text, 3), std::string(raw, 3));
}

TEST_F(ConversionTest, FractionsInBothWrittenForms) {
    Big x;
    BigFromString(x, "-3/8");
    EXPECT_EQ(x.get()[0], kBigSignBit | (1u << 16) | 1u);
    EXPECT_EQ(Text(x), "-3/8");
    system_->radixPoint = 1;
    EXPECT_EQ(Text(x), "-0.375");
    BigFromString(x, "12.25");
    EXPECT_EQ(Text(x), "12.25");
    system_->radixPoint = 0;
    EXPECT_EQ(Text(x), "1225/100");
    BigFromString(x, "7/1");
    EXPECT_EQ(Text(x), "7") << "a denominator of 1 gives an integer";
    EXPECT_EQ(system_->errorCode, 0);
}

// Long decimal text is read eight characters at once: a character just
// outside '0'..'9', or with its top bit set, is refused at every position of
// a full digit word and of the shorter top word, and the number is left as
// it was; "/" there starts a denominator.
TEST_F(ConversionTest, NonDigitAnywhereInLongDecimalTextIsRefused) {
    const std::string digits = "9876543210123456789098765432101";  // 3 full words and 4 digits
    Big x;
    for (const char bad : {':', ',', '@', 'A', 'a', '\x80', '\xBA', '\xFF'}) {
        for (std::size_t pos = 0; pos < digits.size(); ++pos) {
            std::string text = digits;
            text[pos] = bad;
            EXPECT_EQ(BigFromString(x, text.c_str()), 0) << text;
            EXPECT_EQ(system_->errorCode, kErrorBadDigit) << text;
            EXPECT_EQ(x.get()[0], 0u) << text;
            system_->errorCode = 0;
        }
    }
    BigFromString(x, "123456789012345678901234567/2");
    EXPECT_EQ(Text(x), "123456789012345678901234567/2");
    EXPECT_EQ(system_->errorCode, 0);
}

TEST_F(ConversionTest, TooManyDigitsOverflow) {
    Big x;
    const std::string digits(640 * 10, '9');  // more than 640 words can hold
    EXPECT_EQ(BigFromString(x, digits.c_str()), 0);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
}

TEST_F(ConversionTest, LargeValueRoundTripsThroughDecimalText) {
    Mpz v;
    mpz_ui_pow_ui(v, 3, 12000);  // about 19,000 bits, close to the capacity
    mpz_neg(v, v);
    Big x(v), back;
    std::vector<char> text(8000);
    const int count = BigToString(x, text.data());
    EXPECT_EQ(std::string(text.data()), GmpText(v, 10));
    EXPECT_EQ(BigFromString(back, text.data()), count);
    EXPECT_EQ(mpz_cmp(back.value(), v), 0);
}

// A positive value of exactly `words` random full words.
Mpz RandomOfWords(int words, std::mt19937_64& rng) {
    std::vector<std::uint32_t> w(static_cast<std::size_t>(words));
    for (auto& d : w) d = static_cast<std::uint32_t>(rng());
    w.back() |= 1u << (rng() % 32);
    Mpz v;
    mpz_import(v, w.size(), -1, sizeof(std::uint32_t), 0, 0, w.data());
    return v;
}

// Long numbers are written and read by splitting them at powers of the text
// radix: random values of every length around the first split of writing
// (96 words) and of reading (256 words) and near the capacity, the largest
// value that fits, and the powers of the radix at every whole digit word
// with their neighbours (remainders of zero and of all top digits, quotients
// of one, parts that are zero), in bases whose digit words differ.
TEST_F(ConversionTest, LongTextSplitsAtPowersOfTheRadix) {
    std::mt19937_64 rng(16);
    std::vector<char> text(640 * 40 + 8);
    for (int ioBase : {10, 7, 36, 3}) {
        system_->ioBase = ioBase;
        std::vector<Mpz> values;
        for (int words = 90; words <= 104; ++words) values.push_back(RandomOfWords(words, rng));
        for (int words = 250; words <= 262; ++words) values.push_back(RandomOfWords(words, rng));
        for (int words = 630; words <= 640; ++words) values.push_back(RandomOfWords(words, rng));
        Mpz largest;
        mpz_ui_pow_ui(largest, 2, 640 * 32);
        mpz_sub_ui(largest, largest, 1);
        values.push_back(largest);
        // Digits of one word of the working base that text in ioBase uses.
        int digitsPerWord = 0;
        for (std::uint64_t p = 1; p * static_cast<std::uint64_t>(ioBase) <= 0x80000000u; p *= ioBase) ++digitsPerWord;
        const int stride = ioBase == 10 ? 1 : 5;
        for (int e = digitsPerWord * 90;; e += digitsPerWord * stride) {
            Mpz power;
            mpz_ui_pow_ui(power, static_cast<unsigned long>(ioBase), static_cast<unsigned long>(e));
            if (mpz_cmp(power, largest) > 0) break;
            values.push_back(power);
            mpz_sub_ui(power, power, 1);
            values.push_back(power);
            mpz_add_ui(power, power, 2);
            values.push_back(power);
        }
        for (const Mpz& v : values) {
            Big x(v), back;
            const int count = BigToString(x, text.data());
            const std::string want = GmpText(v, ioBase);
            ASSERT_EQ(std::string(text.data()), want) << "base " << ioBase << ", " << mpz_sizeinbase(v, 2) << " bits";
            ASSERT_EQ(count, static_cast<int>(want.size()));
            ASSERT_EQ(BigFromString(back, text.data()), count);
            ASSERT_EQ(mpz_cmp(back.value(), v), 0);
        }
    }
    EXPECT_EQ(system_->errorCode, 0);
}

// Reading in parts reaches up to about 1024 words; longer text takes the one
// pass. Lengths either side of that, read back against GMP; at the capacity,
// text of one more than the largest value raises error 3 and leaves the
// number clean.
TEST_F(ConversionTest, LongTextReadsInPartsUpToItsBuffers) {
    std::mt19937_64 rng(1024);
    Mpz past;
    mpz_ui_pow_ui(past, 2, 640 * 32);
    Big y;
    EXPECT_EQ(BigFromString(y, GmpText(past, 10).c_str()), 0);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
    EXPECT_EQ(ShapeProblem(y, 641), "");
    EXPECT_EQ(y.get()[0], 0u);
    DestroyNumberSystem();
    system_ = CreateNumberSystem(1100, 0);
    for (int ioBase : {10, 3}) {
        system_->ioBase = ioBase;
        for (int words = 1012; words <= 1044; words += 2) {
            const Mpz v = RandomOfWords(words, rng);
            Big x;
            const std::string text = GmpText(v, ioBase);
            ASSERT_EQ(BigFromString(x, text.c_str()), static_cast<int>(text.size()));
            ASSERT_EQ(mpz_cmp(x.value(), v), 0) << "base " << ioBase << ", " << words << " words";
        }
    }
    EXPECT_EQ(system_->errorCode, 0);
}

// A change of base that splits the number, into a working base other than
// 2^32, holds the capacity: a value with as many digit words as the
// capacity converts, one with a word more raises error 3 and leaves the
// number clean.
TEST_F(ConversionTest, SplitChangeOfBaseHoldsTheCapacity) {
    DestroyNumberSystem();
    constexpr int kWords = 200;
    system_ = CreateNumberSystem(9 * kWords, 10);
    system_->ioBase = 16;
    Mpz fits, past;
    mpz_ui_pow_ui(fits, 10, 9 * kWords);
    mpz_sub_ui(fits, fits, 1);
    mpz_add_ui(past, fits, 1);
    Big x;
    ASSERT_GT(BigFromString(x, GmpText(fits, 16).c_str()), 0);
    EXPECT_EQ(mpz_cmp(x.value(), fits), 0);
    EXPECT_EQ(ShapeProblem(x, kWords + 1), "");
    Big y;
    EXPECT_EQ(BigFromString(y, GmpText(past, 16).c_str()), 0);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
    EXPECT_EQ(ShapeProblem(y, kWords + 1), "");
    EXPECT_EQ(y.get()[0], 0u);
}

TEST_F(ConversionTest, BytesEdgeCases) {
    Big x;
    const std::uint8_t threeBytes[] = {1, 0, 0};
    BigFromBytes(3, threeBytes, x);
    EXPECT_EQ(BigToInt(x), 65536);
    std::uint8_t out[4] = {};
    EXPECT_EQ(BigToBytes(3, x, out), 3);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0);
    BigFromBytes(0, threeBytes, x);
    EXPECT_EQ(x.get()[0], 0u);
    EXPECT_EQ(BigToBytes(3, x, out), 0);
    BigFromInt(65536, x);
    EXPECT_EQ(BigToBytes(2, x, out), 0);
    EXPECT_EQ(system_->errorCode, kErrorTooLong);
}

TEST_F(ConversionTest, BytesBeyondTheCapacityOverflow) {
    Big x;
    const std::vector<std::uint8_t> bytes(640 * 4 + 1, 0xFF);
    BigFromBytes(static_cast<int>(bytes.size()), bytes.data(), x);
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
}

TEST_F(ConversionTest, StreamModeReadsAndWritesLines) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fputs("-123456789012345678901234567890\n42\n", file);
    std::rewind(file);
    system_->readFromFile = 1;
    system_->inputFile = file;
    Big x, y;
    EXPECT_EQ(BigFromString(x, nullptr), 31);
    EXPECT_EQ(BigFromString(y, nullptr), 2);
    EXPECT_EQ(BigToInt(y), 42);
    system_->readFromFile = 0;
    std::FILE* out = std::tmpfile();
    system_->writeToFile = 1;
    system_->outputFile = out;
    EXPECT_EQ(BigToString(x, nullptr), 31);
    system_->writeToFile = 0;
    std::rewind(out);
    char line[64] = {};
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    EXPECT_STREQ(line, "-123456789012345678901234567890\n");
    std::fclose(file);
    std::fclose(out);
    EXPECT_EQ(system_->errorCode, 0);
}

TEST_F(ConversionTest, DigitAccessInTheApparentBase) {
    DestroyNumberSystem();
    system_ = CreateNumberSystem(100, 10);
    Big x;
    BigFromString(x, "12345678901");
    EXPECT_EQ(BigDigitCount(x), 11);
    EXPECT_EQ(BigGetDigit(x, 1), 1u);
    EXPECT_EQ(BigGetDigit(x, 10), 2u);
    EXPECT_EQ(BigGetDigit(x, 11), 1u);
    EXPECT_EQ(BigGetDigit(x, 12), 0u);
    BigSetDigit(x, 20, 7);
    EXPECT_EQ(Text(x), "70000000012345678901");
    BigSetDigit(x, 20, 0);
    EXPECT_EQ(BigDigitCount(x), 11);
    EXPECT_EQ(ShapeProblem(x, 13), "");
    EXPECT_EQ(system_->errorCode, 0);
    BigSetDigit(x, 12 * 9 + 1, 1);  // one digit past the 12-word capacity
    EXPECT_EQ(system_->errorCode, kErrorOverflow);
    EXPECT_EQ(BigDigitCount(x), 11);
}

}  // namespace
}  // namespace arkseal::test
