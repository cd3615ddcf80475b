// AES block rounds on the AES instructions of x86-64 (AES-NI), and the
// processor checks for them and for the AVX-512 encoding of the mode-10 run.
//
// The context's schedules are stored as little-endian words whose bytes, in
// memory, are the FIPS-197 round-key bytes in order, so each group of four
// words loads directly as one round key. The inverse schedule is already
// that of the equivalent inverse cipher (InvMixColumns applied to the middle
// round keys), which is what AESDEC expects.
#include "crypto/aes_rounds.h"

#if defined(__x86_64__)

#include <cpuid.h>
#include <immintrin.h>

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

}  // namespace

bool HardwareAvailable() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    return (ecx & bit_AES) != 0 && (ecx & bit_SSE4_1) != 0;
}

// AVX-512 F, VL and BW in the processor, and the operating system saving the
// mask and upper vector registers (XCR0 bits 1, 2, 5, 6, 7) on switches.
bool Avx512Available() {
    if (!HardwareAvailable()) return false;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || (ecx & bit_OSXSAVE) == 0) return false;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    const unsigned needed = bit_AVX512F | bit_AVX512VL | bit_AVX512BW;
    if ((ebx & needed) != needed) return false;
    unsigned xcr0Low = 0, xcr0High = 0;
    __asm__("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
    constexpr unsigned kStateBits = 0xE6;
    return (xcr0Low & kStateBits) == kStateBits;
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

}  // namespace arkseal::aes_rounds

#else  // not x86-64: only the table rounds exist.

#include <cstdlib>

namespace arkseal::aes_rounds {

bool HardwareAvailable() { return false; }
void HardwareEncryptBlock(const std::uint32_t*, int, std::uint8_t*) { std::abort(); }
void HardwareDecryptBlock(const std::uint32_t*, int, std::uint8_t*) { std::abort(); }
bool Avx512Available() { return false; }

}  // namespace arkseal::aes_rounds

#endif
