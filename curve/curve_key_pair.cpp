#include "curve/curve_key_pair.h"

#include <cstdint>

#include "bignum/big_arithmetic.h"
#include "crypto/wipe.h"
#include "curve/strong_random.h"

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

bool CurveKeyPair::GenerateKey(int& parity, BigValue& x) {
    if (!seeded_) return false;
    BigValue bound;
    BigIntPower(2, 256, bound.Handle());
    StrongBigBelow(bound.Handle(), privateKey_.Handle());
    publicPoint_ = generator_;
    publicPoint_ *= privateKey_;
    parity = publicPoint_.GetX(x);
    return true;
}

bool CurveKeyPair::IsCurvePoint(const BigValue& x) const {
    if (x < BigValue() || !(x < prime_)) return false;
    PointValue P;
    return P.Handle() != nullptr && PointSet(x.Handle(), x.Handle(), 0, P.Handle()) == 1;
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
    sharedPoint_ *= privateKey_;
    return SecretOf(sharedPoint_, finite);
}

BigValue CurveKeyPair::SharedSecretScalarBound(int parity, const BigValue& x, const BigValue& w, bool* finite) {
    PointValue P(x, parity);
    P *= privateKey_ + w;
    return SecretOf(P, finite);
}

BigValue CurveKeyPair::SharedSecretPointBound(int parity, const BigValue& x, const BigValue& w, bool* finite) {
    PointValue T{BigValue(generatorX_), BigValue(generatorY_)};
    T *= w;
    PointValue S(x, parity);
    S += T;
    S *= privateKey_;
    return SecretOf(S, finite);
}

}  // namespace arkseal
