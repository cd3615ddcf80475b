#include <arkseal/job/file_io.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace arkseal {

namespace {

FileIo systemFileIo;
std::atomic<FileIo*> installed{nullptr};

}  // namespace

int FileIo::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags | O_CLOEXEC, mode); }

int FileIo::Fstat(int fd, struct stat* status) { return ::fstat(fd, status); }

int FileIo::Stat(const char* path, struct stat* status) { return ::stat(path, status); }

ssize_t FileIo::Pread(int fd, void* buffer, std::size_t size, off_t offset) {
    return ::pread(fd, buffer, size, offset);
}

ssize_t FileIo::Pwrite(int fd, const void* buffer, std::size_t size, off_t offset) {
    return ::pwrite(fd, buffer, size, offset);
}

int FileIo::Fdatasync(int fd) { return ::fdatasync(fd); }

int FileIo::Fsync(int fd) { return ::fsync(fd); }

int FileIo::StartWriteback(int fd, off_t offset, off_t length) {
    return ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
}

int FileIo::Close(int fd) { return ::close(fd); }

int FileIo::Unlink(const char* path) { return ::unlink(path); }

FileClaim FileIo::Claim(int fd) { return ClaimForJob(fd); }

FileIo& WorkerFileIo() {
    FileIo* io = installed.load();
    return io != nullptr ? *io : systemFileIo;
}

FileIo* SetWorkerFileIo(FileIo* io) { return installed.exchange(io); }

std::int64_t ReadAt(FileIo& io, int fd, void* buffer, std::size_t size, std::int64_t offset) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = io.Pread(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::size_t WriteAt(FileIo& io, int fd, const void* buffer, std::size_t size, std::int64_t offset) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = io.Pwrite(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        if (n == 0) {
            errno = ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool SyncData(FileIo& io, int fd) {
    for (;;) {
        if (io.Fdatasync(fd) == 0) return true;
        if (errno != EINTR) return false;
    }
}

bool SyncFolderOf(FileIo& io, const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = io.Open(folder.c_str(), O_RDONLY | O_DIRECTORY, 0);
    if (fd < 0) return false;
    int result;
    while ((result = io.Fsync(fd)) != 0 && errno == EINTR) {
    }
    const int error = errno;
    io.Close(fd);
    errno = error;
    return result == 0;
}

}  // namespace arkseal
