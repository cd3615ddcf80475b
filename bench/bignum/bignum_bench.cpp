// Our numbers next to GMP's mpz on the same operands: products, squares and
// divisions at 8, 64 and 320 words, and decimal text of a 2048-bit number.
// Compare each Arkseal case with the Gmp case of the same size.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdint>
#include <random>
#include <vector>

#include <arkseal/bench/bignum/bench_numbers.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/kernels/word_kernels.h>
#include <arkseal/bignum/products/digit_products.h>
#include <arkseal/bignum/workspace/number_system.h>

namespace {

using namespace arkseal;

// The program's workspace shape: 640 words in base 2^32.
struct Workspace {
    Workspace() { CreateNumberSystem(640, 0); }
    ~Workspace() { DestroyNumberSystem(); }
};

// n words of the top bit set from a generator seeded with seed.
bench::Words SeededWords(int n, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    return bench::RandomWordsOfLength(n, rng);
}

using bench::NewFromWords;
using bench::ToMpz;

void ArksealMultiply(benchmark::State& state) {
    Workspace w;
    const int n = static_cast<int>(state.range(0));
    BigNumber x = NewFromWords(SeededWords(n, 1)), y = NewFromWords(SeededWords(n, 2)), z = NewBig(0);
    for (auto _ : state) {
        BigMultiply(x, y, z);
        benchmark::DoNotOptimize(z[1]);
    }
    FreeBig(x);
    FreeBig(y);
    FreeBig(z);
}

// The word kernel alone, without the number layer's checks and lengths.
void ArksealMultiplyKernel(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<std::uint32_t> x = SeededWords(n, 1), y = SeededWords(n, 2);
    std::vector<std::uint32_t> z(2 * static_cast<std::size_t>(n));
    for (auto _ : state) {
        MultiplyWords(z.data(), x.data(), n, y.data(), n);
        benchmark::DoNotOptimize(z[0]);
    }
}

void GmpMultiply(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    mpz_t x, y, z;
    mpz_inits(x, y, z, nullptr);
    ToMpz(x, SeededWords(n, 1));
    ToMpz(y, SeededWords(n, 2));
    mpz_realloc2(z, static_cast<mp_bitcnt_t>(64 * n + 64));
    for (auto _ : state) {
        mpz_mul(z, x, y);
        benchmark::DoNotOptimize(z->_mp_d[0]);
    }
    mpz_clears(x, y, z, nullptr);
}

void ArksealSquare(benchmark::State& state) {
    Workspace w;
    const int n = static_cast<int>(state.range(0));
    BigNumber x = NewFromWords(SeededWords(n, 3)), z = NewBig(0);
    for (auto _ : state) {
        BigMultiply(x, x, z);
        benchmark::DoNotOptimize(z[1]);
    }
    FreeBig(x);
    FreeBig(z);
}

void GmpSquare(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    mpz_t x, z;
    mpz_inits(x, z, nullptr);
    ToMpz(x, SeededWords(n, 3));
    mpz_realloc2(z, static_cast<mp_bitcnt_t>(64 * n + 64));
    for (auto _ : state) {
        mpz_mul(z, x, x);
        benchmark::DoNotOptimize(z->_mp_d[0]);
    }
    mpz_clears(x, z, nullptr);
}

// 2n words by n words; both sides copy the dividend back each time, since
// our division leaves the remainder in it.
void ArksealDivide(benchmark::State& state) {
    Workspace w;
    const int n = static_cast<int>(state.range(0));
    BigNumber dividend = NewFromWords(SeededWords(2 * n, 4)), y = NewFromWords(SeededWords(n, 5));
    BigNumber x = NewBig(0), q = NewBig(0);
    for (auto _ : state) {
        BigCopy(dividend, x);
        BigDivide(x, y, q);
        benchmark::DoNotOptimize(q[1]);
    }
    FreeBig(dividend);
    FreeBig(x);
    FreeBig(y);
    FreeBig(q);
}

void GmpDivide(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    mpz_t dividend, x, y, q, r;
    mpz_inits(dividend, x, y, q, r, nullptr);
    ToMpz(dividend, SeededWords(2 * n, 4));
    ToMpz(y, SeededWords(n, 5));
    for (auto _ : state) {
        mpz_set(x, dividend);
        mpz_tdiv_qr(q, r, x, y);
        benchmark::DoNotOptimize(q->_mp_d[0]);
    }
    mpz_clears(dividend, x, y, q, r, nullptr);
}

void ArksealToDecimal2048(benchmark::State& state) {
    Workspace w;
    BigNumber x = NewFromWords(SeededWords(64, 6));
    char text[700];
    for (auto _ : state) benchmark::DoNotOptimize(BigToString(x, text));
    FreeBig(x);
}

void GmpToDecimal2048(benchmark::State& state) {
    mpz_t x;
    mpz_init(x);
    ToMpz(x, SeededWords(64, 6));
    char text[700];
    for (auto _ : state) benchmark::DoNotOptimize(mpz_get_str(text, 10, x));
    mpz_clear(x);
}

void ArksealFromDecimal2048(benchmark::State& state) {
    Workspace w;
    BigNumber x = NewFromWords(SeededWords(64, 6));
    char text[700];
    BigToString(x, text);
    for (auto _ : state) benchmark::DoNotOptimize(BigFromString(x, text));
    FreeBig(x);
}

void GmpFromDecimal2048(benchmark::State& state) {
    mpz_t x;
    mpz_init(x);
    ToMpz(x, SeededWords(64, 6));
    char text[700];
    mpz_get_str(text, 10, x);
    for (auto _ : state) benchmark::DoNotOptimize(mpz_set_str(x, text, 10));
    mpz_clear(x);
}

}  // namespace

BENCHMARK(ArksealMultiply)->Arg(8)->Arg(64)->Arg(320);
BENCHMARK(ArksealMultiplyKernel)->Arg(8)->Arg(64)->Arg(320);
BENCHMARK(GmpMultiply)->Arg(8)->Arg(64)->Arg(320);
BENCHMARK(ArksealSquare)->Arg(8)->Arg(64)->Arg(320);
BENCHMARK(GmpSquare)->Arg(8)->Arg(64)->Arg(320);
BENCHMARK(ArksealDivide)->Arg(8)->Arg(64)->Arg(320);
BENCHMARK(GmpDivide)->Arg(8)->Arg(64)->Arg(320);
BENCHMARK(ArksealToDecimal2048);
BENCHMARK(GmpToDecimal2048);
BENCHMARK(ArksealFromDecimal2048);
BENCHMARK(GmpFromDecimal2048);

BENCHMARK_MAIN();
