#include <arkseal/crypto/passphrase_digest.h>

namespace arkseal {

PassphraseDigest::PassphraseDigest() { Sha512Init(state_); }

void PassphraseDigest::DigestBytes(const void* data, std::ptrdiff_t length, std::uint8_t output[64]) {
    const auto* bytes = static_cast<const signed char*>(data);
    Sha512Init(state_);
    for (std::ptrdiff_t i = 0; i < length; ++i) Sha512Process(state_, bytes[i]);
    Sha512Finish(state_, output);
}

}  // namespace arkseal
