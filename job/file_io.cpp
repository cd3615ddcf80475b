#include "job/file_io.h"

#include <sys/types.h>
#include <unistd.h>

#include <atomic>

namespace arkseal {

namespace {

FileIo standardFileIo;
std::atomic<FileIo*> installed{nullptr};

}  // namespace

std::FILE* FileIo::Open(const char* name, const char* mode) { return std::fopen(name, mode); }

bool FileIo::Seek(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t FileIo::Tell(std::FILE* file) { return ftello(file); }

bool FileIo::Read(std::FILE* file, void* buffer, std::size_t size, std::size_t* count) {
    *count = std::fread(buffer, 1, size, file);
    return *count == size || !std::ferror(file);
}

std::size_t FileIo::Write(std::FILE* file, const void* buffer, std::size_t size) {
    return std::fwrite(buffer, 1, size, file);
}

bool FileIo::Flush(std::FILE* file) { return std::fflush(file) == 0; }

bool FileIo::Sync(std::FILE* file) { return fsync(fileno(file)) == 0; }

bool FileIo::Close(std::FILE* file) { return std::fclose(file) == 0; }

FileIo& WorkerFileIo() {
    FileIo* io = installed.load();
    return io != nullptr ? *io : standardFileIo;
}

FileIo* SetWorkerFileIo(FileIo* io) { return installed.exchange(io); }

}  // namespace arkseal
