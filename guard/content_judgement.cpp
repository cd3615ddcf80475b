#include <arkseal/guard/content_judgement.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/stream_cipher.h>

namespace arkseal {

namespace {

// A copy of secret bytes that is wiped when it goes.
class WipedBytes {
public:
    explicit WipedBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}
    ~WipedBytes() { SecureWipe(bytes_.data(), bytes_.size()); }
    WipedBytes(const WipedBytes&) = delete;
    WipedBytes& operator=(const WipedBytes&) = delete;
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

bool ReadFileHead(const std::string& path, std::vector<std::uint8_t>* head, std::string* error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    head->assign(kJudgedHeadBytes, 0);
    std::size_t filled = 0;
    while (filled < head->size()) {
        const ssize_t n = pread(fd, head->data() + filled, head->size() - filled, static_cast<off_t>(filled));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = std::strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    close(fd);
    head->resize(filled);
    return true;
}

ContentLook LookAtContent(std::span<const std::uint8_t> bytes) {
    return {RecogniseFileType(bytes), MeasureByteEntropy(bytes)};
}

bool HasKnownType(const ContentLook& look) {
    return look.type.recognised && !(look.entropy.looksRandom && IsTypeFoundInRandomBytes(look.type.mime));
}

ContentLook LookAtDecryptedContent(std::span<const std::uint8_t> bytes, std::string_view passphrase) {
    std::uint8_t digest[64];
    PassphraseDigest().DigestBytes(passphrase.data(), static_cast<std::ptrdiff_t>(passphrase.size()), digest);
    StreamCipher cipher;
    cipher.SetKey(digest);
    cipher.ResetIv();
    SecureWipe(digest, sizeof digest);
    WipedBytes decrypted(bytes);
    cipher.DecryptRun(decrypted.bytes().data(), static_cast<std::ptrdiff_t>(decrypted.bytes().size()));
    return LookAtContent(decrypted.bytes());
}

ContentJudgement JudgeBeforeEncrypt(std::span<const std::uint8_t> head) {
    ContentJudgement judgement;
    judgement.content = LookAtContent(head);
    if (!HasKnownType(judgement.content) && judgement.content.entropy.looksRandom) {
        judgement.concern = ContentConcern::LooksEncrypted;
    }
    return judgement;
}

ContentJudgement JudgeBeforeDecrypt(std::span<const std::uint8_t> head, std::string_view passphrase) {
    ContentJudgement judgement;
    judgement.content = LookAtContent(head);
    judgement.decrypted = LookAtDecryptedContent(head, passphrase);
    if (head.empty() || HasKnownType(*judgement.decrypted)) return judgement;
    if (HasKnownType(judgement.content)) {
        judgement.concern = ContentConcern::LooksPlain;
    } else if (judgement.decrypted->entropy.looksRandom) {
        judgement.concern = ContentConcern::HeadDoesNotDecrypt;
    }
    return judgement;
}

}  // namespace arkseal
