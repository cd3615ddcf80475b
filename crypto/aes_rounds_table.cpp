// Portable AES rounds on four 1 KiB tables per direction (see aes_tables.h).
//
// Encryption, state columns x[0..3] after the initial key addition:
//   y[c] = F0[x[c].b0] ^ F1[x[c+1].b1] ^ F2[x[c+2].b2] ^ F3[x[c+3].b3] ^ k[4r+c]
// is SubBytes, ShiftRows (row k of column c comes from column c+k),
// MixColumns and AddRoundKey in one step; the last round uses the S-box
// alone. Decryption is the equivalent inverse cipher: the same shape with
// the inverse tables and row k taken from column c-k.
//
// The mode-10 run enciphers one register per byte, each depending on the
// byte before, so its speed is the cost of one chain of rounds. The register
// is never shifted: the fed-back bytes are appended to a window, and the
// register for byte i is window[i .. i+15]. Round 1 reads those bytes
// straight from memory through sixteen tables built once per run,
//   first[j][v] = F(row j)[v ^ k[0].byte j]  (^ k[4+c] for row 0 of column c),
// which hold the whitening key and the round-1 key, so the first round costs
// only loads and xors, and three of its columns do not wait for the newest
// byte. Only T[0] and T[15] of the last block are used, so the next-to-last
// round computes columns 0 and 2 only and the last round two bytes, through
// S-boxes with the last round key folded in. The run transforms data in
// place; the feedback register must not overlap it.
#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/crypto/aes_rounds.h>
#include <arkseal/crypto/aes_tables.h>

namespace arkseal::aes_rounds {
namespace {

using Word = std::uint32_t;

Word LoadWord(const std::uint8_t* p) { return Word{p[0]} | Word{p[1]} << 8 | Word{p[2]} << 16 | Word{p[3]} << 24; }

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

// The register window: kWindow fed-back bytes after the 16 of the register.
constexpr std::size_t kWindow = 4096;

// Everything the inner loop reads, in one block, so that one base register
// reaches all tables (the round keys are read through their own pointer).
// Holds key material: wiped after the run.
struct RunState {
    Word first[16][256];  // round 1 by register byte (see the top of the file)
    Word forward[4][256];
    std::uint8_t lastFirst[256];  // S-box ^ byte 0 of the last round key
    std::uint8_t lastLast[256];   // S-box ^ byte 15 of the last round key
    std::uint8_t window[16 + kWindow];
};

// Columns of the run held in 64-bit variables (the values stay below 2^32):
// then the compiler uses a byte extraction as a table index directly,
// without the extra zero-extending move it emits for 32-bit ones.
using Wide = std::uint64_t;

struct WideColumns {
    Wide c0, c1, c2, c3;
};

inline Wide Row0(Wide w) { return w & 0xff; }
inline Wide Row1(Wide w) { return (w >> 8) & 0xff; }
inline Wide Row2(Wide w) { return (w >> 16) & 0xff; }
inline Wide Row3(Wide w) { return static_cast<Word>(w) >> 24; }

// One output column as one chain of xors: the key first, the term of row
// kLate last, so that the chain has reached it by the time its load lands.
// In a full round that is row 2, whose index takes two instructions to
// extract where the others take one. (A balanced tree is shorter in
// latency but takes one more instruction per column, and the loop is
// nearer its instruction throughput limit: the chain measured 2-3% faster.)
template <int kLate = 2>
[[gnu::always_inline]] inline Wide RunColumn(const RunState& s, Wide a, Wide b, Wide c, Wide d, Word key) {
    const Wide t[4] = {s.forward[0][Row0(a)], s.forward[1][Row1(b)], s.forward[2][Row2(c)], s.forward[3][Row3(d)]};
    constexpr int i = kLate == 0 ? 1 : 0, j = kLate <= 1 ? 2 : 1, k = kLate == 3 ? 2 : 3;
    return (((t[i] ^ key) ^ t[j]) ^ t[k]) ^ t[kLate];
}

void BuildRunState(const Word* roundKeys, int rounds, RunState& s) {
    for (int j = 0; j < 16; ++j) {
        const int column = j / 4, row = j % 4;
        const Word whitening = (roundKeys[column] >> (8 * row)) & 0xff;
        const Word key = row == 0 ? roundKeys[4 + column] : 0;
        for (Word v = 0; v < 256; ++v) s.first[j][v] = kAesTables.forward[row][v ^ whitening] ^ key;
    }
    std::memcpy(s.forward, kAesTables.forward, sizeof s.forward);
    const Word* last = roundKeys + 4 * rounds;
    for (int v = 0; v < 256; ++v) {
        s.lastFirst[v] = static_cast<std::uint8_t>(kAesTables.sbox[v] ^ last[0]);
        s.lastLast[v] = static_cast<std::uint8_t>(kAesTables.sbox[v] ^ (last[3] >> 24));
    }
}

// Enciphers length <= kWindow bytes, extending the window. Kept out of line
// on purpose: with the state, keys and data all arriving as pointers, the
// compiler must assume that the store to data[i] may change the window and
// the keys, so it reads them from memory in every step. Inlined, it proves
// them independent and tries to carry window bytes and all round keys in
// registers across steps, which spills and costs more than the loads.
// Reassociation is off so that the xors keep the order written in
// RunColumn; the compiler's own order puts the late terms early (about 6%
// slower).
template <int kRounds, bool kDecrypt>
[[gnu::noinline, gnu::optimize("no-tree-reassoc")]] void Xcfb8Window(RunState& s, const Word* keys, std::uint8_t* data,
                                                                     std::size_t length) {
    Wide newest = s.window[15];
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t* r = s.window + i;
        // Column c takes row k from register column c+k; r[15] is newest,
        // the only byte not known a step ahead, so it enters last.
        WideColumns x{s.first[0][r[0]] ^ s.first[5][r[5]] ^ s.first[10][r[10]] ^ s.first[15][newest],
                      s.first[4][r[4]] ^ s.first[9][r[9]] ^ s.first[14][r[14]] ^ s.first[3][r[3]],
                      s.first[8][r[8]] ^ s.first[13][r[13]] ^ s.first[2][r[2]] ^ s.first[7][r[7]],
                      s.first[12][r[12]] ^ s.first[1][r[1]] ^ s.first[6][r[6]] ^ s.first[11][r[11]]};
        // Round 2: of its inputs only column 0 waits for the newest byte;
        // its term enters each output column last.
        const Word* k = keys + 8;
        x = {RunColumn<0>(s, x.c0, x.c1, x.c2, x.c3, k[0]), RunColumn<3>(s, x.c1, x.c2, x.c3, x.c0, k[1]),
             RunColumn<2>(s, x.c2, x.c3, x.c0, x.c1, k[2]), RunColumn<1>(s, x.c3, x.c0, x.c1, x.c2, k[3])};
#pragma GCC unroll 16
        for (int round = 3; round <= kRounds - 2; ++round) {
            k = keys + 4 * round;
            x = {RunColumn(s, x.c0, x.c1, x.c2, x.c3, k[0]), RunColumn(s, x.c1, x.c2, x.c3, x.c0, k[1]),
                 RunColumn(s, x.c2, x.c3, x.c0, x.c1, k[2]), RunColumn(s, x.c3, x.c0, x.c1, x.c2, k[3])};
        }
        k = keys + 4 * (kRounds - 1);
        const Wide y0 = RunColumn(s, x.c0, x.c1, x.c2, x.c3, k[0]);
        const Wide y2 = RunColumn(s, x.c2, x.c3, x.c0, x.c1, k[2]);
        const Wide t0 = s.lastFirst[Row0(y0)], t15 = s.lastLast[Row3(y2)];
        const Wide in = data[i];
        data[i] = static_cast<std::uint8_t>(in ^ t0);
        newest = kDecrypt ? in ^ t15 : (in ^ t0) ^ t15;
        s.window[i + 16] = static_cast<std::uint8_t>(newest);
    }
}

template <int kRounds, bool kDecrypt>
void Xcfb8Run(const Word* roundKeys, std::uint8_t feedback[16], std::uint8_t* data, std::size_t length) {
    RunState s;
    BuildRunState(roundKeys, kRounds, s);
    std::memcpy(s.window, feedback, 16);
    while (length > 0) {
        const std::size_t n = length < kWindow ? length : kWindow;
        Xcfb8Window<kRounds, kDecrypt>(s, roundKeys, data, n);
        std::memmove(s.window, s.window + n, 16);  // the register after n steps
        data += n;
        length -= n;
    }
    std::memcpy(feedback, s.window, 16);
    SecureWipe(&s, sizeof s);
}

template <bool kDecrypt>
void XcfbRunRounds(const Word* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                   std::size_t length) {
    switch (rounds) {
        case 10: Xcfb8Run<10, kDecrypt>(roundKeys, feedback, data, length); break;
        case 12: Xcfb8Run<12, kDecrypt>(roundKeys, feedback, data, length); break;
        default: Xcfb8Run<14, kDecrypt>(roundKeys, feedback, data, length); break;
    }
}

}  // namespace

void TableXcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                   std::size_t length, bool decrypt) {
    if (decrypt) {
        XcfbRunRounds<true>(roundKeys, rounds, feedback, data, length);
    } else {
        XcfbRunRounds<false>(roundKeys, rounds, feedback, data, length);
    }
}

}  // namespace arkseal::aes_rounds
