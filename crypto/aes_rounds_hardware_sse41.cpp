// The mode-10 run on the AES instructions in their SSE4.1 encoding: what
// every processor with the AES instructions runs (this unit is compiled for
// AES and SSE4.1).
#include <arkseal/crypto/aes_rounds.h>

#if defined(__x86_64__)

#include <arkseal/crypto/aes_rounds_hardware_run.h>

namespace arkseal::aes_rounds {

void HardwareXcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                      std::size_t length, bool decrypt) {
    RunWithSchedule(roundKeys, rounds, feedback, data, length, decrypt);
}

}  // namespace arkseal::aes_rounds

#else  // not x86-64: only the table rounds exist.

#include <cstdlib>

namespace arkseal::aes_rounds {

void HardwareXcfb8Run(const std::uint32_t*, int, std::uint8_t*, std::uint8_t*, std::size_t, bool) { std::abort(); }

}  // namespace arkseal::aes_rounds

#endif
