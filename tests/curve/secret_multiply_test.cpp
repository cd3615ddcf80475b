// The constant-time multiplication on the 256-bit curve, on every field
// route, against OpenSSL and against the general route of the point
// arithmetic (PointMultiplyMany, which adds bit by bit), for scalars that
// reach the cases a careless window method gets wrong: multiples of the
// group order n (the accumulator passes through infinity), scalars that make
// the accumulator equal to the point being added (so the addition must
// double), scalars longer than 256 bits, and negative ones. n is the order
// of the curve's group (prime, so every finite point has order n); the first
// test checks it with OpenSSL.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <arkseal/bignum/field256/field_routes.h>
#include <arkseal/curve/curve_key_pair.h>
#include <arkseal/curve/curve_point.h>
#include <arkseal/curve/generator_comb.h>
#include <arkseal/curve/order_reduction.h>
#include <arkseal/curve/secret_multiply.h>
#include <arkseal/tests/curve/fixed_entropy.h>
#include <arkseal/tests/curve/openssl_curve.h>

namespace arkseal {
namespace {

using field256::Route;
using test::AffinePoint;
using test::Bn;

constexpr const char* kGroupOrder = "115324781748134865946503563657643838352221626521810006206950260876359658535911";

std::string Name(const ::testing::TestParamInfo<Route>& info) {
    switch (info.param) {
        case Route::Portable: return "portable";
        case Route::Mulx: return "mulx";
        case Route::Ifma: return "ifma";
    }
    return "";
}

class SecretMultiply : public ::testing::TestWithParam<Route> {
protected:
    void SetUp() override {
        if (GetParam() == Route::Mulx && !field256::MulxAvailable())
            GTEST_SKIP() << "this processor lacks BMI2 or ADX; the mulx route cannot run here";
        if (GetParam() == Route::Ifma && !field256::IfmaAvailable())
            GTEST_SKIP() << "this processor lacks AVX-512 IFMA; the ifma route cannot run here";
        ASSERT_TRUE(field256::SelectRoute(GetParam()));
        ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    }
    void TearDown() override {
        field256::SelectRoute(startRoute_);
        if (CurrentNumberSystem() == nullptr) return;
        EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
        DestroyNumberSystem();
    }

    // m n + c, as decimal.
    static std::string OrderMultiple(int m, long c) {
        Bn k(kGroupOrder);
        BN_mul_word(k.get(), static_cast<BN_ULONG>(m));
        if (c >= 0) BN_add_word(k.get(), static_cast<BN_ULONG>(c));
        if (c < 0) BN_sub_word(k.get(), static_cast<BN_ULONG>(-c));
        return k.Decimal();
    }

    static std::vector<std::string> Scalars() {
        std::vector<std::string> k = {"1", "2", "15", "16", "17", "31", "32", "33", "-1", "-33"};
        for (int m : {1, 2, 9, 41})
            for (long c = -34; c <= 34; c += 2) k.push_back(OrderMultiple(m, c));
        k.push_back(OrderMultiple(1, 1));
        k.push_back(OrderMultiple(1, -1));
        Bn big;
        BN_set_bit(big.get(), 256);
        k.push_back(big.Decimal());  // 2^256
        BN_sub_word(big.get(), 1);
        k.push_back(big.Decimal());  // 2^256 - 1
        std::mt19937_64 rng(16);
        for (int bits : {255, 256, 300, 513, 600}) {
            std::vector<std::uint8_t> bytes((bits + 7) / 8);
            for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
            bytes[0] |= 0x80;
            bytes[0] >>= (8 * bytes.size() - bits);
            Bn v;
            BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), v.get());
            k.push_back(v.Decimal());
            BN_set_negative(v.get(), 1);
            k.push_back(v.Decimal());
        }
        return k;
    }

    const test::OpenSslCurve ossl_;
    const Route startRoute_ = field256::ActiveRoute();  // the processor's route, restored after each case
};

INSTANTIATE_TEST_SUITE_P(Routes, SecretMultiply, ::testing::Values(Route::Portable, Route::Mulx, Route::Ifma), Name);

// A curve point from OpenSSL's affine coordinates.
struct Fixture {
    BigNumber a = NewBig(-3), b = NewBig(0), p = NewBig(0), x = NewBig(0), y = NewBig(0), k = NewBig(0);
    CurvePoint* P = PointNew();
    CurvePoint* R = PointNew();
    CurvePoint* S = PointNew();
    Fixture() {
        BigFromString(b, test::kCurveB);
        BigFromString(p, test::kCurvePrime);
        CurveInit(a, b, p, 0);
    }
    ~Fixture() {
        for (CurvePoint* T : {P, R, S}) PointFree(T);
        for (BigNumber n : {a, b, p, x, y, k}) FreeBig(n);
    }
    void Set(const AffinePoint& A) {
        BigFromString(x, A.x.c_str());
        BigFromString(y, A.y.c_str());
        ASSERT_EQ(PointSet(x, y, 0, P), 1);
    }
    // P as the four-limb field's affine point.
    curve_detail::Affine Limbs() const {
        curve_detail::Affine a;
        field256::LoadLimbs(P->X, a.x);
        field256::LoadLimbs(P->Y, a.y);
        return a;
    }
    AffinePoint Get(CurvePoint* T) {
        AffinePoint A;
        if (PointGet(T, x, y) < 0 || PointIsInfinity(T)) return A;
        A.infinity = false;
        A.x = Bn::From(x).Decimal();
        A.y = Bn::From(y).Decimal();
        return A;
    }
};

TEST_P(SecretMultiply, TheGroupOrderAnnihilatesTheGenerator) {
    const AffinePoint G{false, "1", test::kGeneratorY};
    EXPECT_TRUE(ossl_.Multiply(Bn(kGroupOrder), G).infinity);
    EXPECT_FALSE(ossl_.Multiply(Bn(OrderMultiple(1, -1).c_str()), G).infinity);
    Fixture f;
    f.Set(G);
    BigFromString(f.k, kGroupOrder);
    PointMultiply(f.k, f.P, f.R);
    EXPECT_TRUE(PointIsInfinity(f.R));
}

TEST_P(SecretMultiply, AgreesWithOpenSslAndTheGeneralRouteOnScalarsThatReachTheSpecialCases) {
    const AffinePoint G{false, "1", test::kGeneratorY};
    const AffinePoint Q = ossl_.Multiply(Bn("98765432109876543210987654321"), G);
    Fixture f;
    for (const AffinePoint& base : {G, Q}) {
        for (const std::string& k : Scalars()) {
            f.Set(base);
            BigFromString(f.k, k.c_str());
            PointMultiply(f.k, f.P, f.R);
            const AffinePoint expected = ossl_.Multiply(Bn(k.c_str()), base);
            EXPECT_EQ(f.Get(f.R), expected) << k;
            if (k[0] == '-') continue;
            CurvePoint* points[] = {f.P};
            BigNumber scalars[] = {f.k};
            PointMultiplyMany(1, scalars, points, f.S);
            EXPECT_EQ(f.Get(f.S), expected) << "general route, " << k;
        }
    }
}

TEST_P(SecretMultiply, InfinityTimesAnyScalarIsInfinity) {
    Fixture f;
    ASSERT_EQ(PointSet(nullptr, nullptr, 0, f.P), 1);
    BigFromString(f.k, "123456789");
    PointMultiply(f.k, f.P, f.R);
    EXPECT_TRUE(PointIsInfinity(f.R));
}

// k G from the generator's tables, for 256-bit scalars around the group
// order (the last window's addition may meet the accumulator) and the edges.
TEST_P(SecretMultiply, GeneratorTablesAgreeWithOpenSsl) {
    const AffinePoint G{false, "1", test::kGeneratorY};
    Fixture f;
    f.Set(G);
    const field256::Field* field = field256::CurrentField();
    ASSERT_NE(field, nullptr);
    const curve_detail::Affine g = f.Limbs();
    std::vector<std::string> scalars = {"0", "1", "2", "16", "17", "31", "32", "33"};
    for (long c = -34; c <= 34; ++c) scalars.push_back(OrderMultiple(1, c));
    Bn top;
    BN_set_bit(top.get(), 255);
    scalars.push_back(top.Decimal());  // 2^255
    BN_set_bit(top.get(), 254);
    scalars.push_back(top.Decimal());  // 2^255 + 2^254: the top digit is 2
    Bn all;
    BN_set_bit(all.get(), 256);
    BN_sub_word(all.get(), 1);
    scalars.push_back(all.Decimal());  // 2^256 - 1
    std::mt19937_64 rng(1616);
    for (int i = 0; i < 20; ++i) {
        std::uint8_t bytes[32];
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        Bn v;
        BN_bin2bn(bytes, 32, v.get());
        scalars.push_back(v.Decimal());
    }
    for (const std::string& k : scalars) {
        BigFromString(f.k, k.c_str());
        std::uint64_t limbs[4];
        field256::LoadLimbs(f.k, limbs);
        curve_detail::Jacobian R;
        curve_detail::MultiplyGenerator(*field, g, limbs, R);
        curve_detail::Affine a;
        const bool infinite = curve_detail::AffineOf(*field, R, a) != 0;
        field256::StoreLimbs(a.x, f.R->X);
        field256::StoreLimbs(a.y, f.R->Y);
        f.R->marker = infinite ? kPointInfinity : kPointNormalised;
        EXPECT_EQ(f.Get(f.R), ossl_.Multiply(Bn(k.c_str()), G)) << k;
    }
}

// Random scalars on a chain of points (each product is the next point),
// against the portable route: the routes keep values in other forms and
// bounds (the IFMA route redundantly, below small multiples of p), so a carry
// or a bound that only rare values reach shows up here.
TEST_P(SecretMultiply, RoutesAgreeWithThePortableRouteOnManyRandomScalars) {
    if (GetParam() == Route::Portable) GTEST_SKIP() << "the portable route is the reference";
    const AffinePoint G{false, "1", test::kGeneratorY};
    Fixture f;
    f.Set(G);
    const field256::Field* field = field256::CurrentField();
    ASSERT_NE(field, nullptr);
    curve_detail::Affine P = f.Limbs();
    std::mt19937_64 rng(0x5ec);
    for (int i = 0; i < 400; ++i) {
        Limb k[4];
        for (Limb& l : k) l = rng();
        if (i % 4 == 1) k[i / 4 % 4] = 0;         // a zero limb: zero digits in a row
        if (i % 4 == 2) k[i / 4 % 4] = ~Limb{0};  // an all-ones limb
        curve_detail::Jacobian R;
        curve_detail::Affine route, portable;
        ASSERT_TRUE(field256::SelectRoute(GetParam()));
        curve_detail::MultiplySecretPrimeOrder(*field, k, P, R);
        const Limb infinite = curve_detail::AffineOf(*field, R, route);
        ASSERT_TRUE(field256::SelectRoute(Route::Portable));
        curve_detail::MultiplySecretPrimeOrder(*field, k, P, R);
        EXPECT_EQ(curve_detail::AffineOf(*field, R, portable), infinite);
        ASSERT_EQ(std::memcmp(&route, &portable, sizeof route), 0) << "scalar " << i;
        if (infinite == 0) P = route;
    }
}

// Long scalars reduced modulo n against OpenSSL, at the edges of each
// 256-bit chunk (multiples of n and of 2^256, all-ones chunks, a chunk that
// must be reduced before it is added) and for random values, with more limbs
// than the value needs.
TEST_P(SecretMultiply, ScalarsReduceModuloTheGroupOrder) {
    const Bn n(kGroupOrder);
    std::vector<Bn> values;
    for (const char* d : {"0", "1", kGroupOrder}) values.emplace_back(d);
    for (int m : {1, 2, 3})
        for (int c : {-1, 1}) values.emplace_back(OrderMultiple(m, c).c_str());
    for (int bits : {256, 512, 576}) {
        Bn ones;  // 2^bits - 1
        BN_set_bit(ones.get(), bits);
        BN_sub_word(ones.get(), 1);
        values.push_back(ones);
        Bn shifted;  // 2^(bits - 256) n, and one more
        BN_lshift(shifted.get(), n.get(), bits - 256);
        values.push_back(shifted);
        BN_add_word(shifted.get(), 1);
        values.push_back(shifted);
    }
    {  // q 2^256 + 2^256 - 1 with q 2^256 = n - 1 mod n: the low chunk meets a
       // sum just below n, and the two pass 2n
        Bn r, q, top;
        BN_set_bit(r.get(), 256);
        BN_mod_inverse(q.get(), r.get(), n.get(), ossl_.ctx());
        BN_sub(q.get(), n.get(), q.get());
        BN_lshift(top.get(), q.get(), 256);
        BN_add(top.get(), top.get(), r.get());
        BN_sub_word(top.get(), 1);
        values.push_back(top);
    }
    std::mt19937_64 rng(2026);
    for (int bytes : {31, 32, 64, 72}) {
        std::vector<std::uint8_t> raw(bytes);
        for (auto& b : raw) b = static_cast<std::uint8_t>(rng());
        Bn v;
        BN_bin2bn(raw.data(), bytes, v.get());
        values.push_back(v);
    }
    for (const Bn& v : values) {
        for (int limbs : {4, 8, 9, 10}) {
            if (BN_num_bits(v.get()) > 64 * limbs) continue;
            std::vector<std::uint8_t> raw(8 * limbs);
            BN_bn2binpad(v.get(), raw.data(), static_cast<int>(raw.size()));
            std::vector<Limb> s(limbs, 0);
            for (int i = 0; i < 8 * limbs; ++i) s[i / 8] |= Limb{raw[raw.size() - 1 - i]} << (8 * (i % 8));
            Limb r[4];
            curve_detail::ReduceModOrder(s.data(), limbs, r);
            std::uint8_t out[32];
            for (int i = 0; i < 32; ++i) out[31 - i] = static_cast<std::uint8_t>(r[i / 8] >> (8 * (i % 8)));
            Bn got, want;
            BN_bin2bn(out, 32, got.get());
            BN_mod(want.get(), v.get(), n.get(), ossl_.ctx());
            EXPECT_EQ(got.Decimal(), want.Decimal()) << v.Decimal() << " in " << limbs << " limbs";
        }
    }
}

// The key pair's three secrets on the constant-time route against OpenSSL,
// with w chosen so that the scalar or the combined point reaches infinity.
TEST_P(SecretMultiply, KeyPairSecretsAgreeWithOpenSslIncludingInfiniteProducts) {
    DestroyNumberSystem();  // the scalar is rebuilt in a workspace of its own
    const std::string k = test::ScalarFromFixedEntropy();
    ASSERT_FALSE(k.empty());
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    const AffinePoint G{false, "1", test::kGeneratorY};
    const AffinePoint peer = ossl_.Multiply(Bn("31415926535897932384626433832795028841971"), G);
    CurveKeyPair pair{RandomSource(test::FixedEntropy)};
    int parity = 0;
    BigValue publicX;
    ASSERT_TRUE(pair.GenerateKey(parity, publicX));
    BigValue peerX;
    peerX = peer.x.c_str();
    const int peerParity = (peer.y.back() - '0') % 2;
    const auto xOf = [](const AffinePoint& A) { return A.infinity ? std::string("0") : A.x; };

    bool finite = false;
    EXPECT_EQ(pair.SharedSecret(peerParity, peerX, &finite).ToString(), xOf(ossl_.Multiply(Bn(k.c_str()), peer)));
    EXPECT_TRUE(finite);

    // w = n - k: k + w = n, the product is infinity.
    Bn nMinusK(kGroupOrder);
    BN_sub(nMinusK.get(), nMinusK.get(), Bn(k.c_str()).get());
    const std::string ws[] = {
        "0", "1", nMinusK.Decimal(),
        "1340780792994259709957402499820584612747936582059239337772356144372176403007354697680187429816"
        "6903427690031858186486050853753882811946569946433649006084095"};  // 2^512 - 1
    for (const std::string& wText : ws) {
        BigValue w;
        w = wText.c_str();
        Bn s(k.c_str());
        BN_add(s.get(), s.get(), Bn(wText.c_str()).get());
        const AffinePoint scalarBound = ossl_.Multiply(s, peer);
        EXPECT_EQ(pair.SharedSecretScalarBound(peerParity, peerX, w, &finite).ToString(), xOf(scalarBound)) << wText;
        EXPECT_EQ(finite, !scalarBound.infinity) << wText;
        const AffinePoint pointBound =
            ossl_.Multiply(Bn(k.c_str()), ossl_.Add(peer, ossl_.Multiply(Bn(wText.c_str()), G)));
        EXPECT_EQ(pair.SharedSecretPointBound(peerParity, peerX, w, &finite).ToString(), xOf(pointBound)) << wText;
        EXPECT_EQ(finite, !pointBound.infinity) << wText;
    }

    // A peer point that is -w G: P + w G is infinity, and so is the product.
    const std::string wText = "271828182845904523536028747135266249775724709369995";
    const AffinePoint minusWG = ossl_.Multiply(Bn(("-" + wText).c_str()), G);
    BigValue w, minusX;
    w = wText.c_str();
    minusX = minusWG.x.c_str();
    EXPECT_EQ(pair.SharedSecretPointBound((minusWG.y.back() - '0') % 2, minusX, w, &finite).ToString(), "0");
    EXPECT_FALSE(finite);
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
}

}  // namespace
}  // namespace arkseal
