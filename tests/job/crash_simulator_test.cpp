// The crash simulator: a job runs on an in-memory disk behind the FileIo
// seam that records every write and sync. For each crash point (after each
// recorded call) and each choice of which writes since the last sync reached
// the disk (whole sectors, none, all, or a sector cut part-way), the disk
// as it would be found after the crash is rebuilt, and the unfinished job
// is resumed on it. The file must end exactly as the whole job leaves it;
// where no journal survived, the file must be untouched or finished. Each
// resume is then crashed once more, and resumed again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/job/in_place_job.h>
#include <arkseal/job/journal.h>
#include <arkseal/tests/job/reference_file_cipher.h>
#include <arkseal/tests/job/temp_files.h>

namespace arkseal {
namespace {

using test::Bytes;
using test::PatternBytes;
using test::ReferenceFileCipher;

constexpr const char* kFolder = "/disk";
constexpr const char* kFile = "/disk/data.bin";

// Names and contents of the one folder of the simulated disk.
struct DiskState {
    std::map<std::string, int> names;
    std::map<int, Bytes> files;
};

struct Event {
    enum Kind { kWrite, kSync, kCreate, kUnlink, kFolderSync } kind;
    int inode = 0;
    std::string name;
    std::int64_t offset = 0;
    Bytes bytes;
};

// The disk as the job sees it, recording what it does.
class SimulatedDisk : public FileIo {
public:
    explicit SimulatedDisk(DiskState state) : state_(std::move(state)) {
        for (const auto& [name, inode] : state_.names) nextInode_ = std::max(nextInode_, inode + 1);
    }

    int Open(const char* path, int flags, mode_t) override {
        if (std::string(path) == kFolder) return Descriptor(kFolderInode);
        const auto found = state_.names.find(path);
        if (found == state_.names.end()) {
            if ((flags & O_CREAT) == 0) return Error(ENOENT);
            const int inode = nextInode_++;
            state_.names[path] = inode;
            state_.files[inode] = {};
            log.push_back({Event::kCreate, inode, path, 0, {}});
            return Descriptor(inode);
        }
        if ((flags & O_EXCL) != 0) return Error(EEXIST);
        return Descriptor(found->second);
    }
    int Fstat(int fd, struct stat* status) override { return StatInode(fds_.at(fd), status); }
    int Stat(const char* path, struct stat* status) override {
        const auto found = state_.names.find(path);
        return found == state_.names.end() ? Error(ENOENT) : StatInode(found->second, status);
    }
    ssize_t Pread(int fd, void* buffer, std::size_t size, off_t offset) override {
        const Bytes& file = state_.files.at(fds_.at(fd));
        if (offset >= static_cast<off_t>(file.size())) return 0;
        const std::size_t n = std::min(size, file.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, file.data() + offset, n);
        return static_cast<ssize_t>(n);
    }
    ssize_t Pwrite(int fd, const void* buffer, std::size_t size, off_t offset) override {
        const int inode = fds_.at(fd);
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        Apply(state_.files[inode], offset, Bytes(bytes, bytes + size));
        log.push_back({Event::kWrite, inode, {}, offset, Bytes(bytes, bytes + size)});
        return static_cast<ssize_t>(size);
    }
    int Fdatasync(int fd) override {
        log.push_back({Event::kSync, fds_.at(fd), {}, 0, {}});
        return 0;
    }
    int Fsync(int fd) override {
        if (fds_.at(fd) == kFolderInode) log.push_back({Event::kFolderSync, 0, {}, 0, {}});
        return 0;
    }
    int StartWriteback(int, off_t, off_t) override { return 0; }
    FileClaim Claim(int) override {
        FileClaim claim;
        claim.result = FileClaim::kClaimed;
        return claim;
    }
    int Close(int fd) override { return fds_.erase(fd) == 1 ? 0 : Error(EBADF); }
    int Unlink(const char* path) override {
        if (state_.names.erase(path) == 0) return Error(ENOENT);
        log.push_back({Event::kUnlink, 0, path, 0, {}});
        return 0;
    }

    static void Apply(Bytes& file, std::int64_t offset, const Bytes& bytes) {
        const auto end = static_cast<std::size_t>(offset) + bytes.size();
        if (file.size() < end) file.resize(end, 0);
        std::copy(bytes.begin(), bytes.end(), file.begin() + offset);
    }

    const DiskState& State() const { return state_; }
    std::vector<Event> log;

private:
    static constexpr int kFolderInode = -1;

    int Descriptor(int inode) {
        fds_[nextFd_] = inode;
        return nextFd_++;
    }
    int StatInode(int inode, struct stat* status) const {
        *status = {};
        status->st_dev = 1;
        status->st_ino = static_cast<ino_t>(inode);
        status->st_mode = inode == kFolderInode ? S_IFDIR : S_IFREG;
        if (inode != kFolderInode) status->st_size = static_cast<off_t>(state_.files.at(inode).size());
        return 0;
    }
    static int Error(int error) {
        errno = error;
        return -1;
    }

    DiskState state_;
    std::map<int, int> fds_;
    int nextFd_ = 100;
    int nextInode_ = 1;
};

// A write since the last sync of its file, cut at sector boundaries.
struct Piece {
    int inode;
    std::int64_t offset;
    Bytes bytes;
};

// What a crash after the first `count` events may leave: the durable state,
// and the pieces and folder changes that may or may not have reached it.
struct CrashPoint {
    DiskState durable;
    std::vector<Piece> pieces;
    std::vector<const Event*> folderChanges;
};

CrashPoint CrashAfter(const DiskState& start, const std::vector<Event>& log, std::size_t count) {
    CrashPoint point{start, {}, {}};
    DiskState current = start;
    std::map<int, std::vector<const Event*>> pending;
    for (std::size_t i = 0; i < count; ++i) {
        const Event& e = log[i];
        switch (e.kind) {
            case Event::kCreate:
                current.names[e.name] = e.inode;
                current.files[e.inode] = {};
                point.durable.files[e.inode] = {};
                point.folderChanges.push_back(&e);
                break;
            case Event::kUnlink:
                current.names.erase(e.name);
                point.folderChanges.push_back(&e);
                break;
            case Event::kFolderSync:
                point.durable.names = current.names;
                point.folderChanges.clear();
                break;
            case Event::kWrite:
                SimulatedDisk::Apply(current.files[e.inode], e.offset, e.bytes);
                pending[e.inode].push_back(&e);
                break;
            case Event::kSync:
                point.durable.files[e.inode] = current.files[e.inode];
                pending[e.inode].clear();
                break;
        }
    }
    for (const auto& [inode, writes] : pending) {
        for (const Event* e : writes) {
            for (std::int64_t at = e->offset; at < e->offset + static_cast<std::int64_t>(e->bytes.size());) {
                const std::int64_t end = std::min<std::int64_t>(e->offset + static_cast<std::int64_t>(e->bytes.size()),
                                                                (at / kSectorBytes + 1) * kSectorBytes);
                point.pieces.push_back(
                    {inode, at, Bytes(e->bytes.begin() + (at - e->offset), e->bytes.begin() + (end - e->offset))});
                at = end;
            }
        }
    }
    return point;
}

// Per piece: 0 lost, 1 reached the disk, 2 only its first half did.
DiskState Surviving(const CrashPoint& point, const std::vector<int>& choice, bool folderChanges) {
    DiskState state = point.durable;
    for (std::size_t i = 0; i < point.pieces.size(); ++i) {
        const Piece& piece = point.pieces[i];
        if (choice[i] == 0) continue;
        const std::size_t size = choice[i] == 1 ? piece.bytes.size() : piece.bytes.size() / 2;
        SimulatedDisk::Apply(state.files[piece.inode], piece.offset,
                             Bytes(piece.bytes.begin(), piece.bytes.begin() + size));
    }
    if (folderChanges) {
        for (const Event* e : point.folderChanges) {
            if (e->kind == Event::kCreate) state.names[e->name] = e->inode;
            if (e->kind == Event::kUnlink) state.names.erase(e->name);
        }
    }
    return state;
}

// All subsets of up to 8 pieces (a journal header is 8), and every in-order prefix with the next
// piece cut part-way. Beyond 8 pieces: none, all, and two each of one
// lost, a random subset and a cut prefix.
std::vector<std::vector<int>> Choices(std::size_t pieces, std::mt19937& random) {
    std::vector<std::vector<int>> choices;
    const bool every = pieces <= 8;
    const auto pick = [&](std::size_t i) { return every ? i : random() % pieces; };
    const std::size_t samples = every ? pieces : 2;
    if (every) {
        for (std::uint32_t mask = 0; mask < (1u << pieces); ++mask) {
            std::vector<int> choice(pieces);
            for (std::size_t i = 0; i < pieces; ++i) choice[i] = (mask >> i) & 1;
            choices.push_back(choice);
        }
    } else {
        choices.push_back(std::vector<int>(pieces, 0));
        choices.push_back(std::vector<int>(pieces, 1));
        for (std::size_t n = 0; n < samples; ++n) {
            std::vector<int> oneLost(pieces, 1);
            oneLost[pick(n)] = 0;
            choices.push_back(oneLost);
            std::vector<int> randomSubset(pieces);
            for (int& c : randomSubset) c = static_cast<int>(random() % 2);
            choices.push_back(randomSubset);
        }
    }
    for (std::size_t n = 0; n < samples; ++n) {
        const std::size_t i = pick(n);
        std::vector<int> cut(pieces, 0);
        std::fill(cut.begin(), cut.begin() + static_cast<std::ptrdiff_t>(i), 1);
        cut[i] = 2;
        choices.push_back(cut);
    }
    return choices;
}

class NoObserver : public JobObserver {
public:
    void Started(std::int64_t, std::int64_t) override {}
    void Progress(std::int64_t) override {}
    bool StopRequested() override { return false; }
};

struct Key {
    explicit Key(const std::string& passphrase) {
        PassphraseDigest().DigestBytes(passphrase.data(), static_cast<std::ptrdiff_t>(passphrase.size()), bytes);
    }
    std::uint8_t bytes[64];
};

JobResult RunJob(SimulatedDisk& disk, JobMode mode, const JobTuning& tuning) {
    NoObserver observer;
    InPlaceJob job(disk, tuning, observer);
    return job.Run(kFile, mode, Key("crash").bytes);
}

// A resume can itself be cut short: one crash of it, at a random point with
// a random choice of surviving writes, and the next resume still finishes
// the file exactly.
void CheckACrashOfTheResume(const DiskState& found, const std::vector<Event>& log, const JobTuning& tuning,
                            const Bytes& target, std::mt19937& random) {
    const CrashPoint point = CrashAfter(found, log, random() % (log.size() + 1));
    std::vector<int> choice(point.pieces.size());
    for (int& c : choice) c = static_cast<int>(random() % 3);
    const DiskState again = Surviving(point, choice, random() % 2 == 0);
    if (again.names.count(JournalPathBeside(kFile)) == 0) {
        EXPECT_EQ(again.files.at(1), target) << "the journal went before the file was finished";
        return;
    }
    SimulatedDisk disk(again);
    ASSERT_EQ(RunJob(disk, JobMode::kResume, tuning).step, JobStep::kDone);
    ASSERT_EQ(disk.State().files.at(1), target);
}

struct Scenario {
    std::size_t size;
    std::int64_t windowBytes;
    bool encrypt;
    std::size_t crashPoints;  // 0: every one
};

// Runs the job once to record it, then every chosen crash of it.
void CheckEveryCrash(const Scenario& s) {
    const JobTuning tuning{s.windowBytes, 1};
    const Bytes original = PatternBytes(s.size, static_cast<unsigned>(s.size));
    const Bytes target = ReferenceFileCipher(original, "crash", s.encrypt);
    DiskState start;
    start.names[kFile] = 1;
    start.files[1] = original;
    SimulatedDisk recorded(start);
    ASSERT_EQ(RunJob(recorded, s.encrypt ? JobMode::kEncrypt : JobMode::kDecrypt, tuning).step, JobStep::kDone);
    ASSERT_EQ(recorded.State().files.at(1), target);
    const std::string journal = JournalPathBeside(kFile);

    std::mt19937 random(static_cast<unsigned>(s.size));
    std::vector<std::size_t> points;
    for (std::size_t k = 0; k <= recorded.log.size(); ++k) points.push_back(k);
    if (s.crashPoints != 0 && points.size() > s.crashPoints) {
        std::shuffle(points.begin(), points.end(), random);
        points.resize(s.crashPoints);
    }
    for (std::size_t k : points) {
        const CrashPoint point = CrashAfter(start, recorded.log, k);
        for (const std::vector<int>& choice : Choices(point.pieces.size(), random)) {
            for (bool folderChanges : {false, true}) {
                if (folderChanges && point.folderChanges.empty()) continue;
                const DiskState found = Surviving(point, choice, folderChanges);
                const Bytes& file = found.files.at(1);
                SCOPED_TRACE("crash after event " + std::to_string(k) + " of " + std::to_string(recorded.log.size()));
                if (found.names.count(journal) == 0) {
                    EXPECT_TRUE(file == original || file == target) << "the file was touched without a journal";
                    continue;
                }
                SimulatedDisk disk(found);
                const JobResult result = RunJob(disk, JobMode::kResume, tuning);
                if (result.step == JobStep::kNotStarted) {
                    EXPECT_EQ(file, original);
                } else {
                    ASSERT_EQ(result.step, JobStep::kDone);
                    ASSERT_EQ(disk.State().files.at(1), target);
                    CheckACrashOfTheResume(found, disk.log, tuning, target, random);
                }
                EXPECT_EQ(disk.State().names.count(journal), 0u);
            }
        }
    }
}

TEST(CrashSimulator, EveryCrashOfASmallJobIsFinishedExactly) {
    for (bool encrypt : {true, false}) {
        for (std::size_t size : {0, 1, 511, 512, 513, 1024, 3 * 1024 + 7}) {
            SCOPED_TRACE(std::string(encrypt ? "encrypt " : "decrypt ") + std::to_string(size) + " bytes");
            CheckEveryCrash({size, 1024, encrypt, 0});
        }
    }
}

// Chunk-sized windows, a file that ends just past a chunk and one of three
// windows, with sampled crashes: a chunk written is 512 sectors pending.
TEST(CrashSimulator, SampledCrashesOfALargeJobAreFinishedExactly) {
    const std::size_t chunk = kJobChunkSize;
    for (bool encrypt : {true, false}) {
        for (std::size_t size : {chunk + 1, 2 * chunk + 5}) {
            SCOPED_TRACE(std::string(encrypt ? "encrypt " : "decrypt ") + std::to_string(size) + " bytes");
            CheckEveryCrash({size, static_cast<std::int64_t>(chunk), encrypt, 3});
        }
    }
}

}  // namespace
}  // namespace arkseal
