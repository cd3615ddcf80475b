// Running the job block's job on the calling thread: the worker's body, for
// the dialog's worker thread and for the command line's.
#pragma once

#include <arkseal/job/crypt_job.h>
#include <arkseal/job/in_place_job.h>

namespace arkseal {

// Keeps the job block up to date as its job runs; Changed() tells whoever
// follows the block that position (or, at the end, done) has moved.
class JobBlockObserver : public JobObserver {
public:
    explicit JobBlockObserver(CryptJob& job) : job_(job) {}

    void Started(std::int64_t length, std::int64_t position) override;
    void Progress(std::int64_t position) override;
    bool StopRequested() override;
    // The job has ended and its file is closed: position, then done are
    // stored, then Changed() is called.
    void Ended(const JobResult& result);

protected:
    virtual void Changed() = 0;
    CryptJob& job_;
};

// Digests the block's passphrase (its SHA-512; the first 32 bytes key the
// cipher), wipes the block's copy, then encrypts, decrypts or resumes the
// file as the block asks. Stores how the job ended in the block's result
// and returns it.
JobResult RunBlockJob(CryptJob& job, JobObserver& observer);

// The tuning the block's jobs use; tests shrink it.
JobTuning WorkerJobTuning();
void SetWorkerJobTuning(const JobTuning& tuning);

}  // namespace arkseal
