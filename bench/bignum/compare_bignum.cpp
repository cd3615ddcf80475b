// The number layer against GMP's mpz on the same operands, as ratios from
// one run:
//
//   mul/<words>     BigMultiply of two numbers           vs mpz_mul
//   sqr/<words>     BigMultiply of a number by itself    vs mpz_mul (x, x)
//   div/<words>     BigDivide of 2 words by words        vs mpz_tdiv_qr
//   write/<words>   BigToString, decimal                 vs mpz_get_str
//   read/<words>    BigFromString, decimal               vs mpz_set_str
//
// Word counts are 32-bit words (8 words = 256 bits). Each case runs in
// alternating rounds (ours, GMP, ours, ...) and keeps each side's best time
// per call, so that load changes on a shared machine hit both sides alike.
// Results are checked against GMP's before timing.
#include <gmp.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <arkseal/bench/bignum/bench_numbers.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/workspace/number_system.h>

namespace {

using arkseal::BigNumber;
using arkseal::bench::LoadWords;
using arkseal::bench::RandomWordsOfLength;
using arkseal::bench::ToMpz;
using arkseal::bench::Words;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 41;

bool Same(const std::uint32_t* x, const mpz_t v) {
    mpz_t ours;
    mpz_init(ours);
    mpz_import(ours, x[0] & 0xFFFFu, -1, sizeof(std::uint32_t), 0, 0, x + 1);
    if (x[0] & arkseal::kBigSignBit) mpz_neg(ours, ours);
    const bool same = mpz_cmp(ours, v) == 0;
    mpz_clear(ours);
    return same;
}

template <class F>
double TimeRound(F& op, long calls) {
    const auto start = Clock::now();
    for (long i = 0; i < calls; ++i) op();
    const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
    return elapsed.count() / static_cast<double>(calls);
}

// Calls that take about 1 ms: short rounds are more often untouched by the
// other work of a shared machine.
template <class F>
long CallsFor(F& op) {
    for (long calls = 1;; calls *= 2) {
        if (TimeRound(op, calls) * static_cast<double>(calls) > 1e6) return calls;
    }
}

template <class Ours, class Gmp>
void Compare(const char* kind, int words, Ours ours, Gmp gmp, bool checked) {
    double best[2] = {1e300, 1e300};
    const long calls[2] = {CallsFor(ours), CallsFor(gmp)};
    for (int round = 0; round < kRounds; ++round) {
        best[0] = std::min(best[0], TimeRound(ours, calls[0]));
        best[1] = std::min(best[1], TimeRound(gmp, calls[1]));
    }
    char name[32];
    std::snprintf(name, sizeof name, "%s/%d", kind, words);
    std::printf("%-10s ours %10.1f ns   gmp %10.1f ns   ours/gmp %5.2f%s\n", name, best[0], best[1], best[0] / best[1],
                checked ? "" : "   RESULTS DIFFER");
    std::fflush(stdout);
}

void CompareProduct(int words, bool square, std::mt19937& rng) {
    const Words a = RandomWordsOfLength(words, rng), b = square ? a : RandomWordsOfLength(words, rng);
    BigNumber x = arkseal::NewBig(0), y = arkseal::NewBig(0), z = arkseal::NewBig(0);
    LoadWords(a, x);
    LoadWords(b, y);
    const BigNumber second = square ? x : y;
    mpz_t gx, gy, gz;
    mpz_inits(gx, gy, gz, nullptr);
    ToMpz(gx, a);
    ToMpz(gy, b);
    mpz_mul(gz, gx, square ? gx : gy);
    arkseal::BigMultiply(x, second, z);
    const bool checked = Same(z, gz);
    Compare(
        square ? "sqr" : "mul", words, [&] { arkseal::BigMultiply(x, second, z); },
        [&] { mpz_mul(gz, gx, square ? gx : gy); }, checked);
    mpz_clears(gx, gy, gz, nullptr);
    arkseal::FreeBig(x);
    arkseal::FreeBig(y);
    arkseal::FreeBig(z);
}

// Both sides copy the dividend back each time: our division leaves the
// remainder in it.
void CompareDivision(int words, std::mt19937& rng) {
    const Words a = RandomWordsOfLength(2 * words, rng), b = RandomWordsOfLength(words, rng);
    BigNumber dividend = arkseal::NewBig(0), x = arkseal::NewBig(0), y = arkseal::NewBig(0), q = arkseal::NewBig(0);
    LoadWords(a, dividend);
    LoadWords(b, y);
    mpz_t gd, gx, gy, gq, gr;
    mpz_inits(gd, gx, gy, gq, gr, nullptr);
    ToMpz(gd, a);
    ToMpz(gy, b);
    mpz_tdiv_qr(gq, gr, gd, gy);
    arkseal::BigCopy(dividend, x);
    arkseal::BigDivide(x, y, q);
    const bool checked = Same(q, gq) && Same(x, gr);
    Compare(
        "div", words,
        [&] {
            arkseal::BigCopy(dividend, x);
            arkseal::BigDivide(x, y, q);
        },
        [&] {
            mpz_set(gx, gd);
            mpz_tdiv_qr(gq, gr, gx, gy);
        },
        checked);
    mpz_clears(gd, gx, gy, gq, gr, nullptr);
    arkseal::FreeBig(dividend);
    arkseal::FreeBig(x);
    arkseal::FreeBig(y);
    arkseal::FreeBig(q);
}

void CompareDecimal(int words, std::mt19937& rng) {
    const Words a = RandomWordsOfLength(words, rng);
    BigNumber x = arkseal::NewBig(0), back = arkseal::NewBig(0);
    LoadWords(a, x);
    mpz_t gx;
    mpz_init(gx);
    ToMpz(gx, a);
    std::vector<char> ours(static_cast<std::size_t>(words) * 10 + 8), theirs(ours.size());
    arkseal::BigToString(x, ours.data());
    mpz_get_str(theirs.data(), 10, gx);
    const bool written = std::string(ours.data()) == theirs.data();
    arkseal::BigFromString(back, theirs.data());
    const bool read = Same(back, gx);
    Compare(
        "write", words, [&] { arkseal::BigToString(x, ours.data()); }, [&] { mpz_get_str(theirs.data(), 10, gx); },
        written);
    Compare(
        "read", words, [&] { arkseal::BigFromString(back, theirs.data()); },
        [&] { mpz_set_str(gx, theirs.data(), 10); }, read);
    mpz_clear(gx);
    arkseal::FreeBig(x);
    arkseal::FreeBig(back);
}

}  // namespace

int main() {
    // The program's workspace shape: 640 words in base 2^32, decimal text.
    arkseal::CreateNumberSystem(640, 0);
    arkseal::CurrentNumberSystem()->ioBase = 10;
    std::mt19937 rng(16);
    for (int words : {8, 64, 320}) CompareProduct(words, false, rng);
    for (int words : {8, 64, 320}) CompareProduct(words, true, rng);
    for (int words : {8, 64, 320}) CompareDivision(words, rng);
    for (int words : {64, 640}) CompareDecimal(words, rng);
    const int error = arkseal::CurrentNumberSystem()->errorCode;
    arkseal::DestroyNumberSystem();
    if (error != 0) std::printf("error %d\n", error);
    return error == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
