// Runs the desktop program's job on one file after another: the same job
// block and the same worker thread, with a window that is not on screen in
// the dialog's place. It takes the worker's progress posts and its message
// boxes; a message box from the worker means the job failed.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "job/crypt_job.h"
#include "ui/window.h"

namespace arkseal {

class Passphrase;
class ProgressBar;

// The dialog's stand-in: wakes the waiting thread on every post and keeps the
// text of the worker's message box.
class JobWindow : public Window {
public:
    bool Post(unsigned message, WPARAM wParam, LPARAM lParam) override;
    int ShowMessageBox(const std::string& caption, const std::string& text, unsigned type) override;

    // Waits for the next post, at most the given milliseconds.
    void WaitForPost(int milliseconds);
    // The message box text of the last job, empty when there was none.
    std::string TakeMessage();

private:
    std::mutex lock_;
    std::condition_variable posted_;
    bool pending_ = false;
    std::string message_;
};

class FileJobRunner {
public:
    FileJobRunner(bool encrypt, ProgressBar& progress);

    // Transforms one file in place with the passphrase. The job's copy of
    // the passphrase is cleared once the cipher is keyed; for the last file
    // the caller's is cleared as soon as the job has its copy. True when
    // done; false with *error set (it names what failed and how much was
    // done).
    bool Run(const std::string& file, const std::string& label, Passphrase& passphrase, bool lastFile,
             std::string* error);

private:
    bool encrypt_;
    ProgressBar& progress_;
    JobWindow window_;
    CryptJob job_;
};

}  // namespace arkseal
