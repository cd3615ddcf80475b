// Point arithmetic on y^2 = x^3 + A x + B over the prime field of the
// workspace's current modulus.
//
// One curve is active per workspace; CurveInit activates it and installs p as
// the Montgomery modulus. Coordinates stay in Montgomery form from PointSet
// to PointGet. In projective mode (any mode but 1) points are Jacobian
// triples (x = X/Z^2, y = Y/Z^3); adding a normalised point takes the mixed
// formulas, and with A = -3 a doubling saves two products.
//
// Every operation returns at once (0 where it has a result) while the
// workspace holds an error; the caller checks errorCode after a long
// computation. No operation checks that its points lie on the active curve.
// Flag results are 1 for success and 0 for failure. Outputs may alias inputs.
// The formulas use scratch numbers 11-16, as well as those of the Montgomery
// operations; PointSet also those of the square root.
#pragma once

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

enum PointMarker : int {
    kPointGeneral = 0,     // (X, Y, Z) is a Jacobian triple
    kPointNormalised = 1,  // X, Y are the affine coordinates; Z, if present, is one
    kPointInfinity = 2,    // the point at infinity; X and Y carry no meaning
};

constexpr int kAffineCoordinates = 1;

// Owned by the caller, made by PointNew and released by PointFree.
struct CurvePoint {
    BigNumber X;
    BigNumber Y;
    BigNumber Z;  // created by the first projective operation that needs it
    int marker;
};

// Activates y^2 = x^3 + a x + b mod p in coordinate mode `mode`. Values in
// Montgomery form under an earlier modulus, points included, lose their
// meaning.
void CurveInit(const std::uint32_t* a, const std::uint32_t* b, const std::uint32_t* p, int mode);

// A new point at infinity; nullptr while an error is pending.
CurvePoint* PointNew();
// Releases P and its numbers (cleared first); nullptr is ignored.
void PointFree(CurvePoint* P);

// x or y nullptr: P = infinity, 1. x and y one handle: compressed form, y is
// the root of the right-hand side whose parity is `bit`; 0 when there is
// none. Otherwise P = (x, y) when it lies on the curve, else 0. A failed call
// leaves P as it was.
int PointSet(const std::uint32_t* x, const std::uint32_t* y, int bit, CurvePoint* P);
// x, y = affine coordinates of P as ordinary numbers; returns y mod 2. At
// infinity x = y = 0 and 0. -1 when Z is not invertible. When x and y are one
// handle (or y is nullptr) only x is written.
int PointGet(CurvePoint* P, BigNumber x, BigNumber y);
// Turns a general point into a normalised one; 0, P unchanged, when Z is not
// invertible.
int PointNormalise(CurvePoint* P);

void PointCopy(const CurvePoint* a, CurvePoint* b);  // b = a
// 1 when a and b are one record or PointGet gives both the same x and parity.
int PointEqual(CurvePoint* a, CurvePoint* b);
int PointIsInfinity(const CurvePoint* P);  // 1 when P is present and at infinity

void PointNegate(CurvePoint* P);                    // P = -P
void PointDouble(CurvePoint* P);                    // P = 2P
void PointAdd(CurvePoint* P, CurvePoint* PA);       // PA = PA + P
void PointSubtract(CurvePoint* P, CurvePoint* PA);  // PA = PA - P (P is restored)

// R = e P for any signed e (P is normalised in place). On a 256-bit field
// (eight digit words in base 2^32) with A = -3 its steps depend on e's length
// and sign only, not on its digits: secret scalars may be passed.
void PointMultiply(const std::uint32_t* e, CurvePoint* P, CurvePoint* R);
// R = e P + ea PA (P and PA are normalised in place).
void PointMultiply2(const std::uint32_t* e, CurvePoint* P, const std::uint32_t* ea, CurvePoint* PA, CurvePoint* R);
// R = sum of |e[i]| P[i] for i < n; error 22 unless the base is a power of two.
void PointMultiplyMany(int n, const BigNumber* e, CurvePoint* const* P, CurvePoint* R);
// w[i] = w[i] + x[i] for every i < m; in affine mode with one shared inversion.
void PointAddMany(int m, CurvePoint* const* x, CurvePoint* const* w);

}  // namespace arkseal
