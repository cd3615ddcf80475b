// SHA-1, FIPS 180-1: 80 rounds over a schedule expanded from 16 big-endian
// words with a rotation by one; the four round functions change every 20
// rounds. Bytes enter the current block word by shifting in from the right.
#include <arkseal/curve/sha1.h>

#include <arkseal/base/wipe.h>

namespace arkseal {
namespace {

constexpr std::uint32_t Rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void Transform(Sha1State& state) {
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t) w[t] = state.block[t];
    for (int t = 16; t < 80; ++t) w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    std::uint32_t a = state.hash[0], b = state.hash[1], c = state.hash[2], d = state.hash[3], e = state.hash[4];
    for (int t = 0; t < 80; ++t) {
        std::uint32_t f, k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5a827999;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ed9eba1;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8f1bbcdc;
        } else {
            f = b ^ c ^ d;
            k = 0xca62c1d6;
        }
        const std::uint32_t temp = Rotl(a, 5) + f + e + k + w[t];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = temp;
    }
    state.hash[0] += a;
    state.hash[1] += b;
    state.hash[2] += c;
    state.hash[3] += d;
    state.hash[4] += e;
    SecureWipe(w, sizeof w);
}

}  // namespace

void Sha1Init(Sha1State& state) {
    state.bitCount = 0;
    state.hash[0] = 0x67452301;
    state.hash[1] = 0xefcdab89;
    state.hash[2] = 0x98badcfe;
    state.hash[3] = 0x10325476;
    state.hash[4] = 0xc3d2e1f0;
    for (auto& w : state.block) w = 0;
}

void Sha1Process(Sha1State& state, int byte) {
    std::uint32_t& word = state.block[(state.bitCount / 32) % 16];
    word = (word << 8) | static_cast<std::uint32_t>(byte & 0xff);
    state.bitCount += 8;
    if (state.bitCount % 512 == 0) Transform(state);
}

void Sha1Finish(Sha1State& state, std::uint8_t output[20]) {
    const std::uint64_t bits = state.bitCount;
    Sha1Process(state, 0x80);
    while (state.bitCount % 512 != 448) Sha1Process(state, 0);
    state.block[14] = static_cast<std::uint32_t>(bits >> 32);
    state.block[15] = static_cast<std::uint32_t>(bits);
    Transform(state);
    for (int i = 0; i < 20; ++i) output[i] = static_cast<std::uint8_t>(state.hash[i / 4] >> (24 - 8 * (i % 4)));
    Sha1Init(state);
}

void Sha1Digest(const void* data, std::size_t length, std::uint8_t output[20]) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    Sha1State state;
    Sha1Init(state);
    for (std::size_t i = 0; i < length; ++i) Sha1Process(state, bytes[i]);
    Sha1Finish(state, output);
}

}  // namespace arkseal
