#include <gtest/gtest.h>

#include <cstring>

#include <arkseal/crypto/aes.h>
#include <arkseal/tests/crypto/aes_paths.h>
#include <arkseal/tests/crypto/openssl_oracle.h>

namespace arkseal {
namespace {

using test::Bytes;
using test::FromHex;
using test::Hex;

class AesBlock : public test::OnEveryAesRoute {};
ARKSEAL_ON_EVERY_AES_ROUTE(AesBlock);

struct Fips197Example {
    const char* key;
    int nk;
    const char* ciphertext;
};

// FIPS-197 Appendix C: plaintext 00112233..ff under keys 000102.. of three lengths.
const Fips197Example kAppendixC[] = {
    {"000102030405060708090a0b0c0d0e0f", 4, "69c4e0d86a7b0430d8cdb78070b4c55a"},
    {"000102030405060708090a0b0c0d0e0f1011121314151617", 6, "dda97ca4864cdfe06eaf70a0ec0d7191"},
    {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", 8, "8ea2b7ca516745bfeafc49904b496089"},
};
const char* kAppendixCPlaintext = "00112233445566778899aabbccddeeff";

TEST_P(AesBlock, Fips197AppendixC) {
    for (const auto& example : kAppendixC) {
        const Bytes key = FromHex(example.key);
        AesContext context{};
        ASSERT_TRUE(AesInit(context, MODE_ECB, static_cast<std::int32_t>(key.size()), key.data(), nullptr));
        EXPECT_EQ(context.Nk, example.nk);
        EXPECT_EQ(context.Nr, example.nk + 6);

        Bytes block = FromHex(kAppendixCPlaintext);
        AesEncryptBlock(context, block.data());
        EXPECT_EQ(Hex(block), example.ciphertext) << "key " << example.key;
        AesDecryptBlock(context, block.data());
        EXPECT_EQ(Hex(block), kAppendixCPlaintext) << "key " << example.key;
    }
}

TEST_P(AesBlock, RandomBlocksAgreeWithOpenSsl) {
    std::srand(7);
    for (int keyLength : {16, 24, 32}) {
        for (int trial = 0; trial < 50; ++trial) {
            Bytes key(keyLength), block(16), expected(16);
            for (auto& b : key) b = static_cast<std::uint8_t>(std::rand());
            for (auto& b : block) b = static_cast<std::uint8_t>(std::rand());
            test::OpenSslAes oracle(key);
            oracle.EncryptBlock(block.data(), expected.data());
            AesContext context{};
            ASSERT_TRUE(AesInit(context, MODE_ECB, keyLength, key.data(), nullptr));
            const Bytes plain = block;
            AesEncryptBlock(context, block.data());
            ASSERT_EQ(block, expected);
            AesDecryptBlock(context, block.data());
            ASSERT_EQ(block, plain);
        }
    }
}

// Lengths are in bytes and divided by four with truncation: 17..19 act as
// 16 (the extra bytes are never read), and anything not giving 4, 6 or 8
// words is refused.
TEST(AesInit, KeyLengthRules) {
    const Bytes key = FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f2021222324");
    for (int length : {17, 18, 19, 25, 26, 27, 33, 34, 35}) {
        const int base = length / 4 * 4;
        AesContext exact{}, extra{};
        ASSERT_TRUE(AesInit(exact, MODE_ECB, base, key.data(), nullptr));
        ASSERT_TRUE(AesInit(extra, MODE_ECB, length, key.data(), nullptr)) << length;
        EXPECT_EQ(std::memcmp(&exact, &extra, sizeof exact), 0) << length;
    }
    for (int length : {0, 15, 20, 23, 28, 36, -16, -32}) {
        AesContext context;
        std::memset(&context, 0xa5, sizeof context);
        AesContext before = context;
        EXPECT_FALSE(AesInit(context, MODE_CBC, length, key.data(), key.data())) << length;
        EXPECT_EQ(std::memcmp(&context, &before, sizeof context), 0) << "context changed for length " << length;
    }
}

TEST(AesInit, RegisterLoading) {
    Bytes iv(32);
    for (int i = 0; i < 32; ++i) iv[i] = static_cast<std::uint8_t>(0xc0 + i);
    const Bytes key(32, 0x11);
    struct Case {
        std::int32_t mode;
        const std::uint8_t* iv;
        bool loaded;
    } cases[] = {
        {MODE_ECB, iv.data(), false}, {MODE_CBC, nullptr, false},    {MODE_XCFB8, nullptr, false},
        {MODE_CBC, iv.data(), true},  {MODE_XCFB8, iv.data(), true}, {12345, iv.data(), true},
    };
    for (const auto& c : cases) {
        AesContext context;
        std::memset(&context, 0xee, sizeof context);
        ASSERT_TRUE(AesInit(context, c.mode, 32, key.data(), c.iv));
        EXPECT_EQ(context.mode, c.mode);
        const Bytes reg(context.feedback, context.feedback + 16);
        EXPECT_EQ(reg, c.loaded ? Bytes(iv.begin(), iv.begin() + 16) : Bytes(16, 0)) << "mode " << c.mode;
        Bytes out(16);
        AesGetRegister(context, out.data());
        EXPECT_EQ(out, reg);
    }
}

TEST(AesEnd, WipesScheduleAndRegisterButKeepsShape) {
    const Bytes key(24, 0x5a), iv(16, 0x77);
    AesContext context{};
    ASSERT_TRUE(AesInit(context, MODE_CFB8, 24, key.data(), iv.data()));
    AesEnd(context);
    for (int i = 0; i < 4 * (context.Nr + 1); ++i) {
        EXPECT_EQ(context.roundKeys[i], 0u) << i;
        EXPECT_EQ(context.inverseRoundKeys[i], 0u) << i;
    }
    EXPECT_EQ(Bytes(context.feedback, context.feedback + 16), Bytes(16, 0));
    EXPECT_EQ(context.Nk, 6);
    EXPECT_EQ(context.Nr, 12);
    EXPECT_EQ(context.mode, MODE_CFB8);
}

}  // namespace
}  // namespace arkseal
