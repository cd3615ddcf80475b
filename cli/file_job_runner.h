// Runs the desktop program's job on one file after another: the same job
// block and the same worker thread, with a window that is not on screen in
// the dialog's place. It takes the worker's progress posts and its message
// boxes; the job block's result tells how the job ended.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "job/crypt_job.h"
#include "job/in_place_job.h"
#include "ui/core/window.h"

namespace arkseal {

class Passphrase;
class ProgressBar;

// The dialog's stand-in: wakes the waiting thread on every post and keeps the
// text of the worker's message box.
class JobWindow : public Window {
public:
    bool Post(unsigned message, WPARAM wParam, LPARAM lParam) override;
    // The worker's box: its text is built again from the job's result.
    int ShowMessageBox(const std::string& caption, const std::string& text, unsigned type) override;

    // Waits for the next post, at most the given milliseconds.
    void WaitForPost(int milliseconds);

private:
    std::mutex lock_;
    std::condition_variable posted_;
    bool pending_ = false;
};

class FileJobRunner {
public:
    FileJobRunner(JobMode mode, ProgressBar& progress);

    // Transforms one file in place with the passphrase (or finishes its
    // unfinished job). The job's copy of the passphrase is cleared once the
    // cipher is keyed; for the last file the caller's is cleared as soon as
    // the job has its copy. A stop signal stops the job at the next chunk
    // boundary, with its journal durable.
    JobResult Run(const std::string& file, const std::string& label, Passphrase& passphrase, bool lastFile);

private:
    JobMode mode_;
    ProgressBar& progress_;
    JobWindow window_;
    CryptJob job_;
};

}  // namespace arkseal
