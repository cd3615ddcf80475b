// Our mode-10 run against OpenSSL's AES-256-CFB8, which has the same
// per-byte structure (one AES-256 block per byte, strictly in sequence), on
// one buffer in one run: our hardware and portable rounds, OpenSSL with
// AES-NI and with AES-NI masked. OpenSSL reads its capability mask once at
// start-up, so the masked figure comes from a child run of this program with
// OPENSSL_ia32cap set. The machine may be shared, so the four
// measurements are interleaved over several rounds and each keeps its best.
//
//   compare_cfb [MiB] [rounds]        default 64 MiB, 3 rounds
#include <openssl/evp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <arkseal/crypto/aes.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kMaskAesNi = "~0x200000200000000";

double MegabytesPerSecond(std::size_t bytes, Clock::duration elapsed) {
    return static_cast<double>(bytes) / 1e6 / std::chrono::duration<double>(elapsed).count();
}

double OurRun(arkseal::AesPath path, std::vector<std::uint8_t>& data) {
    arkseal::AesSelectPath(path);
    std::uint8_t key[32], iv[32];
    for (int i = 0; i < 32; ++i) key[i] = static_cast<std::uint8_t>(i * 29 + 1), iv[i] = static_cast<std::uint8_t>(i);
    arkseal::AesContext context{};
    arkseal::AesInit(context, arkseal::MODE_XCFB8, 32, key, iv);
    const auto start = Clock::now();
    arkseal::AesEncryptXcfb8Run(context, data.data(), data.size());
    return MegabytesPerSecond(data.size(), Clock::now() - start);
}

double OpenSslCfb8(std::vector<std::uint8_t>& data) {
    std::uint8_t key[32], iv[16];
    for (int i = 0; i < 32; ++i) key[i] = static_cast<std::uint8_t>(i * 29 + 1);
    for (int i = 0; i < 16; ++i) iv[i] = static_cast<std::uint8_t>(i);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, EVP_aes_256_cfb8(), nullptr, key, iv);
    int len = 0;
    const auto start = Clock::now();
    EVP_EncryptUpdate(ctx, data.data(), &len, data.data(), static_cast<int>(data.size()));
    const auto elapsed = Clock::now() - start;
    EVP_CIPHER_CTX_free(ctx);
    return MegabytesPerSecond(data.size(), elapsed);
}

// Runs this program again with AES-NI masked from OpenSSL and reads the
// throughput it prints.
double OpenSslCfb8Masked(const char* self, std::size_t mib) {
    const std::string command =
        std::string("OPENSSL_ia32cap='") + kMaskAesNi + "' '" + self + "' --openssl-only " + std::to_string(mib);
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) return 0;
    double rate = 0;
    if (std::fscanf(child, "%lf", &rate) != 1) rate = 0;
    pclose(child);
    return rate;
}

}  // namespace

int main(int argc, char** argv) {
    const bool openSslOnly = argc > 1 && std::strcmp(argv[1], "--openssl-only") == 0;
    const int sizeArg = openSslOnly ? 2 : 1;
    const std::size_t mib = argc > sizeArg ? std::strtoul(argv[sizeArg], nullptr, 10) : 64;
    std::vector<std::uint8_t> data(mib << 20);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 131);

    if (openSslOnly) {
        std::printf("%.3f\n", OpenSslCfb8(data));
        return 0;
    }

    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const bool hardware = arkseal::AesHardwareAvailable();
    double opensslNi = 0, opensslMasked = 0, oursHardware = 0, oursPortable = 0;
    for (int round = 0; round < rounds; ++round) {
        opensslNi = std::max(opensslNi, OpenSslCfb8(data));
        opensslMasked = std::max(opensslMasked, OpenSslCfb8Masked(argv[0], mib));
        if (hardware) oursHardware = std::max(oursHardware, OurRun(arkseal::AesPath::Hardware, data));
        oursPortable = std::max(oursPortable, OurRun(arkseal::AesPath::Portable, data));
    }

    std::printf("buffer: %zu MiB, one AES-256 block per byte, best of %d rounds\n", mib, rounds);
    std::printf("%-40s %9.2f MB/s\n", "OpenSSL AES-256-CFB8, AES-NI", opensslNi);
    std::printf("%-40s %9.2f MB/s\n", "OpenSSL AES-256-CFB8, AES-NI masked", opensslMasked);
    if (hardware) {
        std::printf("%-40s %9.2f MB/s   %.2f x OpenSSL with AES-NI (target >= 1.5)\n",
                    "Arkseal code 10, hardware rounds", oursHardware, oursHardware / opensslNi);
    } else {
        std::printf("%-40s       n/a   (no AES instructions)\n", "Arkseal code 10, hardware rounds");
    }
    std::printf("%-40s %9.2f MB/s   %.2f x OpenSSL with AES-NI masked (target >= 1.3)\n",
                "Arkseal code 10, portable rounds", oursPortable, oursPortable / opensslMasked);
    return 0;
}
