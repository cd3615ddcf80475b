#include <arkseal/job/crypt_job.h>

#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/job/secret_memory.h>

namespace arkseal {

namespace {

bool CopyText(std::string_view text, char* buffer, std::size_t maxLength) {
    if (text.size() > maxLength) return false;
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}

}  // namespace

CryptJob::CryptJob(std::size_t maxFileName, std::size_t maxPassphrase)
    : fileName(new char[maxFileName + 1]()),
      passphrase(static_cast<char*>(AllocateSecret(maxPassphrase + 1))),
      maxFileName(maxFileName),
      maxPassphrase(maxPassphrase) {}

CryptJob::~CryptJob() {
    delete[] fileName;
    FreeSecret(passphrase, maxPassphrase + 1);
}

bool CryptJob::SetFileName(std::string_view text) { return CopyText(text, fileName, maxFileName); }

// The text is NUL-terminated for the worker: a NUL inside it would silently
// cut the passphrase short there.
bool CryptJob::SetPassphrase(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return false;
    return CopyText(text, passphrase, maxPassphrase);
}

void CryptJob::ClearPassphrase() { SecureWipe(passphrase, maxPassphrase + 1); }

}  // namespace arkseal
