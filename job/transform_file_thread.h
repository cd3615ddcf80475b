// The worker: runs the in-place job (job/in_place_job.h) on the job block's
// file, from a thread.
#pragma once

#include <arkseal/job/block_job.h>

namespace arkseal {

// Thread entry; parameter is the address of the CryptJob. Always returns 0.
//
// Runs the block's job (RunBlockJob). Progress is posted to the owner as
// WM_JOB_PROGRESS after every chunk; once the job has ended and its file is
// closed, the result is stored in the block, a message box tells the user what went wrong (or
// that others appended to the file; a requested stop gets none), and done
// is set and posted.
unsigned TransformFileThread(void* parameter);

}  // namespace arkseal
