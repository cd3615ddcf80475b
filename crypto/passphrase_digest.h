// The object through which the rest of the system takes SHA-512 digests.
//
// Every operation starts with an init and ends with a finish, which leaves
// the embedded state freshly initialised: no message material stays in the
// object between calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "crypto/sha512.h"

namespace arkseal {

class PassphraseDigest {
public:
    PassphraseDigest();

    // output = SHA-512 of data[0..length-1]; a length of zero or less hashes
    // the empty message.
    void DigestBytes(const void* data, std::ptrdiff_t length, std::uint8_t output[64]);

private:
    Sha512State state_;
};

}  // namespace arkseal
