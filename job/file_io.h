// The file calls of the worker, behind a seam: the worker goes through the
// current FileIo, whose default is the C library. A test installs a derived
// one that fails at a chosen call, as a failing device would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace arkseal {

class FileIo {
public:
    virtual ~FileIo() = default;

    // Null on failure; errno tells why (as for every call below).
    virtual std::FILE* Open(const char* name, const char* mode);
    virtual bool Seek(std::FILE* file, std::int64_t offset, int origin);
    // -1 on failure.
    virtual std::int64_t Tell(std::FILE* file);
    // Reads up to size bytes; *count receives how many came. False on a read
    // error; true with a short count at the end of the file.
    virtual bool Read(std::FILE* file, void* buffer, std::size_t size, std::size_t* count);
    // The number of bytes written; fewer than size on failure.
    virtual std::size_t Write(std::FILE* file, const void* buffer, std::size_t size);
    virtual bool Flush(std::FILE* file);
    // Makes the written data durable (fsync).
    virtual bool Sync(std::FILE* file);
    // Releases the stream in every case; false when the close failed.
    virtual bool Close(std::FILE* file);
};

// The FileIo the worker uses.
FileIo& WorkerFileIo();
// Installs io for the worker and returns the previous one (null: the C
// library's); null restores the C library's.
FileIo* SetWorkerFileIo(FileIo* io);

}  // namespace arkseal
