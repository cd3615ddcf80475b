#include <gtest/gtest.h>

#include <string>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/tests/bignum/workspace_fixture.h>
#include <arkseal/tests/crypto/openssl_oracle.h>

namespace arkseal {
namespace {

using test::Bytes;

class NumberDigest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(CreateNumberSystem(640, 0), nullptr); }
    void TearDown() override {
        EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
        DestroyNumberSystem();
    }

    // A number from big-endian bytes, owned by the test.
    BigNumber Number(const Bytes& bigEndian) {
        BigNumber x = NewBig(0);
        BigFromBytes(static_cast<int>(bigEndian.size()), bigEndian.data(), x);
        return x;
    }

    Bytes DigestOf(const std::uint32_t* x) {
        std::uint8_t out[64];
        digest_.DigestNumber(x, out);
        return Bytes(out, out + 64);
    }

    PassphraseDigest digest_;
};

TEST_F(NumberDigest, HashesTheLow512BitsLittleEndian) {
    struct Case {
        const char* name;
        Bytes number;    // big-endian
        Bytes hashedLe;  // the 64 bytes that must be hashed
    };
    Bytes one(64, 0);
    one[0] = 1;
    Bytes mixed(64, 0);  // 0x0102...0x20 (32 bytes) little-endian below 32 zero bytes
    Bytes mixedBe;
    for (int i = 1; i <= 32; ++i) mixedBe.push_back(static_cast<std::uint8_t>(i));
    for (int i = 0; i < 32; ++i) mixed[i] = static_cast<std::uint8_t>(32 - i);
    Bytes wide(75, 0);  // 600 bits: only the low 64 bytes count
    for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<std::uint8_t>(0xA0 + i);
    Bytes wideLow(wide.rbegin(), wide.rbegin() + 64);
    const Case cases[] = {
        {"zero", {}, Bytes(64, 0)},
        {"one", {1}, one},
        {"32 bytes", mixedBe, mixed},
        {"600 bits", wide, wideLow},
    };
    for (const Case& c : cases) {
        BigNumber x = Number(c.number);
        EXPECT_EQ(DigestOf(x), test::OpenSslDigest(EVP_sha512(), c.hashedLe)) << c.name;
        FreeBig(x);
    }
}

TEST_F(NumberDigest, LeavesTheNumberUnchangedAndReducesModulo512Bits) {
    Bytes wide(75);
    for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<std::uint8_t>(7 * i + 3);
    BigNumber x = Number(wide);
    BigNumber reduced = Number(Bytes(wide.end() - 64, wide.end()));
    BigNumber before = NewBig(0);
    BigCopy(x, before);
    EXPECT_EQ(DigestOf(x), DigestOf(reduced));
    EXPECT_EQ(BigCompare(x, before), 0);
    FreeBig(x);
    FreeBig(reduced);
    FreeBig(before);
}

TEST_F(NumberDigest, NegativeNumbersFeedTheLowBitsOfSignedRemainders) {
    // -1: the first remainder is -1 (byte FF), the quotient 0 gives zeros.
    BigNumber x = NewBig(-1);
    Bytes hashed(64, 0);
    hashed[0] = 0xFF;
    EXPECT_EQ(DigestOf(x), test::OpenSslDigest(EVP_sha512(), hashed));
    FreeBig(x);
}

TEST_F(NumberDigest, DigestToNumberReadsTheDigestBigEndian) {
    // Find a message whose digest starts with a zero byte, and one that does not.
    std::string leadingZero, plain = "passphrase";
    for (int i = 0; leadingZero.empty(); ++i) {
        const std::string m = "m" + std::to_string(i);
        if (test::OpenSslDigest(EVP_sha512(), Bytes(m.begin(), m.end()))[0] == 0) leadingZero = m;
    }
    for (const std::string& m : {plain, leadingZero}) {
        const Bytes expected = test::OpenSslDigest(EVP_sha512(), Bytes(m.begin(), m.end()));
        BigNumber x = digest_.DigestToNumber(m.data(), static_cast<std::ptrdiff_t>(m.size()));
        ASSERT_NE(x, nullptr);
        std::uint8_t bytes[64] = {};
        const int count = BigToBytes(64, x, bytes);
        // BigToBytes drops leading zeros: right-align before comparing.
        Bytes padded(64 - count, 0);
        padded.insert(padded.end(), bytes, bytes + count);
        EXPECT_EQ(padded, expected) << m;
        if (expected[0] == 0) {
            EXPECT_LT(BigBitLength(x), 505) << m;
        }
        FreeBig(x);
    }
}

// In every workspace shape, with a guard after every number's block: a number
// as long as the capacity is hashed by its low 512 bits, and a digest read
// into a workspace too small for 512 bits raises error 3 without writing past
// the number.
class NumberDigestCapacity : public test::WorkspaceTest {
protected:
    // The largest magnitude that fits: every digit word at its largest.
    void LargestNumber(mpz_t out) const {
        if (system_->base == 0) {
            mpz_ui_pow_ui(out, 2, 32ul * static_cast<unsigned long>(Capacity()));
        } else {
            mpz_ui_pow_ui(out, system_->base, static_cast<unsigned long>(Capacity()));
        }
        mpz_sub_ui(out, out, 1);
    }
};

TEST_P(NumberDigestCapacity, HashesAFullNumberAndRefusesADigestThatDoesNotFit) {
    PassphraseDigest digest;
    test::Mpz full;
    LargestNumber(full);
    BigNumber x = NewBig(0);
    test::FromMpz(full, x);
    ASSERT_EQ(system_->errorCode, 0);
    test::Mpz low;
    mpz_tdiv_r_2exp(low, full, 512);
    Bytes lowLittleEndian(64, 0);
    mpz_export(lowLittleEndian.data(), nullptr, -1, 1, 0, 0, low);
    std::uint8_t out[64];
    digest.DigestNumber(x, out);
    EXPECT_EQ(Bytes(out, out + 64), test::OpenSslDigest(EVP_sha512(), lowLittleEndian));
    FreeBig(x);

    const std::string message = "passphrase";
    const Bytes expected = test::OpenSslDigest(EVP_sha512(), Bytes(message.begin(), message.end()));
    test::Mpz value;
    mpz_import(value, expected.size(), 1, 1, 0, 0, expected.data());
    BigNumber y = digest.DigestToNumber(message.data(), static_cast<std::ptrdiff_t>(message.size()));
    ASSERT_NE(y, nullptr);
    if (WordsOf(value) <= Capacity()) {
        EXPECT_EQ(system_->errorCode, 0);
        test::Mpz read;
        test::ToMpz(y, read);
        EXPECT_EQ(mpz_cmp(read, value), 0);
    } else {
        EXPECT_EQ(system_->errorCode, 3);
        system_->errorCode = 0;
    }
    FreeBig(y);
}

INSTANTIATE_TEST_SUITE_P(Shapes, NumberDigestCapacity, ::testing::ValuesIn(test::kWorkspaceShapes), test::ShapeName);

}  // namespace
}  // namespace arkseal
