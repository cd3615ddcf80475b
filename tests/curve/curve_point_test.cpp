// Point arithmetic against OpenSSL's prime-field curve arithmetic on the
// 256-bit curve, in both coordinate modes, and the special cases on a tiny
// curve where they can be reached by hand.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include <arkseal/bignum/arithmetic/exponent_recoding.h>
#include <arkseal/curve/curve_point.h>
#include <arkseal/tests/curve/openssl_curve.h>

namespace arkseal {
namespace {

using test::AffinePoint;
using test::Bn;

// Owned numbers and points for the tests.
struct Num {
    BigNumber n = NewBig(0);
    Num() = default;
    explicit Num(const char* decimal) { BigFromString(n, decimal); }
    explicit Num(int v) { BigFromInt(v, n); }
    ~Num() { FreeBig(n); }
    Num(const Num&) = delete;
    Num& operator=(const Num&) = delete;
    operator BigNumber() const { return n; }
};

struct Point {
    CurvePoint* p = PointNew();
    Point() = default;
    ~Point() { PointFree(p); }
    Point(const Point&) = delete;
    Point& operator=(const Point&) = delete;
    operator CurvePoint*() const { return p; }
    CurvePoint* operator->() const { return p; }
};

std::string Decimal(const std::uint32_t* x) { return Bn::From(x).Decimal(); }

AffinePoint AffineOf(CurvePoint* P) {
    AffinePoint a;
    Num x, y;
    const int parity = PointGet(P, x, y);
    EXPECT_GE(parity, 0);
    if (PointIsInfinity(P)) return a;
    a.infinity = false;
    a.x = Decimal(x);
    a.y = Decimal(y);
    EXPECT_EQ(parity, BigRemainderInt(y, 2));
    return a;
}

void Set(CurvePoint* P, const AffinePoint& a) {
    if (a.infinity) {
        ASSERT_EQ(PointSet(nullptr, nullptr, 0, P), 1);
        return;
    }
    Num x(a.x.c_str()), y(a.y.c_str());
    ASSERT_EQ(PointSet(x, y, 0, P), 1);
}

// A random number of exactly `bits` bits with the given sign.
Bn RandomScalar(std::mt19937_64& rng, int bits, bool negative) {
    Bn k;
    BN_zero(k.get());
    for (int i = 0; i < bits - 1; ++i)
        if (rng() & 1) BN_set_bit(k.get(), i);
    BN_set_bit(k.get(), bits - 1);
    BN_set_negative(k.get(), negative);
    return k;
}

class CurveOnPrime : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
        Num a(-3), b(test::kCurveB), p(test::kCurvePrime);
        CurveInit(a, b, p, GetParam());
        G_.infinity = false;
        G_.x = "1";
        G_.y = test::kGeneratorY;
    }
    void TearDown() override {
        EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
        DestroyNumberSystem();
    }
    bool AffineMode() const { return GetParam() == kAffineCoordinates; }
    // Affine points invert on every step: fewer cases there.
    int Iterations(int projective) const { return AffineMode() ? projective / 4 + 1 : projective; }

    AffinePoint Multiply(const Bn& k, const AffinePoint& P) {
        Point p, r;
        Set(p, P);
        Num e;
        k.To(e);
        PointMultiply(e, p, r);
        return AffineOf(r);
    }

    test::OpenSslCurve ossl_;
    AffinePoint G_;
    std::mt19937_64 rng_{20261210};
};

INSTANTIATE_TEST_SUITE_P(Modes, CurveOnPrime, ::testing::Values(0, kAffineCoordinates),
                         [](const auto& info) { return info.param == 0 ? "Jacobian" : "Affine"; });

TEST_P(CurveOnPrime, MultiplyAgreesWithOpenSslForScalarsOf2To300Bits) {
    const int step = AffineMode() ? 37 : 7;
    for (int bits = 2; bits <= 300; bits += step) {
        for (bool negative : {false, true}) {
            const Bn k = RandomScalar(rng_, bits, negative);
            EXPECT_EQ(Multiply(k, G_), ossl_.Multiply(k, G_)) << k.Decimal();
        }
    }
}

TEST_P(CurveOnPrime, MultiplyByZeroOneAndMinusOne) {
    EXPECT_TRUE(Multiply(Bn("0"), G_).infinity);
    EXPECT_EQ(Multiply(Bn("1"), G_), G_);
    const AffinePoint minus = Multiply(Bn("-1"), G_);
    EXPECT_EQ(minus.x, G_.x);
    EXPECT_EQ(minus, ossl_.Multiply(Bn("-1"), G_));
}

// The windows PointMultiply reads for k, in order.
std::vector<int> Windows(const std::uint32_t* k) {
    Num h;
    BigMultiplyInt(k, 3, h);
    std::vector<int> values;
    for (int i = BigBitLength(h) - 2; i > 0;) {
        int nbs = 0, nzs = 0;
        values.push_back(SignedWindow(k, h, i, &nbs, &nzs));
        i -= nbs + nzs;
    }
    return values;
}

TEST_P(CurveOnPrime, MultiplyWithWindowsOfPlusAndMinus21) {
    // Random scalars until one reads a window of 21 and one of -21; plus 21
    // itself, whose top digits are 10101.
    std::vector<Bn> scalars{Bn("21"), Bn("-21")};
    for (int want : {21, -21}) {
        for (int tries = 0; tries < 10000; ++tries) {
            const Bn k = RandomScalar(rng_, 256, false);
            Num e;
            k.To(e);
            const std::vector<int> w = Windows(e);
            if (std::find(w.begin(), w.end(), want) != w.end()) {
                scalars.push_back(k);
                break;
            }
        }
    }
    ASSERT_EQ(scalars.size(), 4u);
    for (const Bn& k : scalars) EXPECT_EQ(Multiply(k, G_), ossl_.Multiply(k, G_)) << k.Decimal();
}

TEST_P(CurveOnPrime, MultiplyIntoTheSamePointAndFromAGeneralPoint) {
    const Bn k = RandomScalar(rng_, 200, false);
    Num e;
    k.To(e);
    Point p;
    Set(p, G_);
    PointDouble(p);  // a general point in Jacobian mode
    const AffinePoint twoG = ossl_.Multiply(Bn("2"), G_);
    PointMultiply(e, p, p);
    EXPECT_EQ(AffineOf(p), ossl_.Multiply(k, twoG));
}

TEST_P(CurveOnPrime, Multiply2ForAllSignCombinations) {
    Point P, PA, R;
    const AffinePoint A = ossl_.Multiply(Bn("12345"), G_);
    for (int eSign : {-1, 0, 1}) {
        for (int eaSign : {-1, 0, 1}) {
            const Bn e = eSign == 0 ? Bn("0") : RandomScalar(rng_, 160, eSign < 0);
            const Bn ea = eaSign == 0 ? Bn("0") : RandomScalar(rng_, 256, eaSign < 0);
            Set(P, G_);
            Set(PA, A);
            Num ne, nea;
            e.To(ne);
            ea.To(nea);
            PointMultiply2(ne, P, nea, PA, R);
            EXPECT_EQ(AffineOf(R), ossl_.Add(ossl_.Multiply(e, G_), ossl_.Multiply(ea, A))) << eSign << " " << eaSign;
        }
    }
}

TEST_P(CurveOnPrime, Multiply2WithEqualAndOppositePoints) {
    // P = PA makes P + PA a doubling; P = -PA makes it infinity.
    const Bn e("1000001"), ea("-999");
    for (int sign : {1, -1}) {
        Point P, PA, R;
        Set(P, G_);
        Set(PA, G_);
        if (sign < 0) PointNegate(PA);
        Num ne, nea;
        e.To(ne);
        ea.To(nea);
        PointMultiply2(ne, P, nea, PA, R);
        const AffinePoint pa = sign > 0 ? G_ : ossl_.Multiply(Bn("-1"), G_);
        EXPECT_EQ(AffineOf(R), ossl_.Add(ossl_.Multiply(e, G_), ossl_.Multiply(ea, pa)));
    }
}

TEST_P(CurveOnPrime, AddSpecialCases) {
    const AffinePoint A = ossl_.Multiply(Bn("777"), G_);
    Point P, Q;
    // Different points.
    Set(P, G_);
    Set(Q, A);
    PointAdd(P, Q);
    EXPECT_EQ(AffineOf(Q), ossl_.Add(G_, A));
    // General (Jacobian) points on both sides.
    Set(P, G_);
    PointDouble(P);
    Set(Q, A);
    PointDouble(Q);
    PointAdd(P, Q);
    EXPECT_EQ(AffineOf(Q), ossl_.Multiply(Bn("1556"), G_));
    // The same record doubles; equal records of one point double too.
    Set(P, A);
    PointAdd(P, P);
    EXPECT_EQ(AffineOf(P), ossl_.Multiply(Bn("1554"), G_));
    Set(P, A);
    Set(Q, A);
    PointAdd(P, Q);
    EXPECT_EQ(AffineOf(Q), ossl_.Multiply(Bn("1554"), G_));
    // P + (-P) is infinity; subtracting a point from itself too.
    Set(P, A);
    Set(Q, A);
    PointNegate(Q);
    PointAdd(P, Q);
    EXPECT_TRUE(PointIsInfinity(Q));
    PointSubtract(P, P);
    EXPECT_TRUE(PointIsInfinity(P));
    // Infinity added to PA leaves PA; P added to an infinite PA copies P.
    Set(P, {});
    Set(Q, A);
    PointAdd(P, Q);
    EXPECT_EQ(AffineOf(Q), A);
    Set(P, A);
    Set(Q, {});
    PointAdd(P, Q);
    EXPECT_EQ(AffineOf(Q), A);
    // Subtraction restores the subtrahend.
    Set(P, G_);
    Set(Q, A);
    PointSubtract(P, Q);
    EXPECT_EQ(AffineOf(Q), ossl_.Multiply(Bn("776"), G_));
    EXPECT_EQ(AffineOf(P), G_);
}

TEST_P(CurveOnPrime, CompressedFormGivesBothParities) {
    for (int i = 0; i < Iterations(8); ++i) {
        const AffinePoint Q = ossl_.Multiply(RandomScalar(rng_, 256, false), G_);
        Num x(Q.x.c_str());
        for (int bit : {0, 1}) {
            Point P;
            ASSERT_EQ(PointSet(x, x, bit, P), 1);
            Num gx;
            EXPECT_EQ(PointGet(P, gx, gx), bit);
            EXPECT_EQ(AffineOf(P), ossl_.Decompress(Bn(Q.x.c_str()), bit));
        }
    }
}

TEST_P(CurveOnPrime, SetRefusesPointsOffTheCurveAndLeavesThePoint) {
    // x values with no point, found with OpenSSL.
    int refused = 0;
    for (int x = 2; refused < 3; ++x) {
        const std::string xs = std::to_string(x);
        if (!ossl_.Decompress(Bn(xs.c_str()), 0).infinity) continue;
        Point P;
        Set(P, G_);
        Num nx(xs.c_str());
        EXPECT_EQ(PointSet(nx, nx, 0, P), 0);
        EXPECT_EQ(AffineOf(P), G_);
        Point fresh;
        EXPECT_EQ(PointSet(nx, nx, 1, fresh), 0);
        EXPECT_TRUE(PointIsInfinity(fresh));
        ++refused;
    }
    Point P;
    Num x("1"), y(test::kGeneratorY);
    BigAddInt(y, 1, y);
    EXPECT_EQ(PointSet(x, y, 0, P), 0);
    EXPECT_TRUE(PointIsInfinity(P));
}

TEST_P(CurveOnPrime, GetOfTheGeneratorAndOfInfinity) {
    Point P;
    Set(P, G_);
    Num x, y;
    EXPECT_EQ(PointGet(P, x, y), 0);  // the generator's y is even
    EXPECT_EQ(Decimal(x), "1");
    EXPECT_EQ(Decimal(y), test::kGeneratorY);
    Point inf;
    BigFromInt(5, x);
    BigFromInt(6, y);
    EXPECT_EQ(PointGet(inf, x, y), 0);
    EXPECT_EQ(x[0], 0u);
    EXPECT_EQ(y[0], 0u);
}

TEST_P(CurveOnPrime, EqualComparesAffineXAndParity) {
    Point P, Q;
    Set(P, G_);
    Set(Q, G_);
    PointDouble(Q);
    PointDouble(Q);
    Point R;
    Num four(4);
    PointMultiply(four, P, R);
    EXPECT_EQ(PointEqual(Q, R), 1);  // 4G two ways, Jacobian forms differ
    EXPECT_EQ(PointEqual(P, P), 1);
    EXPECT_EQ(PointEqual(P, Q), 0);
    PointNegate(R);
    EXPECT_EQ(PointEqual(Q, R), 0);
}

TEST_P(CurveOnPrime, MultiplyManyTakesAbsoluteValues) {
    const AffinePoint A = ossl_.Multiply(Bn("31337"), G_);
    const AffinePoint B = ossl_.Multiply(Bn("-4242"), G_);
    Point P0, P1, P2, R;
    Set(P0, G_);
    Set(P1, A);
    Set(P2, B);
    const Bn e0 = RandomScalar(rng_, 100, true), e1 = RandomScalar(rng_, 256, false), e2 = RandomScalar(rng_, 3, true);
    Num n0, n1, n2;
    e0.To(n0);
    e1.To(n1);
    e2.To(n2);
    BigNumber e[] = {n0, n1, n2};
    CurvePoint* points[] = {P0, P1, P2};
    PointMultiplyMany(3, e, points, R);
    Bn a0(e0), a2(e2);
    BN_set_negative(a0.get(), 0);
    BN_set_negative(a2.get(), 0);
    EXPECT_EQ(AffineOf(R), ossl_.Add(ossl_.Add(ossl_.Multiply(a0, G_), ossl_.Multiply(e1, A)), ossl_.Multiply(a2, B)));
}

TEST_P(CurveOnPrime, AddManyMatchesSingleAdditions) {
    // general sum, doubling (equal points), opposite points, x at infinity,
    // w at infinity.
    const AffinePoint A = ossl_.Multiply(Bn("5"), G_), B = ossl_.Multiply(Bn("9"), G_);
    const AffinePoint minusA = ossl_.Multiply(Bn("-5"), G_);
    const std::vector<std::pair<AffinePoint, AffinePoint>> cases = {{A, B},  {A, A},  {A, minusA},
                                                                    {{}, B}, {A, {}}, {{}, {}}};
    std::vector<Point> xs(cases.size()), ws(cases.size());
    std::vector<CurvePoint*> xp, wp;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Set(xs[i], cases[i].first);
        Set(ws[i], cases[i].second);
        xp.push_back(xs[i]);
        wp.push_back(ws[i]);
    }
    PointAddMany(static_cast<int>(cases.size()), xp.data(), wp.data());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(AffineOf(ws[i]), ossl_.Add(cases[i].first, cases[i].second)) << i;
}

// Only Jacobian points carry a Z.
class JacobianCurveOnPrime : public CurveOnPrime {};
INSTANTIATE_TEST_SUITE_P(Modes, JacobianCurveOnPrime, ::testing::Values(0));

TEST_P(JacobianCurveOnPrime, GetReportsAZThatCannotBeInverted) {
    Point P;
    Set(P, G_);
    PointDouble(P);
    BigZero(P->Z);  // not a point of any curve: only the inversion matters
    Num x, y;
    EXPECT_EQ(PointGet(P, x, y), -1);
    EXPECT_EQ(PointNormalise(P), 0);
}

TEST_P(CurveOnPrime, PendingErrorStopsEveryOperation) {
    Point P, R;
    Set(P, G_);
    Set(R, G_);
    RaiseNumberError(kErrorOverflow);
    EXPECT_EQ(PointNew(), nullptr);
    Num seven;
    EXPECT_EQ(seven.n, nullptr);
    PointDouble(R);
    PointAdd(P, R);
    EXPECT_EQ(R->marker, kPointNormalised);
    EXPECT_EQ(PointNormalise(R), 0);
    CurrentNumberSystem()->errorCode = 0;  // let TearDown pass
    EXPECT_EQ(AffineOf(R), G_);
}

// Curves that take the general field route: a 224-bit prime (seven words,
// so not the four-limb field) with A = -3 and with A = 0, and a 256-bit
// prime with A = 5 (general doubling, four-limb addition).
struct OtherCurve {
    const char* name;
    const char* prime;
    int a;
    const char* b;
};

const OtherCurve kOtherCurves[] = {
    {"p224_minus3", "25408409285143289383990232728883175977425857690906964260117443673383", -3, "7"},
    {"p224_zero", "25408409285143289383990232728883175977425857690906964260117443673383", 0, "9"},
    {"p256_five", "111811464646464370943586874286472331970798657285281162480711834407987198116783", 5, "11"},
};

class OtherCurves : public ::testing::TestWithParam<OtherCurve> {
protected:
    void SetUp() override {
        ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
        ossl_ = std::make_unique<test::OpenSslCurve>(GetParam().prime, GetParam().a, GetParam().b);
        Num a(GetParam().a), b(GetParam().b), p(GetParam().prime);
        CurveInit(a, b, p, 0);
        for (int x = 1; G_.infinity; ++x) G_ = ossl_->Decompress(Bn(std::to_string(x).c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
        DestroyNumberSystem();
    }
    std::unique_ptr<test::OpenSslCurve> ossl_;
    AffinePoint G_;
    std::mt19937_64 rng_{7};
};

INSTANTIATE_TEST_SUITE_P(GeneralRoute, OtherCurves, ::testing::ValuesIn(kOtherCurves),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(OtherCurves, MultiplyAndMultiply2AgreeWithOpenSsl) {
    Point P, PA, R;
    for (int bits : {2, 17, 100, 224, 256}) {
        for (bool negative : {false, true}) {
            const Bn k = RandomScalar(rng_, bits, negative), ka = RandomScalar(rng_, 150, !negative);
            Num e, ea;
            k.To(e);
            ka.To(ea);
            Set(P, G_);
            PointMultiply(e, P, R);
            EXPECT_EQ(AffineOf(R), ossl_->Multiply(k, G_)) << k.Decimal();
            const AffinePoint A = ossl_->Multiply(Bn("3"), G_);
            Set(P, G_);
            Set(PA, A);
            PointMultiply2(e, P, ea, PA, R);
            EXPECT_EQ(AffineOf(R), ossl_->Add(ossl_->Multiply(k, G_), ossl_->Multiply(ka, A))) << k.Decimal();
        }
    }
    // Compressed points here too, with the square root of a general modulus.
    const AffinePoint Q = ossl_->Multiply(Bn("99991"), G_);
    Num x(Q.x.c_str());
    for (int bit : {0, 1}) {
        ASSERT_EQ(PointSet(x, x, bit, P), 1);
        EXPECT_EQ(AffineOf(P), ossl_->Decompress(Bn(Q.x.c_str()), bit));
    }
}

// A curve small enough to reach every special case: y^2 = x^3 + x + 0 mod 23
// has the point (0, 0) with y = 0, and orders that let repeated addition
// check every multiple.
class TinyCurve : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
        Num a(1), b(0), p(23);
        CurveInit(a, b, p, GetParam());
    }
    void TearDown() override {
        EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
        DestroyNumberSystem();
    }
};

INSTANTIATE_TEST_SUITE_P(Modes, TinyCurve, ::testing::Values(0, kAffineCoordinates),
                         [](const auto& info) { return info.param == 0 ? "Jacobian" : "Affine"; });

TEST_P(TinyCurve, DoublingAPointWithYZeroGivesInfinity) {
    Point P;
    Num zero(0);
    ASSERT_EQ(PointSet(zero, zero, 0, P), 1);
    PointDouble(P);
    EXPECT_TRUE(PointIsInfinity(P));
}

TEST_P(TinyCurve, MultiplyAgreesWithRepeatedAddition) {
    Num x(9), y(5);  // 5^2 = 25 = 2, 9^3 + 9 = 738 = 2 mod 23
    Point G, sum, R;
    ASSERT_EQ(PointSet(x, y, 0, G), 1);
    for (int k = 1; k <= 40; ++k) {
        PointAdd(G, sum);
        for (int sign : {1, -1}) {
            Num e(sign * k);
            PointMultiply(e, G, R);
            if (sign < 0) PointNegate(R);
            EXPECT_EQ(PointEqual(R, sum), 1) << sign * k;
            EXPECT_EQ(PointIsInfinity(R), PointIsInfinity(sum)) << sign * k;
        }
    }
}

}  // namespace
}  // namespace arkseal

namespace arkseal {
namespace {

// A workspace in base 10^9: scalar multiplication takes the comparison
// route instead of the signed windows, and PointMultiplyMany refuses.
class DecimalWorkspace : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CreateNumberSystem(100, 10), nullptr);
        Num a(-3), b(test::kCurveB), p(test::kCurvePrime);
        CurveInit(a, b, p, 0);
        G_ = PointNew();
        Num x(1), y(test::kGeneratorY);
        ASSERT_EQ(PointSet(x, y, 0, G_), 1);
    }
    void TearDown() override {
        PointFree(G_);
        DestroyNumberSystem();
    }
    CurvePoint* G_ = nullptr;
};

TEST_F(DecimalWorkspace, MultiplyByComparisonAgreesWithOpenSsl) {
    const test::OpenSslCurve ossl;
    const AffinePoint g{false, "1", test::kGeneratorY};
    std::mt19937_64 rng(3);
    Point R;
    for (int bits : {2, 5, 64, 255}) {
        for (bool negative : {false, true}) {
            const Bn k = RandomScalar(rng, bits, negative);
            Num e(k.Decimal().c_str());
            PointMultiply(e, G_, R);
            EXPECT_EQ(AffineOf(R), ossl.Multiply(k, g)) << k.Decimal();
        }
    }
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
}

TEST_F(DecimalWorkspace, MultiplyManyNeedsAPowerOfTwoBase) {
    Point R;
    Num e(5);
    BigNumber scalars[] = {e};
    CurvePoint* points[] = {G_};
    PointMultiplyMany(1, scalars, points, R);
    EXPECT_EQ(CurrentNumberSystem()->errorCode, kErrorNeedsPowerOfTwoBase);
    EXPECT_TRUE(PointIsInfinity(R));
}

}  // namespace
}  // namespace arkseal

namespace arkseal {
namespace {

// A sum made by PointAddMany in affine mode carries the marker `general`
// without a Z; after switching the same curve to Jacobian coordinates it
// must still be read as the affine point it is.
TEST(CoordinateModes, AffineSumsStayUsableInJacobianMode) {
    ASSERT_NE(CreateNumberSystem(640, 0), nullptr);
    {
        const test::OpenSslCurve ossl;
        const AffinePoint g{false, "1", test::kGeneratorY};
        Num a(-3), b(test::kCurveB), p(test::kCurvePrime);
        CurveInit(a, b, p, kAffineCoordinates);
        Point x, w, other, R;
        Set(x, g);
        Set(w, ossl.Multiply(Bn("2"), g));
        CurvePoint* xs[] = {x};
        CurvePoint* ws[] = {w};
        PointAddMany(1, xs, ws);
        CurveInit(a, b, p, 0);
        Set(other, ossl.Multiply(Bn("10"), g));
        PointAdd(w, other);  // w as the added point
        EXPECT_EQ(AffineOf(other), ossl.Multiply(Bn("13"), g));
        Num seven(7);
        PointMultiply(seven, w, R);
        EXPECT_EQ(AffineOf(R), ossl.Multiply(Bn("21"), g));
        EXPECT_EQ(AffineOf(w), ossl.Multiply(Bn("3"), g));
    }
    EXPECT_EQ(CurrentNumberSystem()->errorCode, 0);
    DestroyNumberSystem();
}

}  // namespace
}  // namespace arkseal
