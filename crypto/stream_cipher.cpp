#include <arkseal/crypto/stream_cipher.h>

#include <cstring>

#include <arkseal/base/wipe.h>

namespace arkseal {
namespace {

constexpr std::int32_t kKeyLength = 32;

}  // namespace

StreamCipher::StreamCipher() : context_{} {}

StreamCipher::~StreamCipher() {
    if (contextReady_) AesEnd(context_);
    SecureWipe(keyBuffer_, sizeof keyBuffer_);
}

void StreamCipher::SetKey(const std::uint8_t* key) {
    std::memcpy(keyBuffer_, key, kKeyLength);
    keySet_ = true;
    Reinitialise();
}

bool StreamCipher::Reinitialise() {
    if (!keySet_) return false;
    if (contextReady_) AesEnd(context_);
    ResetIv();
    AesInit(context_, MODE_XCFB8, kKeyLength, keyBuffer_, ivBuffer_);
    contextReady_ = true;
    return true;
}

// The fixed pattern 00 01 .. 1F: every file starts from the register
// 00 01 .. 0F.
void StreamCipher::ResetIv() {
    for (std::size_t i = 0; i < 32; ++i) ivBuffer_[i] = static_cast<std::uint8_t>(i);
}

bool StreamCipher::EncryptRun(std::uint8_t* buffer, std::ptrdiff_t length) {
    if (!contextReady_ || !keySet_) return false;
    if (length > 0) AesEncryptXcfb8Run(context_, buffer, static_cast<std::size_t>(length));
    return true;
}

bool StreamCipher::DecryptRun(std::uint8_t* buffer, std::ptrdiff_t length) {
    if (!contextReady_ || !keySet_) return false;
    if (length > 0) AesDecryptXcfb8Run(context_, buffer, static_cast<std::size_t>(length));
    return true;
}

bool StreamCipher::GetRegister(std::uint8_t output[16]) const {
    if (!contextReady_ || !keySet_) return false;
    AesGetRegister(context_, output);
    return true;
}

bool StreamCipher::SetRegister(const std::uint8_t input[16]) {
    if (!contextReady_ || !keySet_) return false;
    AesReset(context_, MODE_XCFB8, input);
    return true;
}

}  // namespace arkseal
