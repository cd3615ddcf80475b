// One peer's side of an elliptic-curve key agreement: generate a key pair,
// export the 33-byte public value, import the peer's, derive a shared AES-256
// key, confirm it with a 64-byte check value, then encrypt and decrypt
// messages with the stream cipher. Moving the values between the peers is
// the caller's job.
//
// Key method 4 is plain Diffie-Hellman on the curve; key method 3 also binds
// a passphrase both peers know, and then the peers take opposite roles (1 and
// 2). Every operation returns false (CompareCheckValue -2) when a
// precondition is not met, and then changes nothing. Flags only ever go from
// clear to set.
//
// Messages form one cipher stream per object in both directions: the peers
// stay in step only if each passes every message, sent or received, through
// its object in the same order. There is no integrity check on messages and
// no authentication of the peer beyond the optional shared passphrase.
//
// The object uses the calling thread's arithmetic workspace and must stay on
// that thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/stream_cipher.h>
#include <arkseal/curve/big_value.h>
#include <arkseal/curve/curve_key_pair.h>
#include <arkseal/curve/random_source.h>

namespace arkseal {

constexpr int kPublicValueSize = 33;  // y parity, then x as 32 big-endian bytes
constexpr int kCheckValueSize = 64;

class KeyExchange {
public:
    KeyExchange();
    // With another entropy source (tests use one that fails).
    explicit KeyExchange(RandomSource source);
    ~KeyExchange();
    KeyExchange(const KeyExchange&) = delete;
    KeyExchange& operator=(const KeyExchange&) = delete;

    bool SetRole(int r);    // 1 or 2
    bool SetMethod(int m);  // 3 (passphrase-bound) or 4 (plain)
    // Needs a role and method and length >= 1.
    bool SetPassphrase(const void* bytes, std::ptrdiff_t length);
    // Needs a role and method; false, changing nothing, when no entropy can
    // be had for the key.
    bool GenerateOwnKey();
    bool ExportPublic(std::uint8_t buffer[kPublicValueSize]) const;
    // Takes the peer's value as it is (only bit 0 of the parity byte counts);
    // it is checked by DeriveKey.
    bool ImportPeer(const std::uint8_t buffer[kPublicValueSize]);
    // Needs an own key, a peer value and, with method 3, the passphrase.
    // False, changing nothing, when the peer's value names no curve point or
    // the shared point comes out at infinity.
    bool DeriveKey();
    bool MakeCheckValue();
    bool GetCheckValue(std::uint8_t buffer[kCheckValueSize]) const;
    // 0 when equal, -1 at the first differing byte, -2 before MakeCheckValue.
    int CompareCheckValue(const std::uint8_t value[kCheckValueSize]) const;
    // Copy length (>= 1) bytes and transform the copy in place; the two may
    // overlap exactly or not at all.
    bool Encrypt(const void* source, void* destination, std::ptrdiff_t length);
    bool Decrypt(const void* source, void* destination, std::ptrdiff_t length);

private:
    bool PeerValueUsable() const;

    BigValue passphraseNumber_;
    bool ready_ = false;
    bool passphraseSet_ = false;
    bool keyGenerated_ = false;
    bool keyed_ = false;
    bool checkReady_ = false;
    bool peerSet_ = false;
    int role_ = -1;
    int method_ = -1;
    PassphraseDigest digest_;
    RandomSource randomSource_;
    StreamCipher cipher_;
    std::unique_ptr<CurveKeyPair> keyPair_;
    BigValue ownX_;
    int ownParity_ = 0;
    BigValue peerX_;
    int peerParity_ = 0;
    BigValue sharedSecret_;
    std::uint8_t checkValue_[kCheckValueSize + 1];
    std::uint8_t keyBytes_[33];
};

}  // namespace arkseal
