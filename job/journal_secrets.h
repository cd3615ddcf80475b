// What a job's journal needs from the file key, derived slowly.
//
// A journal lies on disk beside the file for as long as the job is
// unfinished. Nothing in it may let a guessed passphrase be tested faster
// than the slow derivation below allows: its check value, the pad that hides
// the stored register and the key of its sector tags all come from S, where
//   S_0 = SHA-512("arkseal journal" || salt || K),
//   S_i = SHA-512(S_(i-1) || K)   for i = 1 .. rounds,
// K being the 32-byte file key and the salt 16 random bytes of the journal.
#pragma once

#include <cstdint>

#include <arkseal/crypto/aes.h>

namespace arkseal {

// About 50 ms of SHA-512 on a current desktop.
inline constexpr std::uint32_t kJournalRounds = 1u << 16;

class JournalSecrets {
public:
    JournalSecrets(const std::uint8_t fileKey[32], const std::uint8_t salt[16], std::uint32_t rounds);
    ~JournalSecrets();
    JournalSecrets(const JournalSecrets&) = delete;
    JournalSecrets& operator=(const JournalSecrets&) = delete;

    // Stored in the journal; a resume compares it to tell a wrong passphrase.
    const std::uint8_t* Check() const { return check_; }
    // register XOR pad(sequence): the register is stored only hidden, and
    // each record under its own pad.
    void SealRegister(std::uint64_t sequence, const std::uint8_t in[16], std::uint8_t out[16]) const;
    // The tag of a sector: AES-256 of the cipher register after it, under a
    // key of its own; 8 bytes. It tells, once the job is interrupted,
    // whether the sector holds its new content (see the journal's format).
    std::uint64_t Tag(const std::uint8_t reg[16]) const;

private:
    std::uint8_t check_[32];
    std::uint8_t sealKey_[32];
    AesContext tagCipher_;
};

}  // namespace arkseal
