#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/stream_cipher.h>
#include <arkseal/tests/crypto/aes_paths.h>
#include <arkseal/tests/crypto/openssl_oracle.h>

namespace arkseal {
namespace {

using test::Bytes;

class Stream : public test::OnEveryAesRoute {};
ARKSEAL_ON_EVERY_AES_ROUTE(Stream);

Bytes KeyFor(const std::string& passphrase) {
    Bytes digest(64);
    PassphraseDigest().DigestBytes(passphrase.data(), static_cast<std::ptrdiff_t>(passphrase.size()), digest.data());
    return digest;
}

Bytes RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
}

// The file format from its definition, on OpenSSL: key = SHA-512(passphrase)
// bytes 0..31, register 00..0F, and per byte T = AES-256(R), y = x ^ T[0],
// R = R[1..15] || (ciphertext byte ^ T[15]).
Bytes ReferenceTransform(const std::string& passphrase, Bytes data, bool decrypt) {
    const std::string_view p(passphrase);
    Bytes digest = test::OpenSslDigest(EVP_sha512(), Bytes(p.begin(), p.end()));
    test::OpenSslAes aes(Bytes(digest.begin(), digest.begin() + 32));
    std::uint8_t r[16], t[16];
    for (int i = 0; i < 16; ++i) r[i] = static_cast<std::uint8_t>(i);
    for (auto& x : data) {
        aes.EncryptBlock(r, t);
        const std::uint8_t in = x;
        x ^= t[0];
        std::memmove(r, r + 1, 15);
        r[15] = (decrypt ? in : x) ^ t[15];
    }
    return data;
}

TEST_P(Stream, MatchesTheFormatDefinitionAndRoundTrips) {
    const Bytes plain = RandomBytes(5000, 1);
    StreamCipher enc;
    enc.SetKey(KeyFor("correct horse").data());
    enc.ResetIv();
    Bytes data = plain;
    ASSERT_TRUE(enc.EncryptRun(data.data(), static_cast<std::ptrdiff_t>(data.size())));
    EXPECT_EQ(data, ReferenceTransform("correct horse", plain, false));

    StreamCipher dec;
    dec.SetKey(KeyFor("correct horse").data());
    ASSERT_TRUE(dec.DecryptRun(data.data(), static_cast<std::ptrdiff_t>(data.size())));
    EXPECT_EQ(data, plain);
}

// The worker feeds 262144-byte chunks; the stream must not notice.
TEST_P(Stream, ChunkedRunsEqualOneRun) {
    const std::size_t chunk = 262144;
    const Bytes plain = RandomBytes(2 * chunk + 1000, 2);
    const Bytes key = KeyFor("chunks");
    Bytes whole = plain, chunked = plain;
    StreamCipher one, many;
    one.SetKey(key.data());
    many.SetKey(key.data());
    one.EncryptRun(whole.data(), static_cast<std::ptrdiff_t>(whole.size()));
    for (std::size_t at = 0; at < chunked.size(); at += chunk) {
        const auto n = static_cast<std::ptrdiff_t>(std::min(chunk, chunked.size() - at));
        many.ResetIv();  // as the worker may; it must not restart the stream
        many.EncryptRun(chunked.data() + at, n);
    }
    EXPECT_EQ(chunked, whole);
}

TEST_P(Stream, OnlySetKeyRestartsTheStream) {
    const Bytes key = KeyFor("restart");
    Bytes first(32, 0), again(32, 0), afterSetKey(32, 0);
    StreamCipher cipher;
    cipher.SetKey(key.data());
    cipher.EncryptRun(first.data(), 32);
    cipher.ResetIv();
    cipher.EncryptRun(again.data(), 32);
    EXPECT_NE(again, first) << "ResetIv must not restart the stream";
    cipher.SetKey(key.data());
    cipher.SetKey(key.data());  // twice in a row is the same as once
    cipher.EncryptRun(afterSetKey.data(), 32);
    EXPECT_EQ(afterSetKey, first);
    ASSERT_TRUE(cipher.Reinitialise());
    Bytes afterReinitialise(32, 0);
    cipher.EncryptRun(afterReinitialise.data(), 32);
    EXPECT_EQ(afterReinitialise, first);
}

// A stream continued on another object from a saved register equals one
// run, in both directions: an interrupted file is finished this way.
TEST_P(Stream, ContinuesFromASavedRegister) {
    const Bytes plain = RandomBytes(1000, 3);
    const Bytes key = KeyFor("resume");
    for (bool encrypt : {true, false}) {
        SCOPED_TRACE(encrypt ? "encrypt" : "decrypt");
        Bytes whole = plain, split = plain;
        StreamCipher one, first, second;
        one.SetKey(key.data());
        first.SetKey(key.data());
        second.SetKey(key.data());
        const auto run = [encrypt](StreamCipher& cipher, std::uint8_t* data, std::ptrdiff_t n) {
            return encrypt ? cipher.EncryptRun(data, n) : cipher.DecryptRun(data, n);
        };
        run(one, whole.data(), 1000);
        run(first, split.data(), 437);
        std::uint8_t reg[16];
        ASSERT_TRUE(first.GetRegister(reg));
        ASSERT_TRUE(second.SetRegister(reg));
        run(second, split.data() + 437, 1000 - 437);
        EXPECT_EQ(split, whole);
    }
}

TEST(StreamCipher, RefusesWithoutKey) {
    StreamCipher cipher;
    Bytes data(16, 0x3c);
    EXPECT_FALSE(cipher.EncryptRun(data.data(), 16));
    EXPECT_FALSE(cipher.DecryptRun(data.data(), 16));
    EXPECT_FALSE(cipher.Reinitialise());
    EXPECT_FALSE(cipher.GetRegister(data.data()));
    EXPECT_FALSE(cipher.SetRegister(data.data()));
    EXPECT_EQ(data, Bytes(16, 0x3c));

    cipher.SetKey(KeyFor("k").data());
    EXPECT_TRUE(cipher.EncryptRun(data.data(), 0));
    EXPECT_TRUE(cipher.EncryptRun(data.data(), -3));
    EXPECT_EQ(data, Bytes(16, 0x3c));
}

// The worked example in docs/file-format.md must be what the code produces.
std::string DocumentLine(const std::string& text, const std::string& label) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto at = line.find(label);
        if (at != std::string::npos) {
            std::string value = line.substr(at + label.size());
            value.erase(0, value.find_first_not_of(' '));
            return value;
        }
    }
    return {};
}

TEST(FileFormat, WorkedExampleInTheDocumentation) {
    std::ifstream file(ARKSEAL_SOURCE_DIR "/docs/file-format.md");
    ASSERT_TRUE(file) << "docs/file-format.md";
    std::stringstream text;
    text << file.rdbuf();
    const std::string passphrase = DocumentLine(text.str(), "passphrase:");
    const std::string plaintext = DocumentLine(text.str(), "plaintext:");
    const std::string key = DocumentLine(text.str(), "key:");
    const Bytes ciphertext = test::FromHex(DocumentLine(text.str(), "ciphertext:"));
    ASSERT_FALSE(passphrase.empty());
    ASSERT_FALSE(ciphertext.empty());
    ASSERT_EQ(ciphertext.size(), plaintext.size());

    const Bytes digest = KeyFor(passphrase);
    EXPECT_EQ(test::Hex(digest.data(), 32), [&] {
        std::string k = key;
        k.erase(std::remove(k.begin(), k.end(), ' '), k.end());
        return k;
    }());
    Bytes data(plaintext.begin(), plaintext.end());
    StreamCipher cipher;
    cipher.SetKey(digest.data());
    cipher.EncryptRun(data.data(), static_cast<std::ptrdiff_t>(data.size()));
    EXPECT_EQ(data, ciphertext);
    EXPECT_EQ(ReferenceTransform(passphrase, Bytes(plaintext.begin(), plaintext.end()), false), ciphertext);
}

}  // namespace
}  // namespace arkseal
