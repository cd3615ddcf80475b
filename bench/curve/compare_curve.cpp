// The 256-bit curve against OpenSSL's tuned prime256v1 code, the best-tuned
// 256-bit curve at hand, for the same work:
//   - one scalar multiplication of an arbitrary point by a secret 256-bit
//     scalar, with the affine x of the product: our PointMultiply against
//     EC_POINT_mul on a prime256v1 point that is not the generator;
//   - one peer's key agreement: our GenerateOwnKey + ImportPeer + DeriveKey
//     against an EVP prime256v1 key generation + ECDH derivation; also our
//     passphrase-bound agreement (both roles), which ECDH has no counterpart
//     for, against the same ECDH figure.
// The machine may be shared, so the measurements alternate over several
// rounds; each is reported as its best and its median round, and the ratios
// compare figures of one run.
//
//   compare_curve [count] [rounds]        default 40 operations, 25 rounds
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/workspace/number_system.h>
#include <arkseal/curve/curve_point.h>
#include <arkseal/curve/key_exchange.h>
#include <arkseal/tests/curve/openssl_curve.h>

namespace {

using Clock = std::chrono::steady_clock;
using arkseal::test::Bn;

double Microseconds(Clock::duration d, int count) { return std::chrono::duration<double>(d).count() * 1e6 / count; }

// The per-operation times of every round of one measurement.
struct Rounds {
    std::vector<double> times;
    double Best() const { return *std::min_element(times.begin(), times.end()); }
    double Median() const {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
};

void PrintPeer(const char* name, const Rounds& r) {
    std::printf("%-52s %8.1f us %8.1f us\n", name, r.Best(), r.Median());
}

void PrintOurs(const char* name, const Rounds& r, const Rounds& peer, const char* note) {
    std::printf("%-52s %8.1f us %8.1f us   %.2f x / %.2f x%s\n", name, r.Best(), r.Median(), r.Best() / peer.Best(),
                r.Median() / peer.Median(), note);
}

std::vector<std::vector<std::uint8_t>> RandomScalars(int count) {
    std::mt19937_64 rng(12345);
    std::vector<std::vector<std::uint8_t>> scalars(count, std::vector<std::uint8_t>(32));
    for (auto& s : scalars)
        for (auto& b : s) b = static_cast<std::uint8_t>(rng());
    return scalars;
}

// Our curve with a point Q = c G that is not the generator.
class OurCurve {
public:
    OurCurve() {
        using namespace arkseal;
        BigFromString(b_, test::kCurveB);
        BigFromString(p_, test::kCurvePrime);
        BigFromString(y_, test::kGeneratorY);
        CurveInit(a_, b_, p_, 0);
        PointSet(x_, y_, 0, Q_);
        BigFromString(k_, "98765432109876543210987654321");
        PointMultiply(k_, Q_, Q_);
    }
    ~OurCurve() {
        arkseal::PointFree(Q_);
        arkseal::PointFree(R_);
        for (arkseal::BigNumber n : {a_, b_, p_, x_, y_, k_}) arkseal::FreeBig(n);
    }
    double PerMultiply(const std::vector<std::vector<std::uint8_t>>& scalars, std::uint8_t* sink) {
        using namespace arkseal;
        const auto start = Clock::now();
        for (const auto& s : scalars) {
            BigFromBytes(32, s.data(), k_);
            PointMultiply(k_, Q_, R_);
            PointGet(R_, x_, x_);
            *sink ^= static_cast<std::uint8_t>(x_[1]);
        }
        return Microseconds(Clock::now() - start, static_cast<int>(scalars.size()));
    }

private:
    arkseal::BigNumber a_ = arkseal::NewBig(-3), b_ = arkseal::NewBig(0), p_ = arkseal::NewBig(0),
                       x_ = arkseal::NewBig(1), y_ = arkseal::NewBig(0), k_ = arkseal::NewBig(0);
    arkseal::CurvePoint* Q_ = arkseal::PointNew();
    arkseal::CurvePoint* R_ = arkseal::PointNew();
};

class P256 {
public:
    P256() : group_(EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1)), ctx_(BN_CTX_new()) {
        Q_ = EC_POINT_new(group_);
        R_ = EC_POINT_new(group_);
        EC_POINT_mul(group_, Q_, Bn("98765432109876543210987654321").get(), nullptr, nullptr, ctx_);
        EVP_PKEY_CTX* c = EVP_PKEY_CTX_new_id(EVP_PKEY_EC, nullptr);
        EVP_PKEY_keygen_init(c);
        EVP_PKEY_CTX_set_ec_paramgen_curve_nid(c, NID_X9_62_prime256v1);
        EVP_PKEY_keygen(c, &peer_);
        EVP_PKEY_CTX_free(c);
    }
    ~P256() {
        EVP_PKEY_free(peer_);
        EC_POINT_free(Q_);
        EC_POINT_free(R_);
        BN_CTX_free(ctx_);
        EC_GROUP_free(group_);
    }
    double PerMultiply(const std::vector<std::vector<std::uint8_t>>& scalars, std::uint8_t* sink) {
        Bn k, x;
        const auto start = Clock::now();
        for (const auto& s : scalars) {
            BN_bin2bn(s.data(), 32, k.get());
            EC_POINT_mul(group_, R_, nullptr, Q_, k.get(), ctx_);
            EC_POINT_get_affine_coordinates(group_, R_, x.get(), nullptr, ctx_);
            *sink ^= static_cast<std::uint8_t>(BN_get_word(x.get()));
        }
        return Microseconds(Clock::now() - start, static_cast<int>(scalars.size()));
    }
    // One peer: a new key pair and the shared secret with the other peer.
    double PerAgreement(int count, std::uint8_t* sink) {
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            EVP_PKEY* own = nullptr;
            EVP_PKEY_CTX* c = EVP_PKEY_CTX_new_id(EVP_PKEY_EC, nullptr);
            EVP_PKEY_keygen_init(c);
            EVP_PKEY_CTX_set_ec_paramgen_curve_nid(c, NID_X9_62_prime256v1);
            EVP_PKEY_keygen(c, &own);
            EVP_PKEY_CTX_free(c);
            EVP_PKEY_CTX* d = EVP_PKEY_CTX_new(own, nullptr);
            EVP_PKEY_derive_init(d);
            EVP_PKEY_derive_set_peer(d, peer_);
            unsigned char secret[32];
            std::size_t length = sizeof secret;
            EVP_PKEY_derive(d, secret, &length);
            EVP_PKEY_CTX_free(d);
            EVP_PKEY_free(own);
            *sink ^= secret[0];
        }
        return Microseconds(Clock::now() - start, count);
    }

private:
    EC_GROUP* group_;
    BN_CTX* ctx_;
    EC_POINT* Q_;
    EC_POINT* R_;
    EVP_PKEY* peer_ = nullptr;
};

// One peer on our side: the object exists (entropy, curve set-up) and the
// peer's public value has arrived; a new own key, the peer's value taken in
// (checked and decompressed by DeriveKey) and the derived key.
double OursPerAgreement(arkseal::KeyExchange& self, const std::uint8_t* peer, int count, std::uint8_t* sink) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        self.GenerateOwnKey();
        self.ImportPeer(peer);
        *sink ^= static_cast<std::uint8_t>(self.DeriveKey());
    }
    return Microseconds(Clock::now() - start, count);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 25;
    if (arkseal::CreateNumberSystem(640, 0) == nullptr) return 1;
    const auto scalars = RandomScalars(count);
    std::uint8_t sink = 0;
    Rounds ours, theirs, agreement, ecdh, bound1, bound2;
    {
        P256 p256;
        OurCurve curve;
        arkseal::KeyExchange other, self;
        for (arkseal::KeyExchange* kx : {&other, &self}) {
            kx->SetRole(kx == &other ? 2 : 1);
            kx->SetMethod(4);
        }
        other.GenerateOwnKey();
        std::uint8_t peer[arkseal::kPublicValueSize];
        other.ExportPublic(peer);
        // The passphrase-bound method, role 1 (the scalar carries the
        // passphrase) and role 2 (the point does), against a peer's value.
        static const char kPassphrase[] = "correct horse battery staple";
        arkseal::KeyExchange bound[2];
        for (int role : {1, 2}) {
            arkseal::KeyExchange& kx = bound[role - 1];
            kx.SetRole(role);
            kx.SetMethod(3);
            kx.SetPassphrase(kPassphrase, sizeof kPassphrase - 1);
        }
        for (int round = 0; round < rounds; ++round) {
            theirs.times.push_back(p256.PerMultiply(scalars, &sink));
            ours.times.push_back(curve.PerMultiply(scalars, &sink));
            ecdh.times.push_back(p256.PerAgreement(count, &sink));
            agreement.times.push_back(OursPerAgreement(self, peer, count, &sink));
            bound1.times.push_back(OursPerAgreement(bound[0], peer, count, &sink));
            bound2.times.push_back(OursPerAgreement(bound[1], peer, count, &sink));
        }
    }
    if (arkseal::CurrentNumberSystem()->errorCode != 0) {
        std::printf("arithmetic error %d\n", arkseal::CurrentNumberSystem()->errorCode);
        return 1;
    }
    std::printf("%d rounds of %d, against OpenSSL's prime256v1; best and median round, ratios of both\n", rounds,
                count);
    PrintPeer("OpenSSL EC_POINT_mul, arbitrary point, affine x", theirs);
    PrintOurs("Arkseal PointMultiply, secret scalar, affine x", ours, theirs, " (target <= 1.0)");
    PrintPeer("OpenSSL ECDH: key generation + derivation", ecdh);
    PrintOurs("Arkseal GenerateOwnKey + ImportPeer + DeriveKey", agreement, ecdh, " (target <= 1.0)");
    PrintOurs("  the same, passphrase-bound, role 1", bound1, ecdh, "");
    PrintOurs("  the same, passphrase-bound, role 2", bound2, ecdh, "");
    std::printf("(check byte %u)\n", sink);
    arkseal::DestroyNumberSystem();
    return 0;
}
