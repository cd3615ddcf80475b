// Claiming a file for a job, on a descriptor already open on it. A job
// rewrites a regular file of fixed length in place, and one file takes one
// job at a time: a second job over the same bytes, in this process or in
// another, would transform some of them twice.
#pragma once

#include <sys/types.h>

#include <string>

namespace arkseal {

struct FileClaim {
    enum Result {
        kClaimed,     // a regular file, now locked for this job
        kNotRegular,  // a directory, device, FIFO or socket: nothing of a fixed length to rewrite
        kBusy,        // another job holds the file
        kFailed,      // the file could not be examined or locked; error tells why
    };
    Result result = kFailed;
    const char* kind = "";  // kNotRegular: what the file is instead ("a FIFO")
    int error = 0;          // kFailed: the errno

    // The sentence that refuses the job; empty when claimed.
    std::string Refusal() const;
};

// Checks with fstat that fd is open on a regular file (a symbolic link has
// been followed by the open), then takes an exclusive open file description
// lock (F_OFD_SETLK) on all of it, without waiting. The lock is held until
// the last descriptor of this open file description is closed; every other
// open of the file, by this process too, is refused it meanwhile. Other
// programs are not stopped by it: it keeps out other Arkseal jobs.
FileClaim ClaimForJob(int fd);

// What a file of this mode is, in a few words ("a directory", "a socket").
const char* FileKind(mode_t mode);

}  // namespace arkseal
