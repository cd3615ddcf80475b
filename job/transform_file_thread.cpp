#include "job/transform_file_thread.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#include "crypto/passphrase_digest.h"
#include "job/crypt_job.h"
#include "job/file_io.h"
#include "job/secret_memory.h"
#include "ui/core/message_box.h"

namespace arkseal {

namespace {

std::mutex tuningLock;
JobTuning tuning;

// The dialog follows the job through these posts; done tells it to become
// idle. position is stored before done, done before the post.
void Report(CryptJob& job, std::int64_t position, bool done) {
    job.position.store(position);
    if (done) job.done.store(1);
    PostMessage(job.owner, WM_JOB_PROGRESS, 0, 0);
}

class BlockObserver : public JobObserver {
public:
    explicit BlockObserver(CryptJob& job) : job_(job) {}

    void Started(std::int64_t length, std::int64_t position) override {
        job_.fileLength.store(length);
        job_.position.store(position);
        job_.started.store(1);
    }
    void Progress(std::int64_t position) override { Report(job_, position, false); }
    bool StopRequested() override { return job_.stopRequested.load(); }

private:
    CryptJob& job_;
};

// What the key is made with, kept on secret pages like the key itself.
struct Keying {
    PassphraseDigest passphraseDigest;
    std::uint8_t digest[64] = {};
};

JobMode ModeOf(const CryptJob& job) {
    if (job.resumeFlag != 0) return JobMode::kResume;
    return job.encryptFlag != 0 ? JobMode::kEncrypt : JobMode::kDecrypt;
}

}  // namespace

JobTuning WorkerJobTuning() {
    std::lock_guard lock(tuningLock);
    return tuning;
}

void SetWorkerJobTuning(const JobTuning& replacement) {
    std::lock_guard lock(tuningLock);
    tuning = replacement;
}

unsigned TransformFileThread(void* parameter) {
    CryptJob& job = *static_cast<CryptJob*>(parameter);
    BlockObserver observer(job);
    JobResult result;
    {
        const KeysHeld keysHeld;  // from before the key is made until it is wiped
        const Secret<Keying> keying;
        keying->passphraseDigest.DigestBytes(job.passphrase, static_cast<std::ptrdiff_t>(std::strlen(job.passphrase)),
                                             keying->digest);
        job.ClearPassphrase();
        InPlaceJob inPlace(WorkerFileIo(), WorkerJobTuning(), observer);
        result = inPlace.Run(job.fileName, ModeOf(job), keying->digest);
    }
    job.result = result;
    // A stop was asked for by whoever set stopRequested, who says what
    // follows; the worker's box would only hold up a quit.
    const std::string text = JobResultText(result, job.fileName);
    if (result.step != JobStep::kDone) job.failure = text;
    if (!text.empty() && result.step != JobStep::kStopped) MessageBox(job.owner, text);
    Report(job, result.processed, true);
    return 0;
}

}  // namespace arkseal
