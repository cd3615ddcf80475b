// The mode-10 run on the AES instructions of x86-64, as one loop that each
// instruction encoding compiles for itself: aes_rounds_hardware_sse41.cpp
// and aes_rounds_hardware_avx512.cpp include it under their own compiler
// flags. Everything here is in an anonymous namespace, so each unit keeps
// its own copy and no copy built for AVX-512 can stand in for another at
// link time.
//
// The context's schedules are stored as little-endian words whose bytes, in
// memory, are the FIPS-197 round-key bytes in order, so each group of four
// words loads directly as one round key. The loop keeps the round keys and
// the register in vector registers. For each byte x, with T = E(R):
//   output  y = x ^ T[0]
//   R'      = (R shifted down one byte) with R'[15] = c ^ T[15]
// where c = y when encrypting and c = x when decrypting. The only serial
// dependency is one block encipherment per byte, so everything else is kept
// off that chain:
//   - the loop carries W = R ^ k0, the register already whitened with the
//     first round key, so the chain starts with the first AESENC;
//   - bytes 0..14 of W' are (W shifted down one byte) ^ C, C = (k0 shifted
//     down one byte) ^ k0, known while the block is enciphered;
//   - byte 15 of W' is T[15] ^ c ^ k0[15]. The last round key carries
//     x ^ k0[15] in byte 15, so the last AESENCLAST yields U = T with
//     U[15] = T[15] ^ x ^ k0[15] and U[0] = T[0]; one byte blend puts U[15]
//     on top of the shifted bytes. Decrypting (c = x) that is W'; encrypting
//     (c = x ^ T[0]) it takes U[0] moved up to byte 15 as well.
// After the last AES instruction the chain thus costs one blend (decrypt) or
// a blend and an xor (encrypt). The keystream bytes T[0] are collected
// sixteen at a time, by storing each U one byte further into a small buffer
// (one store a byte, no vector operation), and applied to the data at once.
#pragma once

#if !defined(__x86_64__) || !defined(__AES__) || !defined(__SSE4_1__)
#error "compile the units that include this with the AES and SSE4.1 instructions enabled"
#endif

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <utility>

#include <arkseal/base/wipe.h>

namespace arkseal::aes_rounds {
namespace {

struct RunSchedule {
    __m128i k[15];
};

// Rounds 1..Nr-1 and the last round with `lastKey`, on a block that is
// already whitened with k0. AES-256 is unrolled for the hot path.
template <bool kAes256>
inline __m128i EncipherWhitened(const RunSchedule& s, int rounds, __m128i w, __m128i lastKey) {
    if constexpr (kAes256) {
        w = _mm_aesenc_si128(w, s.k[1]);
        w = _mm_aesenc_si128(w, s.k[2]);
        w = _mm_aesenc_si128(w, s.k[3]);
        w = _mm_aesenc_si128(w, s.k[4]);
        w = _mm_aesenc_si128(w, s.k[5]);
        w = _mm_aesenc_si128(w, s.k[6]);
        w = _mm_aesenc_si128(w, s.k[7]);
        w = _mm_aesenc_si128(w, s.k[8]);
        w = _mm_aesenc_si128(w, s.k[9]);
        w = _mm_aesenc_si128(w, s.k[10]);
        w = _mm_aesenc_si128(w, s.k[11]);
        w = _mm_aesenc_si128(w, s.k[12]);
        w = _mm_aesenc_si128(w, s.k[13]);
    } else {
        for (int r = 1; r < rounds; ++r) w = _mm_aesenc_si128(w, s.k[r]);
    }
    return _mm_aesenclast_si128(w, lastKey);
}

inline __m128i Mask15() { return _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1); }

// What one step needs besides the schedule: the constants of the
// whitened-register form.
struct StepKeys {
    __m128i shiftedK0;  // (k0 shifted down one byte) ^ k0
    __m128i lastKey;    // k[Nr] with k0[15] folded into byte 15
};

inline StepKeys MakeStepKeys(const RunSchedule& s, int rounds) {
    return {_mm_xor_si128(_mm_srli_si128(s.k[0], 1), s.k[0]),
            _mm_xor_si128(s.k[rounds], _mm_and_si128(s.k[0], Mask15()))};
}

// One mode-10 step on the whitened register w. `x15` holds the input byte at
// position 15, zeros elsewhere. Returns the new whitened register and
// stores the enciphered block U (T[0] first) at `keystream`.
template <bool kDecrypt, bool kAes256>
inline __m128i Step(const RunSchedule& s, const StepKeys& keys, int rounds, __m128i w, __m128i x15,
                    std::uint8_t* keystream) {
    const __m128i shifted = _mm_xor_si128(_mm_srli_si128(w, 1), keys.shiftedK0);
    const __m128i u = EncipherWhitened<kAes256>(s, rounds, w, _mm_xor_si128(keys.lastKey, x15));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(keystream), u);
    const __m128i next = _mm_blendv_epi8(shifted, u, Mask15());
    return kDecrypt ? next : _mm_xor_si128(next, _mm_slli_si128(u, 15));
}

template <int kIndex>
inline __m128i ByteAt15(__m128i x) {
    return _mm_and_si128(_mm_slli_si128(x, 15 - kIndex), Mask15());
}

// Step kIndex of a block stores its U at keystream + kIndex, over the bytes
// of the step before: after sixteen steps keystream[0..15] holds the sixteen
// T[0].
template <bool kDecrypt, bool kAes256, int... kIndex>
inline __m128i SixteenSteps(const RunSchedule& s, const StepKeys& keys, int rounds, __m128i w, __m128i x,
                            std::uint8_t* keystream, std::integer_sequence<int, kIndex...>) {
    ((w = Step<kDecrypt, kAes256>(s, keys, rounds, w, ByteAt15<kIndex>(x), keystream + kIndex)), ...);
    return w;
}

// The last length % 16 bytes one at a time. Kept out of line: inlined, it
// costs the block loop registers and about half a cycle a byte.
template <bool kDecrypt, bool kAes256>
[[gnu::noinline]] __m128i RunTail(const RunSchedule& s, const StepKeys& keys, int rounds, __m128i w, std::uint8_t* data,
                                  std::size_t length, std::uint8_t* keystream) {
    for (std::size_t i = 0; i < length; ++i) {
        w = Step<kDecrypt, kAes256>(s, keys, rounds, w, _mm_slli_si128(_mm_cvtsi32_si128(data[i]), 15), keystream);
        data[i] ^= keystream[0];
    }
    return w;
}

template <bool kDecrypt, bool kAes256>
void Run(const RunSchedule& s, int rounds, std::uint8_t feedback[16], std::uint8_t* data, std::size_t length) {
    const StepKeys keys = MakeStepKeys(s, rounds);
    __m128i w = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(feedback)), s.k[0]);
    alignas(16) std::uint8_t keystream[31];
    const std::size_t whole = length - length % 16;
    for (std::size_t i = 0; i < whole; i += 16) {
        auto* p = reinterpret_cast<__m128i*>(data + i);
        const __m128i x = _mm_loadu_si128(p);
        w = SixteenSteps<kDecrypt, kAes256>(s, keys, rounds, w, x, keystream, std::make_integer_sequence<int, 16>{});
        _mm_storeu_si128(p, _mm_xor_si128(x, _mm_load_si128(reinterpret_cast<const __m128i*>(keystream))));
    }
    if (whole < length) w = RunTail<kDecrypt, kAes256>(s, keys, rounds, w, data + whole, length - whole, keystream);
    SecureWipe(keystream, sizeof keystream);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(feedback), _mm_xor_si128(w, s.k[0]));
}

// The whole run: loads the schedule, picks the instantiation, wipes the
// round keys from the stack.
inline void RunWithSchedule(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                            std::size_t length, bool decrypt) {
    RunSchedule s{};
    for (int r = 0; r <= rounds; ++r) {
        s.k[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(roundKeys + 4 * r));
    }
    const bool aes256 = rounds == 14;
    if (decrypt) {
        aes256 ? Run<true, true>(s, rounds, feedback, data, length)
               : Run<true, false>(s, rounds, feedback, data, length);
    } else {
        aes256 ? Run<false, true>(s, rounds, feedback, data, length)
               : Run<false, false>(s, rounds, feedback, data, length);
    }
    SecureWipe(&s, sizeof s);
}

}  // namespace
}  // namespace arkseal::aes_rounds
