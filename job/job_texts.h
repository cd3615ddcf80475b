// The words both front ends use to name what a job does and why a file
// could not be opened for it.
#pragma once

#include <string>

#include <arkseal/job/job_mode.h>

namespace arkseal {

// "Encrypting", "Decrypting", "Finishing the encryption of", "Finishing the
// decryption of" (encrypt: the direction of the job being finished).
std::string JobGerund(JobMode mode, bool encrypt);

// "Could not open file to encrypt." ("to decrypt.", "to finish its
// unfinished job.").
std::string CannotOpenText(JobMode mode);

// Why the file could not be opened for update, from the open's errno, as a
// sentence: the system's reason ("Permission denied."), what the file is
// instead of a regular one, or that no name was given.
std::string OpenFailureReason(const std::string& file, int error);

}  // namespace arkseal
