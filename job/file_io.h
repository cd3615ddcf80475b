// The file calls of the job, behind a seam: the job goes through the
// current FileIo, whose default makes the system calls on descriptors. A
// test installs a derived one that fails at a chosen call, as a failing
// device would, or records every write and sync to replay a crash.
//
// The virtual calls are the bare system calls (-1 and errno on failure, the
// count of one call otherwise); the free functions below add what the job
// needs on top: EINTR and short counts retried.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include <arkseal/job/file_claim.h>

namespace arkseal {

class FileIo {
public:
    virtual ~FileIo() = default;

    virtual int Open(const char* path, int flags, mode_t mode);
    virtual int Fstat(int fd, struct stat* status);
    virtual int Stat(const char* path, struct stat* status);
    virtual ssize_t Pread(int fd, void* buffer, std::size_t size, off_t offset);
    virtual ssize_t Pwrite(int fd, const void* buffer, std::size_t size, off_t offset);
    virtual int Fdatasync(int fd);
    virtual int Fsync(int fd);
    // Starts writing the range back to the disk without waiting for it, so
    // that a later sync finds it done; a hint, its failure is harmless.
    virtual int StartWriteback(int fd, off_t offset, off_t length);
    virtual int Close(int fd);
    virtual int Unlink(const char* path);
    // ClaimForJob (job/file_claim.h): a regular file, locked for the job.
    virtual FileClaim Claim(int fd);
};

// The FileIo the job uses.
FileIo& WorkerFileIo();
// Installs io for the job and returns the previous one (null: the system's);
// null restores the system's.
FileIo* SetWorkerFileIo(FileIo* io);

// Reads size bytes at offset, retrying interrupted calls and short counts;
// returns the count, short only at the end of the file, or -1 (errno set).
std::int64_t ReadAt(FileIo& io, int fd, void* buffer, std::size_t size, std::int64_t offset);
// Writes size bytes at offset, retrying the same way; returns how many
// reached the file: fewer than size on failure (errno set).
std::size_t WriteAt(FileIo& io, int fd, const void* buffer, std::size_t size, std::int64_t offset);
// fdatasync, retried when interrupted.
bool SyncData(FileIo& io, int fd);
// Makes the folder's entries durable: a created or removed name survives a
// power cut only once its folder is synced.
bool SyncFolderOf(FileIo& io, const std::string& path);

}  // namespace arkseal
