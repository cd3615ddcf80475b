#include "job/job_texts.h"

#include <sys/stat.h>

#include <system_error>

#include "job/file_claim.h"

namespace arkseal {

std::string JobGerund(JobMode mode, bool encrypt) {
    switch (mode) {
        case JobMode::kEncrypt: return "Encrypting";
        case JobMode::kDecrypt: return "Decrypting";
        case JobMode::kResume: break;
    }
    return encrypt ? "Finishing the encryption of" : "Finishing the decryption of";
}

std::string CannotOpenText(JobMode mode) {
    switch (mode) {
        case JobMode::kEncrypt: return "Could not open file to encrypt.";
        case JobMode::kDecrypt: return "Could not open file to decrypt.";
        case JobMode::kResume: break;
    }
    return "Could not open file to finish its unfinished job.";
}

// A directory or a socket cannot be opened for update at all; saying what
// it is tells more than the errno.
std::string OpenFailureReason(const std::string& file, int error) {
    if (file.empty()) return "no file name was given";
    struct stat status {};
    if (stat(file.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        return std::string("it is ") + FileKind(status.st_mode) + ", not a regular file";
    }
    return std::generic_category().message(error);
}

}  // namespace arkseal
