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

// AES instructions (aes_rounds_hardware.cpp); callable only when
// HardwareAvailable() is true.
bool HardwareAvailable();
void HardwareEncryptBlock(const std::uint32_t* roundKeys, int rounds, std::uint8_t block[16]);
void HardwareDecryptBlock(const std::uint32_t* inverseRoundKeys, int rounds, std::uint8_t block[16]);
void HardwareXcfb8Run(const std::uint32_t* roundKeys, int rounds, std::uint8_t feedback[16], std::uint8_t* data,
                      std::size_t length, bool decrypt);

}  // namespace arkseal::aes_rounds
