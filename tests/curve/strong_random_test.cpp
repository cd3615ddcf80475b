// The strong generator: seeding and refills checked against an independent
// rebuild from the workspace generator and OpenSSL's SHA-1, determinism
// across workspaces, and numbers below a bound.
#include <gtest/gtest.h>

#include <openssl/sha.h>

#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/workspace/random_words.h>
#include <arkseal/curve/strong_random.h>

namespace arkseal {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RawSeed(std::uint8_t first) {
    Bytes raw(255);
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<std::uint8_t>(first + 3 * i);
    return raw;
}

// Runs body in a fresh workspace (the program's shape) and destroys it.
template <typename Body>
void InFreshWorkspace(Body body) {
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    body();
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
    DestroyNumberSystem();
}

Bytes DrawBytes(const Bytes& raw, std::uint32_t word, int n) {
    Bytes out(n);
    InFreshWorkspace([&] {
        StrongSeed(static_cast<int>(raw.size()), raw.data(), word);
        StrongBytes(n, out.data());
    });
    return out;
}

// The next pool as an independent SHA-1 of 128 generator bytes.
Bytes ExpectedPool() {
    std::uint8_t block[128];
    for (std::uint8_t& b : block) b = static_cast<std::uint8_t>(RandomWord());
    Bytes pool(20);
    SHA1(block, sizeof block, pool.data());
    return pool;
}

TEST(StrongRandom, SeedAndRefillsFollowTheGeneratorThroughSha1) {
    const Bytes raw = RawSeed(7);
    const std::uint32_t word = 0xC0FFEE11u;
    Bytes expected;
    InFreshWorkspace([&] {
        std::uint8_t d[20];
        SHA1(raw.data(), raw.size(), d);
        SeedRandom(word);
        for (int i = 0; i < 5; ++i)
            SeedRandom(d[4 * i] | d[4 * i + 1] << 8 | d[4 * i + 2] << 16 |
                       static_cast<std::uint32_t>(d[4 * i + 3]) << 24);
        for (int pools = 0; pools < 3; ++pools) {
            const Bytes pool = ExpectedPool();
            expected.insert(expected.end(), pool.begin(), pool.end());
        }
    });
    // 20 bytes empty the first pool; the 21st is the first of a refilled one.
    EXPECT_EQ(DrawBytes(raw, word, 60), expected);
    const Bytes first21 = DrawBytes(raw, word, 21);
    EXPECT_EQ(first21[20], expected[20]);
}

TEST(StrongRandom, SameSeedSameOutputAnyChangeDiffers) {
    const Bytes raw = RawSeed(1);
    Bytes changed = raw;
    changed[200] ^= 1;
    const Bytes base = DrawBytes(raw, 42, 50);
    EXPECT_EQ(DrawBytes(raw, 42, 50), base);
    EXPECT_NE(DrawBytes(changed, 42, 50), base);
    EXPECT_NE(DrawBytes(raw, 43, 50), base);
    // An empty seed is hashed too and still seeds deterministically.
    EXPECT_EQ(DrawBytes({}, 5, 30), DrawBytes({}, 5, 30));
}

TEST(StrongRandom, SeedingMixesIntoThePreviousState) {
    const Bytes raw = RawSeed(9);
    Bytes twice(20);
    InFreshWorkspace([&] {
        StrongSeed(255, raw.data(), 1);
        StrongSeed(255, raw.data(), 1);
        StrongBytes(20, twice.data());
    });
    EXPECT_NE(twice, DrawBytes(raw, 1, 20));
}

TEST(StrongRandom, BigBelowTakesPoolBytesBigEndianUntilTheBound) {
    const Bytes raw = RawSeed(3);
    const Bytes stream = DrawBytes(raw, 77, 200);
    InFreshWorkspace([&] {
        StrongSeed(255, raw.data(), 77);
        BigNumber w = NewBig(0), x = NewBig(0), expected = NewBig(0);
        BigIntPower(2, 256, w);
        std::size_t used = 0;
        for (int draw = 0; draw < 4; ++draw) {
            StrongBigBelow(w, x);
            EXPECT_LT(BigCompare(x, w), 0);
            // Leading zero bytes are skipped, then 33 bytes: the last 32 are x.
            while (stream[used] == 0) ++used;
            BigFromBytes(32, stream.data() + used + 1, expected);
            EXPECT_EQ(BigCompare(x, expected), 0) << draw;
            used += 33;
        }
        // A bound of 1 takes one byte and gives 0; a small bound reduces.
        BigFromInt(1, w);
        StrongBigBelow(w, x);
        EXPECT_EQ(x[0], 0u);
        BigFromInt(1000, w);
        StrongBigBelow(w, x);
        const int v = (stream[used + 1] << 8 | stream[used + 2]) % 1000;
        EXPECT_EQ(BigToInt(x), v);
        FreeBig(w);
        FreeBig(x);
        FreeBig(expected);
    });
}

// The byte draw of private scalars must keep exactly what the number draw
// keeps and take as many pool bytes, including the draws whose leading bytes
// are zero (about one in 256 per byte: frequent over many one-byte draws).
TEST(StrongRandom, BytesBelowAPowerOf256MatchBigBelowDrawForDraw) {
    for (int n : {1, 2, 32}) {
        std::vector<Bytes> fromNumbers, fromBytes;
        for (bool bytes : {false, true}) {
            InFreshWorkspace([&] {
                const Bytes raw = RawSeed(7);
                StrongSeed(static_cast<int>(raw.size()), raw.data(), 99);
                BigNumber w = NewBig(0), x = NewBig(0);
                BigIntPower(2, 8 * n, w);
                for (int draw = 0; draw < 3000; ++draw) {
                    Bytes out(n + 1);
                    if (bytes) {
                        StrongBytesBelowPowerOf256(n, out.data());
                    } else {
                        StrongBigBelow(w, x);
                        Bytes big(n + 8);
                        const int length = BigToBytes(static_cast<int>(big.size()), x, big.data());
                        std::copy(big.begin(), big.begin() + length, out.begin() + (n - length));
                    }
                    StrongBytes(1, &out[n]);  // the next pool byte: both took the same count
                    (bytes ? fromBytes : fromNumbers).push_back(out);
                }
                FreeBig(w);
                FreeBig(x);
            });
        }
        ASSERT_EQ(fromNumbers.size(), fromBytes.size());
        for (std::size_t i = 0; i < fromNumbers.size(); ++i) ASSERT_EQ(fromNumbers[i], fromBytes[i]) << n << " " << i;
    }
}

TEST(StrongRandom, BigBelowLeavesItsOutputAloneWhileAnErrorIsPending) {
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    BigNumber w = NewBig(1000), x = NewBig(5);
    RaiseNumberError(kErrorOverflow);
    StrongBigBelow(w, x);
    EXPECT_EQ(BigToInt(x), 5);
    FreeBig(w);
    FreeBig(x);
    DestroyNumberSystem();
}

}  // namespace
}  // namespace arkseal
