// Chooses between the table rounds and the AES instructions, and routes the
// block operations and mode-10 runs to the chosen one.
#include <atomic>

#include <arkseal/crypto/aes.h>
#include <arkseal/crypto/aes_rounds.h>

namespace arkseal {
namespace {

AesPath DefaultPath() { return aes_rounds::HardwareAvailable() ? AesPath::Hardware : AesPath::Portable; }

std::atomic<AesPath>& ActivePath() {
    static std::atomic<AesPath> path{DefaultPath()};
    return path;
}

bool UseHardware() { return ActivePath().load(std::memory_order_relaxed) == AesPath::Hardware; }

aes_rounds::RunEncoding DefaultEncoding() {
    return aes_rounds::Avx512Available() ? aes_rounds::RunEncoding::Avx512 : aes_rounds::RunEncoding::Sse41;
}

std::atomic<aes_rounds::RunEncoding>& ActiveEncoding() {
    static std::atomic<aes_rounds::RunEncoding> encoding{DefaultEncoding()};
    return encoding;
}

void HardwareRun(AesContext& context, std::uint8_t* data, std::size_t length, bool decrypt) {
    if (ActiveEncoding().load(std::memory_order_relaxed) == aes_rounds::RunEncoding::Avx512) {
        aes_rounds::Avx512Xcfb8Run(context.roundKeys, context.Nr, context.feedback, data, length, decrypt);
    } else {
        aes_rounds::HardwareXcfb8Run(context.roundKeys, context.Nr, context.feedback, data, length, decrypt);
    }
}

}  // namespace

namespace aes_rounds {

RunEncoding ActiveRunEncoding() { return ActiveEncoding().load(std::memory_order_relaxed); }

bool SelectRunEncoding(RunEncoding encoding) {
    if (encoding == RunEncoding::Avx512 && !Avx512Available()) return false;
    ActiveEncoding().store(encoding, std::memory_order_relaxed);
    return true;
}

}  // namespace aes_rounds

bool AesHardwareAvailable() { return aes_rounds::HardwareAvailable(); }

AesPath AesActivePath() { return ActivePath().load(std::memory_order_relaxed); }

bool AesSelectPath(AesPath path) {
    if (path == AesPath::Hardware && !aes_rounds::HardwareAvailable()) return false;
    ActivePath().store(path, std::memory_order_relaxed);
    return true;
}

void AesEncryptBlock(const AesContext& context, std::uint8_t block[16]) {
    if (UseHardware()) {
        aes_rounds::HardwareEncryptBlock(context.roundKeys, context.Nr, block);
    } else {
        aes_rounds::TableEncryptBlock(context.roundKeys, context.Nr, block);
    }
}

void AesDecryptBlock(const AesContext& context, std::uint8_t block[16]) {
    if (UseHardware()) {
        aes_rounds::HardwareDecryptBlock(context.inverseRoundKeys, context.Nr, block);
    } else {
        aes_rounds::TableDecryptBlock(context.inverseRoundKeys, context.Nr, block);
    }
}

void AesEncryptXcfb8Run(AesContext& context, std::uint8_t* data, std::size_t length) {
    if (UseHardware()) {
        HardwareRun(context, data, length, false);
    } else {
        aes_rounds::TableXcfb8Run(context.roundKeys, context.Nr, context.feedback, data, length, false);
    }
}

void AesDecryptXcfb8Run(AesContext& context, std::uint8_t* data, std::size_t length) {
    if (UseHardware()) {
        HardwareRun(context, data, length, true);
    } else {
        aes_rounds::TableXcfb8Run(context.roundKeys, context.Nr, context.feedback, data, length, true);
    }
}

}  // namespace arkseal
