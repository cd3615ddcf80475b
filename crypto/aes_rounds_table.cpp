// Portable AES rounds on four 1 KiB tables per direction (see aes_tables.h).
//
// Encryption, state columns x[0..3] after the initial key addition:
//   y[c] = F0[x[c].b0] ^ F1[x[c+1].b1] ^ F2[x[c+2].b2] ^ F3[x[c+3].b3] ^ k[4r+c]
// is SubBytes, ShiftRows (row k of column c comes from column c+k),
// MixColumns and AddRoundKey in one step; the last round uses the S-box
// alone. Decryption is the equivalent inverse cipher: the same shape with
// the inverse tables and row k taken from column c-k.
//
// The mode-10 run keeps the register as four words. Shifting the register
// left by one byte (R[j-1] = R[j]) is, in little-endian words, a right shift
// of the 128-bit value by 8 bits, with the fed-back byte entering at the top.
#include <cstring>

#include "crypto/aes_rounds.h"
#include "crypto/aes_tables.h"
#include "crypto/wipe.h"

namespace arkseal::aes_rounds {
namespace {

using Word = std::uint32_t;

Word LoadWord(const std::uint8_t* p) {
    return Word{p[0]} | Word{p[1]} << 8 | Word{p[2]} << 16 | Word{p[3]} << 24;
}

void StoreWord(std::uint8_t* p, Word w) {
    p[0] = static_cast<std::uint8_t>(w);
    p[1] = static_cast<std::uint8_t>(w >> 8);
    p[2] = static_cast<std::uint8_t>(w >> 16);
    p[3] = static_cast<std::uint8_t>(w >> 24);
}

inline Word B0(Word w) { return w & 0xff; }
inline Word B1(Word w) { return (w >> 8) & 0xff; }
inline Word B2(Word w) { return (w >> 16) & 0xff; }
inline Word B3(Word w) { return w >> 24; }

struct Columns {
    Word c0, c1, c2, c3;
};

// One output column of a full encryption round; the xors are paired so the
// dependency chain after the loads is two deep.
[[gnu::always_inline]] inline Word ForwardColumn(Word a, Word b, Word c, Word d, Word key) {
    const auto& f = kAesTables.forward;
    return (f[0][B0(a)] ^ f[1][B1(b)]) ^ (f[2][B2(c)] ^ f[3][B3(d)] ^ key);
}

[[gnu::always_inline]] inline Columns ForwardRound(const Columns& x, const Word* k) {
    return {ForwardColumn(x.c0, x.c1, x.c2, x.c3, k[0]), ForwardColumn(x.c1, x.c2, x.c3, x.c0, k[1]),
            ForwardColumn(x.c2, x.c3, x.c0, x.c1, k[2]), ForwardColumn(x.c3, x.c0, x.c1, x.c2, k[3])};
}

// The initial key addition and full rounds 1 .. count, fully unrolled.
template <int kCount>
[[gnu::always_inline]] inline Columns ForwardRounds(Columns x, const Word* k) {
    x = {x.c0 ^ k[0], x.c1 ^ k[1], x.c2 ^ k[2], x.c3 ^ k[3]};
#pragma GCC unroll 16
    for (int r = 1; r <= kCount; ++r) x = ForwardRound(x, k + 4 * r);
    return x;
}

// Byte k of the last round's column: S-box of row k taken from column +k.
[[gnu::always_inline]] inline Word LastColumn(Word a, Word b, Word c, Word d, Word key) {
    const auto& sbox = kAesTables.sbox;
    return (Word{sbox[B0(a)]} | Word{sbox[B1(b)]} << 8 | Word{sbox[B2(c)]} << 16 | Word{sbox[B3(d)]} << 24) ^ key;
}

template <int kRounds>
void EncryptWords(const Word* k, Word s[4]) {
    const Columns y = ForwardRounds<kRounds - 1>({s[0], s[1], s[2], s[3]}, k);
    k += 4 * kRounds;
    s[0] = LastColumn(y.c0, y.c1, y.c2, y.c3, k[0]);
    s[1] = LastColumn(y.c1, y.c2, y.c3, y.c0, k[1]);
    s[2] = LastColumn(y.c2, y.c3, y.c0, y.c1, k[2]);
    s[3] = LastColumn(y.c3, y.c0, y.c1, y.c2, k[3]);
}

inline void EncryptWords(const Word* k, int rounds, Word s[4]) {
    switch (rounds) {
        case 10: EncryptWords<10>(k, s); break;
        case 12: EncryptWords<12>(k, s); break;
        default: EncryptWords<14>(k, s); break;
    }
}

// The two bytes of E(R) that mode 10 uses, T[0] and T[15], without the rest
// of the block: the next-to-last round needs only columns 0 and 2, and the
// last round only byte 0 of column 0 and byte 3 of column 3 (which row 3
// takes from column 2).
template <int kRounds>
[[gnu::always_inline]] inline void EncryptFirstAndLastByte(const Word* k, const Columns& r, Word& t0, Word& t15) {
    const Columns x = ForwardRounds<kRounds - 2>(r, k);
    const Word* penultimate = k + 4 * (kRounds - 1);
    const Word y0 = ForwardColumn(x.c0, x.c1, x.c2, x.c3, penultimate[0]);
    const Word y2 = ForwardColumn(x.c2, x.c3, x.c0, x.c1, penultimate[2]);
    const Word* last = k + 4 * kRounds;
    t0 = (kAesTables.sbox[B0(y0)] ^ last[0]) & 0xff;
    t15 = kAesTables.sbox[B3(y2)] ^ (last[3] >> 24);
}

inline void DecryptWords(const Word* k, int rounds, Word s[4]) {
    const auto& g = kAesTables.inverse;
    const auto& sbox = kAesTables.inverseSbox;
    Word x0 = s[0] ^ k[0], x1 = s[1] ^ k[1], x2 = s[2] ^ k[2], x3 = s[3] ^ k[3];
    for (int r = 1; r < rounds; ++r) {
        k += 4;
        const Word y0 = g[0][B0(x0)] ^ g[1][B1(x3)] ^ g[2][B2(x2)] ^ g[3][B3(x1)] ^ k[0];
        const Word y1 = g[0][B0(x1)] ^ g[1][B1(x0)] ^ g[2][B2(x3)] ^ g[3][B3(x2)] ^ k[1];
        const Word y2 = g[0][B0(x2)] ^ g[1][B1(x1)] ^ g[2][B2(x0)] ^ g[3][B3(x3)] ^ k[2];
        const Word y3 = g[0][B0(x3)] ^ g[1][B1(x2)] ^ g[2][B2(x1)] ^ g[3][B3(x0)] ^ k[3];
        x0 = y0, x1 = y1, x2 = y2, x3 = y3;
    }
    k += 4;
    auto last = [&](Word a, Word b, Word c, Word d, Word key) {
        return (Word{sbox[B0(a)]} | Word{sbox[B1(b)]} << 8 | Word{sbox[B2(c)]} << 16 | Word{sbox[B3(d)]} << 24) ^ key;
    };
    s[0] = last(x0, x3, x2, x1, k[0]);
    s[1] = last(x1, x0, x3, x2, k[1]);
    s[2] = last(x2, x1, x0, x3, k[2]);
    s[3] = last(x3, x2, x1, x0, k[3]);
}

void LoadState(const std::uint8_t* bytes, Word s[4]) {
    for (int c = 0; c < 4; ++c) s[c] = LoadWord(bytes + 4 * c);
}

void StoreState(std::uint8_t* bytes, const Word s[4]) {
    for (int c = 0; c < 4; ++c) StoreWord(bytes + 4 * c, s[c]);
}

}  // namespace

void TableEncryptBlock(const std::uint32_t* roundKeys, int rounds, std::uint8_t block[16]) {
    Word s[4];
    LoadState(block, s);
    EncryptWords(roundKeys, rounds, s);
    StoreState(block, s);
    SecureWipe(s, sizeof s);
}

void TableDecryptBlock(const std::uint32_t* inverseRoundKeys, int rounds, std::uint8_t block[16]) {
    Word s[4];
    LoadState(block, s);
    DecryptWords(inverseRoundKeys, rounds, s);
    StoreState(block, s);
    SecureWipe(s, sizeof s);
}

namespace {

template <int kRounds>
void Xcfb8Run(const Word* roundKeys, std::uint8_t feedback[16], std::uint8_t* data, std::size_t length,
              bool decrypt) {
    Word w[4];
    LoadState(feedback, w);
    Columns r{w[0], w[1], w[2], w[3]};
    Word t0 = 0, t15 = 0;
    for (std::size_t i = 0; i < length; ++i) {
        EncryptFirstAndLastByte<kRounds>(roundKeys, r, t0, t15);
        const std::uint8_t in = data[i];
        const std::uint8_t out = static_cast<std::uint8_t>(in ^ t0);
        data[i] = out;
        const Word fed = (decrypt ? in : out) ^ t15;
        r = {(r.c0 >> 8) | (r.c1 << 24), (r.c1 >> 8) | (r.c2 << 24), (r.c2 >> 8) | (r.c3 << 24),
             (r.c3 >> 8) | (fed << 24)};
    }
    w[0] = r.c0, w[1] = r.c1, w[2] = r.c2, w[3] = r.c3;
    StoreState(feedback, w);
    SecureWipe(w, sizeof w);
}

}  // namespace

void TableXcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                   std::size_t length, bool decrypt) {
    switch (rounds) {
        case 10: Xcfb8Run<10>(roundKeys, feedback, data, length, decrypt); break;
        case 12: Xcfb8Run<12>(roundKeys, feedback, data, length, decrypt); break;
        default: Xcfb8Run<14>(roundKeys, feedback, data, length, decrypt); break;
    }
}

}  // namespace arkseal::aes_rounds
