// The AES block cipher (FIPS-197) for 128-, 192- and 256-bit keys, and the
// feedback modes built on it.
//
// Words pack four bytes with the first byte in the low 8 bits; word c of a
// block is column c of the FIPS-197 state. The context is plain data owned
// by whoever embeds it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace arkseal {

// Mode codes. In the feedback families the unit s is code - 1 (CFB),
// code - 9 (error-propagating CFB) and code - 13 (OFB) bytes; any code not
// listed here makes AesEncrypt/AesDecrypt change nothing.
enum : std::int32_t {
    MODE_ECB = 0,
    MODE_CBC = 1,
    MODE_CFB8 = 2,
    MODE_CFB16 = 3,
    MODE_CFB32 = 5,
    MODE_XCFB8 = 10,
    MODE_XCFB16 = 11,
    MODE_XCFB32 = 13,
    MODE_OFB8 = 14,
    MODE_OFB16 = 15,
    MODE_OFB32 = 17,
    MODE_OFB64 = 21,
    MODE_OFB128 = 29,
};

struct AesContext {
    std::int32_t Nk;                     // key length in words: 4, 6 or 8
    std::int32_t Nr;                     // rounds: Nk + 6
    std::int32_t mode;                   // mode code, stored unvalidated
    std::uint32_t roundKeys[60];         // forward schedule, 4 * (Nr + 1) words used
    std::uint32_t inverseRoundKeys[60];  // equivalent inverse cipher schedule
    std::uint8_t feedback[16];           // chaining / feedback register
};

// Key length in bytes; Nk = length / 4 must be 4, 6 or 8, otherwise false is
// returned and the context is left byte for byte unchanged. `iv` may be null;
// only its first 16 bytes are read.
bool AesInit(AesContext& context, std::int32_t mode, std::int32_t keyLength, const std::uint8_t* key,
             const std::uint8_t* iv);

// Sets the mode and clears the register; then, for a mode other than 0 and
// a non-null IV, loads the register from iv[0..15].
void AesReset(AesContext& context, std::int32_t mode, const std::uint8_t* iv);

void AesGetRegister(const AesContext& context, std::uint8_t output[16]);

// One block in place: the FIPS-197 cipher and its equivalent inverse.
void AesEncryptBlock(const AesContext& context, std::uint8_t block[16]);
void AesDecryptBlock(const AesContext& context, std::uint8_t block[16]);

// Wipes the used round keys of both schedules and the register.
void AesEnd(AesContext& context);

// Transform one unit (its size set by the mode code) in place and advance
// the register.
void AesEncrypt(AesContext& context, std::uint8_t* unit);
void AesDecrypt(AesContext& context, std::uint8_t* unit);

// Mode code 10 over a whole run, byte by byte: exactly `length` calls of
// AesEncrypt/AesDecrypt, done in one loop that keeps the state in registers.
void AesEncryptXcfb8Run(AesContext& context, std::uint8_t* data, std::size_t length);
void AesDecryptXcfb8Run(AesContext& context, std::uint8_t* data, std::size_t length);

// Which block implementation runs: the portable table rounds, or the AES
// instructions of x86-64 processors that have them. The hardware path is
// chosen at start-up when the processor offers it; tests may switch.
enum class AesPath { Portable, Hardware };
bool AesHardwareAvailable();
AesPath AesActivePath();
// Selects a path; returns false (and changes nothing) for Hardware on a
// processor without AES instructions.
bool AesSelectPath(AesPath path);

}  // namespace arkseal
