// Modular arithmetic against GMP and OpenSSL on the same moduli and operands.
//
//   mulmod/256     MontgomeryMultiply of two residues          vs mpz_mul + mpz_tdiv_r,
//                                                                 BN_mod_mul_montgomery
//   powmod/<bits>  PowerMod (ordinary numbers in and out, full-size exponent)
//                                                              vs mpz_powm, BN_mod_exp_mont
//
// Each case runs in alternating rounds (ours, GMP, OpenSSL, ours, ...) and
// keeps each side's best time per operation, so that load changes on a shared
// machine hit all sides alike. Prints the times and the ratios ours / peer.
#include <gmp.h>
#include <openssl/bn.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include <arkseal/bench/bignum/bench_numbers.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/modular_power.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/workspace/number_system.h>

namespace {

using arkseal::BigNumber;
using arkseal::bench::LoadWords;
using arkseal::bench::RandomModulus;
using arkseal::bench::RandomWords;
using arkseal::bench::ToMpz;
using arkseal::bench::Words;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 7;

// Operands below the modulus m.
Words Below(const Words& m, std::mt19937& rng) {
    Words w = RandomWords(int(m.size()), rng);
    w.back() = m.back() - 1;
    return w;
}


BIGNUM* ToBn(const Words& w) {
    std::vector<unsigned char> bytes(w.size() * 4);
    for (std::size_t i = 0; i < w.size(); ++i) {
        for (int b = 0; b < 4; ++b) bytes[4 * i + b] = (unsigned char)(w[i] >> (8 * b));
    }
    return BN_lebin2bn(bytes.data(), int(bytes.size()), nullptr);
}

// Best time per call in nanoseconds over one round of at least ~20 ms.
double TimeRound(const std::function<void()>& op, long calls) {
    const auto start = Clock::now();
    for (long i = 0; i < calls; ++i) op();
    const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
    return elapsed.count() / double(calls);
}

long CallsFor(const std::function<void()>& op) {
    long calls = 1;
    while (true) {
        const auto start = Clock::now();
        for (long i = 0; i < calls; ++i) op();
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        if (elapsed.count() > 0.02) return calls;
        calls *= 2;
    }
}

struct Result {
    double ours = 1e300, gmp = 1e300, openssl = 1e300;
};

Result Compare(const std::function<void()>& ours, const std::function<void()>& gmp,
               const std::function<void()>& openssl) {
    Result r;
    const long nOurs = CallsFor(ours), nGmp = CallsFor(gmp), nSsl = CallsFor(openssl);
    for (int round = 0; round < kRounds; ++round) {
        r.ours = std::min(r.ours, TimeRound(ours, nOurs));
        r.gmp = std::min(r.gmp, TimeRound(gmp, nGmp));
        r.openssl = std::min(r.openssl, TimeRound(openssl, nSsl));
    }
    return r;
}

void Print(const char* name, const Result& r) {
    std::printf("%-14s ours %11.1f ns   gmp %11.1f ns   openssl %11.1f ns   ours/gmp %5.2f   ours/openssl %5.2f\n",
                name, r.ours, r.gmp, r.openssl, r.ours / r.gmp, r.ours / r.openssl);
}

void CompareProduct(std::mt19937& rng) {
    constexpr int kWords = 8;
    const Words m = RandomModulus(kWords, rng), a = Below(m, rng), b = Below(m, rng);
    BigNumber n = arkseal::NewBig(0), x = arkseal::NewBig(0), y = arkseal::NewBig(0), w = arkseal::NewBig(0);
    LoadWords(m, n);
    LoadWords(a, x);
    LoadWords(b, y);
    arkseal::MontgomerySetModulus(n);

    mpz_t gm, ga, gb, gw;
    mpz_inits(gm, ga, gb, gw, nullptr);
    ToMpz(gm, m);
    ToMpz(ga, a);
    ToMpz(gb, b);

    BN_CTX* ctx = BN_CTX_new();
    BIGNUM *bm = ToBn(m), *ba = ToBn(a), *bb = ToBn(b), *bw = BN_new();
    BN_MONT_CTX* mont = BN_MONT_CTX_new();
    BN_MONT_CTX_set(mont, bm, ctx);

    // The result feeds the next call, as in a chain of field operations.
    const Result r = Compare([&] { arkseal::MontgomeryMultiply(x, y, x); },
                             [&] {
                                 mpz_mul(gw, ga, gb);
                                 mpz_tdiv_r(ga, gw, gm);
                             },
                             [&] { BN_mod_mul_montgomery(ba, ba, bb, mont, ctx); });
    Print("mulmod/256", r);

    BN_MONT_CTX_free(mont);
    BN_free(bm);
    BN_free(ba);
    BN_free(bb);
    BN_free(bw);
    BN_CTX_free(ctx);
    mpz_clears(gm, ga, gb, gw, nullptr);
    arkseal::FreeBig(n);
    arkseal::FreeBig(x);
    arkseal::FreeBig(y);
    arkseal::FreeBig(w);
}

void ComparePower(int bits, std::mt19937& rng) {
    const int words = bits / 32;
    const Words m = RandomModulus(words, rng), a = Below(m, rng), e = RandomWords(words, rng);
    BigNumber n = arkseal::NewBig(0), x = arkseal::NewBig(0), f = arkseal::NewBig(0), w = arkseal::NewBig(0);
    LoadWords(m, n);
    LoadWords(a, x);
    LoadWords(e, f);

    mpz_t gm, ga, ge, gw;
    mpz_inits(gm, ga, ge, gw, nullptr);
    ToMpz(gm, m);
    ToMpz(ga, a);
    ToMpz(ge, e);

    BN_CTX* ctx = BN_CTX_new();
    BIGNUM *bm = ToBn(m), *ba = ToBn(a), *be = ToBn(e), *bw = BN_new();
    BN_MONT_CTX* mont = BN_MONT_CTX_new();
    BN_MONT_CTX_set(mont, bm, ctx);

    arkseal::PowerMod(x, f, n, w);
    mpz_powm(gw, ga, ge, gm);
    mpz_t check;
    mpz_init(check);
    mpz_import(check, w[0] & 0xFFFF, -1, sizeof(std::uint32_t), 0, 0, w + 1);
    if (mpz_cmp(check, gw) != 0) std::printf("powmod/%d: results differ\n", bits);
    mpz_clear(check);

    const Result r = Compare([&] { arkseal::PowerMod(x, f, n, w); }, [&] { mpz_powm(gw, ga, ge, gm); },
                             [&] { BN_mod_exp_mont(bw, ba, be, bm, ctx, mont); });
    char name[32];
    std::snprintf(name, sizeof name, "powmod/%d", bits);
    Print(name, r);

    BN_MONT_CTX_free(mont);
    BN_free(bm);
    BN_free(ba);
    BN_free(be);
    BN_free(bw);
    BN_CTX_free(ctx);
    mpz_clears(gm, ga, ge, gw, nullptr);
    arkseal::FreeBig(n);
    arkseal::FreeBig(x);
    arkseal::FreeBig(f);
    arkseal::FreeBig(w);
}

}  // namespace

int main() {
    arkseal::CreateNumberSystem(640, 0);
    std::mt19937 rng(2026);
    CompareProduct(rng);
    for (int bits : {256, 512, 1024, 2048}) ComparePower(bits, rng);
    arkseal::DestroyNumberSystem();
    return 0;
}
