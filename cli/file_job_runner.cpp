#include "cli/file_job_runner.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <climits>
#include <initializer_list>
#include <utility>

#include "cli/passphrase_input.h"
#include "cli/progress_bar.h"
#include "job/transform_file_thread.h"
#include "ui/message_box.h"
#include "ui/worker_thread.h"

namespace arkseal {

namespace {

// Paths as long as the system takes; the passphrase as long as the
// desktop program takes.
constexpr std::size_t kMaxPath = PATH_MAX;
constexpr std::size_t kMaxJobPassphrase = 256;
constexpr int kRedrawMilliseconds = 100;

// The worker starts with the stop signals blocked, so that they always
// reach this thread: a handler that ran on the worker could break off one
// of its reads or writes (EINTR) and fail the job it should let finish.
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

int JobWindow::ShowMessageBox(const std::string&, const std::string& text, unsigned type) {
    std::lock_guard lock(lock_);
    message_ = text;
    return DefaultAnswer(type);
}

void JobWindow::WaitForPost(int milliseconds) {
    std::unique_lock lock(lock_);
    posted_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return pending_; });
    pending_ = false;
}

std::string JobWindow::TakeMessage() {
    std::lock_guard lock(lock_);
    return std::exchange(message_, std::string());
}

FileJobRunner::FileJobRunner(bool encrypt, ProgressBar& progress)
    : encrypt_(encrypt), progress_(progress), job_(kMaxPath, kMaxJobPassphrase) {}

// Filled as the dialog fills it before starting the worker; the worker
// then alone writes the block until it sets done.
bool FileJobRunner::Run(const std::string& file, const std::string& label, Passphrase& passphrase, bool lastFile,
                        std::string* error) {
    if (!job_.SetFileName(file)) {
        *error = "the file name is too long";
        return false;
    }
    const bool copied = job_.SetPassphrase(passphrase.View());
    if (lastFile) passphrase.Clear();
    if (!copied) {
        *error = "the passphrase is too long";
        return false;
    }
    job_.position = 0;
    job_.fileLength = 0;
    job_.started = 0;
    job_.done = 0;
    job_.owner = &window_;
    job_.encryptFlag = encrypt_ ? 1 : 0;
    window_.TakeMessage();

    const ThreadId worker = StartWorker(&job_);
    bool startedBar = false;
    while (job_.done.load() == 0) {
        window_.WaitForPost(kRedrawMilliseconds);
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

    *error = window_.TakeMessage();
    if (!error->empty()) {
        progress_.Clear();
        return false;
    }
    if (!startedBar) progress_.Start(label, job_.fileLength.load(), ProgressBar::Clock::now());
    progress_.Finish(job_.position.load(), ProgressBar::Clock::now());
    return true;
}

}  // namespace arkseal
