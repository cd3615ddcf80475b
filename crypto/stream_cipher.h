// AES-256 in the error-propagating 8-bit cipher feedback (mode code 10) as a
// continuous byte stream: consecutive runs on one object continue from the
// register the previous run left, so a file enciphered in chunks equals the
// file enciphered in one run. Only SetKey/Reinitialise restart the stream
// from the fixed IV pattern.
#pragma once

#include <cstddef>
#include <cstdint>

#include <arkseal/crypto/aes.h>

namespace arkseal {

class StreamCipher {
public:
    StreamCipher();
    ~StreamCipher();
    StreamCipher(const StreamCipher&) = delete;
    StreamCipher& operator=(const StreamCipher&) = delete;

    // Stores key[0..31] (callers pass a 64-byte digest; its first half is
    // the AES-256 key) and re-initialises the cipher from the IV pattern.
    void SetKey(const std::uint8_t* key);

    // Re-keys the context from the stored key and the IV pattern; false,
    // changing nothing, when no key has been stored.
    bool Reinitialise();

    // Writes the fixed IV pattern into the IV array; the context, and so the
    // running stream, is left alone.
    void ResetIv();

    // Transform buffer[0..length-1] in place, one mode call per byte. False,
    // leaving the buffer alone, before a key is set; a length of zero or
    // less does nothing and returns true.
    bool EncryptRun(std::uint8_t* buffer, std::ptrdiff_t length);
    bool DecryptRun(std::uint8_t* buffer, std::ptrdiff_t length);

    // The 16-byte feedback register: where the stream stands. A stream can
    // be continued from a register saved earlier, with the same key, for
    // instance to finish an interrupted file from the middle. False (and
    // nothing read or written) before a key is set.
    bool GetRegister(std::uint8_t output[16]) const;
    bool SetRegister(const std::uint8_t input[16]);

private:
    bool contextReady_ = false;
    bool keySet_ = false;
    AesContext context_;
    // Held in the object itself, so that an owner who places the object on
    // protected memory protects the whole key with it.
    std::uint8_t keyBuffer_[33] = {};  // 0..31 used
    std::uint8_t ivBuffer_[33] = {};   // 0..31 written, 0..15 reach the register
};

}  // namespace arkseal
