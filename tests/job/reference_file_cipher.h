// An independent reference for the file format, on OpenSSL's AES-256 and
// SHA-512, following the per-byte rule directly:
//   K = first 32 bytes of SHA-512(passphrase bytes); R = 00 01 .. 0F;
//   for each byte x: T = AES_K(R); y = x ^ T[0];
//                    R = R[1..15] || (c ^ T[15]),
//   where c is the ciphertext byte (y when encrypting, x when decrypting).
#pragma once

#include <cstring>
#include <string>

#include <arkseal/tests/crypto/openssl_oracle.h>

namespace arkseal::test {

inline Bytes ReferenceFileCipher(const Bytes& input, const std::string& passphrase, bool encrypt) {
    const Bytes digest = OpenSslDigest(EVP_sha512(), Bytes(passphrase.begin(), passphrase.end()));
    OpenSslAes aes(Bytes(digest.begin(), digest.begin() + 32));
    std::uint8_t r[16];
    for (int i = 0; i < 16; ++i) r[i] = static_cast<std::uint8_t>(i);
    Bytes output;
    output.reserve(input.size());
    for (std::uint8_t x : input) {
        std::uint8_t t[16];
        aes.EncryptBlock(r, t);
        const auto y = static_cast<std::uint8_t>(x ^ t[0]);
        const std::uint8_t c = encrypt ? y : x;
        std::memmove(r, r + 1, 15);
        r[15] = static_cast<std::uint8_t>(c ^ t[15]);
        output.push_back(y);
    }
    return output;
}

}  // namespace arkseal::test
