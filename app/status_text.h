// The texts of the main dialog's status line: what a job did, what failed,
// and how strong the passphrase being typed is.
#pragma once

#include <cstdint>
#include <string>

#include <arkseal/guard/passphrase_strength.h>

namespace arkseal {

// "512 bytes", "3.2 KB", "3.2 MB", "1.5 GB" (powers of 1000).
std::string SizeText(std::int64_t bytes);

// "Encrypted report.pdf, 3.2 MB, in 0.1 s." (the file's base name).
std::string JobDoneText(bool encrypt, const std::string& path, std::int64_t bytes, double seconds);

// "Decrypting report.pdf failed: Could not read the file (Input/output
// error)." with the first line of the message only.
std::string JobFailedText(bool encrypt, const std::string& path, const std::string& message);

// "Not started: Passphrase and confirmation does not match." (first line).
std::string NotStartedText(const std::string& reason);

// "Passphrase: weak, guessed in about 3 hours by one graphics card."
std::string StrengthText(const PassphraseStrength& strength);

}  // namespace arkseal
