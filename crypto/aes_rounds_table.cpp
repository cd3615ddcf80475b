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

// Enciphers the state s in place with the forward schedule k.
inline void EncryptWords(const Word* k, int rounds, Word s[4]) {
    const auto& f = kAesTables.forward;
    const auto& sbox = kAesTables.sbox;
    Word x0 = s[0] ^ k[0], x1 = s[1] ^ k[1], x2 = s[2] ^ k[2], x3 = s[3] ^ k[3];
    for (int r = 1; r < rounds; ++r) {
        k += 4;
        const Word y0 = f[0][B0(x0)] ^ f[1][B1(x1)] ^ f[2][B2(x2)] ^ f[3][B3(x3)] ^ k[0];
        const Word y1 = f[0][B0(x1)] ^ f[1][B1(x2)] ^ f[2][B2(x3)] ^ f[3][B3(x0)] ^ k[1];
        const Word y2 = f[0][B0(x2)] ^ f[1][B1(x3)] ^ f[2][B2(x0)] ^ f[3][B3(x1)] ^ k[2];
        const Word y3 = f[0][B0(x3)] ^ f[1][B1(x0)] ^ f[2][B2(x1)] ^ f[3][B3(x2)] ^ k[3];
        x0 = y0, x1 = y1, x2 = y2, x3 = y3;
    }
    k += 4;
    auto last = [&](Word a, Word b, Word c, Word d, Word key) {
        return (Word{sbox[B0(a)]} | Word{sbox[B1(b)]} << 8 | Word{sbox[B2(c)]} << 16 | Word{sbox[B3(d)]} << 24) ^ key;
    };
    s[0] = last(x0, x1, x2, x3, k[0]);
    s[1] = last(x1, x2, x3, x0, k[1]);
    s[2] = last(x2, x3, x0, x1, k[2]);
    s[3] = last(x3, x0, x1, x2, k[3]);
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

void TableXcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                   std::size_t length, bool decrypt) {
    Word r[4];
    Word t[4];
    LoadState(feedback, r);
    for (std::size_t i = 0; i < length; ++i) {
        std::memcpy(t, r, sizeof t);
        EncryptWords(roundKeys, rounds, t);
        const std::uint8_t in = data[i];
        const std::uint8_t out = in ^ static_cast<std::uint8_t>(t[0]);
        data[i] = out;
        const Word fed = (decrypt ? in : out) ^ (t[3] >> 24);
        r[0] = (r[0] >> 8) | (r[1] << 24);
        r[1] = (r[1] >> 8) | (r[2] << 24);
        r[2] = (r[2] >> 8) | (r[3] << 24);
        r[3] = (r[3] >> 8) | (fed << 24);
    }
    StoreState(feedback, r);
    SecureWipe(r, sizeof r);
    SecureWipe(t, sizeof t);
}

}  // namespace arkseal::aes_rounds
