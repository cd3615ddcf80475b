// The in-place job: encrypts or decrypts a file over itself so that a
// crash, kill, power cut or I/O failure at any instant leaves it finishable.
//
// Before the first byte changes, a journal (job/journal.h) names the file,
// its length and the direction, and holds a slow check value of the key.
// The file is then rewritten window by window. For each window the job
//   1. reads and transforms it in memory, noting the tag of every sector;
//   2. syncs the previous window's writes (started in the background when
//      they were made, so the sync mostly finds them done);
//   3. writes and syncs a record: committed offset = the window's start,
//      the sealed cipher register there, and the window's sector tags;
//   4. writes the window.
// Steps 2-4 of a window (and the tags, from the registers noted in step 1),
// and the reading of the window after next, run on
// a second thread (job/io_thread.h) while the job's own thread transforms
// the next window: two windows are in memory at once, and the order of the
// writes and syncs on disk is the one above.
// After a crash, the record tells where the durable part ends, and the tags
// tell, sector by sector, which of the window's sectors reached the disk;
// the others are transformed again from their old content. The journal is
// removed, durably, once the whole file is synced.
//
// The length measured at the start is the job's length: bytes appended by
// others are left alone and counted; a file that becomes shorter, or whose
// path comes to name another file, stops the job.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <arkseal/crypto/stream_cipher.h>
#include <arkseal/job/file_io.h>
#include <arkseal/job/io_thread.h>
#include <arkseal/job/job_mode.h>
#include <arkseal/job/job_result.h>
#include <arkseal/job/journal.h>
#include <arkseal/job/journal_secrets.h>
#include <arkseal/job/secret_memory.h>

namespace arkseal {

// Bytes read, transformed and written back per pass.
inline constexpr std::size_t kJobChunkSize = 0x40000;

// What the job reports while it runs, and how it is asked to stop.
class JobObserver {
public:
    virtual ~JobObserver() = default;
    // Once the file is open and the key checked: the job's length, and where
    // it starts (0, or the committed offset of a resumed job).
    virtual void Started(std::int64_t length, std::int64_t position) = 0;
    // After every whole chunk (kJobChunkSize) written.
    virtual void Progress(std::int64_t position) = 0;
    // Asked before every chunk; true stops the job with its journal durable.
    virtual bool StopRequested() = 0;
};

// Sizes a test may shrink: the window, and the rounds of the slow derivation.
struct JobTuning {
    std::int64_t windowBytes = kJobWindowBytes;
    std::uint32_t rounds = kJournalRounds;
};

class InPlaceJob {
public:
    InPlaceJob(FileIo& io, const JobTuning& tuning, JobObserver& observer);
    ~InPlaceJob();
    InPlaceJob(const InPlaceJob&) = delete;
    InPlaceJob& operator=(const InPlaceJob&) = delete;

    // key: the 64-byte digest of the passphrase (its first half keys the
    // cipher). A resume takes its direction from the journal.
    JobResult Run(const std::string& path, JobMode mode, const std::uint8_t key[64]);

private:
    JobResult Begin(bool encrypt, const std::uint8_t key[64]);
    JobResult Resume(const std::uint8_t key[64]);
    JobResult RedoWindow();
    std::optional<std::size_t> NewBytesIn(std::uint8_t* sector, std::size_t size, std::uint64_t tag);
    // One window on its way through the job: read on the I/O thread,
    // transformed on the job's thread, committed on the I/O thread.
    struct WindowSlot {
        std::int64_t begin = 0;
        std::int64_t end = 0;
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> registers;  // the cipher register after each sector, 16 bytes each
        std::vector<std::uint64_t> tags;
        std::uint8_t registerAtBegin[16] = {};
        JobStep read = JobStep::kDone;  // kRead or kShrunk when its reading failed
        int readError = 0;
    };

    JobResult Windows();
    void ReadWindow(WindowSlot& slot, std::int64_t begin, std::int64_t end);
    bool TransformWindow(WindowSlot& slot);
    void CommitWindow(WindowSlot& slot);
    JobStep WriteWindow(const WindowSlot& slot);
    bool ShouldStop();
    JobResult Stop();
    JobResult Finish();
    bool WriteRecord(std::int64_t committed, std::int64_t windowEnd, const std::uint8_t reg[16],
                     const std::vector<std::uint64_t>& tags);

    void Forward(std::uint8_t* data, std::size_t size);
    void Backward(std::uint8_t* data, std::size_t size);

    JobResult Result(JobStep step, int error = 0);
    JobResult Fail(JobStep step);
    JobResult Refuse(JobStep step);

    FileIo& io_;
    JobTuning tuning_;
    JobObserver& observer_;
    std::string path_;
    int fd_ = -1;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::int64_t length_ = 0;
    bool encrypt_ = true;
    bool resumed_ = false;  // finishing an unfinished job
    Secret<StreamCipher> cipher_;
    Secret<std::optional<JournalSecrets>> secrets_;
    Journal journal_;
    bool haveJournal_ = false;
    bool touched_ = false;  // the file may differ from what the job found: keep the journal
    bool pending_ = false;  // writes made since the file was last synced
    std::uint64_t sequence_ = 0;
    std::int64_t position_ = 0;  // bytes transformed, durable or written
    WindowSlot slots_[2];
    std::int64_t nextBegin_ = 0;  // where the next window to read begins
    std::int64_t nextSize_ = 0;   // and its size
    // Set by either thread: a stop was asked for, or the I/O thread failed;
    // no further window is committed.
    std::atomic<bool> stopping_{false};
    std::atomic<bool> halted_{false};
    JobStep ioFailure_ = JobStep::kDone;  // written by the I/O thread before halted_
    int ioError_ = 0;
};

}  // namespace arkseal
