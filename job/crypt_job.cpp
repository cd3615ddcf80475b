#include "job/crypt_job.h"

#include <cstring>

#include "crypto/wipe.h"

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
      passphrase(new char[maxPassphrase + 1]()),
      maxFileName(maxFileName),
      maxPassphrase(maxPassphrase) {}

CryptJob::~CryptJob() {
    ClearPassphrase();
    delete[] fileName;
    delete[] passphrase;
}

bool CryptJob::SetFileName(std::string_view text) { return CopyText(text, fileName, maxFileName); }

bool CryptJob::SetPassphrase(std::string_view text) { return CopyText(text, passphrase, maxPassphrase); }

void CryptJob::ClearPassphrase() { SecureWipe(passphrase, maxPassphrase + 1); }

}  // namespace arkseal
