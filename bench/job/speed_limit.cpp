// How close the file job comes to the format's speed limit.
//
// The format chains one AES-256 encipherment per byte: the register that
// enciphers byte k+1 holds the ciphertext of byte k. Nothing can overlap two
// of them, so the limit on one core is one AES-256 latency (plus the one
// instruction that shifts the fed-back byte into the register) per byte. The
// yardstick is exactly that loop on the AES instructions: the AES chain and
// the minimum register update, nothing else on the critical path.
//
// Measured in one run, over the same number of bytes, each as a ratio to the
// yardstick:
//   - StreamCipher::EncryptRun over 256 KiB chunks in memory (and, where
//     the processor has AVX-512, the same run in the SSE4.1 encoding);
//   - the in-process job (TransformFileThread on a file, fsync included);
//   - the whole arkseal-cli process (start, key derivation, job, fsync).
// And, as a ratio of times, arkseal-cli on two files of that size at once
// (-j 2) against the same command on one of them: on a machine of two or
// more processors it should take hardly longer.
// The machine may be shared. The two loops in memory are timed chunk by
// chunk (256 KiB, a few milliseconds each) and keep their fastest chunk, the
// one no other process interrupted; the jobs are timed whole, take turns
// within each round and keep their best round.
//
//   speed_limit [MiB] [rounds] [path of arkseal-cli]   default 256 MiB, 3 rounds
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <arkseal/bench/job/bench_file.h>
#include <arkseal/crypto/aes.h>
#include <arkseal/crypto/aes_rounds.h>
#include <arkseal/crypto/passphrase_digest.h>
#include <arkseal/crypto/stream_cipher.h>
#include <arkseal/job/crypt_job.h>
#include <arkseal/job/transform_file_thread.h>
#include <arkseal/ui/core/message_box.h>
#include <arkseal/ui/core/worker_thread.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace arkseal {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kPassphrase = "benchmark passphrase";
constexpr std::int64_t kChunk = static_cast<std::int64_t>(kJobChunkSize);

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void KeyFromPassphrase(std::uint8_t digest[64]) {
    PassphraseDigest().DigestBytes(kPassphrase, static_cast<std::ptrdiff_t>(std::string(kPassphrase).size()), digest);
}

#if defined(__x86_64__)
#define SPEED_LIMIT_TARGET __attribute__((target("aes,ssse3")))

// Byte-serial AES-256 with nothing but one one-cycle instruction between
// encipherments: the register shifts down a byte and takes T[15] at the top
// (one palignr). The whitening with k0 is left out (it folds into the
// register's form), and so is the output byte, which is off the chain.
SPEED_LIMIT_TARGET double YardstickSeconds(const AesContext& context, std::int64_t bytes) {
    __m128i k[15];
    for (int r = 0; r < 15; ++r) k[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(context.roundKeys + 4 * r));
    __m128i reg = _mm_loadu_si128(reinterpret_cast<const __m128i*>(context.feedback));
    double fastest = 1e30;
    for (std::int64_t done = 0; done < bytes; done += kChunk) {
        const auto start = Clock::now();
        for (std::int64_t i = 0; i < kChunk; ++i) {
            __m128i t = reg;
            for (int r = 1; r < 14; ++r) t = _mm_aesenc_si128(t, k[r]);
            t = _mm_aesenclast_si128(t, k[14]);
            reg = _mm_alignr_epi8(t, reg, 1);
        }
        fastest = std::min(fastest, Seconds(start));
    }
    volatile int sink = _mm_cvtsi128_si32(reg);
    (void)sink;
    return fastest * static_cast<double>(bytes) / kChunk;
}

bool YardstickAvailable() { return AesHardwareAvailable(); }
#else
double YardstickSeconds(const AesContext&, std::int64_t) { return 0; }
bool YardstickAvailable() { return false; }
#endif

double Yardstick(std::int64_t bytes) {
    std::uint8_t digest[64];
    KeyFromPassphrase(digest);
    std::uint8_t iv[16];
    for (int i = 0; i < 16; ++i) iv[i] = static_cast<std::uint8_t>(i);
    AesContext context{};
    AesInit(context, MODE_XCFB8, 32, digest, iv);
    const double seconds = YardstickSeconds(context, bytes);
    AesEnd(context);
    return seconds;
}

double StreamCipherSeconds(std::int64_t bytes, aes_rounds::RunEncoding encoding) {
    const aes_rounds::RunEncoding saved = aes_rounds::ActiveRunEncoding();
    aes_rounds::SelectRunEncoding(encoding);
    std::uint8_t digest[64];
    KeyFromPassphrase(digest);
    StreamCipher cipher;
    cipher.SetKey(digest);
    cipher.ResetIv();
    std::vector<std::uint8_t> chunk(kJobChunkSize, 0x5A);
    double fastest = 1e30;
    for (std::int64_t done = 0; done < bytes; done += kChunk) {
        const auto start = Clock::now();
        cipher.EncryptRun(chunk.data(), kChunk);
        fastest = std::min(fastest, Seconds(start));
    }
    aes_rounds::SelectRunEncoding(saved);
    return fastest * static_cast<double>(bytes) / kChunk;
}

class SilentWindow : public Window {
public:
    bool Post(unsigned, WPARAM, LPARAM) override { return true; }
};

double InProcessJobSeconds(const std::string& path, bool encrypt) {
    CryptJob job(256, 256);
    SilentWindow window;
    job.SetFileName(path);
    job.SetPassphrase(kPassphrase);
    job.owner = &window;
    job.mode = encrypt ? JobMode::kEncrypt : JobMode::kDecrypt;
    const auto start = Clock::now();
    WaitForThread(BeginThread(TransformFileThread, &job));
    return Seconds(start);
}

// The whole command, as a user runs it; the passphrase comes from a file.
// The content is random, so the look before encrypting would take it for an
// encrypted file: --force says it is meant.
double CliSeconds(const std::string& cli, const std::string& passphraseFile, const std::vector<std::string>& paths,
                  bool encrypt) {
    std::vector<std::string> args = {cli,
                                     "-j",
                                     std::to_string(paths.size()),
                                     "--quiet",
                                     "--force",
                                     "--passphrase-file",
                                     passphraseFile,
                                     encrypt ? "encrypt" : "decrypt"};
    args.insert(args.end(), paths.begin(), paths.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(cli.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = Seconds(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "speed_limit: %s failed (status %d)\n", cli.c_str(), status);
        std::exit(1);
    }
    return seconds;
}

std::string MakePassphraseFile() {
    std::string path = "/tmp/arkseal-bench-pass-XXXXXX";
    const int fd = mkstemp(path.data());
    const std::string line = std::string(kPassphrase) + "\n";
    if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) std::abort();
    close(fd);
    return path;
}

std::string DefaultCli(const char* self) {
    std::string here = self;
    const auto slash = here.rfind('/');
    here = slash == std::string::npos ? "." : here.substr(0, slash);
    return here + "/../../cli/arkseal-cli";
}

void PrintRow(const char* what, std::int64_t bytes, double seconds, double yardstick, const char* target) {
    const double mib = static_cast<double>(bytes) / (1 << 20);
    std::printf("%-44s %8.2f MiB/s  %5.3f of the limit%s\n", what, mib / seconds, yardstick / seconds, target);
}

int Run(std::int64_t mebibytes, int rounds, const std::string& cli) {
    if (!YardstickAvailable()) {
        std::printf("no AES instructions on this processor: the yardstick needs them\n");
        return 0;
    }
    SetMessageBoxPresenter([](Window*, const std::string&, const std::string& text) {
        std::fprintf(stderr, "speed_limit: the job failed: %s\n", text.c_str());
        std::exit(1);
    });
    const std::int64_t bytes = mebibytes << 20;
    const std::string path = bench::MakeBenchFile(bytes, "/tmp");
    const std::string second = bench::MakeBenchFile(bytes, "/tmp");
    const std::string passphraseFile = MakePassphraseFile();

    // Where the processor has AVX-512 the run uses that encoding; the
    // SSE4.1 one, which other processors run, is shown beside it.
    const aes_rounds::RunEncoding chosen = aes_rounds::ActiveRunEncoding();
    const bool twoEncodings = chosen == aes_rounds::RunEncoding::Avx512;
    double yardstick = 1e30, stream = 1e30, streamSse41 = 1e30, inProcess = 1e30, wholeCli = 1e30, twoFiles = 1e30;
    for (int round = 0; round < rounds; ++round) {
        yardstick = std::min(yardstick, Yardstick(bytes));
        stream = std::min(stream, StreamCipherSeconds(bytes, chosen));
        if (twoEncodings) {
            streamSse41 = std::min(streamSse41, StreamCipherSeconds(bytes, aes_rounds::RunEncoding::Sse41));
        }
        // Encrypt, then decrypt, so the file returns to its first content.
        inProcess = std::min(inProcess, InProcessJobSeconds(path, true));
        InProcessJobSeconds(path, false);
        wholeCli = std::min(wholeCli, CliSeconds(cli, passphraseFile, {path}, true));
        CliSeconds(cli, passphraseFile, {path}, false);
        twoFiles = std::min(twoFiles, CliSeconds(cli, passphraseFile, {path, second}, true));
        CliSeconds(cli, passphraseFile, {path, second}, false);
    }
    std::remove(path.c_str());
    std::remove(second.c_str());
    std::remove(passphraseFile.c_str());

    std::printf("%lld MiB, one AES-256 per byte in one chain; best of %d rounds, taking turns\n",
                static_cast<long long>(mebibytes), rounds);
    PrintRow("yardstick: AES chain + register shift", bytes, yardstick, yardstick, "");
    PrintRow(twoEncodings ? "StreamCipher::EncryptRun, 256 KiB, AVX-512" : "StreamCipher::EncryptRun, 256 KiB chunks",
             bytes, stream, yardstick, "  (target >= 0.97)");
    if (twoEncodings) PrintRow("  the same in the SSE4.1 encoding", bytes, streamSse41, yardstick, "");
    PrintRow("in-process job (TransformFileThread)", bytes, inProcess, yardstick, "");
    PrintRow("arkseal-cli encrypt, whole process", bytes, wholeCli, yardstick, "  (target >= 0.93)");
    std::printf("%-44s %8.3f x the time of one file  (target <= 1.15; %ld processors)\n",
                "arkseal-cli -j 2 encrypt, two such files", twoFiles / wholeCli, sysconf(_SC_NPROCESSORS_ONLN));
    return 0;
}

}  // namespace
}  // namespace arkseal

int main(int argc, char** argv) {
    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 256;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string cli = argc > 3 ? argv[3] : arkseal::DefaultCli(argv[0]);
    return arkseal::Run(mib, rounds, cli);
}
