// The fixed-size multiplication kernels against GMP on the same operands.
//
// Every case runs as "ours/<operation>/<words>" and "gmp/<operation>/<words>",
// in three alternating rounds so that a change in the machine's load hits
// both sides alike; after the runs the program prints, for each pair, the
// ratio of our best time to GMP's best time.
//   product, square   KaratsubaMultiply / KaratsubaSquare  vs mpn_mul_n / mpn_sqr
//   reduce            FastMontgomeryReduce of 2n words     vs mpz_tdiv_r by the modulus
//   mulmod, sqrmod    product (square) and reduction       vs mpz_mul + mpz_tdiv_r
//   powmod            a^e mod m, full-size e, 4-bit fixed windows on the
//                     kernels, from the Montgomery form of a (made once,
//                     outside the timing) to the result      vs mpz_powm

#include <benchmark/benchmark.h>
#include <gmp.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <arkseal/bench/bignum/bench_numbers.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace {

using arkseal::FastMontgomeryInverse;
using arkseal::FastMontgomeryReduce;
using arkseal::KaratsubaMultiply;
using arkseal::KaratsubaSquare;
using arkseal::bench::RandomModulus;
using arkseal::bench::RandomWords;
using arkseal::bench::ToMpz;
using arkseal::bench::Words;

Words FromMpz(const mpz_t v, int n) {
    Words w(n, 0);
    mpz_export(w.data(), nullptr, -1, sizeof(std::uint32_t), 0, 0, v);
    return w;
}

std::vector<mp_limb_t> ToLimbs(const Words& w) {
    std::vector<mp_limb_t> l(w.size() / 2);
    for (std::size_t i = 0; i < l.size(); ++i) l[i] = mp_limb_t(w[2 * i]) | mp_limb_t(w[2 * i + 1]) << 32;
    return l;
}

// A modulus with its inverse and the buffers the kernels work in.
struct Montgomery {
    int n;
    Words m, inv, t, q, z;

    Montgomery(int words, std::mt19937& rng)
        : n(words), m(RandomModulus(words, rng)), inv(words), t(2 * words), q(words), z(2 * words) {
        FastMontgomeryInverse(inv.data(), m.data(), n, t.data());
    }
    void Multiply(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t* w) {
        KaratsubaMultiply(z.data(), a, b, n, t.data());
        FastMontgomeryReduce(w, z.data(), m.data(), inv.data(), n, q.data(), t.data());
    }
    void Square(const std::uint32_t* a, std::uint32_t* w) {
        KaratsubaSquare(z.data(), a, n, t.data());
        FastMontgomeryReduce(w, z.data(), m.data(), inv.data(), n, q.data(), t.data());
    }
    // w = the Montgomery form of a, a * R mod m (set-up only, through GMP).
    Words ToForm(const Words& a) const {
        mpz_t x, mod;
        mpz_inits(x, mod, nullptr);
        ToMpz(x, a);
        ToMpz(mod, m);
        mpz_mul_2exp(x, x, 32 * n);
        mpz_mod(x, x, mod);
        Words w = FromMpz(x, n);
        mpz_clears(x, mod, nullptr);
        return w;
    }
};

void OursProduct(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(1);
    const Words x = RandomWords(n, rng), y = RandomWords(n, rng);
    Words t(2 * n), z(2 * n);
    for (auto _ : state) {
        KaratsubaMultiply(z.data(), x.data(), y.data(), n, t.data());
        benchmark::DoNotOptimize(z.data());
    }
}

void GmpProduct(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(1);
    const auto x = ToLimbs(RandomWords(n, rng)), y = ToLimbs(RandomWords(n, rng));
    std::vector<mp_limb_t> z(n);
    for (auto _ : state) {
        mpn_mul_n(z.data(), x.data(), y.data(), n / 2);
        benchmark::DoNotOptimize(z.data());
    }
}

void OursSquare(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(1);
    const Words x = RandomWords(n, rng);
    Words t(2 * n), z(2 * n);
    for (auto _ : state) {
        KaratsubaSquare(z.data(), x.data(), n, t.data());
        benchmark::DoNotOptimize(z.data());
    }
}

void GmpSquare(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(1);
    const auto x = ToLimbs(RandomWords(n, rng));
    std::vector<mp_limb_t> z(n);
    for (auto _ : state) {
        mpn_sqr(z.data(), x.data(), n / 2);
        benchmark::DoNotOptimize(z.data());
    }
}

// The reduction overwrites the upper half of its input with a value below
// the modulus, so the input stays valid from one iteration to the next.
void OursReduce(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(2);
    Montgomery mont(n, rng);
    Words x = RandomWords(2 * n, rng), w(n);
    x[2 * n - 1] = 0;
    for (auto _ : state) {
        FastMontgomeryReduce(w.data(), x.data(), mont.m.data(), mont.inv.data(), n, mont.q.data(), mont.t.data());
        benchmark::DoNotOptimize(w.data());
    }
}

void GmpReduce(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(2);
    const Montgomery mont(n, rng);
    Words words = RandomWords(2 * n, rng);
    words[2 * n - 1] = 0;
    mpz_t x, m, w;
    mpz_inits(x, m, w, nullptr);
    ToMpz(x, words);
    ToMpz(m, mont.m);
    for (auto _ : state) {
        mpz_tdiv_r(w, x, m);
        benchmark::DoNotOptimize(w);
    }
    mpz_clears(x, m, w, nullptr);
}

template <bool kSquare>
void OursMulMod(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(3);
    Montgomery mont(n, rng);
    Words a = mont.ToForm(RandomWords(n, rng)), b = mont.ToForm(RandomWords(n, rng));
    for (auto _ : state) {
        if (kSquare) {
            mont.Square(a.data(), a.data());
        } else {
            mont.Multiply(a.data(), b.data(), a.data());
        }
        benchmark::DoNotOptimize(a.data());
    }
}

template <bool kSquare>
void GmpMulMod(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(3);
    const Montgomery mont(n, rng);
    mpz_t a, b, m, p;
    mpz_inits(a, b, m, p, nullptr);
    ToMpz(m, mont.m);
    ToMpz(a, RandomWords(n, rng));
    ToMpz(b, RandomWords(n, rng));
    mpz_mod(a, a, m);
    mpz_mod(b, b, m);
    for (auto _ : state) {
        mpz_mul(p, a, kSquare ? a : b);
        mpz_tdiv_r(a, p, m);
        benchmark::DoNotOptimize(a);
    }
    mpz_clears(a, b, m, p, nullptr);
}

void OursPowMod(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(4);
    Montgomery mont(n, rng);
    const Words base = RandomWords(n, rng), e = RandomWords(n, rng);
    // The conversion into Montgomery form goes through GMP and stays outside the timing.
    std::vector<Words> table(16, Words(n));
    table[0] = mont.ToForm(Words(1, 1));
    table[1] = mont.ToForm(base);
    Words w(n), x(2 * n);
    for (auto _ : state) {
        for (int i = 2; i < 16; ++i) mont.Multiply(table[i - 1].data(), table[1].data(), table[i].data());
        std::copy(table[e[n - 1] >> 28].begin(), table[e[n - 1] >> 28].end(), w.begin());
        for (int bit = 32 * n - 8; bit >= 0; bit -= 4) {
            for (int s = 0; s < 4; ++s) mont.Square(w.data(), w.data());
            const unsigned window = (e[bit / 32] >> (bit % 32)) & 15;
            if (window) mont.Multiply(w.data(), table[window].data(), w.data());
        }
        std::fill(x.begin(), x.end(), 0);
        std::copy(w.begin(), w.end(), x.begin());
        FastMontgomeryReduce(w.data(), x.data(), mont.m.data(), mont.inv.data(), n, mont.q.data(), mont.t.data());
        benchmark::DoNotOptimize(w.data());
    }
    // The result is checked against GMP once, so that the figure is of a correct computation.
    mpz_t b, ex, m, r, ours;
    mpz_inits(b, ex, m, r, ours, nullptr);
    ToMpz(b, base);
    ToMpz(ex, e);
    ToMpz(m, mont.m);
    ToMpz(ours, w);
    mpz_powm(r, b, ex, m);
    if (mpz_cmp(r, ours) != 0) state.SkipWithError("result differs from mpz_powm");
    mpz_clears(b, ex, m, r, ours, nullptr);
}

void GmpPowMod(benchmark::State& state) {
    const int n = int(state.range(0));
    std::mt19937 rng(4);
    const Montgomery mont(n, rng);
    const Words base = RandomWords(n, rng), e = RandomWords(n, rng);
    mpz_t b, ex, m, r;
    mpz_inits(b, ex, m, r, nullptr);
    ToMpz(b, base);
    ToMpz(ex, e);
    ToMpz(m, mont.m);
    for (auto _ : state) {
        mpz_powm(r, b, ex, m);
        benchmark::DoNotOptimize(r);
    }
    mpz_clears(b, ex, m, r, nullptr);
}

// Console output as usual, plus the CPU time of every run for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const auto [it, added] = times_.emplace(run.benchmark_name(), run.GetAdjustedCPUTime());
            if (!added) it->second = std::min(it->second, run.GetAdjustedCPUTime());
        }
    }
    void PrintRatios() const {
        std::printf("\nbest CPU time of ours / GMP's:\n");
        for (const auto& [name, time] : times_) {
            if (name.rfind("ours/", 0) != 0) continue;
            const auto peer = times_.find("gmp/" + name.substr(5));
            if (peer != times_.end()) std::printf("  %-20s %6.2f\n", name.substr(5).c_str(), time / peer->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

struct Case {
    const char* operation;
    void (*ours)(benchmark::State&);
    void (*gmp)(benchmark::State&);
};

void Register(const std::vector<Case>& cases, std::vector<int> sizes, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        for (const Case& c : cases) {
            for (int n : sizes) {
                benchmark::RegisterBenchmark((std::string("ours/") + c.operation).c_str(), c.ours)->Arg(n);
                benchmark::RegisterBenchmark((std::string("gmp/") + c.operation).c_str(), c.gmp)->Arg(n);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Register({{"product", OursProduct, GmpProduct},
              {"square", OursSquare, GmpSquare},
              {"reduce", OursReduce, GmpReduce},
              {"mulmod", OursMulMod<false>, GmpMulMod<false>},
              {"sqrmod", OursMulMod<true>, GmpMulMod<true>},
              {"powmod", OursPowMod, GmpPowMod}},
             {16, 32, 64}, 3);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
