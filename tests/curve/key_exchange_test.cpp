// The key-exchange object: agreement in both key methods, the wire values
// checked against OpenSSL, every refusal, and the two refusals added for
// failed entropy and unusable peer values.
#include <gtest/gtest.h>

#include <openssl/sha.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/stream_cipher.h>
#include <arkseal/curve/key_exchange.h>
#include <arkseal/curve/strong_random.h>
#include <arkseal/tests/curve/fixed_entropy.h>
#include <arkseal/tests/curve/openssl_curve.h>

namespace arkseal {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Public = std::array<std::uint8_t, kPublicValueSize>;
using Check = std::array<std::uint8_t, kCheckValueSize>;

class KeyExchangeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(CreateNumberSystem(640, 0), nullptr); }
    void TearDown() override {
        EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
        DestroyNumberSystem();
    }
};

// One peer taken up to its public value.
struct Peer {
    KeyExchange kx;
    Public own{};
    Peer(int role, int method, const std::string& passphrase = "") {
        EXPECT_TRUE(kx.SetRole(role));
        EXPECT_TRUE(kx.SetMethod(method));
        if (!passphrase.empty()) {
            EXPECT_TRUE(kx.SetPassphrase(passphrase.data(), passphrase.size()));
        }
        EXPECT_TRUE(kx.GenerateOwnKey());
        EXPECT_TRUE(kx.ExportPublic(own.data()));
    }
    Check Finish(const Public& peer) {
        Check check{};
        EXPECT_TRUE(kx.ImportPeer(peer.data()));
        EXPECT_TRUE(kx.DeriveKey());
        EXPECT_TRUE(kx.MakeCheckValue());
        EXPECT_TRUE(kx.GetCheckValue(check.data()));
        return check;
    }
};

TEST_F(KeyExchangeTest, AgreementByMethodRoleAndPassphrase) {
    struct Case {
        const char* name;
        int methodA, roleA;
        std::string passA;
        int methodB, roleB;
        std::string passB;
        bool agree;
    };
    const Case cases[] = {
        {"plain", 4, 1, "", 4, 2, "", true},
        {"plain, equal roles", 4, 1, "", 4, 1, "", true},
        {"passphrase", 3, 1, "open sesame", 3, 2, "open sesame", true},
        {"passphrase, roles swapped", 3, 2, "open sesame", 3, 1, "open sesame", true},
        {"different passphrases", 3, 1, "open sesame", 3, 2, "open sesame!", false},
        {"passphrase, both role 1", 3, 1, "open sesame", 3, 1, "open sesame", false},
        {"passphrase, both role 2", 3, 2, "open sesame", 3, 2, "open sesame", false},
    };
    for (const Case& c : cases) {
        Peer a(c.roleA, c.methodA, c.passA), b(c.roleB, c.methodB, c.passB);
        const Check ca = a.Finish(b.own), cb = b.Finish(a.own);
        EXPECT_EQ(ca == cb, c.agree) << c.name;
        EXPECT_EQ(a.kx.CompareCheckValue(cb.data()), c.agree ? 0 : -1) << c.name;
        EXPECT_EQ(b.kx.CompareCheckValue(ca.data()), c.agree ? 0 : -1) << c.name;
    }
}

TEST_F(KeyExchangeTest, MessagesBothWaysInTheSameOrderDecrypt) {
    Peer a(1, 4), b(2, 4);
    a.Finish(b.own);
    b.Finish(a.own);
    const std::vector<std::pair<bool, std::string>> conversation = {
        {true, "hello"},
        {false, "hello yourself, a longer answer of several dozen bytes"},
        {true, "x"},
        {true, "two in a row"},
        {false, std::string(1000, 'z')}};
    for (const auto& [fromA, text] : conversation) {
        KeyExchange& sender = fromA ? a.kx : b.kx;
        KeyExchange& receiver = fromA ? b.kx : a.kx;
        Bytes wire(text.size()), plain(text.size());
        ASSERT_TRUE(sender.Encrypt(text.data(), wire.data(), text.size()));
        // The keys are random, so a short message may encrypt to itself by
        // chance (1 in 256 for one byte); only longer ones must change.
        if (text.size() >= 8) {
            EXPECT_NE(std::string(wire.begin(), wire.end()), text);
        }
        ASSERT_TRUE(receiver.Decrypt(wire.data(), plain.data(), wire.size()));
        EXPECT_EQ(std::string(plain.begin(), plain.end()), text);
    }
}

TEST_F(KeyExchangeTest, ImportUsesOnlyBitZeroOfTheParityByte) {
    Peer a(1, 4), b(2, 4);
    Public withTwo = b.own;
    withTwo[0] |= 2;
    const Check first = a.Finish(b.own);
    const Check second = a.Finish(withTwo);
    EXPECT_EQ(first, second);
}

TEST_F(KeyExchangeTest, EveryRefusalChangesNothing) {
    KeyExchange kx;
    std::uint8_t buffer[kCheckValueSize] = {};
    std::uint8_t message[4] = {1, 2, 3, 4}, out[4] = {};
    EXPECT_FALSE(kx.SetRole(0));
    EXPECT_FALSE(kx.SetRole(3));
    EXPECT_FALSE(kx.SetMethod(2));
    EXPECT_FALSE(kx.SetMethod(5));
    // Not ready: no role and method yet.
    EXPECT_FALSE(kx.SetPassphrase("pass", 4));
    EXPECT_FALSE(kx.GenerateOwnKey());
    EXPECT_FALSE(kx.ImportPeer(buffer));
    EXPECT_TRUE(kx.SetMethod(3));
    EXPECT_FALSE(kx.GenerateOwnKey());  // a method alone is not ready
    EXPECT_TRUE(kx.SetRole(1));
    EXPECT_FALSE(kx.SetPassphrase("pass", 0));
    EXPECT_FALSE(kx.ExportPublic(buffer));  // before GenerateOwnKey
    EXPECT_TRUE(kx.GenerateOwnKey());
    EXPECT_FALSE(kx.DeriveKey());  // before ImportPeer
    Peer other(2, 3, "pass");
    EXPECT_TRUE(kx.ImportPeer(other.own.data()));
    EXPECT_FALSE(kx.DeriveKey());  // method 3 before SetPassphrase
    EXPECT_FALSE(kx.MakeCheckValue());
    EXPECT_FALSE(kx.GetCheckValue(buffer));
    EXPECT_EQ(kx.CompareCheckValue(buffer), -2);
    EXPECT_FALSE(kx.Encrypt(message, out, 4));
    EXPECT_FALSE(kx.Decrypt(message, out, 4));
    EXPECT_EQ(out[0], 0);
    EXPECT_TRUE(kx.SetPassphrase("pass", 4));
    EXPECT_TRUE(kx.DeriveKey());
    EXPECT_FALSE(kx.Encrypt(message, out, 0));
    EXPECT_FALSE(kx.Decrypt(message, out, 0));
    EXPECT_EQ(kx.CompareCheckValue(buffer), -2);  // still no check value
    EXPECT_TRUE(kx.MakeCheckValue());
    const Check zeros{};
    EXPECT_EQ(kx.CompareCheckValue(zeros.data()), -1);
}

TEST_F(KeyExchangeTest, FlagsStaySetAndTheCheckValueLagsARederivation) {
    Peer a(1, 4), b(2, 4), c(2, 4);
    const Check withB = a.Finish(b.own);
    // Switching to method 3 later keeps every flag; the next derivation uses it.
    EXPECT_TRUE(a.kx.SetMethod(3));
    EXPECT_TRUE(a.kx.SetPassphrase("late", 4));
    EXPECT_TRUE(a.kx.ImportPeer(c.own.data()));
    EXPECT_TRUE(a.kx.DeriveKey());
    Check stale{};
    EXPECT_TRUE(a.kx.GetCheckValue(stale.data()));
    EXPECT_EQ(stale, withB);
    EXPECT_TRUE(a.kx.MakeCheckValue());
    EXPECT_EQ(a.kx.CompareCheckValue(withB.data()), -1);
}

std::string Decimal(const Bytes& bigEndian) {
    test::Bn n;
    BN_bin2bn(bigEndian.data(), static_cast<int>(bigEndian.size()), n.get());
    return n.Decimal();
}

Bytes BigEndian32(const std::string& decimal) {
    test::Bn n(decimal.c_str());
    Bytes out(32);
    BN_bn2binpad(n.get(), out.data(), 32);
    return out;
}

TEST(KeyExchangeWire, PublicValueKeyAndCheckValueMatchAnIndependentComputation) {
    const std::string k = test::ScalarFromFixedEntropy();
    ASSERT_FALSE(k.empty());

    const test::OpenSslCurve ossl;
    const test::AffinePoint G{false, "1", test::kGeneratorY};
    const test::AffinePoint peer = ossl.Multiply(test::Bn("1234567891011121314151617181920"), G);
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    {
        KeyExchange kx{RandomSource(test::FixedEntropy)};
        ASSERT_TRUE(kx.SetRole(2));
        ASSERT_TRUE(kx.SetMethod(4));
        ASSERT_TRUE(kx.GenerateOwnKey());
        Public own{};
        ASSERT_TRUE(kx.ExportPublic(own.data()));
        const test::AffinePoint Q = ossl.Multiply(test::Bn(k.c_str()), G);
        EXPECT_EQ(own[0], (Q.y.back() - '0') % 2);
        EXPECT_EQ(Decimal(Bytes(own.begin() + 1, own.end())), Q.x);

        Public peerValue{};
        peerValue[0] = static_cast<std::uint8_t>((peer.y.back() - '0') % 2);
        const Bytes px = BigEndian32(peer.x);
        std::copy(px.begin(), px.end(), peerValue.begin() + 1);
        ASSERT_TRUE(kx.ImportPeer(peerValue.data()));
        ASSERT_TRUE(kx.DeriveKey());
        ASSERT_TRUE(kx.MakeCheckValue());

        // Secret = x of k P; key = its 32 big-endian bytes; check value =
        // SHA-512 of its 64 little-endian bytes.
        const Bytes secret = BigEndian32(ossl.Multiply(test::Bn(k.c_str()), peer).x);
        Bytes little(64, 0);
        std::copy(secret.rbegin(), secret.rend(), little.begin());
        Check expected{};
        SHA512(little.data(), little.size(), expected.data());
        EXPECT_EQ(kx.CompareCheckValue(expected.data()), 0);

        StreamCipher reference;
        reference.SetKey(secret.data());
        const std::string text = "the key is the secret's x, big-endian";
        Bytes mine(text.size()), theirs(text.begin(), text.end());
        ASSERT_TRUE(kx.Encrypt(text.data(), mine.data(), text.size()));
        reference.EncryptRun(theirs.data(), theirs.size());
        EXPECT_EQ(mine, theirs);
    }
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
    DestroyNumberSystem();
}

// Mended: a failing entropy source generates no key from unfilled buffers.
bool NoEntropy(void*, std::size_t) { return false; }

int entropyFailuresLeft = 0;
bool FailsFirst(void* buffer, std::size_t length) {
    if (entropyFailuresLeft > 0) {
        --entropyFailuresLeft;
        return false;
    }
    return SystemEntropy(buffer, length);
}

TEST_F(KeyExchangeTest, FailedEntropyGeneratesNoKey) {
    KeyExchange kx{RandomSource(NoEntropy)};
    ASSERT_TRUE(kx.SetRole(1));
    ASSERT_TRUE(kx.SetMethod(4));
    EXPECT_FALSE(kx.GenerateOwnKey());
    std::uint8_t buffer[kPublicValueSize];
    EXPECT_FALSE(kx.ExportPublic(buffer));
    // A source that recovers lets a later attempt seed and generate.
    entropyFailuresLeft = 2;  // the construction's bytes, then the retry's bytes
    KeyExchange late{RandomSource(FailsFirst)};
    ASSERT_TRUE(late.SetRole(1));
    ASSERT_TRUE(late.SetMethod(4));
    EXPECT_FALSE(late.GenerateOwnKey());
    EXPECT_TRUE(late.GenerateOwnKey());
    EXPECT_TRUE(late.ExportPublic(buffer));
}

// Mended: a peer value that names no curve point, or leads to the point at
// infinity, is refused instead of deriving a predictable key.
TEST_F(KeyExchangeTest, UnusablePeerValuesAreRefused) {
    const test::OpenSslCurve ossl;
    Public noPoint{};  // the smallest x with no curve point
    for (int x = 2;; ++x) {
        if (ossl.Decompress(test::Bn(std::to_string(x).c_str()), 0).infinity) {
            noPoint[32] = static_cast<std::uint8_t>(x);
            break;
        }
    }
    Public tooBig{};
    std::fill(tooBig.begin() + 1, tooBig.end(), 0xFF);  // x >= p
    Public pAsX{};
    const Bytes p = BigEndian32(test::kCurvePrime);
    std::copy(p.begin(), p.end(), pAsX.begin() + 1);  // x = p, the same residue as 0
    // With method 3 in role 2 the peer point is first moved by w G: the
    // value of -w G makes that sum infinity.
    const std::string passphrase = "shared words";
    std::string w;
    {
        PassphraseDigest digest;
        BigNumber number = digest.DigestToNumber(passphrase.data(), passphrase.size());
        w = test::Bn::From(number).Decimal();
        FreeBig(number);
    }
    const test::AffinePoint minusWG = ossl.Multiply(test::Bn(("-" + w).c_str()), {false, "1", test::kGeneratorY});
    Public toInfinity{};
    toInfinity[0] = static_cast<std::uint8_t>((minusWG.y.back() - '0') % 2);
    const Bytes mx = BigEndian32(minusWG.x);
    std::copy(mx.begin(), mx.end(), toInfinity.begin() + 1);

    Peer good(1, 3, passphrase);
    struct Case {
        const char* name;
        Public value;
        int method;
    };
    const Case cases[] = {
        {"x with no point", noPoint, 4},        {"x above p", tooBig, 4},           {"x equal to p", pAsX, 4},
        {"x with no point, bound", noPoint, 3}, {"sum at infinity", toInfinity, 3},
    };
    for (const Case& c : cases) {
        Peer self(2, c.method, c.method == 3 ? passphrase : "");
        // A key derived before stays in place after a refusal.
        const Check before = self.Finish(good.own);
        EXPECT_TRUE(self.kx.ImportPeer(c.value.data())) << c.name;
        EXPECT_FALSE(self.kx.DeriveKey()) << c.name;
        EXPECT_TRUE(self.kx.MakeCheckValue());
        EXPECT_EQ(self.kx.CompareCheckValue(before.data()), 0) << c.name;
        // A fresh object refuses too and stays unkeyed.
        Peer fresh(2, c.method, c.method == 3 ? passphrase : "");
        EXPECT_TRUE(fresh.kx.ImportPeer(c.value.data()));
        EXPECT_FALSE(fresh.kx.DeriveKey()) << c.name;
        std::uint8_t m[1] = {7}, out[1];
        EXPECT_FALSE(fresh.kx.Encrypt(m, out, 1)) << c.name;
    }
}

}  // namespace
}  // namespace arkseal
