// The texts of the main dialog's status line: what a running job is doing,
// what a job did, what failed, and how strong the passphrase being typed is.
// A file is named by its base name.
#pragma once

#include <cstdint>
#include <string>

#include <arkseal/guard/passphrase_strength.h>
#include <arkseal/job/job_mode.h>

namespace arkseal {

// "Encrypting report.pdf: 42%, 81.0 MB/s, 0:12 left"; without the speed
// and the time left while the speed is not known (bytesPerSecond 0).
std::string JobProgressText(JobMode mode, bool encrypt, const std::string& path, std::int64_t position,
                            std::int64_t length, double bytesPerSecond);

// "Encrypted report.pdf, 3.2 MB, in 0.1 s." ("Finished the encryption of
// report.pdf, ..." for an unfinished job).
std::string JobDoneText(JobMode mode, bool encrypt, const std::string& path, std::int64_t bytes, double seconds);

// "Decrypting report.pdf failed: Could not read the file (Input/output
// error)." with the first line of the message only.
std::string JobFailedText(JobMode mode, bool encrypt, const std::string& path, const std::string& message);

// "Not started: Passphrase and confirmation does not match." (first line).
std::string NotStartedText(const std::string& reason);

// "Passphrase: weak, guessed in about 3 hours by one graphics card."
std::string StrengthText(const PassphraseStrength& strength);

// The last part of a path: "report.pdf" for "/home/ann/report.pdf".
std::string BaseName(const std::string& path);

}  // namespace arkseal
