// Scalar multiplication on the 256-bit curve against OpenSSL's generic
// prime-field method (EC_GROUP_new_curve_GFp on the same p, A = -3, B, plain
// EC_POINT_mul), and the full key agreement of one peer (generate, derive,
// check value). Both sides multiply the same point by the same random
// 256-bit scalars. The machine may be shared, so the measurements alternate
// over several rounds and each keeps its best.
//
//   compare_curve [scalars] [rounds]        default 200 scalars, 5 rounds
#include <openssl/bn.h>
#include <openssl/ec.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bignum/big_arithmetic.h"
#include "bignum/conversions.h"
#include "bignum/number_system.h"
#include "curve/curve_point.h"
#include "curve/key_exchange.h"
#include "tests/curve/openssl_curve.h"

namespace {

using Clock = std::chrono::steady_clock;
using arkseal::test::Bn;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::vector<std::vector<std::uint8_t>> RandomScalars(int count) {
    std::mt19937_64 rng(12345);
    std::vector<std::vector<std::uint8_t>> scalars(count, std::vector<std::uint8_t>(32));
    for (auto& s : scalars) {
        for (auto& b : s) b = static_cast<std::uint8_t>(rng());
        s[0] |= 0x80;  // a full 256 bits
    }
    return scalars;
}

// Microseconds per multiplication of the generator, ours.
double OursPerMultiply(const std::vector<std::vector<std::uint8_t>>& scalars, std::uint8_t* sink) {
    using namespace arkseal;
    BigNumber a = NewBig(-3), b = NewBig(0), p = NewBig(0), x = NewBig(1), y = NewBig(0), k = NewBig(0);
    BigFromString(b, test::kCurveB);
    BigFromString(p, test::kCurvePrime);
    BigFromString(y, test::kGeneratorY);
    CurveInit(a, b, p, 0);
    CurvePoint* G = PointNew();
    CurvePoint* R = PointNew();
    PointSet(x, y, 0, G);
    const auto start = Clock::now();
    for (const auto& s : scalars) {
        BigFromBytes(32, s.data(), k);
        PointMultiply(k, G, R);
        PointGet(R, x, x);  // the affine x, as a key agreement needs it
        *sink ^= static_cast<std::uint8_t>(x[1]);
    }
    const double us = Seconds(Clock::now() - start) * 1e6 / scalars.size();
    PointFree(G);
    PointFree(R);
    for (BigNumber n : {a, b, p, x, y, k}) FreeBig(n);
    return us;
}

double OpenSslPerMultiply(const arkseal::test::OpenSslCurve& curve,
                          const std::vector<std::vector<std::uint8_t>>& scalars, std::uint8_t* sink) {
    EC_POINT* G = curve.NewPoint({false, "1", arkseal::test::kGeneratorY});
    EC_POINT* R = EC_POINT_new(curve.group());
    Bn k, x;
    const auto start = Clock::now();
    for (const auto& s : scalars) {
        BN_bin2bn(s.data(), 32, k.get());
        EC_POINT_mul(curve.group(), R, nullptr, G, k.get(), curve.ctx());
        EC_POINT_get_affine_coordinates(curve.group(), R, x.get(), nullptr, curve.ctx());
        *sink ^= static_cast<std::uint8_t>(BN_get_word(x.get()));
    }
    const double us = Seconds(Clock::now() - start) * 1e6 / scalars.size();
    EC_POINT_free(G);
    EC_POINT_free(R);
    return us;
}

// Microseconds for one peer's whole agreement: construction (entropy, seeding,
// curve set-up), key generation, derivation and check value.
double OursPerAgreement(int count, std::uint8_t* sink) {
    using namespace arkseal;
    KeyExchange other;
    other.SetRole(2);
    other.SetMethod(4);
    other.GenerateOwnKey();
    std::uint8_t peer[kPublicValueSize], check[kCheckValueSize];
    other.ExportPublic(peer);
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        KeyExchange self;
        self.SetRole(1);
        self.SetMethod(4);
        self.GenerateOwnKey();
        self.ImportPeer(peer);
        self.DeriveKey();
        self.MakeCheckValue();
        self.GetCheckValue(check);
        *sink ^= check[0];
    }
    return Seconds(Clock::now() - start) * 1e6 / count;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (arkseal::CreateNumberSystem(640, 0) == nullptr) return 1;
    const auto scalars = RandomScalars(count);
    const arkseal::test::OpenSslCurve curve;
    std::uint8_t sink = 0;
    double ours = 1e30, theirs = 1e30, agreement = 1e30;
    for (int round = 0; round < rounds; ++round) {
        theirs = std::min(theirs, OpenSslPerMultiply(curve, scalars, &sink));
        ours = std::min(ours, OursPerMultiply(scalars, &sink));
        agreement = std::min(agreement, OursPerAgreement(std::max(1, count / 4), &sink));
    }
    if (arkseal::CurrentNumberSystem()->errorCode != 0) {
        std::printf("arithmetic error %d\n", arkseal::CurrentNumberSystem()->errorCode);
        return 1;
    }
    std::printf("256-bit scalar multiplication of the generator (with the affine x), best of %d rounds of %d\n", rounds,
                count);
    std::printf("%-44s %9.1f us\n", "OpenSSL EC_POINT_mul, generic GFp method", theirs);
    std::printf("%-44s %9.1f us   %.2f x OpenSSL's time (target <= 1.0)\n", "Arkseal PointMultiply", ours,
                ours / theirs);
    std::printf("%-44s %9.1f us   %.2f x one OpenSSL multiplication\n", "Arkseal key agreement per peer", agreement,
                agreement / theirs);
    std::printf("(check byte %u)\n", sink);
    arkseal::DestroyNumberSystem();
    return 0;
}
