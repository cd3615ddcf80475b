#include <arkseal/job/job_texts.h>

#include <sys/stat.h>

#include <cctype>
#include <system_error>

#include <arkseal/job/file_claim.h>

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
    if (file.empty()) return "No file name was given.";
    struct stat status {};
    if (stat(file.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        return FileClaim{FileClaim::kNotRegular, FileKind(status.st_mode)}.Refusal();
    }
    std::string reason = std::generic_category().message(error) + ".";
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return reason;
}

}  // namespace arkseal
