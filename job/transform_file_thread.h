// The worker: runs the in-place job (job/in_place_job.h) on the job block's
// file, from a thread.
#pragma once

#include "job/in_place_job.h"

namespace arkseal {

// Thread entry; parameter is the address of the CryptJob. Always returns 0.
//
// Digests the passphrase (its SHA-512; the first 32 bytes key the cipher)
// and wipes the job's copy, then encrypts, decrypts or resumes the file as
// the block asks. Progress is posted to the owner as WM_JOB_PROGRESS after
// every chunk; once the job has ended and its file is closed, the result is
// stored in the block, a message box tells the user what went wrong (or
// that others appended to the file; a requested stop gets none), and done
// is set and posted.
unsigned TransformFileThread(void* parameter);

// The tuning the worker's jobs use; tests shrink it.
JobTuning WorkerJobTuning();
void SetWorkerJobTuning(const JobTuning& tuning);

}  // namespace arkseal
