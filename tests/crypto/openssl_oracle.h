// Independent references built on OpenSSL, for the crypto tests.
#pragma once

#include <openssl/evp.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace arkseal::test {

using Bytes = std::vector<std::uint8_t>;

// One AES key in ECB mode without padding: a raw block cipher.
class OpenSslAes {
public:
    explicit OpenSslAes(const Bytes& key) : ctx_(EVP_CIPHER_CTX_new()) {
        const EVP_CIPHER* cipher = key.size() == 16   ? EVP_aes_128_ecb()
                                   : key.size() == 24 ? EVP_aes_192_ecb()
                                                      : EVP_aes_256_ecb();
        if (!EVP_EncryptInit_ex(ctx_, cipher, nullptr, key.data(), nullptr)) throw std::runtime_error("EVP init");
        EVP_CIPHER_CTX_set_padding(ctx_, 0);
    }
    ~OpenSslAes() { EVP_CIPHER_CTX_free(ctx_); }
    OpenSslAes(const OpenSslAes&) = delete;
    OpenSslAes& operator=(const OpenSslAes&) = delete;

    void EncryptBlock(const std::uint8_t in[16], std::uint8_t out[16]) {
        int len = 0;
        EVP_EncryptUpdate(ctx_, out, &len, in, 16);
    }

private:
    EVP_CIPHER_CTX* ctx_;
};

// Runs an EVP cipher (encrypt or decrypt) over data, no padding.
inline Bytes EvpRun(const EVP_CIPHER* cipher, const Bytes& key, const Bytes& iv, const Bytes& data, bool encrypt) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(ctx, cipher, nullptr, key.data(), iv.empty() ? nullptr : iv.data(), encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    Bytes out(data.size() + 32);
    int len = 0, tail = 0;
    EVP_CipherUpdate(ctx, out.data(), &len, data.data(), static_cast<int>(data.size()));
    EVP_CipherFinal_ex(ctx, out.data() + len, &tail);
    EVP_CIPHER_CTX_free(ctx);
    out.resize(static_cast<std::size_t>(len + tail));
    return out;
}

inline Bytes OpenSslDigest(const EVP_MD* md, const Bytes& data) {
    Bytes out(EVP_MD_size(md));
    unsigned len = 0;
    EVP_Digest(data.data(), data.size(), out.data(), &len, md, nullptr);
    return out;
}

inline std::string Hex(const std::uint8_t* p, std::size_t n) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

inline std::string Hex(const Bytes& b) { return Hex(b.data(), b.size()); }

// Parses hexadecimal digits; spaces between them are ignored.
inline Bytes FromHex(const std::string& text) {
    std::string hex;
    for (char c : text) {
        if (c != ' ') hex += c;
    }
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

}  // namespace arkseal::test
