// The object through which the rest of the system takes SHA-512 digests.
//
// Every operation starts with an init and ends with a finish, which leaves
// the embedded state freshly initialised: no message material stays in the
// object between calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>
#include <arkseal/crypto/sha512.h>

namespace arkseal {

class PassphraseDigest {
public:
    PassphraseDigest();

    // output = SHA-512 of data[0..length-1]; a length of zero or less hashes
    // the empty message.
    void DigestBytes(const void* data, std::ptrdiff_t length, std::uint8_t output[64]);

    // The digest of data read as one big-endian number in [0, 2^512) (digest
    // byte 0 most significant). A new number in the calling thread's
    // workspace that the caller releases with FreeBig; nullptr while the
    // workspace holds an error.
    BigNumber DigestToNumber(const void* data, std::ptrdiff_t length);

    // output = SHA-512 of the 64 least significant base-256 digits of x,
    // least significant first: x mod 2^512 as 64 little-endian bytes. For a
    // negative x each digit is the low 8 bits of a remainder with the sign
    // of x. x is left unchanged.
    void DigestNumber(const std::uint32_t* x, std::uint8_t output[64]);

private:
    Sha512State state_;
};

}  // namespace arkseal
