#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include <arkseal/crypto/aes.h>
#include <arkseal/tests/crypto/aes_paths.h>
#include <arkseal/tests/crypto/openssl_oracle.h>

namespace arkseal {
namespace {

using test::Bytes;
using test::FromHex;
using test::Hex;

class AesModes : public test::OnEveryAesRoute {};
ARKSEAL_ON_EVERY_AES_ROUTE(AesModes);

const std::int32_t kTableModes[] = {MODE_ECB,    MODE_CBC,  MODE_CFB8,  MODE_CFB16, MODE_CFB32, MODE_XCFB8, MODE_XCFB16,
                                    MODE_XCFB32, MODE_OFB8, MODE_OFB16, MODE_OFB32, MODE_OFB64, MODE_OFB128};

int UnitOf(std::int32_t mode) {
    if (mode <= MODE_CBC) return 16;
    if (mode <= MODE_CFB32) return mode - 1;
    if (mode <= MODE_XCFB32) return mode - 9;
    return mode - 13;
}

Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
}

// The context's transform applied unit by unit to the whole buffer.
Bytes RunUnits(AesContext& context, Bytes data, bool decrypt) {
    const int unit = UnitOf(context.mode);
    for (std::size_t i = 0; i + unit <= data.size(); i += unit) {
        decrypt ? AesDecrypt(context, data.data() + i) : AesEncrypt(context, data.data() + i);
    }
    return data;
}

// The feedback families written directly from their definitions, on
// OpenSSL's block cipher.
struct ReferenceFeedback {
    enum Family { Cfb, ErrorPropagating, Ofb } family;
    int s;
    test::OpenSslAes aes;
    std::uint8_t r[16];

    ReferenceFeedback(std::int32_t mode, const Bytes& key, const Bytes& iv)
        : family(mode <= MODE_CFB32    ? Cfb
                 : mode <= MODE_XCFB32 ? ErrorPropagating
                                       : Ofb),
          s(UnitOf(mode)),
          aes(key) {
        std::memcpy(r, iv.data(), 16);
    }

    Bytes Run(Bytes data, bool decrypt) {
        for (std::size_t i = 0; i + s <= data.size(); i += s) Unit(data.data() + i, decrypt);
        return data;
    }

    void Unit(std::uint8_t* p, bool decrypt) {
        std::uint8_t t[16];
        if (family == Ofb) {
            aes.EncryptBlock(r, t);
            std::memcpy(r, t, 16);
            for (int j = 0; j < s; ++j) p[j] ^= r[j];
            return;
        }
        aes.EncryptBlock(r, t);
        std::uint8_t next[16];
        std::memcpy(next, r + s, 16 - s);
        for (int j = 0; j < s; ++j) {
            const std::uint8_t c = decrypt ? p[j] : static_cast<std::uint8_t>(p[j] ^ t[j]);
            p[j] ^= t[j];
            next[16 - s + j] = family == ErrorPropagating ? c ^ t[16 - s + j] : c;
        }
        std::memcpy(r, next, 16);
    }
};

TEST_P(AesModes, StandardModesAgreeWithOpenSsl) {
    std::mt19937 rng(11);
    for (int keyLength : {16, 24, 32}) {
        const Bytes key = RandomBytes(rng, keyLength), iv = RandomBytes(rng, 16), data = RandomBytes(rng, 16 * 37);
        const auto pick = [&](const EVP_CIPHER* c128, const EVP_CIPHER* c192, const EVP_CIPHER* c256) {
            return keyLength == 16 ? c128 : keyLength == 24 ? c192 : c256;
        };
        struct Case {
            std::int32_t mode;
            const EVP_CIPHER* evp;
        } cases[] = {
            {MODE_ECB, pick(EVP_aes_128_ecb(), EVP_aes_192_ecb(), EVP_aes_256_ecb())},
            {MODE_CBC, pick(EVP_aes_128_cbc(), EVP_aes_192_cbc(), EVP_aes_256_cbc())},
            {MODE_CFB8, pick(EVP_aes_128_cfb8(), EVP_aes_192_cfb8(), EVP_aes_256_cfb8())},
            {MODE_OFB128, pick(EVP_aes_128_ofb(), EVP_aes_192_ofb(), EVP_aes_256_ofb())},
        };
        for (const auto& c : cases) {
            const Bytes expected = test::EvpRun(c.evp, key, c.mode == MODE_ECB ? Bytes{} : iv, data, true);
            AesContext enc{}, dec{};
            ASSERT_TRUE(AesInit(enc, c.mode, keyLength, key.data(), iv.data()));
            ASSERT_TRUE(AesInit(dec, c.mode, keyLength, key.data(), iv.data()));
            EXPECT_EQ(RunUnits(enc, data, false), expected) << "mode " << c.mode << " key " << keyLength;
            EXPECT_EQ(RunUnits(dec, expected, true), data) << "mode " << c.mode << " key " << keyLength;
            EXPECT_EQ(std::memcmp(enc.feedback, dec.feedback, 16), 0) << "registers after mode " << c.mode;
        }
    }
}

TEST_P(AesModes, FeedbackFamiliesAgreeWithReference) {
    std::mt19937 rng(12);
    for (std::int32_t mode : kTableModes) {
        if (mode <= MODE_CBC) continue;
        const Bytes key = RandomBytes(rng, 32), iv = RandomBytes(rng, 32);
        const Bytes data = RandomBytes(rng, 48 * UnitOf(mode));
        ReferenceFeedback reference(mode, key, iv);
        const Bytes expected = reference.Run(data, false);

        AesContext enc{}, dec{};
        ASSERT_TRUE(AesInit(enc, mode, 32, key.data(), iv.data()));
        ASSERT_TRUE(AesInit(dec, mode, 32, key.data(), iv.data()));
        EXPECT_EQ(RunUnits(enc, data, false), expected) << "mode " << mode;
        EXPECT_EQ(std::memcmp(enc.feedback, reference.r, 16), 0) << "register after mode " << mode;
        EXPECT_EQ(RunUnits(dec, expected, true), data) << "mode " << mode;
        EXPECT_EQ(std::memcmp(dec.feedback, enc.feedback, 16), 0) << "registers after mode " << mode;
    }
}

// With the FIPS-197 C.3 key and a zero register, the letters a..t.
TEST_P(AesModes, ReferenceValuesForCodes10And2) {
    const Bytes key = FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    const std::string letters = "abcdefghijklmnopqrst";
    struct Case {
        std::int32_t mode;
        const char* ciphertext;
    } cases[] = {
        {MODE_XCFB8, "937229f201affc937842c439d4d10aa46f0928e1"},
        {MODE_CFB8, "932e91486fa7c4f3f3528f57e82abc2df135c0ad"},
    };
    for (const auto& c : cases) {
        AesContext context{};
        ASSERT_TRUE(AesInit(context, c.mode, 32, key.data(), nullptr));
        EXPECT_EQ(Hex(RunUnits(context, Bytes(letters.begin(), letters.end()), false)), c.ciphertext);
    }
}

TEST_P(AesModes, OneFlippedByteDamagesTheRestInCode10But16BytesInCode2) {
    std::mt19937 rng(13);
    const Bytes key = RandomBytes(rng, 32), iv = RandomBytes(rng, 16), plain = RandomBytes(rng, 400);
    const std::size_t flipped = 100;
    for (std::int32_t mode : {MODE_XCFB8, MODE_CFB8}) {
        AesContext enc{}, dec{};
        AesInit(enc, mode, 32, key.data(), iv.data());
        AesInit(dec, mode, 32, key.data(), iv.data());
        Bytes cipher = RunUnits(enc, plain, false);
        cipher[flipped] ^= 0x01;
        const Bytes damaged = RunUnits(dec, cipher, true);
        std::size_t differing = 0, lastDiffering = 0;
        for (std::size_t i = 0; i < plain.size(); ++i) {
            if (damaged[i] != plain[i]) {
                ++differing;
                lastDiffering = i;
            }
        }
        EXPECT_EQ(Bytes(damaged.begin(), damaged.begin() + flipped), Bytes(plain.begin(), plain.begin() + flipped));
        EXPECT_NE(damaged[flipped], plain[flipped]);
        if (mode == MODE_XCFB8) {
            EXPECT_GT(differing, (plain.size() - flipped) * 9 / 10) << "damage must run to the end";
            EXPECT_GT(lastDiffering, plain.size() - 10);
        } else {
            EXPECT_LE(lastDiffering, flipped + 16);
        }
    }
}

TEST_P(AesModes, CodesOutsideTheTableChangeNothing) {
    const Bytes key(32, 3), iv(16, 9), data(64, 0x42);
    for (std::int32_t mode : {4, 6, 7, 8, 9, 12, 16, 18, 20, 22, 28, 30, 31, 1000, -1, -10}) {
        AesContext context{};
        ASSERT_TRUE(AesInit(context, mode, 32, key.data(), iv.data()));
        Bytes unit = data;
        AesEncrypt(context, unit.data());
        AesDecrypt(context, unit.data());
        EXPECT_EQ(unit, data) << mode;
        EXPECT_EQ(Bytes(context.feedback, context.feedback + 16), iv) << mode;
    }
}

// The fused mode-10 runs must give exactly the bytes and the register of
// one AesEncrypt/AesDecrypt call per byte, for runs of any length,
// including runs longer than the portable rounds' register window.
TEST_P(AesModes, Code10RunsEqualPerByteCalls) {
    std::mt19937 rng(14);
    for (int keyLength : {16, 24, 32}) {
        const Bytes key = RandomBytes(rng, keyLength), iv = RandomBytes(rng, 16);
        for (bool decrypt : {false, true}) {
            AesContext perByte{}, fused{};
            AesInit(perByte, MODE_XCFB8, keyLength, key.data(), iv.data());
            AesInit(fused, MODE_XCFB8, keyLength, key.data(), iv.data());
            for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 100u, 257u, 9000u}) {
                const Bytes data = RandomBytes(rng, length);
                Bytes viaRun = data;
                decrypt ? AesDecryptXcfb8Run(fused, viaRun.data(), length)
                        : AesEncryptXcfb8Run(fused, viaRun.data(), length);
                ASSERT_EQ(viaRun, RunUnits(perByte, data, decrypt)) << length << (decrypt ? " decrypt" : " encrypt");
                ASSERT_EQ(std::memcmp(perByte.feedback, fused.feedback, 16), 0) << length;
            }
        }
    }
}

// What one transform left behind: the data and the register.
struct Outcome {
    Bytes data;
    Bytes feedback;
    bool operator==(const Outcome&) const = default;
};

// Runs `transform` on a fresh context once per round implementation.
template <typename Transform>
void ExpectPathsAgree(std::int32_t mode, const Bytes& key, const Bytes& iv, Transform transform) {
    Outcome outcomes[2];
    for (AesPath path : {AesPath::Portable, AesPath::Hardware}) {
        AesSelectPath(path);
        AesContext context{};
        AesInit(context, mode, static_cast<std::int32_t>(key.size()), key.data(), iv.data());
        Outcome& outcome = outcomes[path == AesPath::Hardware];
        outcome.data = transform(context);
        outcome.feedback.assign(context.feedback, context.feedback + 16);
    }
    ASSERT_EQ(outcomes[0], outcomes[1]) << "mode " << mode;
}

// Both implementations of the rounds give identical bytes and registers
// for every mode code and key length, by single units and by fused runs.
TEST(AesPaths, HardwareAndPortableAgreeOnEveryMode) {
    if (!AesHardwareAvailable()) GTEST_SKIP() << "this processor has no AES instructions";
    const AesPath saved = AesActivePath();
    std::mt19937 rng(15);
    for (int trial = 0; trial < 20; ++trial) {
        for (std::int32_t mode : kTableModes) {
            const Bytes key = RandomBytes(rng, 16 + 8 * (rng() % 3)), iv = RandomBytes(rng, 16);
            const Bytes data = RandomBytes(rng, UnitOf(mode) * (1 + rng() % 40));
            ExpectPathsAgree(mode, key, iv, [&](AesContext& c) { return RunUnits(c, RunUnits(c, data, false), true); });
        }
        for (bool decrypt : {false, true}) {
            const Bytes key = RandomBytes(rng, 32), iv = RandomBytes(rng, 16);
            const Bytes data = RandomBytes(rng, rng() % 1000);
            ExpectPathsAgree(MODE_XCFB8, key, iv, [&](AesContext& c) {
                Bytes out = data;
                decrypt ? AesDecryptXcfb8Run(c, out.data(), out.size()) : AesEncryptXcfb8Run(c, out.data(), out.size());
                return out;
            });
        }
    }
    AesSelectPath(saved);
}

}  // namespace
}  // namespace arkseal
