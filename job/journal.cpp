#include <arkseal/job/journal.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <arkseal/crypto/passphrase_digest.h>

namespace arkseal {

namespace {

constexpr char kMagic[16] = {'A', 'R', 'K', 'S', 'E', 'A', 'L', ' ', 'J', 'O', 'U', 'R', 'N', 'A', 'L', '\0'};
constexpr std::uint32_t kVersion = 1;
constexpr std::int64_t kHeaderBytes = 4096;
constexpr std::size_t kChecksumBytes = 16;
constexpr std::size_t kMaxName = 255;
constexpr std::size_t kRecordFixedBytes = 64;

// Header fields, at these offsets; the checksum covers everything before it.
enum HeaderOffset : std::size_t {
    kVersionAt = 16,
    kDirectionAt = 20,
    kDeviceAt = 24,
    kInodeAt = 32,
    kLengthAt = 40,
    kWindowAt = 48,
    kRoundsAt = 56,
    kSaltAt = 64,
    kCheckAt = 80,
    kStartedAt = 112,
    kNameLengthAt = 120,
    kNameAt = 124,
    kHeaderChecksumAt = kHeaderBytes - kChecksumBytes,
};

// Record fields; the checksum covers the fields before it and the tags.
enum RecordOffset : std::size_t {
    kSequenceAt = 0,
    kCommittedAt = 8,
    kWindowEndAt = 16,
    kRegisterAt = 24,
    kTagCountAt = 40,
    kRecordChecksumAt = 48,
    kTagsAt = kRecordFixedBytes,
};

void Put(std::uint8_t* at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t Get(const std::uint8_t* at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return value;
}

void Checksum(const std::uint8_t* first, std::size_t firstSize, const std::uint8_t* second, std::size_t secondSize,
              std::uint8_t out[kChecksumBytes]) {
    std::vector<std::uint8_t> data(first, first + firstSize);
    data.insert(data.end(), second, second + secondSize);
    std::uint8_t digest[64];
    PassphraseDigest().DigestBytes(data.data(), static_cast<std::ptrdiff_t>(data.size()), digest);
    std::memcpy(out, digest, kChecksumBytes);
}

std::vector<std::uint8_t> EncodeHeader(const JournalHeader& header) {
    std::vector<std::uint8_t> bytes(kHeaderBytes, 0);
    std::uint8_t* b = bytes.data();
    std::memcpy(b, kMagic, sizeof kMagic);
    Put(b + kVersionAt, kVersion, 4);
    Put(b + kDirectionAt, header.encrypt ? 1 : 0, 4);
    Put(b + kDeviceAt, header.device, 8);
    Put(b + kInodeAt, header.inode, 8);
    Put(b + kLengthAt, static_cast<std::uint64_t>(header.length), 8);
    Put(b + kWindowAt, static_cast<std::uint64_t>(header.windowBytes), 8);
    Put(b + kRoundsAt, header.rounds, 4);
    std::memcpy(b + kSaltAt, header.salt, 16);
    std::memcpy(b + kCheckAt, header.check, 32);
    Put(b + kStartedAt, static_cast<std::uint64_t>(header.startedAt), 8);
    const std::size_t nameLength = std::min(header.name.size(), kMaxName);
    Put(b + kNameLengthAt, nameLength, 4);
    std::memcpy(b + kNameAt, header.name.data(), nameLength);
    Checksum(b, kHeaderChecksumAt, nullptr, 0, b + kHeaderChecksumAt);
    return bytes;
}

bool DecodeHeader(const std::uint8_t* b, JournalHeader* header) {
    std::uint8_t sum[kChecksumBytes];
    Checksum(b, kHeaderChecksumAt, nullptr, 0, sum);
    if (std::memcmp(sum, b + kHeaderChecksumAt, kChecksumBytes) != 0) return false;
    if (std::memcmp(b, kMagic, sizeof kMagic) != 0 || Get(b + kVersionAt, 4) != kVersion) return false;
    header->encrypt = Get(b + kDirectionAt, 4) != 0;
    header->device = Get(b + kDeviceAt, 8);
    header->inode = Get(b + kInodeAt, 8);
    header->length = static_cast<std::int64_t>(Get(b + kLengthAt, 8));
    header->windowBytes = static_cast<std::int64_t>(Get(b + kWindowAt, 8));
    header->rounds = static_cast<std::uint32_t>(Get(b + kRoundsAt, 4));
    std::memcpy(header->salt, b + kSaltAt, 16);
    std::memcpy(header->check, b + kCheckAt, 32);
    header->startedAt = static_cast<std::int64_t>(Get(b + kStartedAt, 8));
    const std::size_t nameLength = std::min<std::size_t>(Get(b + kNameLengthAt, 4), kMaxName);
    header->name.assign(reinterpret_cast<const char*>(b + kNameAt), nameLength);
    return header->length >= 0 && header->windowBytes > 0 && header->windowBytes % kSectorBytes == 0;
}

std::vector<std::uint8_t> EncodeRecord(const JournalRecord& record) {
    std::vector<std::uint8_t> bytes(kRecordFixedBytes + 8 * record.tags.size(), 0);
    std::uint8_t* b = bytes.data();
    Put(b + kSequenceAt, record.sequence, 8);
    Put(b + kCommittedAt, static_cast<std::uint64_t>(record.committed), 8);
    Put(b + kWindowEndAt, static_cast<std::uint64_t>(record.windowEnd), 8);
    std::memcpy(b + kRegisterAt, record.sealedRegister, 16);
    Put(b + kTagCountAt, record.tags.size(), 8);
    for (std::size_t i = 0; i < record.tags.size(); ++i) Put(b + kTagsAt + 8 * i, record.tags[i], 8);
    Checksum(b, kRecordChecksumAt, b + kTagsAt, 8 * record.tags.size(), b + kRecordChecksumAt);
    return bytes;
}

std::string StateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/arkseal";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/arkseal";
    return {};
}

// mkdir -p, the last level private to the user.
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

bool Exists(FileIo& io, const std::string& path) {
    struct stat status {};
    return !path.empty() && io.Stat(path.c_str(), &status) == 0;
}

}  // namespace

std::int64_t FirstSector(std::int64_t begin) { return begin / kSectorBytes; }

std::int64_t SectorCount(std::int64_t begin, std::int64_t end) {
    if (end <= begin) return 0;
    return (end + kSectorBytes - 1) / kSectorBytes - FirstSector(begin);
}

std::string JournalPathBeside(const std::string& file) {
    const std::size_t slash = file.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : file.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    return folder + "." + name + ".arkseal-journal";
}

std::string JournalPathInStateFolder(std::uint64_t device, std::uint64_t inode) {
    const std::string folder = StateFolder();
    if (folder.empty()) return {};
    return folder + "/" + std::to_string(device) + "-" + std::to_string(inode) + ".journal";
}

std::optional<UnfinishedJob> LookForUnfinishedJob(FileIo& io, const std::string& file) {
    struct stat status {};
    if (io.Stat(file.c_str(), &status) != 0) return std::nullopt;
    const std::optional<std::string> path = Journal::Find(io, file, status.st_dev, status.st_ino);
    if (!path) return std::nullopt;
    UnfinishedJob job;
    Journal journal(io);
    if (journal.Open(*path) == Journal::OpenResult::kOpened) {
        job.encrypt = journal.Header().encrypt;
        job.done = journal.Current().committed;
        job.length = journal.Header().length;
        job.startedAt = journal.Header().startedAt;
    }
    return job;
}

Journal::~Journal() {
    if (fd_ >= 0) io_.Close(fd_);
}

std::optional<std::string> Journal::Find(FileIo& io, const std::string& file, std::uint64_t device,
                                         std::uint64_t inode) {
    const std::string beside = JournalPathBeside(file);
    if (Exists(io, beside)) return beside;
    const std::string stored = JournalPathInStateFolder(device, inode);
    if (Exists(io, stored)) return stored;
    return std::nullopt;
}

bool Journal::Create(const std::string& file, const JournalHeader& header) {
    path_ = JournalPathBeside(file);
    fd_ = io_.Open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd_ < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        path_ = JournalPathInStateFolder(header.device, header.inode);
        const std::size_t slash = path_.find_last_of('/');
        if (path_.empty() || !MakeFolders(path_.substr(0, slash))) return false;
        fd_ = io_.Open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    }
    if (fd_ < 0) return false;
    header_ = header;
    const std::vector<std::uint8_t> bytes = EncodeHeader(header);
    if (WriteAt(io_, fd_, bytes.data(), bytes.size(), 0) == bytes.size() && SyncData(io_, fd_) &&
        SyncFolderOf(io_, path_)) {
        return true;
    }
    // Half a journal must not pass for an unfinished job.
    const int error = errno;
    io_.Close(fd_);
    fd_ = -1;
    io_.Unlink(path_.c_str());
    errno = error == EEXIST ? EIO : error;
    return false;
}

Journal::OpenResult Journal::Open(const std::string& journalPath) {
    path_ = journalPath;
    fd_ = io_.Open(path_.c_str(), O_RDWR, 0);
    if (fd_ < 0) return errno == ENOENT ? OpenResult::kMissing : OpenResult::kFailed;
    std::vector<std::uint8_t> bytes(kHeaderBytes);
    const std::int64_t count = ReadAt(io_, fd_, bytes.data(), bytes.size(), 0);
    if (count < 0) return OpenResult::kFailed;
    if (count < kHeaderBytes || !DecodeHeader(bytes.data(), &header_)) {
        // The header is synced before any record is written: without one,
        // the job never began to change its file.
        struct stat status {};
        if (io_.Fstat(fd_, &status) != 0) return OpenResult::kFailed;
        return status.st_size <= kHeaderBytes ? OpenResult::kNoRecord : OpenResult::kDamaged;
    }
    JournalRecord records[2];
    bool valid[2];
    for (int slot = 0; slot < 2; ++slot) valid[slot] = ReadRecord(slot, &records[slot]);
    if (!valid[0] && !valid[1]) return OpenResult::kNoRecord;
    const int latest = !valid[1] || (valid[0] && records[0].sequence > records[1].sequence) ? 0 : 1;
    current_ = records[latest];
    return OpenResult::kOpened;
}

std::int64_t Journal::SlotBytes() const {
    const std::int64_t bytes = static_cast<std::int64_t>(kRecordFixedBytes) + 8 * (header_.windowBytes / kSectorBytes);
    return (bytes + kHeaderBytes - 1) / kHeaderBytes * kHeaderBytes;
}

bool Journal::ReadRecord(int slot, JournalRecord* record) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(SlotBytes()));
    const std::int64_t offset = kHeaderBytes + slot * SlotBytes();
    const std::int64_t count = ReadAt(io_, fd_, bytes.data(), bytes.size(), offset);
    if (count < static_cast<std::int64_t>(kRecordFixedBytes)) return false;
    const std::uint8_t* b = bytes.data();
    const std::uint64_t tagCount = Get(b + kTagCountAt, 8);
    if (tagCount > static_cast<std::uint64_t>(header_.windowBytes / kSectorBytes) ||
        static_cast<std::int64_t>(kRecordFixedBytes + 8 * tagCount) > count) {
        return false;
    }
    std::uint8_t sum[kChecksumBytes];
    Checksum(b, kRecordChecksumAt, b + kTagsAt, 8 * tagCount, sum);
    if (std::memcmp(sum, b + kRecordChecksumAt, kChecksumBytes) != 0) return false;
    record->sequence = Get(b + kSequenceAt, 8);
    record->committed = static_cast<std::int64_t>(Get(b + kCommittedAt, 8));
    record->windowEnd = static_cast<std::int64_t>(Get(b + kWindowEndAt, 8));
    std::memcpy(record->sealedRegister, b + kRegisterAt, 16);
    record->tags.resize(tagCount);
    for (std::uint64_t i = 0; i < tagCount; ++i) record->tags[i] = Get(b + kTagsAt + 8 * i, 8);
    return record->sequence > 0 && record->committed >= 0 && record->committed <= record->windowEnd &&
           record->windowEnd <= header_.length &&
           static_cast<std::int64_t>(tagCount) == SectorCount(record->committed, record->windowEnd);
}

bool Journal::Write(const JournalRecord& record) {
    const std::vector<std::uint8_t> bytes = EncodeRecord(record);
    const std::int64_t offset = kHeaderBytes + static_cast<std::int64_t>(record.sequence % 2) * SlotBytes();
    if (WriteAt(io_, fd_, bytes.data(), bytes.size(), offset) != bytes.size()) return false;
    if (!SyncData(io_, fd_)) return false;
    current_ = record;
    return true;
}

bool Journal::Remove() {
    io_.Close(fd_);
    fd_ = -1;
    if (io_.Unlink(path_.c_str()) != 0) return false;
    return SyncFolderOf(io_, path_);
}

}  // namespace arkseal
