#include <arkseal/curve/key_exchange.h>

#include <cstring>
#include <new>

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/workspace/number_access.h>

namespace arkseal {
namespace {

// bytes[0..count-1] = the non-negative value as count big-endian bytes, the
// bytes above its length 0: the remainders by 256 of the value and of its
// successive quotients, read straight from its digit words.
void WriteBigEndian(const BigValue& value, int count, std::uint8_t* bytes) {
    const std::uint32_t* n = value.Handle();
    const int words = detail::NumeratorLength(n);
    for (int i = 0; i < count; ++i) {
        const std::uint32_t word = i / 4 < words ? n[1 + i / 4] : 0;
        bytes[count - 1 - i] = static_cast<std::uint8_t>(word >> (8 * (i % 4)));
    }
}

}  // namespace

KeyExchange::KeyExchange() : KeyExchange(RandomSource()) {}

KeyExchange::KeyExchange(RandomSource source) : randomSource_(source) {
    keyPair_.reset(new (std::nothrow) CurveKeyPair(randomSource_));
}

KeyExchange::~KeyExchange() {
    keyPair_.reset();
    SecureWipe(checkValue_, sizeof checkValue_);
    SecureWipe(keyBytes_, sizeof keyBytes_);
}

bool KeyExchange::SetRole(int r) {
    if (r != 1 && r != 2) return false;
    role_ = r;
    if (method_ != -1) ready_ = true;
    return true;
}

bool KeyExchange::SetMethod(int m) {
    if (m != 3 && m != 4) return false;
    method_ = m;
    if (role_ != -1) ready_ = true;
    return true;
}

bool KeyExchange::SetPassphrase(const void* bytes, std::ptrdiff_t length) {
    if (!ready_ || length < 1) return false;
    BigNumber number = digest_.DigestToNumber(bytes, length);
    if (number == nullptr) return false;
    BigCopy(number, passphraseNumber_.Handle());
    FreeBig(number);
    passphraseSet_ = true;
    return true;
}

bool KeyExchange::GenerateOwnKey() {
    if (!ready_ || keyPair_ == nullptr) return false;
    // A pair whose construction found no entropy gets another try here.
    if (!keyPair_->Seeded() && !keyPair_->Seed(randomSource_)) return false;
    if (!keyPair_->GenerateKey(ownParity_, ownX_)) return false;
    keyGenerated_ = true;
    return true;
}

bool KeyExchange::ExportPublic(std::uint8_t buffer[kPublicValueSize]) const {
    if (!keyGenerated_) return false;
    buffer[0] = static_cast<std::uint8_t>(ownParity_ & 0xFF);
    WriteBigEndian(ownX_, 32, buffer + 1);
    return true;
}

bool KeyExchange::ImportPeer(const std::uint8_t buffer[kPublicValueSize]) {
    if (!ready_) return false;
    peerParity_ = buffer[0] & 1;
    peerX_ = BigValue::FromBytes(32, buffer + 1);
    peerSet_ = true;
    return true;
}

bool KeyExchange::PeerValueUsable() const { return keyPair_ != nullptr && keyPair_->IsCurvePoint(peerX_); }

bool KeyExchange::DeriveKey() {
    if (!keyGenerated_ || !peerSet_ || (method_ == 3 && !passphraseSet_)) return false;
    if (!PeerValueUsable()) return false;
    bool finite = false;
    BigValue secret;
    if (method_ == 3 && role_ == 1) {
        secret = keyPair_->SharedSecretScalarBound(peerParity_, peerX_, passphraseNumber_, &finite);
    } else if (method_ == 3) {
        secret = keyPair_->SharedSecretPointBound(peerParity_, peerX_, passphraseNumber_, &finite);
    } else {
        secret = keyPair_->SharedSecret(peerParity_, peerX_, &finite);
    }
    if (!finite || CurrentNumberSystem()->errorCode != 0) return false;
    sharedSecret_ = secret;
    WriteBigEndian(sharedSecret_, 32, keyBytes_);
    cipher_.SetKey(keyBytes_);
    // The cipher keeps its own copy of the key.
    SecureWipe(keyBytes_, sizeof keyBytes_);
    keyed_ = true;
    return true;
}

bool KeyExchange::MakeCheckValue() {
    if (!keyed_) return false;
    digest_.DigestNumber(sharedSecret_.Handle(), checkValue_);
    checkReady_ = true;
    return true;
}

bool KeyExchange::GetCheckValue(std::uint8_t buffer[kCheckValueSize]) const {
    if (!checkReady_) return false;
    std::memcpy(buffer, checkValue_, kCheckValueSize);
    return true;
}

int KeyExchange::CompareCheckValue(const std::uint8_t value[kCheckValueSize]) const {
    if (!checkReady_) return -2;
    for (int i = 0; i < kCheckValueSize; ++i)
        if (value[i] != checkValue_[i]) return -1;
    return 0;
}

bool KeyExchange::Encrypt(const void* source, void* destination, std::ptrdiff_t length) {
    if (!keyed_ || length < 1) return false;
    cipher_.ResetIv();
    std::memmove(destination, source, static_cast<std::size_t>(length));
    return cipher_.EncryptRun(static_cast<std::uint8_t*>(destination), length);
}

bool KeyExchange::Decrypt(const void* source, void* destination, std::ptrdiff_t length) {
    if (!keyed_ || length < 1) return false;
    std::memmove(destination, source, static_cast<std::size_t>(length));
    cipher_.ResetIv();
    return cipher_.DecryptRun(static_cast<std::uint8_t*>(destination), length);
}

}  // namespace arkseal
