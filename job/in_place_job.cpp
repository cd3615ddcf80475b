#include <arkseal/job/in_place_job.h>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <arkseal/base/wipe.h>

namespace arkseal {

namespace {

bool FillRandom(std::uint8_t* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = getrandom(out + done, size - done, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The end of the sector that holds offset, within [.., limit].
std::int64_t SectorEnd(std::int64_t offset, std::int64_t limit) {
    return std::min(limit, (offset / kSectorBytes + 1) * kSectorBytes);
}

constexpr auto kChunk = static_cast<std::int64_t>(kJobChunkSize);

// Chunks are aligned to kChunk, so that progress comes at the same offsets
// whatever window a job resumed from.
std::int64_t ChunkEnd(std::int64_t offset, std::int64_t limit) {
    return std::min(limit, (offset / kChunk + 1) * kChunk);
}

// The size of the next window: `size` as the windows grow, but at most half
// of what is left (in whole chunks, at least `smallest`), so that the last
// window, whose writing and sync nothing overlaps, is small.
std::int64_t WindowSize(std::int64_t left, std::int64_t size, std::int64_t smallest) {
    const std::int64_t half = (left / 2 + kChunk - 1) / kChunk * kChunk;
    return std::min(left, std::min(size, std::max(smallest, half)));
}

}  // namespace

InPlaceJob::InPlaceJob(FileIo& io, const JobTuning& tuning, JobObserver& observer)
    : io_(io), tuning_(tuning), observer_(observer), journal_(io) {}

InPlaceJob::~InPlaceJob() {
    if (fd_ >= 0) io_.Close(fd_);
    for (WindowSlot& slot : slots_) {
        if (!slot.data.empty()) SecureWipe(slot.data.data(), slot.data.size());
        if (!slot.registers.empty()) SecureWipe(slot.registers.data(), slot.registers.size());
        SecureWipe(slot.registerAtBegin, sizeof slot.registerAtBegin);
    }
}

JobResult InPlaceJob::Run(const std::string& path, JobMode mode, const std::uint8_t key[64]) {
    path_ = path;
    encrypt_ = mode != JobMode::kDecrypt;
    resumed_ = mode == JobMode::kResume;
    fd_ = io_.Open(path.c_str(), O_RDWR, 0);
    if (fd_ < 0) return Refuse(JobStep::kOpen);
    struct stat status {};
    // Only a regular file, held against other jobs until it is closed; the
    // journal is looked at only once the file is held.
    const FileClaim claim = io_.Claim(fd_);
    if (claim.result != FileClaim::kClaimed) {
        JobResult refused = Refuse(JobStep::kClaim);
        refused.claim = claim;
        return refused;
    }
    if (io_.Fstat(fd_, &status) != 0) return Fail(JobStep::kMeasure);
    device_ = status.st_dev;
    inode_ = status.st_ino;
    length_ = status.st_size;
    return mode == JobMode::kResume ? Resume(key) : Begin(mode == JobMode::kEncrypt, key);
}

JobResult InPlaceJob::Begin(bool encrypt, const std::uint8_t key[64]) {
    encrypt_ = encrypt;
    if (const auto existing = Journal::Find(io_, path_, device_, inode_)) {
        JobResult result = Result(JobStep::kUnfinished);
        if (journal_.Open(*existing) == Journal::OpenResult::kOpened) {
            result.encrypt = journal_.Header().encrypt;
            result.processed = journal_.Current().committed;
            result.length = journal_.Header().length;
        }
        return result;
    }
    JournalHeader header;
    header.encrypt = encrypt;
    header.device = device_;
    header.inode = inode_;
    header.length = length_;
    header.windowBytes = tuning_.windowBytes;
    header.rounds = tuning_.rounds;
    header.startedAt = static_cast<std::int64_t>(std::time(nullptr));
    header.name = BaseName(path_);
    if (!FillRandom(header.salt, sizeof header.salt)) return Fail(JobStep::kJournal);
    secrets_->emplace(key, header.salt, header.rounds);
    std::memcpy(header.check, (*secrets_)->Check(), sizeof header.check);
    if (!journal_.Create(path_, header))
        return errno == EEXIST ? Result(JobStep::kUnfinished) : Fail(JobStep::kJournal);
    haveJournal_ = true;
    cipher_->SetKey(key);
    observer_.Started(length_, 0);
    return Windows();
}

JobResult InPlaceJob::Resume(const std::uint8_t key[64]) {
    const auto existing = Journal::Find(io_, path_, device_, inode_);
    if (!existing) return Refuse(JobStep::kNoJob);
    switch (journal_.Open(*existing)) {
        case Journal::OpenResult::kOpened: break;
        case Journal::OpenResult::kMissing: return Refuse(JobStep::kNoJob);
        case Journal::OpenResult::kNoRecord:
            // The job never wrote to the file: nothing to finish.
            journal_.Remove();
            return Refuse(JobStep::kNotStarted);
        case Journal::OpenResult::kDamaged: return Refuse(JobStep::kJournalUnusable);
        case Journal::OpenResult::kFailed: return Fail(JobStep::kJournal);
    }
    const JournalHeader& header = journal_.Header();
    encrypt_ = header.encrypt;
    haveJournal_ = true;
    touched_ = true;
    secrets_->emplace(key, header.salt, header.rounds);
    if (std::memcmp((*secrets_)->Check(), header.check, sizeof header.check) != 0) {
        return Refuse(JobStep::kWrongPassphrase);
    }
    const JournalRecord& record = journal_.Current();
    position_ = record.committed;
    if (length_ < header.length) {
        length_ = header.length;
        return Fail(JobStep::kShrunk);
    }
    length_ = header.length;
    tuning_.windowBytes = header.windowBytes;
    sequence_ = record.sequence;
    cipher_->SetKey(key);
    std::uint8_t reg[16];
    (*secrets_)->SealRegister(record.sequence, record.sealedRegister, reg);
    cipher_->SetRegister(reg);
    SecureWipe(reg, sizeof reg);
    observer_.Started(length_, position_);
    JobResult redone = RedoWindow();
    if (redone.step != JobStep::kDone) return redone;
    return Windows();
}

// Each sector of the record's window holds its new content, its old one,
// or, where a write stopped inside it, new bytes followed by old ones. The
// tag of the register after the sector tells which: the new part is run
// backwards (retracing the register), the old part forwards, and only the
// right split gives the tag. The old part is then written transformed.
JobResult InPlaceJob::RedoWindow() {
    const JournalRecord& record = journal_.Current();
    std::uint8_t sector[kSectorBytes];
    std::int64_t index = 0;
    for (std::int64_t at = record.committed; at < record.windowEnd; at = SectorEnd(at, record.windowEnd), ++index) {
        const auto size = static_cast<std::size_t>(SectorEnd(at, record.windowEnd) - at);
        const std::int64_t got = ReadAt(io_, fd_, sector, size, at);
        if (got < 0) return Fail(JobStep::kRead);
        if (got < static_cast<std::int64_t>(size)) return Fail(JobStep::kShrunk);
        const std::optional<std::size_t> split = NewBytesIn(sector, size, record.tags[static_cast<std::size_t>(index)]);
        if (!split) {
            JobResult result = Fail(JobStep::kDamaged);
            result.at = at;
            return result;
        }
        if (*split == size) continue;
        if (WriteAt(io_, fd_, sector + *split, size - *split, at + static_cast<std::int64_t>(*split)) !=
            size - *split) {
            return Fail(JobStep::kWrite);
        }
        pending_ = true;
    }
    SecureWipe(sector, sizeof sector);
    position_ = record.windowEnd;
    return Result(JobStep::kDone);
}

// How many leading bytes of the sector are already new, trying the whole
// sector first, then none, then every split; the old part of sector is
// transformed in place and the cipher left after the sector. Nothing when
// no split gives the tag.
std::optional<std::size_t> InPlaceJob::NewBytesIn(std::uint8_t* sector, std::size_t size, std::uint64_t tag) {
    std::uint8_t start[16];
    std::uint8_t end[16];
    std::uint8_t copy[kSectorBytes];
    cipher_->GetRegister(start);
    std::optional<std::size_t> found;
    for (std::size_t step = 0; step <= size && !found; ++step) {
        const std::size_t split = step == 0 ? size : step - 1;
        cipher_->SetRegister(start);
        std::memcpy(copy, sector, size);
        Backward(copy, split);
        Forward(copy + split, size - split);
        cipher_->GetRegister(end);
        if ((*secrets_)->Tag(end) == tag) {
            found = split;
            std::memcpy(sector + split, copy + split, size - split);
        }
    }
    SecureWipe(copy, sizeof copy);
    SecureWipe(start, sizeof start);
    SecureWipe(end, sizeof end);
    return found;
}

// Windows start at one chunk and double up to the full window, so that the
// first bytes are durable soon and a small file needs little memory; toward
// the end they halve again (see WindowSize). Two
// windows are in flight: while this thread transforms one, the I/O thread
// commits the one before and then reads the one after next into its slot.
JobResult InPlaceJob::Windows() {
    const std::int64_t firstSize = std::min(kChunk, tuning_.windowBytes);
    nextBegin_ = position_;
    nextSize_ = firstSize;
    // One buffer per slot for the largest window, not a new one as windows grow.
    for (WindowSlot& slot : slots_) {
        slot.data.reserve(static_cast<std::size_t>(std::min(length_ - position_, tuning_.windowBytes)));
    }
    // Where a stop before the first window finds its register.
    slots_[0].begin = position_;
    cipher_->GetRegister(slots_[0].registerAtBegin);
    slots_[1].begin = -1;
    JobStep readFailure = JobStep::kDone;
    int readError = 0;
    {
        IoThread thread;
        bool planned[2] = {};
        std::int64_t begins[2] = {};
        IoThread::Ticket ready[2] = {};
        // The slot takes its place on the I/O thread: the commit before it
        // in the queue still reads the old one.
        const auto postRead = [&](int i) {
            planned[i] = nextBegin_ < length_;
            if (!planned[i]) return;
            const std::int64_t begin = nextBegin_;
            const std::int64_t end = begin + WindowSize(length_ - begin, nextSize_, firstSize);
            begins[i] = begin;
            nextBegin_ = end;
            nextSize_ = std::min(2 * nextSize_, tuning_.windowBytes);
            WindowSlot& slot = slots_[i];
            ready[i] = thread.Post([this, &slot, begin, end] { ReadWindow(slot, begin, end); });
        };
        postRead(0);
        postRead(1);
        for (int i = 0; planned[i]; i ^= 1) {
            WindowSlot& slot = slots_[i];
            thread.WaitFor(ready[i]);
            // A read skipped for a stop leaves the slot's window in place:
            // it may be the first one not committed, whose register a stop
            // records.
            if (slot.begin != begins[i]) break;
            cipher_->GetRegister(slot.registerAtBegin);
            if (ShouldStop()) break;
            if (slot.read != JobStep::kDone) {
                readFailure = slot.read;
                readError = slot.readError;
                break;
            }
            if (!TransformWindow(slot)) break;
            thread.Post([this, &slot] { CommitWindow(slot); });
            postRead(i);
        }
        thread.WaitIdle();
    }
    // In the order one thread would have met them: a failed commit comes
    // before the reading of any later window.
    if (ioFailure_ != JobStep::kDone) {
        errno = ioError_;
        return Fail(ioFailure_);
    }
    if (stopping_) return Stop();
    if (readFailure != JobStep::kDone) {
        errno = readError;
        return Fail(readFailure);
    }
    return Finish();
}

// On the I/O thread. A failure is kept with the window, for the job's thread
// to report when it comes to it, after the windows before it are committed.
void InPlaceJob::ReadWindow(WindowSlot& slot, std::int64_t begin, std::int64_t end) {
    if (stopping_ || halted_) return;
    slot.begin = begin;
    slot.end = end;
    slot.read = JobStep::kDone;
    const auto size = static_cast<std::size_t>(slot.end - slot.begin);
    slot.data.resize(size);
    const std::int64_t got = ReadAt(io_, fd_, slot.data.data(), size, slot.begin);
    if (got < 0) {
        slot.read = JobStep::kRead;
        slot.readError = errno;
    } else if (got < static_cast<std::int64_t>(size)) {
        slot.read = JobStep::kShrunk;
        slot.readError = 0;
    }
}

// True once a stop was asked for or the I/O thread failed: nothing more is
// transformed or committed.
bool InPlaceJob::ShouldStop() {
    if (observer_.StopRequested()) stopping_ = true;
    return stopping_ || halted_;
}

// Transforms the window in its slot, chunk by chunk, noting the register
// after each sector (the I/O thread makes the tags of them); false when the
// job is to stop first.
bool InPlaceJob::TransformWindow(WindowSlot& slot) {
    slot.registers.resize(static_cast<std::size_t>(16 * SectorCount(slot.begin, slot.end)));
    std::uint8_t* reg = slot.registers.data();
    for (std::int64_t chunk = slot.begin; chunk < slot.end;) {
        const std::int64_t chunkEnd = ChunkEnd(chunk, slot.end);
        if (ShouldStop()) return false;
        for (std::int64_t at = chunk; at < chunkEnd; at = SectorEnd(at, chunkEnd)) {
            Forward(slot.data.data() + (at - slot.begin), static_cast<std::size_t>(SectorEnd(at, chunkEnd) - at));
            cipher_->GetRegister(reg);
            reg += 16;
        }
        chunk = chunkEnd;
    }
    return true;
}

// On the I/O thread: the window is committed unless the job is stopping.
void InPlaceJob::CommitWindow(WindowSlot& slot) {
    if (ShouldStop()) return;
    slot.tags.clear();
    for (std::size_t at = 0; at < slot.registers.size(); at += 16) {
        slot.tags.push_back((*secrets_)->Tag(slot.registers.data() + at));
    }
    SecureWipe(slot.registers.data(), slot.registers.size());
    const JobStep step = WriteWindow(slot);
    if (step == JobStep::kDone) return;
    ioError_ = errno;
    ioFailure_ = step;
    halted_ = true;
}

JobStep InPlaceJob::WriteWindow(const WindowSlot& slot) {
    struct stat status {};
    if (io_.Stat(path_.c_str(), &status) != 0 || status.st_dev != device_ || status.st_ino != inode_) {
        return JobStep::kReplaced;
    }
    if (io_.Fstat(fd_, &status) != 0) return JobStep::kMeasure;
    if (status.st_size < slot.end) return JobStep::kShrunk;
    if (pending_ && !SyncData(io_, fd_)) return JobStep::kSync;
    pending_ = false;
    if (!WriteRecord(slot.begin, slot.end, slot.registerAtBegin, slot.tags)) return JobStep::kJournal;
    touched_ = true;
    for (std::int64_t chunk = slot.begin; chunk < slot.end;) {
        const std::int64_t chunkEnd = ChunkEnd(chunk, slot.end);
        const auto size = static_cast<std::size_t>(chunkEnd - chunk);
        pending_ = true;
        const std::size_t written = WriteAt(io_, fd_, slot.data.data() + (chunk - slot.begin), size, chunk);
        if (written != size) {
            position_ = chunk + static_cast<std::int64_t>(written);
            return JobStep::kWrite;
        }
        io_.StartWriteback(fd_, chunk, chunkEnd - chunk);
        position_ = chunkEnd;
        if (chunkEnd % kChunk == 0) observer_.Progress(chunkEnd);
        chunk = chunkEnd;
    }
    return JobStep::kDone;
}

// At a window's start, once the I/O thread is idle: everything before it
// made durable, and a record with an empty window that says so.
JobResult InPlaceJob::Stop() {
    if (!touched_) {
        journal_.Remove();
        haveJournal_ = false;
        return Result(JobStep::kStopped);
    }
    if (pending_ && !SyncData(io_, fd_)) return Fail(JobStep::kSync);
    pending_ = false;
    // The first window not committed starts here; its slot holds the
    // register there.
    const WindowSlot& next = slots_[0].begin == position_ ? slots_[0] : slots_[1];
    if (!WriteRecord(position_, position_, next.registerAtBegin, {})) return Fail(JobStep::kJournal);
    return Result(JobStep::kStopped);
}

JobResult InPlaceJob::Finish() {
    if (pending_ && !SyncData(io_, fd_)) return Fail(JobStep::kSync);
    pending_ = false;
    if (!journal_.Remove()) return Fail(JobStep::kJournal);
    haveJournal_ = false;
    touched_ = false;
    JobResult result = Result(JobStep::kDone);
    struct stat status {};
    if (io_.Fstat(fd_, &status) == 0 && status.st_size > length_) result.appended = status.st_size - length_;
    const int fd = fd_;
    fd_ = -1;
    if (io_.Close(fd) != 0) return Result(JobStep::kClose, errno);
    return result;
}

bool InPlaceJob::WriteRecord(std::int64_t committed, std::int64_t windowEnd, const std::uint8_t reg[16],
                             const std::vector<std::uint64_t>& tags) {
    JournalRecord record;
    record.sequence = ++sequence_;
    record.committed = committed;
    record.windowEnd = windowEnd;
    (*secrets_)->SealRegister(record.sequence, reg, record.sealedRegister);
    record.tags = tags;
    return journal_.Write(record);
}

void InPlaceJob::Forward(std::uint8_t* data, std::size_t size) {
    const auto n = static_cast<std::ptrdiff_t>(size);
    if (encrypt_) {
        cipher_->EncryptRun(data, n);
    } else {
        cipher_->DecryptRun(data, n);
    }
}

// The register advances alike in both directions (it takes in the
// ciphertext), so running the other direction over transformed bytes
// retraces the register the forward run left.
void InPlaceJob::Backward(std::uint8_t* data, std::size_t size) {
    const auto n = static_cast<std::ptrdiff_t>(size);
    if (encrypt_) {
        cipher_->DecryptRun(data, n);
    } else {
        cipher_->EncryptRun(data, n);
    }
}

JobResult InPlaceJob::Result(JobStep step, int error) {
    JobResult result;
    result.step = step;
    result.error = error;
    result.processed = step == JobStep::kDone ? length_ : position_;
    result.length = length_;
    result.encrypt = encrypt_;
    result.resumed = resumed_;
    result.resumable = haveJournal_ && touched_;
    return result;
}

// A failure before the file was touched removes the journal: the file is
// as it was, and there is nothing to finish.
JobResult InPlaceJob::Fail(JobStep step) {
    const int error = errno;
    if (haveJournal_ && !touched_) {
        journal_.Remove();
        haveJournal_ = false;
    }
    if (fd_ >= 0) io_.Close(fd_);
    fd_ = -1;
    return Result(step, error);
}

JobResult InPlaceJob::Refuse(JobStep step) {
    const int error = errno;
    if (fd_ >= 0) io_.Close(fd_);
    fd_ = -1;
    return Result(step, error);
}

}  // namespace arkseal
