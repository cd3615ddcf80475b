// Runs the desktop program's job on the named files, up to a given number
// at once: each file gets the dialog's job block, run on a thread of its own
// by the worker's body (RunBlockJob); each block's result tells how its job
// ended.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <arkseal/job/in_place_job.h>

namespace arkseal {

class ClaimedFiles;
class Passphrase;
class ProgressBar;

// Wakes the runner's thread whenever a job moves on.
class JobWakeup {
public:
    void Notify();
    // Waits for the next notification, at most the given milliseconds.
    void Wait(int milliseconds);

private:
    std::mutex lock_;
    std::condition_variable notified_;
    bool pending_ = false;
};

// The number of processors this process may run on (at least 1).
std::size_t UsableProcessors();

class FileJobRunner {
public:
    // parallel: the most files worked on at once (at least 1).
    FileJobRunner(JobMode mode, std::size_t parallel, ProgressBar& progress);

    // Transforms the files in place with the passphrase (or finishes their
    // unfinished jobs), in the order named, starting the next one as soon as
    // fewer than `parallel` run. Each file's claim is released just before
    // its own job opens it. Once a file fails or is refused, or a stop signal
    // arrives, no further file is started: those running finish (a stop
    // signal stops them at their next chunk boundary, their journals
    // durable). `ended` is called on this thread as each job ends, with the
    // progress bar cleared. The jobs' copies of the passphrase are cleared as
    // soon as they are keyed, the caller's once the last file has its copy.
    // Returns each file's result; none for a file not started.
    std::vector<std::optional<JobResult>> Run(const std::vector<std::string>& files, Passphrase& passphrase,
                                              ClaimedFiles& claims,
                                              const std::function<void(std::size_t, const JobResult&)>& ended);

private:
    JobMode mode_;
    std::size_t parallel_;
    ProgressBar& progress_;
    JobWakeup wakeup_;
};

}  // namespace arkseal
