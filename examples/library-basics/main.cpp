// The libraries from another program: the file format's worked example
// through the stream cipher, and a number in the arithmetic workspace.
// docs/library.md walks through it.
#include <cstdio>
#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/primes/primes.h>
#include <arkseal/bignum/workspace/number_system.h>
#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/stream_cipher.h>

using namespace arkseal;

int main() {
    // The file format's worked example, with the file job's own calls.
    const char passphrase[] = "correct horse battery staple";
    std::uint8_t digest[64];
    PassphraseDigest().DigestBytes(passphrase, std::strlen(passphrase), digest);
    StreamCipher cipher;
    cipher.SetKey(digest);  // keeps the first 32 bytes: the AES-256 key
    SecureWipe(digest, sizeof digest);
    std::uint8_t message[] = "Attack at dawn!";
    cipher.EncryptRun(message, 15);  // in place; the stream runs on across calls
    for (int i = 0; i < 15; ++i) std::printf("%02x ", message[i]);
    std::printf("\n");

    // Numbers live in this thread's workspace: create it first.
    if (CreateNumberSystem(100, 10) == nullptr) return 1;  // 100 decimal digits
    BigNumber m = NewBig(0);
    BigIntPower(2, 127, m);
    BigSubtractInt(m, 1, m);  // 2^127 - 1
    char text[128];
    BigToString(m, text);
    const int prime = BigIsPrime(m);
    const int error = CurrentNumberSystem()->errorCode;  // sticky: check once, at the end
    std::printf("%s is %s\n", text, prime ? "prime" : "composite");
    FreeBig(m);
    DestroyNumberSystem();
    return error == kErrorNone ? 0 : 1;
}
