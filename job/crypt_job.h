// The job block: the one record through which the main dialog hands a job
// to the worker and follows it.
//
// The dialog fills it before it starts the worker and afterwards only reads
// it, except for stopRequested; while the worker runs, the worker alone
// writes fileLength, started, position, done and result. The first four are
// atomic, so that the dialog never reads them torn; result is written before
// done and read only after it: the worker stores result, position, then
// done, then posts WM_JOB_PROGRESS. Offsets and the length are 64-bit, so
// files of any size work.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <arkseal/job/job_mode.h>
#include <arkseal/job/job_result.h>
#include <arkseal/ui/core/messages.h>
#include <arkseal/ui/core/window.h>

namespace arkseal {

// Posted to owner after every chunk, and once more when a failed job ends;
// both parameters are 0.
inline constexpr unsigned WM_JOB_PROGRESS = WM_USER + 67;

class CryptJob {
public:
    // Buffers of maxFileName + 1 and maxPassphrase + 1 bytes.
    CryptJob(std::size_t maxFileName, std::size_t maxPassphrase);
    ~CryptJob();
    CryptJob(const CryptJob&) = delete;
    CryptJob& operator=(const CryptJob&) = delete;

    // Copy 8-bit text into fileName / passphrase, terminated. Text longer
    // than the buffer is refused (false, buffer unchanged), never cut
    // short: a shortened path can name another existing file; so is a
    // passphrase with a NUL byte in it. The passphrase buffer lies on
    // secret pages (job/secret_memory.h).
    bool SetFileName(std::string_view text);
    bool SetPassphrase(std::string_view text);
    // Overwrites the whole passphrase buffer with zeros.
    void ClearPassphrase();

    Window* owner = nullptr;           // receives WM_JOB_PROGRESS, owns the worker's message boxes
    JobMode mode = JobMode::kDecrypt;  // what the worker does to the file
    char* const fileName;
    char* const passphrase;
    std::atomic<std::int64_t> position{0};    // bytes transformed so far; offset of the next chunk
    std::atomic<std::int64_t> fileLength{0};  // measured by the worker when it opens the file
    std::atomic<std::uint8_t> started{0};     // the worker has keyed the cipher
    std::atomic<std::uint8_t> done{0};        // the job has ended; the file is closed
    std::atomic<bool> stopRequested{false};   // set by anyone: the worker stops at the next chunk boundary
    JobResult result;                         // written by the worker before done
    // Why the job ended early: the text of the worker's message box (a stop
    // has the same words without a box), written before done; empty when the
    // whole file was done. The dialog clears it at each start.
    std::string failure;

    const std::size_t maxFileName;
    const std::size_t maxPassphrase;
};

}  // namespace arkseal
