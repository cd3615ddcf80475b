#include <arkseal/job/block_job.h>

#include <cstring>
#include <mutex>

#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/job/file_io.h>
#include <arkseal/job/secret_memory.h>

namespace arkseal {

namespace {

std::mutex tuningLock;
JobTuning tuning;

// What the key is made with, kept on secret pages like the key itself.
struct Keying {
    PassphraseDigest passphraseDigest;
    std::uint8_t digest[64] = {};
};

}  // namespace

void JobBlockObserver::Started(std::int64_t length, std::int64_t position) {
    job_.fileLength.store(length);
    job_.position.store(position);
    job_.started.store(1);
}

void JobBlockObserver::Progress(std::int64_t position) {
    job_.position.store(position);
    Changed();
}

bool JobBlockObserver::StopRequested() { return job_.stopRequested.load(); }

void JobBlockObserver::Ended(const JobResult& result) {
    job_.position.store(result.processed);
    job_.done.store(1);
    Changed();
}

JobResult RunBlockJob(CryptJob& job, JobObserver& observer) {
    const KeysHeld keysHeld;  // from before the key is made until it is wiped
    const Secret<Keying> keying;
    keying->passphraseDigest.DigestBytes(job.passphrase, static_cast<std::ptrdiff_t>(std::strlen(job.passphrase)),
                                         keying->digest);
    job.ClearPassphrase();
    InPlaceJob inPlace(WorkerFileIo(), WorkerJobTuning(), observer);
    job.result = inPlace.Run(job.fileName, job.mode, keying->digest);
    return job.result;
}

JobTuning WorkerJobTuning() {
    std::lock_guard lock(tuningLock);
    return tuning;
}

void SetWorkerJobTuning(const JobTuning& replacement) {
    std::lock_guard lock(tuningLock);
    tuning = replacement;
}

}  // namespace arkseal
