#include "session.h"

#include <cstdio>
#include <string>

#include <arkseal/curve/key_exchange.h>
#include "framing.h"

namespace example {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool Fail(int role, const std::string& what) {
    std::fprintf(stderr, "peer %d: %s\n", role, what.c_str());
    return false;
}

// Sends own and receives the peer's value, each as one frame.
bool Swap(int fd, const SessionOptions& o, const Bytes& own, Bytes& peer, const char* what) {
    std::string why;
    if (SendFrame(fd, own, o.timeoutMs, &why) && ReceiveFrame(fd, peer, o.timeoutMs, &why)) return true;
    return Fail(o.role, std::string(what) + " exchange failed: " + why);
}

bool Agree(int fd, arkseal::KeyExchange& kx, const SessionOptions& o) {
    const int method = o.passphrase.empty() ? 4 : 3;
    if (!kx.SetRole(o.role) || !kx.SetMethod(method)) return Fail(o.role, "bad role or method");
    if (method == 3 && !kx.SetPassphrase(o.passphrase.data(), static_cast<std::ptrdiff_t>(o.passphrase.size())))
        return Fail(o.role, "passphrase refused");
    if (!kx.GenerateOwnKey()) return Fail(o.role, "no key could be generated (entropy source failed)");
    Bytes own(arkseal::kPublicValueSize), peer;
    kx.ExportPublic(own.data());
    if (!Swap(fd, o, own, peer, "public value")) return false;
    if (peer.size() != arkseal::kPublicValueSize) return Fail(o.role, "public value of the wrong size");
    if (!kx.ImportPeer(peer.data()) || !kx.DeriveKey()) return Fail(o.role, "peer's public value refused");
    Bytes check(arkseal::kCheckValueSize), peerCheck;
    kx.MakeCheckValue();
    kx.GetCheckValue(check.data());
    if (!Swap(fd, o, check, peerCheck, "check value")) return false;
    if (peerCheck.size() != arkseal::kCheckValueSize || kx.CompareCheckValue(peerCheck.data()) != 0)
        return Fail(o.role, "check values differ: the peers hold different keys");
    std::printf("peer %d: key agreed (method %d), check values equal\n", o.role, method);
    return true;
}

bool Say(int fd, arkseal::KeyExchange& kx, const SessionOptions& o, const std::string& text) {
    Bytes wire(text.size());
    if (text.empty() || !kx.Encrypt(text.data(), wire.data(), static_cast<std::ptrdiff_t>(text.size())))
        return Fail(o.role, "cannot encrypt");
    std::string why;
    return SendFrame(fd, wire, o.timeoutMs, &why) || Fail(o.role, "send failed: " + why);
}

bool Hear(int fd, arkseal::KeyExchange& kx, const SessionOptions& o) {
    const int role = o.role;
    Bytes wire;
    std::string why;
    if (!ReceiveFrame(fd, wire, o.timeoutMs, &why)) return Fail(role, "receive failed: " + why);
    if (wire.empty()) return Fail(role, "receive failed: an empty message");
    Bytes plain(wire.size());
    kx.Decrypt(wire.data(), plain.data(), static_cast<std::ptrdiff_t>(wire.size()));
    std::printf("peer %d received: %.*s\n", role, static_cast<int>(plain.size()),
                reinterpret_cast<const char*>(plain.data()));
    return true;
}

}  // namespace

bool RunSession(int fd, const SessionOptions& o) {
    arkseal::KeyExchange kx;
    if (!Agree(fd, kx, o)) return false;
    // Turns alternate, role 1 first; each side says its messages in its turns.
    const std::size_t turns = 2 * o.messages.size();
    for (std::size_t turn = 0; turn < turns; ++turn) {
        const bool mine = (turn % 2 == 0) == (o.role == 1);
        const bool ok = mine ? Say(fd, kx, o, o.messages[turn / 2]) : Hear(fd, kx, o);
        if (!ok) return false;
    }
    return true;
}

}  // namespace example
