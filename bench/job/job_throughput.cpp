// Times whole jobs against two peers measured in the same run: a file is
// encrypted in place and decrypted again by the worker, exactly as the
// dialog runs it, and set beside
//   - StreamCipher runs over the same number of bytes in memory: the
//     worker's whole overhead (reads, writes, progress posts, journal,
//     syncs) should cost at most 5%, a ratio of at least 0.95;
//   - the same rewrite without a journal (read, transform and write each
//     chunk, one fdatasync at the end, as the job did before it became
//     recoverable): the journal, its records and the sync per window should
//     cost at most 5% too.
//
// The machine is shared, so each figure is the best of several rounds, the
// three taking turns within each round.
//
// It also prints the process's peak resident memory, which must not grow
// with the file size (the job holds one window of at most 16 MiB).
//
//   job_throughput [MiB] [rounds] [folder]   (default 256, 3 and /tmp; use a folder on a real disk)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <arkseal/bench/job/bench_file.h>
#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/stream_cipher.h>
#include <arkseal/job/crypt_job.h>
#include <arkseal/job/file_io.h>
#include <arkseal/job/journal.h>
#include <arkseal/job/transform_file_thread.h>
#include <arkseal/ui/core/message_box.h>
#include <arkseal/ui/core/worker_thread.h>

namespace arkseal {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPassphrase = "benchmark passphrase";

// Counts the worker's posts, as the dialog would receive them.
class CountingWindow : public Window {
public:
    bool Post(unsigned, WPARAM, LPARAM) override {
        ++posts;
        return true;
    }
    std::atomic<long> posts{0};
};

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// FNV-1a over the file, to see that the decryption restored it.
std::uint64_t FileChecksum(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::vector<unsigned char> buffer(1 << 20);
    std::uint64_t hash = 1469598103934665603ull;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
        for (std::size_t i = 0; i < n; ++i) hash = (hash ^ buffer[i]) * 1099511628211ull;
    }
    std::fclose(file);
    return hash;
}

// The bare cipher over the same byte count, chunk by chunk in one buffer.
double RawSeconds(std::int64_t bytes, bool encrypt) {
    std::uint8_t digest[64];
    PassphraseDigest().DigestBytes(kPassphrase, static_cast<std::ptrdiff_t>(std::string(kPassphrase).size()), digest);
    StreamCipher cipher;
    cipher.SetKey(digest);
    cipher.ResetIv();
    std::vector<std::uint8_t> chunk(kJobChunkSize, 0x5A);
    const auto start = Clock::now();
    for (std::int64_t done = 0; done < bytes; done += static_cast<std::int64_t>(kJobChunkSize)) {
        const auto n =
            static_cast<std::ptrdiff_t>(std::min<std::int64_t>(bytes - done, static_cast<std::int64_t>(kJobChunkSize)));
        if (encrypt) {
            cipher.EncryptRun(chunk.data(), n);
        } else {
            cipher.DecryptRun(chunk.data(), n);
        }
    }
    return Seconds(start);
}

// The rewrite without a journal: the same chunks, the same cipher, one
// sync at the end.
double BareSeconds(const std::string& path, bool encrypt) {
    const auto start = Clock::now();
    std::uint8_t digest[64];
    PassphraseDigest().DigestBytes(kPassphrase, static_cast<std::ptrdiff_t>(std::string(kPassphrase).size()), digest);
    StreamCipher cipher;
    cipher.SetKey(digest);
    FileIo& io = WorkerFileIo();
    const int fd = io.Open(path.c_str(), O_RDWR, 0);
    std::vector<std::uint8_t> chunk(kJobChunkSize);
    for (std::int64_t at = 0;; at += static_cast<std::int64_t>(kJobChunkSize)) {
        const std::int64_t n = ReadAt(io, fd, chunk.data(), chunk.size(), at);
        if (n <= 0) break;
        if (encrypt) {
            cipher.EncryptRun(chunk.data(), n);
        } else {
            cipher.DecryptRun(chunk.data(), n);
        }
        if (WriteAt(io, fd, chunk.data(), static_cast<std::size_t>(n), at) != static_cast<std::size_t>(n)) std::abort();
    }
    if (!SyncData(io, fd)) std::abort();
    io.Close(fd);
    return Seconds(start);
}

double JobSeconds(CryptJob& job, CountingWindow& window, const std::string& path, bool encrypt) {
    job.SetFileName(path);
    job.SetPassphrase(kPassphrase);
    job.position = 0;
    job.started = 0;
    job.done = 0;
    job.owner = &window;
    job.mode = encrypt ? JobMode::kEncrypt : JobMode::kDecrypt;
    const auto start = Clock::now();
    WaitForThread(BeginThread(TransformFileThread, &job));
    return Seconds(start);
}

int Run(std::int64_t mebibytes, int rounds, const std::string& folder) {
    const std::int64_t bytes = mebibytes << 20;
    std::vector<std::string> messages;
    SetMessageBoxPresenter([&](Window*, const std::string&, const std::string& text) { messages.push_back(text); });
    const std::string path = bench::MakeBenchFile(bytes, folder);
    const std::uint64_t before = FileChecksum(path);
    const long peakBefore = PeakResidentKiB();

    CryptJob job(256, 256);
    CountingWindow window;
    double rawEncrypt = 1e30, jobEncrypt = 1e30, rawDecrypt = 1e30, jobDecrypt = 1e30;
    double bareEncrypt = 1e30, bareDecrypt = 1e30;
    for (int round = 0; round < rounds; ++round) {
        rawEncrypt = std::min(rawEncrypt, RawSeconds(bytes, true));
        jobEncrypt = std::min(jobEncrypt, JobSeconds(job, window, path, true));
        bareDecrypt = std::min(bareDecrypt, BareSeconds(path, false));
        bareEncrypt = std::min(bareEncrypt, BareSeconds(path, true));
        rawDecrypt = std::min(rawDecrypt, RawSeconds(bytes, false));
        jobDecrypt = std::min(jobDecrypt, JobSeconds(job, window, path, false));
    }
    const bool restored = FileChecksum(path) == before;
    std::remove(path.c_str());

    const double mib = static_cast<double>(mebibytes);
    const double raw = 2 * mib / (rawEncrypt + rawDecrypt);
    const double whole = 2 * mib / (jobEncrypt + jobDecrypt);
    const double bare = 2 * mib / (bareEncrypt + bareDecrypt);
    std::printf("file: %lld MiB under %s, encrypted in place and decrypted again; best of %d rounds\n",
                static_cast<long long>(mebibytes), folder.c_str(), rounds);
    std::printf("StreamCipher in memory: encrypt %.1f MiB/s, decrypt %.1f MiB/s, both %.1f MiB/s\n", mib / rawEncrypt,
                mib / rawDecrypt, raw);
    std::printf("whole job:              encrypt %.1f MiB/s, decrypt %.1f MiB/s, both %.1f MiB/s\n", mib / jobEncrypt,
                mib / jobDecrypt, whole);
    std::printf("without the journal:    encrypt %.1f MiB/s, decrypt %.1f MiB/s, both %.1f MiB/s\n", mib / bareEncrypt,
                mib / bareDecrypt, bare);
    std::printf("job / cipher ratio: %.3f (target >= 0.95)\n", whole / raw);
    std::printf("job / job without journal ratio: %.3f (target >= 0.95; window %lld MiB)\n", whole / bare,
                static_cast<long long>(kJobWindowBytes >> 20));
    std::printf("progress posts: %ld (expected %lld)\n", window.posts.load(),
                static_cast<long long>(2 * rounds * (bytes / static_cast<std::int64_t>(kJobChunkSize) + 1)));
    std::printf("peak resident memory: %ld KiB before the jobs, %ld KiB after\n", peakBefore, PeakResidentKiB());
    std::printf("file restored: %s; messages: %zu\n", restored ? "yes" : "NO", messages.size());
    return restored && messages.empty() && whole / raw >= 0.95 && whole / bare >= 0.95 ? 0 : 1;
}

}  // namespace
}  // namespace arkseal

int main(int argc, char** argv) {
    return arkseal::Run(argc > 1 ? std::atoll(argv[1]) : 256, argc > 2 ? std::max(1, std::atoi(argv[2])) : 3,
                        argc > 3 ? argv[3] : "/tmp");
}
