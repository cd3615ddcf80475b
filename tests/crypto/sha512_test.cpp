#include <gtest/gtest.h>

#include <string>

#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/sha512.h>
#include <arkseal/tests/crypto/openssl_oracle.h>

namespace arkseal {
namespace {

using test::Bytes;
using test::Hex;

Bytes Sha512Of(Sha512State& state, const Bytes& message) {
    for (std::uint8_t b : message) Sha512Process(state, b);
    Bytes out(64);
    Sha512Finish(state, out.data());
    return out;
}

Bytes Sha384Of(Sha512State& state, const Bytes& message) {
    for (std::uint8_t b : message) Sha512Process(state, b);
    Bytes out(48);
    Sha384Finish(state, out.data());
    return out;
}

Bytes Ascii(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct Fips180Vector {
    const char* message;
    const char* sha512;
    const char* sha384;
};

// FIPS 180-2, appendices C and D.
const Fips180Vector kFips180[] = {
    {"",
     "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a"
     "538327af927da3e",
     "38b060a751ac96384cd9327eb1b1e36a21fdb71114be07434c0cc7bf63f6e1da274edebfe76f65fbd51ad2f14898b95b"},
    {"abc",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2"
     "a9ac94fa54ca49f",
     "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7"},
    {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
     "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545"
     "e96e55b874be909",
     "09330c33f71147e83d192fc782cd1b4753111b173b3b05d22fa08086e3b0f712fcc7c71a557e2db966c3e9fa91746039"},
};

TEST(Sha512, Fips180Vectors) {
    Sha512State state;
    for (const auto& v : kFips180) {
        Sha512Init(state);
        EXPECT_EQ(Hex(Sha512Of(state, Ascii(v.message))), v.sha512) << '"' << v.message << '"';
        Sha384Init(state);
        EXPECT_EQ(Hex(Sha384Of(state, Ascii(v.message))), v.sha384) << '"' << v.message << '"';
    }
}

// 111 bytes still fit the padding and length into one block; 112 need a
// second. The lengths around one block cover every padding branch.
TEST(Sha512, PaddingBoundariesAgreeWithOpenSsl) {
    Sha512State state;
    for (std::size_t length : {111u, 112u, 127u, 128u, 129u, 239u, 240u, 256u}) {
        Bytes message(length);
        for (std::size_t i = 0; i < length; ++i) message[i] = static_cast<std::uint8_t>(i * 7 + 3);
        Sha512Init(state);
        EXPECT_EQ(Sha512Of(state, message), test::OpenSslDigest(EVP_sha512(), message)) << length;
        Sha384Init(state);
        EXPECT_EQ(Sha384Of(state, message), test::OpenSslDigest(EVP_sha384(), message)) << length;
    }
}

// Finishing re-initialises: a second message needs no explicit init, and
// the SHA-384 finish leaves the state ready for SHA-384.
TEST(Sha512, FinishLeavesStateReadyForNextMessage) {
    Sha512State state;
    Sha512Init(state);
    Sha512Of(state, Ascii("first message, long enough to spill into schedule words"));
    EXPECT_EQ(Hex(Sha512Of(state, Ascii("abc"))), kFips180[1].sha512);

    Sha384Init(state);
    Sha384Of(state, Ascii("first"));
    EXPECT_EQ(Hex(Sha384Of(state, Ascii("abc"))), kFips180[1].sha384);
}

TEST(Sha512, NegativeByteCountsAsItsLowEightBits) {
    Sha512State a, b;
    Sha512Init(a);
    Sha512Init(b);
    Sha512Process(a, -1);
    Sha512Process(b, 0xff);
    Sha512Process(a, static_cast<signed char>(0x80));
    Sha512Process(b, 0x80);
    Bytes da(64), db(64);
    Sha512Finish(a, da.data());
    Sha512Finish(b, db.data());
    EXPECT_EQ(da, db);
}

TEST(PassphraseDigest, DigestBytes) {
    PassphraseDigest digest;
    Bytes out(64);
    digest.DigestBytes("abc", 3, out.data());
    EXPECT_EQ(Hex(out), kFips180[1].sha512);
    digest.DigestBytes("abc", 3, out.data());
    EXPECT_EQ(Hex(out), kFips180[1].sha512) << "a second call on the same object";
    for (std::ptrdiff_t length : {0, -5}) {
        digest.DigestBytes("ignored", length, out.data());
        EXPECT_EQ(Hex(out), kFips180[0].sha512) << length;
    }
    // Non-ASCII passphrases are hashed as the stored bytes (here UTF-8).
    const Bytes utf8 = Ascii("p\xc3\xa4ss");
    digest.DigestBytes(utf8.data(), static_cast<std::ptrdiff_t>(utf8.size()), out.data());
    EXPECT_EQ(out, test::OpenSslDigest(EVP_sha512(), utf8));
}

}  // namespace
}  // namespace arkseal
