#include <arkseal/cli/file_job_runner.h>

#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <climits>
#include <initializer_list>
#include <memory>

#include <arkseal/cli/file_checks.h>
#include <arkseal/cli/passphrase_input.h>
#include <arkseal/cli/progress_bar.h>
#include <arkseal/cli/shell_quoted.h>
#include <arkseal/cli/stop_signals.h>
#include <arkseal/job/block_job.h>
#include <arkseal/ui/core/worker_thread.h>

namespace arkseal {

namespace {

// Paths as long as the system takes; the passphrase as long as the
// desktop program takes.
constexpr std::size_t kMaxPath = PATH_MAX;
constexpr std::size_t kMaxJobPassphrase = 256;
constexpr int kRedrawMilliseconds = 100;

// Keeps a file's job block up to date and wakes the runner as it moves.
class WakingObserver : public JobBlockObserver {
public:
    WakingObserver(CryptJob& job, JobWakeup& wakeup) : JobBlockObserver(job), wakeup_(wakeup) {}

protected:
    void Changed() override { wakeup_.Notify(); }

private:
    JobWakeup& wakeup_;
};

// A file's job block and its observer.
struct FileJob {
    explicit FileJob(JobWakeup& wakeup) : observer(block, wakeup) {}

    CryptJob block{kMaxPath, kMaxJobPassphrase};
    WakingObserver observer;
};

unsigned RunFileJob(void* parameter) {
    FileJob& job = *static_cast<FileJob*>(parameter);
    job.observer.Ended(RunBlockJob(job.block, job.observer));
    return 0;
}

// The worker starts with the stop signals blocked, so that they always
// reach this thread, which asks the jobs to stop at their next chunk
// boundary.
ThreadId StartWorker(FileJob* job) {
    sigset_t stops;
    sigset_t previous;
    sigemptyset(&stops);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    pthread_sigmask(SIG_BLOCK, &stops, &previous);
    const ThreadId worker = BeginThread(RunFileJob, job);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return worker;
}

// A file's job while it runs.
struct RunningFile {
    std::size_t index = 0;
    std::unique_ptr<FileJob> job;
    ThreadId worker = 0;
};

// What the combined bar counts of one file: the bytes this run transforms.
// A resumed file starts where its job was cut short; a file not started
// counts with its size on disk until its job has measured it.
struct FileShare {
    std::int64_t start = 0;
    std::int64_t length = 0;
    std::int64_t position = 0;
    bool measured = false;
};

std::int64_t SizeOnDisk(const std::string& file) {
    struct stat status {};
    return stat(file.c_str(), &status) == 0 ? status.st_size : 0;
}

// One file: its name. Several: the numbers of those running, and the name
// when only one does; once none runs, how many there are.
std::string Label(const std::vector<std::string>& files, const std::vector<RunningFile>& running) {
    if (files.size() == 1) return ShellQuoted(files[0]);
    if (running.empty()) return std::to_string(files.size()) + " files";
    std::string numbers;
    for (const RunningFile& file : running) {
        numbers += (numbers.empty() ? "" : ",") + std::to_string(file.index + 1);
    }
    std::string label = "[" + numbers + "/" + std::to_string(files.size()) + "]";
    if (running.size() == 1) label += " " + ShellQuoted(files[running.front().index]);
    return label;
}

}  // namespace

void JobWakeup::Notify() {
    {
        std::lock_guard lock(lock_);
        pending_ = true;
    }
    notified_.notify_one();
}

void JobWakeup::Wait(int milliseconds) {
    std::unique_lock lock(lock_);
    notified_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return pending_; });
    pending_ = false;
}

std::size_t UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    const int count = CPU_COUNT(&set);
    return count > 0 ? static_cast<std::size_t>(count) : 1;
}

FileJobRunner::FileJobRunner(JobMode mode, std::size_t parallel, ProgressBar& progress)
    : mode_(mode), parallel_(parallel > 0 ? parallel : 1), progress_(progress) {}

std::vector<std::optional<JobResult>> FileJobRunner::Run(
    const std::vector<std::string>& files, Passphrase& passphrase, ClaimedFiles& claims,
    const std::function<void(std::size_t, const JobResult&)>& ended) {
    std::vector<std::optional<JobResult>> results(files.size());
    std::vector<FileShare> shares(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) shares[i].length = SizeOnDisk(files[i]);
    std::vector<RunningFile> running;
    std::size_t next = 0;
    bool halted = false;  // a file failed or was refused
    bool barStarted = false;

    const auto finish = [&](std::size_t index, const JobResult& result) {
        results[index] = result;
        FileShare& share = shares[index];
        share.position = result.step == JobStep::kDone ? result.length : std::max(share.start, result.processed);
        share.length = share.position;  // nothing more of it is done in this run
        if (OutcomeOf(result) != JobOutcome::kDone) halted = true;
        if (result.step != JobStep::kDone) progress_.Clear();
        ended(index, result);
    };
    // Filled as the dialog fills it before starting the worker; the worker
    // then alone writes the block until it sets done.
    const auto start = [&](std::size_t index) {
        claims.Release(index);
        auto fileJob = std::make_unique<FileJob>(wakeup_);
        CryptJob* const job = &fileJob->block;
        // The name and passphrase were checked up front; a file name longer
        // than the system takes cannot be opened.
        const bool copied = job->SetFileName(files[index]) && job->SetPassphrase(passphrase.View());
        if (index + 1 == files.size()) passphrase.Clear();
        if (!copied) {
            JobResult refused;
            refused.step = JobStep::kOpen;
            finish(index, refused);
            return;
        }
        job->mode = mode_;
        RunningFile file;
        file.index = index;
        file.worker = StartWorker(fileJob.get());
        file.job = std::move(fileJob);
        running.push_back(std::move(file));
    };

    for (;;) {
        while (!halted && StopSignal() == 0 && next < files.size() && running.size() < parallel_) start(next++);
        if (running.empty()) break;
        wakeup_.Wait(kRedrawMilliseconds);
        if (StopSignal() != 0) {
            for (RunningFile& file : running) file.job->block.stopRequested = true;
        }
        for (auto file = running.begin(); file != running.end();) {
            FileShare& share = shares[file->index];
            CryptJob& job = file->job->block;
            if (!share.measured && job.started.load() != 0) {
                share.measured = true;
                share.length = job.fileLength.load();
                share.start = mode_ == JobMode::kResume ? job.position.load() : 0;
            }
            if (share.measured) share.position = job.position.load();
            if (job.done.load() == 0) {
                ++file;
                continue;
            }
            WaitForThread(file->worker);
            job.ClearPassphrase();
            const std::size_t index = file->index;
            const JobResult result = job.result;
            file = running.erase(file);
            finish(index, result);
        }
        std::int64_t total = 0;
        std::int64_t done = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            // Files that will not be started count for nothing.
            if (halted && i >= next) continue;
            total += shares[i].length - shares[i].start;
            done += shares[i].position - shares[i].start;
        }
        const auto now = ProgressBar::Clock::now();
        if (!barStarted) {
            progress_.Start(Label(files, running), total, now);
            barStarted = true;
        }
        progress_.Describe(Label(files, running), total);
        progress_.Update(done, now);
    }
    bool allDone = true;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        allDone = allDone && results[i] && results[i]->step == JobStep::kDone;
        total += shares[i].length - shares[i].start;
    }
    if (allDone) {
        const auto now = ProgressBar::Clock::now();
        if (!barStarted) progress_.Start(Label(files, running), total, now);
        progress_.Describe(Label(files, running), total);
        progress_.Finish(total, now);
    } else {
        progress_.Clear();
    }
    return results;
}

}  // namespace arkseal
