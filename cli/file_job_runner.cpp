#include "cli/file_job_runner.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <climits>
#include <initializer_list>

#include "cli/passphrase_input.h"
#include "cli/progress_bar.h"
#include "cli/stop_signals.h"
#include "job/transform_file_thread.h"
#include "ui/core/message_box.h"
#include "ui/core/worker_thread.h"

namespace arkseal {

namespace {

// Paths as long as the system takes; the passphrase as long as the
// desktop program takes.
constexpr std::size_t kMaxPath = PATH_MAX;
constexpr std::size_t kMaxJobPassphrase = 256;
constexpr int kRedrawMilliseconds = 100;

// The worker starts with the stop signals blocked, so that they always
// reach this thread, which asks the job to stop at its next chunk boundary.
ThreadId StartWorker(CryptJob* job) {
    sigset_t stops;
    sigset_t previous;
    sigemptyset(&stops);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    pthread_sigmask(SIG_BLOCK, &stops, &previous);
    const ThreadId worker = BeginThread(TransformFileThread, job);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return worker;
}

}  // namespace

bool JobWindow::Post(unsigned message, WPARAM, LPARAM) {
    if (message != WM_JOB_PROGRESS) return false;
    {
        std::lock_guard lock(lock_);
        pending_ = true;
    }
    posted_.notify_one();
    return true;
}

int JobWindow::ShowMessageBox(const std::string&, const std::string&, unsigned type) { return DefaultAnswer(type); }

void JobWindow::WaitForPost(int milliseconds) {
    std::unique_lock lock(lock_);
    posted_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return pending_; });
    pending_ = false;
}

FileJobRunner::FileJobRunner(JobMode mode, ProgressBar& progress)
    : mode_(mode), progress_(progress), job_(kMaxPath, kMaxJobPassphrase) {}

// Filled as the dialog fills it before starting the worker; the worker
// then alone writes the block until it sets done.
JobResult FileJobRunner::Run(const std::string& file, const std::string& label, Passphrase& passphrase, bool lastFile) {
    // The name and passphrase were checked up front; a file name longer than
    // the system takes cannot be opened.
    const bool copied = job_.SetFileName(file) && job_.SetPassphrase(passphrase.View());
    if (lastFile) passphrase.Clear();
    if (!copied) {
        JobResult refused;
        refused.step = JobStep::kOpen;
        return refused;
    }
    job_.position = 0;
    job_.fileLength = 0;
    job_.started = 0;
    job_.done = 0;
    job_.stopRequested = false;
    job_.owner = &window_;
    job_.encryptFlag = mode_ == JobMode::kEncrypt ? 1 : 0;
    job_.resumeFlag = mode_ == JobMode::kResume ? 1 : 0;

    const ThreadId worker = StartWorker(&job_);
    bool startedBar = false;
    while (job_.done.load() == 0) {
        window_.WaitForPost(kRedrawMilliseconds);
        if (StopSignal() != 0) job_.stopRequested = true;
        if (job_.started.load() == 0) continue;
        const auto now = ProgressBar::Clock::now();
        if (!startedBar) {
            progress_.Start(label, job_.fileLength.load(), now);
            startedBar = true;
        }
        progress_.Update(job_.position.load(), now);
    }
    WaitForThread(worker);
    job_.ClearPassphrase();

    if (job_.result.step != JobStep::kDone) {
        progress_.Clear();
        return job_.result;
    }
    if (!startedBar) progress_.Start(label, job_.fileLength.load(), ProgressBar::Clock::now());
    progress_.Finish(job_.position.load(), ProgressBar::Clock::now());
    return job_.result;
}

}  // namespace arkseal
