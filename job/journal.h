// The journal of an in-place job: what is needed to finish the job after a
// crash, a kill, a power cut or an I/O failure, and nothing secret. Its
// format and guarantees are described in docs/file-format.md.
//
// The file holds a header, written once before the first byte of the job's
// file changes, and two record slots written in turn: a record is written
// whole into the slot the previous one does not use and synced, so that a
// torn record leaves its predecessor valid. Header and records carry a
// checksum; the valid record with the highest sequence is the current one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <arkseal/job/file_io.h>

namespace arkseal {

// Tags cover sectors of this size, aligned to file offsets: the unit a disk
// writes whole.
inline constexpr std::int64_t kSectorBytes = 512;
// The most bytes transformed between two durable records: the most a crash
// makes a resume redo, and what the job keeps in memory.
inline constexpr std::int64_t kJobWindowBytes = std::int64_t{16} << 20;

struct JournalHeader {
    bool encrypt = true;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t length = 0;  // the job's length: the file's length when it started
    std::int64_t windowBytes = kJobWindowBytes;
    std::uint32_t rounds = 0;  // of the slow derivation of the secrets
    std::uint8_t salt[16] = {};
    std::uint8_t check[32] = {};
    std::int64_t startedAt = 0;  // seconds since 1970
    std::string name;            // the file's name when the job started, without its folder
};

// All bytes before `committed` are transformed and durable. The window
// [committed, windowEnd) may be partly written: each sector of it either
// still holds its old content or already its new one, and tags[i] (sector
// committed / 512 + i) tells the new one. The cipher register at
// `committed` is stored sealed.
struct JournalRecord {
    std::uint64_t sequence = 0;
    std::int64_t committed = 0;
    std::int64_t windowEnd = 0;
    std::uint8_t sealedRegister[16] = {};
    std::vector<std::uint64_t> tags;
};

// The first sector and the number of sectors that [begin, end) touches.
std::int64_t FirstSector(std::int64_t begin);
std::int64_t SectorCount(std::int64_t begin, std::int64_t end);

// Where a file's journal lives: beside it when its folder is writable, so
// that it travels with the file; otherwise under $XDG_STATE_HOME/arkseal/
// (~/.local/state/arkseal/), named after the file's device and inode.
std::string JournalPathBeside(const std::string& file);
std::string JournalPathInStateFolder(std::uint64_t device, std::uint64_t inode);

// What the user is told of an unfinished job before finishing it.
struct UnfinishedJob {
    bool encrypt = true;
    std::int64_t done = 0;  // bytes transformed and on disk
    std::int64_t length = 0;
    std::int64_t startedAt = 0;  // seconds since 1970; 0 when the journal cannot tell
};

// The file's unfinished job, read from its journal without the passphrase;
// nothing when the file has none.
std::optional<UnfinishedJob> LookForUnfinishedJob(FileIo& io, const std::string& file);

class Journal {
public:
    explicit Journal(FileIo& io) : io_(io) {}
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // The path of the file's existing journal, or nothing.
    static std::optional<std::string> Find(FileIo& io, const std::string& file, std::uint64_t device,
                                           std::uint64_t inode);

    // Creates the journal (beside the file, or in the state folder), writes
    // the header and makes it and its name durable. False with errno set;
    // EEXIST when the file already has one.
    bool Create(const std::string& file, const JournalHeader& header);
    // Opens an existing journal and reads its header and current record.
    enum class OpenResult { kOpened, kMissing, kNoRecord, kDamaged, kFailed };
    OpenResult Open(const std::string& journalPath);

    // Writes the record into the slot its sequence selects and syncs it.
    bool Write(const JournalRecord& record);
    // Closes and removes the journal durably.
    bool Remove();

    const JournalHeader& Header() const { return header_; }
    const JournalRecord& Current() const { return current_; }
    const std::string& Path() const { return path_; }

private:
    std::int64_t SlotBytes() const;
    bool ReadRecord(int slot, JournalRecord* record);

    FileIo& io_;
    int fd_ = -1;
    std::string path_;
    JournalHeader header_;
    JournalRecord current_;
};

}  // namespace arkseal
