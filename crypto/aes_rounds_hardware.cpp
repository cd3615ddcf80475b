// AES block rounds on the AES instructions of x86-64 (AES-NI), and the
// processor checks for them and for the AVX-512 encoding of the mode-10 run.
//
// The context's schedules are stored as little-endian words whose bytes, in
// memory, are the FIPS-197 round-key bytes in order, so each group of four
// words loads directly as one round key. The inverse schedule is already
// that of the equivalent inverse cipher (InvMixColumns applied to the middle
// round keys), which is what AESDEC expects.
#include <arkseal/crypto/aes_rounds.h>

#if defined(__x86_64__)

#include <cpuid.h>
#include <immintrin.h>

#include <arkseal/base/processor_features.h>
#include <arkseal/base/wipe.h>

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

bool HardwareAvailable() { return processor::HasLeaf1Ecx(bit_AES | bit_SSE4_1); }

// AVX-512 F, VL and BW in the processor, its state saved by the operating system.
bool Avx512Available() {
    return HardwareAvailable() && processor::HasLeaf7Ebx(bit_AVX512F | bit_AVX512VL | bit_AVX512BW) &&
           processor::Avx512StateSaved();
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
