#include <gtest/gtest.h>

#include <string>

#include <arkseal/curve/random_source.h>
#include <arkseal/curve/sha1.h>
#include <arkseal/tests/crypto/openssl_oracle.h>

namespace arkseal {
namespace {

using test::Bytes;

std::string Sha1Hex(const std::string& message) {
    std::uint8_t out[20];
    Sha1Digest(message.data(), message.size(), out);
    return test::Hex(out, 20);
}

TEST(Sha1, Fips180Vectors) {
    EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(Sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    EXPECT_EQ(Sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(Sha1, LengthsAroundOneBlockAgreeWithOpenSsl) {
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        Bytes message(length);
        for (std::size_t i = 0; i < length; ++i) message[i] = static_cast<std::uint8_t>(i * 5 + 1);
        std::uint8_t out[20];
        Sha1Digest(message.data(), message.size(), out);
        EXPECT_EQ(Bytes(out, out + 20), test::OpenSslDigest(EVP_sha1(), message)) << length;
    }
}

TEST(Sha1, FinishLeavesStateReadyForNextMessage) {
    Sha1State state;
    Sha1Init(state);
    for (char c : std::string("something else entirely")) Sha1Process(state, c);
    std::uint8_t out[20];
    Sha1Finish(state, out);
    for (char c : std::string("abc")) Sha1Process(state, c);
    Sha1Finish(state, out);
    EXPECT_EQ(test::Hex(out, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(RandomSource, FillsFromTheSystemAndReportsFailure) {
    RandomSource system;
    Bytes a(300), b(300);
    ASSERT_TRUE(system.FillBytes(a.data(), a.size()));
    ASSERT_TRUE(system.FillBytes(b.data(), b.size()));
    EXPECT_NE(a, b);
    std::uint32_t words[4] = {};
    EXPECT_TRUE(system.FillWords(words, 4));

    RandomSource broken([](void*, std::size_t) { return false; });
    EXPECT_FALSE(broken.FillBytes(a.data(), a.size()));
    EXPECT_FALSE(broken.FillWords(words, 4));
}

}  // namespace
}  // namespace arkseal
