#include "job/transform_file_thread.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include "crypto/passphrase_digest.h"
#include "crypto/stream_cipher.h"
#include "crypto/wipe.h"
#include "job/crypt_job.h"
#include "job/file_claim.h"
#include "job/file_io.h"
#include "job/secret_memory.h"
#include "ui/message_box.h"

namespace arkseal {

namespace {

// What failed, in the words of the message "Could not <action> (<reason>)".
enum class Step { Measure, Seek, Read, Write, Flush, Sync, Close };

const char* Action(Step step) {
    switch (step) {
        case Step::Measure: return "measure the file";
        case Step::Seek: return "seek in the file";
        case Step::Read: return "read the file";
        case Step::Write: return "write the file";
        case Step::Flush: return "flush the file";
        case Step::Sync: return "save the file to disk";
        case Step::Close: return "close the file";
    }
    return "process the file";
}

std::string FailureText(Step step, int error, std::int64_t processed, std::int64_t length) {
    std::string text =
        std::string("Could not ") + Action(step) + " (" + std::generic_category().message(error) + ").\n";
    if (step == Step::Flush || step == Step::Sync || step == Step::Close) {
        return text + "All " + std::to_string(processed) +
               " bytes were processed, but the file on disk may be incomplete.";
    }
    if (processed == 0) return text + "The file is unchanged.";
    return text + "The first " + std::to_string(processed) + " of " + std::to_string(length) +
           " bytes were processed; the rest of the file is unchanged.";
}

// The dialog follows the job through these posts; done tells it to become
// idle. position is stored before done, done before the post.
void Report(CryptJob& job, std::int64_t position, bool done) {
    job.position.store(position);
    if (done) job.done.store(1);
    PostMessage(job.owner, WM_JOB_PROGRESS, 0, 0);
}

// A job that ends early: the user hears why, and the dialog finds the same
// text in the job block once it sees done.
void EndWithMessage(CryptJob& job, std::int64_t position, const std::string& text) {
    job.failure = text;
    MessageBox(job.owner, text);
    Report(job, position, true);
}

// What the key is made with, kept on secret pages like the key itself.
struct Keying {
    PassphraseDigest passphraseDigest;
    std::uint8_t digest[64] = {};
};

// The key is the first half of the passphrase's SHA-512 digest. Neither the
// digest nor the passphrase is needed once the cipher holds the key.
void KeyCipher(StreamCipher& cipher, CryptJob& job) {
    const Secret<Keying> keying;
    keying->passphraseDigest.DigestBytes(job.passphrase, static_cast<std::ptrdiff_t>(std::strlen(job.passphrase)),
                                         keying->digest);
    cipher.SetKey(keying->digest);
    cipher.ResetIv();
    job.ClearPassphrase();
}

class Worker {
public:
    explicit Worker(CryptJob& job) : job_(job), io_(WorkerFileIo()) {}
    ~Worker() { SecureWipe(chunk_, sizeof chunk_); }

    void Run() {
        file_ = io_.Open(job_.fileName, "r+b");
        if (file_ == nullptr) {
            EndWithMessage(job_, 0, "Could not open file to encrypt.[?]");
            return;
        }
        if (const FileClaim claim = ClaimForJob(fileno(file_)); claim.result != FileClaim::kClaimed) {
            Refuse(claim.Refusal());
            return;
        }
        // Unbuffered: every read and write goes straight to the file, so a
        // write's count is what reached it.
        std::setvbuf(file_, nullptr, _IONBF, 0);
        std::int64_t length = -1;
        if (!io_.Seek(file_, 0, SEEK_END) || (length = io_.Tell(file_)) < 0 || !io_.Seek(file_, 0, SEEK_SET)) {
            Fail(Step::Measure, 0);
            return;
        }
        length_ = length;
        job_.fileLength.store(length);
        KeyCipher(*cipher_, job_);
        job_.started.store(1);
        while (job_.done.load() == 0) {
            if (!Pass()) return;
        }
    }

private:
    // One chunk. Both seeks happen on every pass: an update stream must be
    // repositioned between reading and writing.
    bool Pass() {
        const std::int64_t position = job_.position.load();
        if (!io_.Seek(file_, position, SEEK_SET)) return Fail(Step::Seek, position);
        std::size_t count = 0;
        if (!io_.Read(file_, chunk_, kJobChunkSize, &count)) return Fail(Step::Read, position);
        const auto n = static_cast<std::ptrdiff_t>(count);
        if (job_.encryptFlag != 0) {
            cipher_->EncryptRun(chunk_, n);
        } else {
            cipher_->DecryptRun(chunk_, n);
        }
        if (!io_.Seek(file_, -static_cast<std::int64_t>(count), SEEK_CUR)) return Fail(Step::Seek, position);
        const std::size_t written = io_.Write(file_, chunk_, count);
        if (written != count) return Fail(Step::Write, position + static_cast<std::int64_t>(written));
        const std::int64_t next = position + n;
        const bool last = count < kJobChunkSize;
        if (last && !Finish(next)) return false;
        Report(job_, next, last);
        return true;
    }

    bool Finish(std::int64_t processed) {
        if (!io_.Flush(file_)) return Fail(Step::Flush, processed);
        if (!io_.Sync(file_)) return Fail(Step::Sync, processed);
        std::FILE* file = file_;
        file_ = nullptr;
        if (!io_.Close(file)) return Fail(Step::Close, processed);
        return true;
    }

    // A file the job may not have: it is closed untouched.
    void Refuse(const std::string& reason) {
        io_.Close(file_);
        file_ = nullptr;
        EndWithMessage(job_, 0, reason + "\nThe file is unchanged.");
    }

    // The file is closed before the user hears of the failure and before the
    // dialog may start the next job.
    bool Fail(Step step, std::int64_t processed) {
        const int error = errno;
        if (file_ != nullptr) io_.Close(file_);
        file_ = nullptr;
        EndWithMessage(job_, processed, FailureText(step, error, processed, length_));
        return false;
    }

    CryptJob& job_;
    FileIo& io_;
    KeysHeld keysHeld_;  // from before the key is made until it is wiped
    Secret<StreamCipher> cipher_;
    std::FILE* file_ = nullptr;
    std::int64_t length_ = 0;
    std::uint8_t chunk_[kJobChunkSize];
};

}  // namespace

unsigned TransformFileThread(void* parameter) {
    Worker(*static_cast<CryptJob*>(parameter)).Run();
    return 0;
}

}  // namespace arkseal
