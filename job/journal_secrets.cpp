#include <arkseal/job/journal_secrets.h>

#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/crypto/sha512.h>

namespace arkseal {

namespace {

void Feed(Sha512State& state, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) Sha512Process(state, bytes[i]);
}

// SHA-512(s || label), its first 32 bytes.
void Branch(const std::uint8_t s[64], const char* label, std::uint8_t out[32]) {
    Sha512State state;
    Sha512Init(state);
    Feed(state, s, 64);
    Feed(state, label, std::strlen(label));
    std::uint8_t digest[64];
    Sha512Finish(state, digest);
    std::memcpy(out, digest, 32);
    SecureWipe(digest, sizeof digest);
    SecureWipe(&state, sizeof state);
}

}  // namespace

JournalSecrets::JournalSecrets(const std::uint8_t fileKey[32], const std::uint8_t salt[16], std::uint32_t rounds) {
    static const char kLabel[] = "arkseal journal";
    Sha512State state;
    Sha512Init(state);
    std::uint8_t s[64];
    Feed(state, kLabel, sizeof kLabel - 1);
    Feed(state, salt, 16);
    Feed(state, fileKey, 32);
    Sha512Finish(state, s);
    for (std::uint32_t i = 0; i < rounds; ++i) {
        Feed(state, s, 64);
        Feed(state, fileKey, 32);
        Sha512Finish(state, s);
    }
    Branch(s, "check", check_);
    Branch(s, "seal", sealKey_);
    std::uint8_t tagKey[32];
    Branch(s, "tag", tagKey);
    AesInit(tagCipher_, MODE_ECB, 32, tagKey, nullptr);
    SecureWipe(tagKey, sizeof tagKey);
    SecureWipe(s, sizeof s);
    SecureWipe(&state, sizeof state);
}

JournalSecrets::~JournalSecrets() {
    SecureWipe(check_, sizeof check_);
    SecureWipe(sealKey_, sizeof sealKey_);
    AesEnd(tagCipher_);
}

void JournalSecrets::SealRegister(std::uint64_t sequence, const std::uint8_t in[16], std::uint8_t out[16]) const {
    Sha512State state;
    Sha512Init(state);
    Feed(state, sealKey_, sizeof sealKey_);
    for (int i = 0; i < 8; ++i) Sha512Process(state, static_cast<int>((sequence >> (8 * i)) & 0xFF));
    std::uint8_t pad[64];
    Sha512Finish(state, pad);
    for (int i = 0; i < 16; ++i) out[i] = static_cast<std::uint8_t>(in[i] ^ pad[i]);
    SecureWipe(pad, sizeof pad);
}

std::uint64_t JournalSecrets::Tag(const std::uint8_t reg[16]) const {
    std::uint8_t block[16];
    std::memcpy(block, reg, 16);
    AesEncryptBlock(tagCipher_, block);
    std::uint64_t tag = 0;
    for (int i = 0; i < 8; ++i) tag |= static_cast<std::uint64_t>(block[i]) << (8 * i);
    SecureWipe(block, sizeof block);
    return tag;
}

}  // namespace arkseal
