// The two implementations of the AES rounds behind AesEncryptBlock,
// AesDecryptBlock and the mode-10 runs: portable table rounds, and the AES
// instructions of x86-64. Both take the schedules of an AesContext as they
// are stored (little-endian words), so they are interchangeable call for
// call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace arkseal::aes_rounds {

// Table rounds (aes_rounds_table.cpp).
void TableEncryptBlock(const std::uint32_t* roundKeys, int rounds, std::uint8_t block[16]);
void TableDecryptBlock(const std::uint32_t* inverseRoundKeys, int rounds, std::uint8_t block[16]);
void TableXcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                   std::size_t length, bool decrypt);

// AES instructions (aes_rounds_hardware.cpp, and the run in
// aes_rounds_hardware_sse41.cpp); callable only when HardwareAvailable()
// is true.
bool HardwareAvailable();
void HardwareEncryptBlock(const std::uint32_t* roundKeys, int rounds, std::uint8_t block[16]);
void HardwareDecryptBlock(const std::uint32_t* inverseRoundKeys, int rounds, std::uint8_t block[16]);
void HardwareXcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                      std::size_t length, bool decrypt);

// The same run in the AVX-512 encoding (aes_rounds_hardware_avx512.cpp);
// callable only when Avx512Available() is true.
bool Avx512Available();
void Avx512Xcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                    std::size_t length, bool decrypt);

// Which encoding the hardware path's run uses (aes_path.cpp): AVX-512 where
// the processor has it, chosen at start-up; tests may switch. Selecting
// Avx512 where it is not available returns false and changes nothing.
enum class RunEncoding { Sse41, Avx512 };
RunEncoding ActiveRunEncoding();
bool SelectRunEncoding(RunEncoding encoding);

}  // namespace arkseal::aes_rounds
