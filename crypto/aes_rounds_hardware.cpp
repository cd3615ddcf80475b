// AES rounds on the AES instructions of x86-64 (AES-NI).
//
// The context's schedules are stored as little-endian words whose bytes, in
// memory, are the FIPS-197 round-key bytes in order, so each group of four
// words loads directly as one round key. The inverse schedule is already
// that of the equivalent inverse cipher (InvMixColumns applied to the middle
// round keys), which is what AESDEC expects.
//
// The mode-10 run keeps the round keys and the register in vector registers.
// For each byte x, with T = E(R):
//   output  y = x ^ T[0]
//   R'      = (R shifted down one byte) with R'[15] = c ^ T[15]
// where c = y when encrypting and c = x when decrypting. Encrypting,
// c ^ T[15] = x ^ T[0] ^ T[15], and T[0] ^ T[15] is byte 15 of
// T ^ (T shifted up 15 bytes), so R' never leaves the vector unit: the only
// serial dependency is one block encipherment per byte. The keystream bytes
// T[0] are collected sixteen at a time and applied to the data at once.
#include "crypto/aes_rounds.h"

#if defined(__x86_64__)

#include <cpuid.h>
#include <immintrin.h>

#include <utility>

#include "crypto/wipe.h"

#define ARKSEAL_AES_TARGET __attribute__((target("aes,sse4.1")))

namespace arkseal::aes_rounds {
namespace {

struct Schedule {
    __m128i k[15];
};

ARKSEAL_AES_TARGET inline void LoadSchedule(const std::uint32_t* words, int rounds, Schedule& s) {
    for (int r = 0; r <= rounds; ++r) {
        s.k[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * r));
    }
}

ARKSEAL_AES_TARGET inline __m128i Encipher(const Schedule& s, int rounds, __m128i b) {
    b = _mm_xor_si128(b, s.k[0]);
    for (int r = 1; r < rounds; ++r) b = _mm_aesenc_si128(b, s.k[r]);
    return _mm_aesenclast_si128(b, s.k[rounds]);
}

// AES-256 with the loop unrolled, for the hot mode-10 path.
ARKSEAL_AES_TARGET inline __m128i Encipher14(const Schedule& s, __m128i b) {
    b = _mm_xor_si128(b, s.k[0]);
    b = _mm_aesenc_si128(b, s.k[1]);
    b = _mm_aesenc_si128(b, s.k[2]);
    b = _mm_aesenc_si128(b, s.k[3]);
    b = _mm_aesenc_si128(b, s.k[4]);
    b = _mm_aesenc_si128(b, s.k[5]);
    b = _mm_aesenc_si128(b, s.k[6]);
    b = _mm_aesenc_si128(b, s.k[7]);
    b = _mm_aesenc_si128(b, s.k[8]);
    b = _mm_aesenc_si128(b, s.k[9]);
    b = _mm_aesenc_si128(b, s.k[10]);
    b = _mm_aesenc_si128(b, s.k[11]);
    b = _mm_aesenc_si128(b, s.k[12]);
    b = _mm_aesenc_si128(b, s.k[13]);
    return _mm_aesenclast_si128(b, s.k[14]);
}

// One mode-10 step. `x15` holds the input byte at position 15, zeros
// elsewhere. Returns the new register; `keystream` shifts down one byte and
// takes T[0] at position 15.
template <bool kDecrypt, bool kAes256>
ARKSEAL_AES_TARGET inline __m128i Step(const Schedule& s, int rounds, __m128i r, __m128i x15, __m128i& keystream) {
    const __m128i mask15 = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1);
    const __m128i t = kAes256 ? Encipher14(s, r) : Encipher(s, rounds, r);
    const __m128i t0at15 = _mm_slli_si128(t, 15);
    keystream = _mm_or_si128(_mm_srli_si128(keystream, 1), t0at15);
    __m128i fed = _mm_and_si128(t, mask15);
    if (!kDecrypt) fed = _mm_xor_si128(fed, t0at15);
    return _mm_xor_si128(_mm_srli_si128(r, 1), _mm_xor_si128(fed, x15));
}

template <int kIndex>
ARKSEAL_AES_TARGET inline __m128i ByteAt15(__m128i x) {
    const __m128i mask15 = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1);
    return _mm_and_si128(_mm_slli_si128(x, 15 - kIndex), mask15);
}

template <bool kDecrypt, bool kAes256, int... kIndex>
ARKSEAL_AES_TARGET inline __m128i SixteenSteps(const Schedule& s, int rounds, __m128i r, __m128i x, __m128i& keystream,
                                               std::integer_sequence<int, kIndex...>) {
    ((r = Step<kDecrypt, kAes256>(s, rounds, r, ByteAt15<kIndex>(x), keystream)), ...);
    return r;
}

template <bool kDecrypt, bool kAes256>
ARKSEAL_AES_TARGET void Run(const Schedule& s, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                            std::size_t length) {
    __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(feedback));
    __m128i keystream = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= length; i += 16) {
        auto* p = reinterpret_cast<__m128i*>(data + i);
        const __m128i x = _mm_loadu_si128(p);
        r = SixteenSteps<kDecrypt, kAes256>(s, rounds, r, x, keystream, std::make_integer_sequence<int, 16>{});
        _mm_storeu_si128(p, _mm_xor_si128(x, keystream));
    }
    for (; i < length; ++i) {
        const __m128i x15 = _mm_slli_si128(_mm_cvtsi32_si128(data[i]), 15);
        r = Step<kDecrypt, kAes256>(s, rounds, r, x15, keystream);
        data[i] ^= static_cast<std::uint8_t>(_mm_extract_epi8(keystream, 15));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(feedback), r);
}

}  // namespace

bool HardwareAvailable() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    return (ecx & bit_AES) != 0 && (ecx & bit_SSE4_1) != 0;
}

ARKSEAL_AES_TARGET void HardwareEncryptBlock(const std::uint32_t* roundKeys, int rounds, std::uint8_t block[16]) {
    Schedule s{};
    LoadSchedule(roundKeys, rounds, s);
    auto* p = reinterpret_cast<__m128i*>(block);
    _mm_storeu_si128(p, Encipher(s, rounds, _mm_loadu_si128(p)));
    SecureWipe(&s, sizeof s);
}

ARKSEAL_AES_TARGET void HardwareDecryptBlock(const std::uint32_t* inverseRoundKeys, int rounds,
                                             std::uint8_t block[16]) {
    Schedule s{};
    LoadSchedule(inverseRoundKeys, rounds, s);
    auto* p = reinterpret_cast<__m128i*>(block);
    __m128i b = _mm_xor_si128(_mm_loadu_si128(p), s.k[0]);
    for (int r = 1; r < rounds; ++r) b = _mm_aesdec_si128(b, s.k[r]);
    _mm_storeu_si128(p, _mm_aesdeclast_si128(b, s.k[rounds]));
    SecureWipe(&s, sizeof s);
}

void HardwareXcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                      std::size_t length, bool decrypt) {
    Schedule s{};
    LoadSchedule(roundKeys, rounds, s);
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

}  // namespace arkseal::aes_rounds

#else  // not x86-64: only the table rounds exist.

#include <cstdlib>

namespace arkseal::aes_rounds {

bool HardwareAvailable() { return false; }
void HardwareEncryptBlock(const std::uint32_t*, int, std::uint8_t*) { std::abort(); }
void HardwareDecryptBlock(const std::uint32_t*, int, std::uint8_t*) { std::abort(); }
void HardwareXcfb8Run(const std::uint32_t*, int, std::uint8_t*, std::uint8_t*, std::size_t, bool) { std::abort(); }

}  // namespace arkseal::aes_rounds

#endif
