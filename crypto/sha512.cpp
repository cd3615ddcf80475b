// SHA-512 and SHA-384 (FIPS 180-2, sections 5.3.3, 5.3.4, 6.3), one byte per
// call. Byte i of a block lands in W[i / 8], shifted in from the right, so
// after eight bytes the word holds them big-endian and the previous block's
// contents are gone; the bit count tells which word the next byte enters.
#include <arkseal/crypto/sha512.h>

#include <arkseal/base/wipe.h>

namespace arkseal {
namespace {

constexpr std::uint64_t kSha512Initial[8] = {
    0x6a09e667f3bcc908, 0xbb67ae8584caa73b, 0x3c6ef372fe94f82b, 0xa54ff53a5f1d36f1,
    0x510e527fade682d1, 0x9b05688c2b3e6c1f, 0x1f83d9abfb41bd6b, 0x5be0cd19137e2179,
};

constexpr std::uint64_t kSha384Initial[8] = {
    0xcbbb9d5dc1059ed8, 0x629a292a367cd507, 0x9159015a3070dd17, 0x152fecd8f70e5939,
    0x67332667ffc00b31, 0x8eb44a8768581511, 0xdb0c2e0d64f98fa7, 0x47b5481dbefa4fa4,
};

constexpr std::uint64_t kRoundConstants[80] = {
    0x428a2f98d728ae22, 0x7137449123ef65cd, 0xb5c0fbcfec4d3b2f, 0xe9b5dba58189dbbc, 0x3956c25bf348b538,
    0x59f111f1b605d019, 0x923f82a4af194f9b, 0xab1c5ed5da6d8118, 0xd807aa98a3030242, 0x12835b0145706fbe,
    0x243185be4ee4b28c, 0x550c7dc3d5ffb4e2, 0x72be5d74f27b896f, 0x80deb1fe3b1696b1, 0x9bdc06a725c71235,
    0xc19bf174cf692694, 0xe49b69c19ef14ad2, 0xefbe4786384f25e3, 0x0fc19dc68b8cd5b5, 0x240ca1cc77ac9c65,
    0x2de92c6f592b0275, 0x4a7484aa6ea6e483, 0x5cb0a9dcbd41fbd4, 0x76f988da831153b5, 0x983e5152ee66dfab,
    0xa831c66d2db43210, 0xb00327c898fb213f, 0xbf597fc7beef0ee4, 0xc6e00bf33da88fc2, 0xd5a79147930aa725,
    0x06ca6351e003826f, 0x142929670a0e6e70, 0x27b70a8546d22ffc, 0x2e1b21385c26c926, 0x4d2c6dfc5ac42aed,
    0x53380d139d95b3df, 0x650a73548baf63de, 0x766a0abb3c77b2a8, 0x81c2c92e47edaee6, 0x92722c851482353b,
    0xa2bfe8a14cf10364, 0xa81a664bbc423001, 0xc24b8b70d0f89791, 0xc76c51a30654be30, 0xd192e819d6ef5218,
    0xd69906245565a910, 0xf40e35855771202a, 0x106aa07032bbd1b8, 0x19a4c116b8d2d0c8, 0x1e376c085141ab53,
    0x2748774cdf8eeb99, 0x34b0bcb5e19b48a8, 0x391c0cb3c5c95a63, 0x4ed8aa4ae3418acb, 0x5b9cca4f7763e373,
    0x682e6ff3d6b2b8a3, 0x748f82ee5defb2fc, 0x78a5636f43172f60, 0x84c87814a1f0ab72, 0x8cc702081a6439ec,
    0x90befffa23631e28, 0xa4506cebde82bde9, 0xbef9a3f7b2c67915, 0xc67178f2e372532b, 0xca273eceea26619c,
    0xd186b8c721c0c207, 0xeada7dd6cde0eb1e, 0xf57d4f7fee6ed178, 0x06f067aa72176fba, 0x0a637dc5a2c898a6,
    0x113f9804bef90dae, 0x1b710b35131c471b, 0x28db77f523047d84, 0x32caab7b40c72493, 0x3c9ebe0a15c9bebc,
    0x431d67c49c100d4c, 0x4cc5d4becb3e42b6, 0x597f299cfc657e2a, 0x5fcb6fab3ad6faec, 0x6c44198c4a475817,
};

constexpr std::uint64_t Rotr(std::uint64_t x, int n) { return (x >> n) | (x << (64 - n)); }
constexpr std::uint64_t BigSigma0(std::uint64_t x) { return Rotr(x, 28) ^ Rotr(x, 34) ^ Rotr(x, 39); }
constexpr std::uint64_t BigSigma1(std::uint64_t x) { return Rotr(x, 14) ^ Rotr(x, 18) ^ Rotr(x, 41); }
constexpr std::uint64_t SmallSigma0(std::uint64_t x) { return Rotr(x, 1) ^ Rotr(x, 8) ^ (x >> 7); }
constexpr std::uint64_t SmallSigma1(std::uint64_t x) { return Rotr(x, 19) ^ Rotr(x, 61) ^ (x >> 6); }
constexpr std::uint64_t Ch(std::uint64_t x, std::uint64_t y, std::uint64_t z) { return (x & y) ^ (~x & z); }
constexpr std::uint64_t Maj(std::uint64_t x, std::uint64_t y, std::uint64_t z) { return (x & y) ^ (x & z) ^ (y & z); }

void InitWith(Sha512State& state, const std::uint64_t (&initial)[8]) {
    state.bitCountLow = 0;
    state.bitCountHigh = 0;
    for (int i = 0; i < 8; ++i) state.hash[i] = initial[i];
    for (auto& w : state.schedule) w = 0;
}

// Pads the message, compresses the last block and writes `words` hash words
// most significant byte first.
void FinishInto(Sha512State& state, std::uint8_t* output, int words) {
    const std::uint64_t high = state.bitCountHigh;
    const std::uint64_t low = state.bitCountLow;
    Sha512Process(state, 0x80);
    while (state.bitCountLow % 1024 != 896) Sha512Process(state, 0);
    state.schedule[14] = high;
    state.schedule[15] = low;
    Sha512Transform(state);
    for (int i = 0; i < 8 * words; ++i) {
        output[i] = static_cast<std::uint8_t>(state.hash[i / 8] >> (56 - 8 * (i % 8)));
    }
}

}  // namespace

void Sha512Init(Sha512State& state) { InitWith(state, kSha512Initial); }

void Sha384Init(Sha512State& state) { InitWith(state, kSha384Initial); }

void Sha512Process(Sha512State& state, int byte) {
    std::uint64_t& word = state.schedule[(state.bitCountLow / 64) % 16];
    word = (word << 8) | static_cast<std::uint64_t>(byte & 0xff);
    state.bitCountLow += 8;
    if (state.bitCountLow == 0) ++state.bitCountHigh;
    if (state.bitCountLow % 1024 == 0) Sha512Transform(state);
}

void Sha512Transform(Sha512State& state) {
    std::uint64_t* w = state.schedule;
    for (int t = 16; t < 80; ++t) {
        w[t] = SmallSigma1(w[t - 2]) + w[t - 7] + SmallSigma0(w[t - 15]) + w[t - 16];
    }
    std::uint64_t a = state.hash[0], b = state.hash[1], c = state.hash[2], d = state.hash[3];
    std::uint64_t e = state.hash[4], f = state.hash[5], g = state.hash[6], h = state.hash[7];
    for (int t = 0; t < 80; ++t) {
        const std::uint64_t t1 = h + BigSigma1(e) + Ch(e, f, g) + kRoundConstants[t] + w[t];
        const std::uint64_t t2 = BigSigma0(a) + Maj(a, b, c);
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state.hash[0] += a;
    state.hash[1] += b;
    state.hash[2] += c;
    state.hash[3] += d;
    state.hash[4] += e;
    state.hash[5] += f;
    state.hash[6] += g;
    state.hash[7] += h;
}

void Sha512Finish(Sha512State& state, std::uint8_t output[64]) {
    FinishInto(state, output, 8);
    Sha512Init(state);
}

void Sha384Finish(Sha512State& state, std::uint8_t output[48]) {
    FinishInto(state, output, 6);
    Sha384Init(state);
}

}  // namespace arkseal
