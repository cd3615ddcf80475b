// A key pair on the fixed 256-bit curve y^2 = x^3 - 3x + B mod p, with its
// generator G = (1, Gy), a private scalar k and the public point Q = k G,
// and the three shared-secret computations of the key exchange. A shared
// secret is the affine x of a product point. The group order is not used: no
// scalar is reduced by it.
//
// The pair activates the curve in the calling thread's workspace (projective
// coordinates) and seeds that workspace's strong generator; it must be used
// on that thread.
//
// The private scalar never enters a general number: it is drawn as bytes,
// held in limbs, and every computation on it (the multiplications, the sum
// k + w, the shared point's x and its conversion to a number) runs in time
// that does not depend on its value or on the value of w; only the lengths
// of the numbers, the peer's public value and the public point decide the
// path.
#pragma once

#include <cstdint>

#include <arkseal/curve/big_value.h>
#include <arkseal/curve/point_value.h>
#include <arkseal/curve/random_source.h>

namespace arkseal {

class CurveKeyPair {
public:
    // Loads the domain constants, seeds the strong generator from 255 bytes
    // and one word of `source` (not kept), and activates the curve.
    explicit CurveKeyPair(RandomSource source);
    ~CurveKeyPair();
    CurveKeyPair(const CurveKeyPair&) = delete;
    CurveKeyPair& operator=(const CurveKeyPair&) = delete;

    // Seeds (or reseeds) the strong generator from source; false, seeding
    // nothing, when the source fails to deliver.
    bool Seed(const RandomSource& source);
    bool Seeded() const { return seeded_; }

    // A new k, uniform below 2^256, and Q = k G: x of Q and the parity of its
    // y. False, changing nothing, while the generator has never been seeded
    // from real entropy.
    bool GenerateKey(int& parity, BigValue& x);

    // True when x (0 <= x < p) is the x of a curve point: the peer's public
    // value then names a point.
    bool IsCurvePoint(const BigValue& x) const;

    // x of k P, P the peer's point rebuilt from (parity, x).
    BigValue SharedSecret(int parity, const BigValue& x, bool* finite = nullptr);
    // x of (k + w) P.
    BigValue SharedSecretScalarBound(int parity, const BigValue& x, const BigValue& w, bool* finite = nullptr);
    // x of k (P + w G). With the same w, one side's scalar-bound secret equals
    // the other side's point-bound secret: x of (k1 + w) k2 G.
    BigValue SharedSecretPointBound(int parity, const BigValue& x, const BigValue& w, bool* finite = nullptr);
    // (`finite`, when given, is set to whether the product point is finite.)

    const PointValue& Generator() const { return generator_; }
    const BigValue& Prime() const { return prime_; }

private:
    BigValue SecretOf(PointValue& product, bool* finite);

    BigValue generatorX_;
    BigValue generatorY_;
    BigValue coefficientA_;
    BigValue coefficientB_;
    PointValue generator_;
    PointValue publicPoint_;
    PointValue sharedPoint_;
    BigValue prime_;
    std::uint64_t privateKey_[4] = {};  // k, least significant limb first
    bool seeded_ = false;
};

}  // namespace arkseal
