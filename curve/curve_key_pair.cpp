#include <arkseal/curve/curve_key_pair.h>

#include <cstdint>
#include <vector>

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/field256/field256.h>
#include <arkseal/curve/constant_time.h>
#include <arkseal/curve/curve_domain.h>
#include <arkseal/curve/curve_internal.h>
#include <arkseal/curve/generator_comb.h>
#include <arkseal/curve/order_reduction.h>
#include <arkseal/curve/secret_multiply.h>
#include <arkseal/curve/strong_random.h>

namespace arkseal {
namespace {

// The domain: p is a 256-bit prime with p = 3 mod 4, and (1, Gy) lies on
// y^2 = x^3 - 3x + B.
constexpr const char* kGeneratorX = "1";
constexpr const char* kGeneratorY = "51289739734510562976895380525256763300476168821636300126346201758371757118206";
constexpr const char* kPrime = "115324781748134865946503563657643838352352623747656242345890742746828256867467";
constexpr const char* kCoefficientA = "-3";
constexpr const char* kCoefficientB = "25389140340672155341527372976612393184553582461816899055687141548002290977046";

constexpr int kSeedBytes = 255;

using namespace curve_detail;

// k as a general number, for the general route.
BigValue PrivateKeyValue(const std::uint64_t k[4]) {
    std::uint8_t bytes[32];
    for (int i = 0; i < 32; ++i) bytes[31 - i] = static_cast<std::uint8_t>(k[i / 8] >> (8 * (i % 8)));
    BigValue value = BigValue::FromBytes(32, bytes);
    SecureWipe(bytes, sizeof bytes);
    return value;
}

// The limbs of a non-negative w: as many as its length needs, at least eight
// (a 512-bit digest), plus `extra` zero limbs. Only w's length decides the
// count; its digits are read, never branched on.
std::vector<std::uint64_t> ScalarLimbs(const BigValue& w, int extra) {
    const std::uint32_t* n = w.Handle();
    const int words = detail::NumeratorLength(n);
    const int limbs = (words > 16 ? (words + 1) / 2 : 8) + extra;
    std::vector<std::uint64_t> out(static_cast<std::size_t>(limbs), 0);
    for (int i = 0; i < words; ++i) out[i / 2] |= static_cast<std::uint64_t>(n[1 + i]) << (32 * (i % 2));
    return out;
}

// J = P (Z = 0 at infinity).
void LoadPoint(const field256::Field& f, const PointValue& P, Jacobian& J) {
    J = Jacobian{};
    const CurvePoint* p = P.Handle();
    if (p == nullptr || p->marker == kPointInfinity) return;
    PointNormalise(P.Handle());
    field256::LoadLimbs(p->X, J.X);
    field256::LoadLimbs(p->Y, J.Y);
    field256::Copy(f.one, J.Z);
}

// n = v. The digits are stored, and the length found, the same way for every
// value; the length word itself is public from here on, since every number
// operation (clearing the number on release included) reads it.
void StoreNumber(const Element v, BigNumber n) {
    field256::StoreLimbs(v, n);
    Declassify(n, sizeof n[0]);
}

// P = the affine point a, or infinity. The coordinates are stored in the same
// way for every value.
void StorePoint(const field256::Field& f, const Affine& a, bool infinite, PointValue& P) {
    CurvePoint* p = P.Handle();
    if (p == nullptr) return;
    StoreNumber(a.x, p->X);
    StoreNumber(a.y, p->Y);
    if (p->Z != nullptr) field256::StoreLimbs(f.one, p->Z);
    p->marker = kPointNormalised;
    if (infinite) PointSet(nullptr, nullptr, 0, p);
}

// The four-limb field of the curve, or nullptr when another curve has been
// activated since the pair was made (then the general route runs).
const field256::Field* CurveField() {
    const field256::Field* f = field256::CurrentField();
    return f != nullptr && CurrentNumberSystem()->curveASmall == -3 ? f : nullptr;
}

// x of the product as a number: the product is kept in `keep`; `finite`
// tells whether it is finite.
BigValue ProductSecret(const field256::Field& f, const Jacobian& product, PointValue& keep, bool* finite) {
    Affine a;
    const bool infinite = Declassified(AffineOf(f, product, a)) != 0;
    StorePoint(f, a, infinite, keep);
    if (finite != nullptr) *finite = !infinite;
    Element plain;
    curve_detail::FromMontgomery(f, a.x, plain);
    BigValue x;
    StoreNumber(plain, x.Handle());
    SecureWipe(&a, sizeof a);
    SecureWipe(plain, sizeof plain);
    return x;
}

}  // namespace

CurveKeyPair::CurveKeyPair(RandomSource source) {
    generatorX_ = kGeneratorX;
    generatorY_ = kGeneratorY;
    prime_ = kPrime;
    coefficientA_ = kCoefficientA;
    coefficientB_ = kCoefficientB;
    Seed(source);
    CurveInit(coefficientA_, coefficientB_, prime_, 0);
    const PointValue G(generatorX_, generatorY_);
    generator_ = G;
}

bool CurveKeyPair::Seed(const RandomSource& source) {
    std::uint8_t raw[kSeedBytes];
    std::uint32_t word = 0;
    const bool filled = source.FillBytes(raw, sizeof raw) && source.FillWords(&word, 1);
    if (filled) {
        StrongSeed(kSeedBytes, raw, word);
        seeded_ = true;
    }
    SecureWipe(raw, sizeof raw);
    SecureWipe(&word, sizeof word);
    return filled;
}

CurveKeyPair::~CurveKeyPair() { SecureWipe(privateKey_, sizeof privateKey_); }

bool CurveKeyPair::GenerateKey(int& parity, BigValue& x) {
    if (!seeded_) return false;
    std::uint8_t bytes[32];
    StrongBytesBelowPowerOf256(32, bytes);
    for (int i = 0; i < 4; ++i) {
        privateKey_[i] = 0;
        for (int j = 0; j < 8; ++j) privateKey_[i] |= static_cast<std::uint64_t>(bytes[31 - 8 * i - j]) << (8 * j);
    }
    SecureWipe(bytes, sizeof bytes);
    publicPoint_ = generator_;
    if (const field256::Field* f = CurveField()) {
        Jacobian G, Q;
        LoadPoint(*f, generator_, G);
        Affine g;
        field256::Copy(G.X, g.x);
        field256::Copy(G.Y, g.y);
        MultiplyGenerator(*f, g, privateKey_, Q);
        Affine a;
        const bool infinite = Declassified(AffineOf(*f, Q, a)) != 0;
        Declassify(&a, sizeof a);  // the public point
        StorePoint(*f, a, infinite, publicPoint_);
    } else {
        publicPoint_ *= PrivateKeyValue(privateKey_);
    }
    parity = publicPoint_.GetX(x);
    return true;
}

bool CurveKeyPair::IsCurvePoint(const BigValue& x) const {
    if (x < BigValue() || !(x < prime_)) return false;
    return curve_detail::IsCurveX(x.Handle()) == 1;
}

BigValue CurveKeyPair::SecretOf(PointValue& product, bool* finite) {
    if (finite != nullptr) *finite = !product.IsInfinity();
    BigValue x;
    product.GetX(x);
    return x;
}

BigValue CurveKeyPair::SharedSecret(int parity, const BigValue& x, bool* finite) {
    {
        const PointValue P(x, parity);
        sharedPoint_ = P;
    }
    const field256::Field* f = CurveField();
    if (f == nullptr) {
        sharedPoint_ *= PrivateKeyValue(privateKey_);
        return SecretOf(sharedPoint_, finite);
    }
    Jacobian S;
    LoadPoint(*f, sharedPoint_, S);
    if (IsDomainCurve(*f) && !sharedPoint_.IsInfinity()) {
        Affine P;
        field256::Copy(S.X, P.x);
        field256::Copy(S.Y, P.y);
        MultiplySecretPrimeOrder(*f, privateKey_, P, S);
    } else {
        MultiplySecret(*f, privateKey_, 4, S, S);
    }
    return ProductSecret(*f, S, sharedPoint_, finite);
}

BigValue CurveKeyPair::SharedSecretScalarBound(int parity, const BigValue& x, const BigValue& w, bool* finite) {
    PointValue P(x, parity);
    const field256::Field* f = CurveField();
    if (f == nullptr || w < BigValue()) {
        P *= PrivateKeyValue(privateKey_) + w;
        return SecretOf(P, finite);
    }
    // s = k + w on limbs, one more than w's (at least 512 bits). A finite
    // point of the agreement's curve has the order n, so s mod n gives the
    // same product on the route for 256-bit scalars.
    std::vector<std::uint64_t> s = ScalarLimbs(w, 1);
    Carry carry = 0;
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = AddCarry(s[i], i < 4 ? privateKey_[i] : 0, carry);
    Jacobian S;
    LoadPoint(*f, P, S);
    if (IsDomainCurve(*f) && !P.IsInfinity()) {
        Limb reduced[4];
        ReduceModOrder(s.data(), static_cast<int>(s.size()), reduced);
        Affine a;
        field256::Copy(S.X, a.x);
        field256::Copy(S.Y, a.y);
        MultiplySecretPrimeOrder(*f, reduced, a, S);
        SecureWipe(reduced, sizeof reduced);
    } else {
        MultiplySecret(*f, s.data(), static_cast<int>(s.size()), S, S);
    }
    SecureWipe(s.data(), s.size() * sizeof s[0]);
    return ProductSecret(*f, S, P, finite);
}

BigValue CurveKeyPair::SharedSecretPointBound(int parity, const BigValue& x, const BigValue& w, bool* finite) {
    PointValue T{BigValue(generatorX_), BigValue(generatorY_)};
    PointValue S(x, parity);
    const field256::Field* f = CurveField();
    if (f == nullptr) {
        T *= w;
        S += T;
        S *= PrivateKeyValue(privateKey_);
        return SecretOf(S, finite);
    }
    // T = w G, S = P + T, S = k S; w's sign is public. On the agreement's
    // curve G has the order n: |w| mod n takes the generator's tables.
    std::vector<std::uint64_t> magnitude = ScalarLimbs(w < BigValue() ? -w : w, 0);
    Jacobian t, sum;
    LoadPoint(*f, T, t);
    if (IsDomainCurve(*f)) {
        Limb reduced[4];
        ReduceModOrder(magnitude.data(), static_cast<int>(magnitude.size()), reduced);
        Affine g;
        field256::Copy(t.X, g.x);
        field256::Copy(t.Y, g.y);
        MultiplyGenerator(*f, g, reduced, t);
        SecureWipe(reduced, sizeof reduced);
    } else {
        MultiplySecret(*f, magnitude.data(), static_cast<int>(magnitude.size()), t, t);
    }
    field256::NegateIf(*f, w < BigValue() ? ~Limb{0} : 0, t.Y, t.Y);
    SecureWipe(magnitude.data(), magnitude.size() * sizeof magnitude[0]);
    LoadPoint(*f, S, sum);
    AddSecret(*f, t, sum);
    MultiplySecret(*f, privateKey_, 4, sum, sum);
    return ProductSecret(*f, sum, S, finite);
}

}  // namespace arkseal
