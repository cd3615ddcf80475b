// The mode-10 run on the AES instructions in the AVX-512 encoding (this unit
// is compiled for AES, SSE4.1 and AVX-512 F, VL and BW). The loop is the
// SSE4.1 one; the encoding gives it a byte blend on a mask register and
// non-destructive three-operand forms, which takes about a cycle a byte off
// encryption's chain, and thirty-two vector registers, so no round key is
// reloaded.
#include <arkseal/crypto/aes_rounds.h>

#if defined(__x86_64__)

#include <arkseal/crypto/aes_rounds_hardware_run.h>

namespace arkseal::aes_rounds {

void Avx512Xcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                    std::size_t length, bool decrypt) {
    RunWithSchedule(roundKeys, rounds, feedback, data, length, decrypt);
}

}  // namespace arkseal::aes_rounds

#else  // not x86-64: only the table rounds exist.

#include <cstdlib>

namespace arkseal::aes_rounds {

void Avx512Xcfb8Run(const std::uint32_t*, int, std::uint8_t*, std::uint8_t*, std::size_t, bool) { std::abort(); }

}  // namespace arkseal::aes_rounds

#endif
