// Google Benchmark cases for the cipher core: one AES-256 block, a mode-10
// run (the file job's inner loop) on both round implementations, SHA-512.
#include <benchmark/benchmark.h>

#include <vector>

#include <arkseal/crypto/aes.h>
#include <arkseal/crypto/passphrase_digest.h>

namespace arkseal {
namespace {

bool UsePath(benchmark::State& state, AesPath path) {
    if (AesSelectPath(path)) return true;
    state.SkipWithError("no AES instructions on this processor");
    return false;
}

AesContext Aes256(std::int32_t mode) {
    std::uint8_t key[32], iv[16];
    for (int i = 0; i < 32; ++i) key[i] = static_cast<std::uint8_t>(i * 13);
    for (int i = 0; i < 16; ++i) iv[i] = static_cast<std::uint8_t>(i);
    AesContext context{};
    AesInit(context, mode, 32, key, iv);
    return context;
}

void BM_Aes256Block(benchmark::State& state, AesPath path) {
    if (!UsePath(state, path)) return;
    const AesContext context = Aes256(MODE_ECB);
    std::uint8_t block[16] = {};
    for (auto _ : state) {
        AesEncryptBlock(context, block);
        benchmark::DoNotOptimize(block);
    }
    state.SetBytesProcessed(state.iterations() * 16);
}
BENCHMARK_CAPTURE(BM_Aes256Block, portable, AesPath::Portable);
BENCHMARK_CAPTURE(BM_Aes256Block, hardware, AesPath::Hardware);

void BM_Code10Run(benchmark::State& state, AesPath path) {
    if (!UsePath(state, path)) return;
    AesContext context = Aes256(MODE_XCFB8);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(state.range(0)), 0x5a);
    for (auto _ : state) {
        AesEncryptXcfb8Run(context, data.data(), data.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK_CAPTURE(BM_Code10Run, portable, AesPath::Portable)->Arg(262144);
BENCHMARK_CAPTURE(BM_Code10Run, hardware, AesPath::Hardware)->Arg(262144);

void BM_Sha512(benchmark::State& state) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(state.range(0)), 0x61);
    std::uint8_t out[64];
    PassphraseDigest digest;
    for (auto _ : state) {
        digest.DigestBytes(data.data(), static_cast<std::ptrdiff_t>(data.size()), out);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Sha512)->Arg(32)->Arg(65536);

}  // namespace
}  // namespace arkseal

BENCHMARK_MAIN();
