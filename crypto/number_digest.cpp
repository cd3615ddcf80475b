// The two digests that connect SHA-512 with big numbers. They read opposite
// byte orders: DigestToNumber takes the digest most significant byte first,
// DigestNumber feeds a number least significant byte first.
#include <arkseal/base/wipe.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/crypto/passphrase_digest.h>

namespace arkseal {

BigNumber PassphraseDigest::DigestToNumber(const void* data, std::ptrdiff_t length) {
    std::uint8_t digest[64];
    DigestBytes(data, length, digest);
    BigNumber x = NewBig(0);
    if (x != nullptr) BigFromBytes(64, digest, x);
    SecureWipe(digest, sizeof digest);
    return x;
}

void PassphraseDigest::DigestNumber(const std::uint32_t* x, std::uint8_t output[64]) {
    BigNumber y = NewBig(0);
    if (y != nullptr) BigCopy(x, y);
    Sha512Init(state_);
    for (int i = 0; i < 64; ++i) {
        // Without a copy (an error is pending) the digits are what a failed
        // division yields: 0.
        const int digit = y != nullptr ? BigDivideInt(y, 256, y) : 0;
        Sha512Process(state_, digit);
    }
    Sha512Finish(state_, output);
    FreeBig(y);
}

}  // namespace arkseal
