// Jacobian point formulas on the four-limb field, for curves with A = -3,
// written once over the field route's operations (Ops::Multiply,
// Ops::Square).
//
// A point is (X, Y, Z) with x = X/Z^2, y = Y/Z^3; Z = 0 is the point at
// infinity. Doubling, with Z2 = Z^2:
//   M = 3 (X - Z2)(X + Z2),  Z' = 2 Y Z,  T = Y^2,  S = 4 X T,
//   X' = M^2 - 2 S,  Y' = M (S - X') - 8 T^2
// which needs no special case: Y = 0 or Z = 0 give Z' = 0, infinity.
// Addition of P into PA:
//   U1 = X_PA Z_P^2, S1 = Y_PA Z_P^3, U2 = X_P Z_PA^2, S2 = Y_P Z_PA^3
//   H = U1 - U2, R = S1 - S2, T = U1 + U2 = H + 2 U2, V = S1 + S2 = R + 2 S2
//   Z' = Z_PA Z_P H,  X' = R^2 - H^2 T,  Y' = (R (H^2 T - 2 X') - H^3 V) / 2
// (a P with Z_P = 1 drops four products). For P = -PA it gives H = 0 and so
// Z' = 0, infinity, as it should; for P = PA (H = R = 0) and for an infinite
// operand it gives nothing useful, and the complete forms below choose the
// right answer by masks instead.
//
// Every routine takes the same path for every value. Outputs may alias
// inputs.
#pragma once

#include "bignum/field256.h"

namespace arkseal::curve_detail {

using field256::Element;
using field256::Field;
using Limb = std::uint64_t;

struct Jacobian {
    Element X, Y, Z;
};

struct Affine {
    Element x, y;
};

inline void SelectPoint(Limb mask, const Jacobian& from, Jacobian& to) {
    field256::Select(mask, from.X, to.X);
    field256::Select(mask, from.Y, to.Y);
    field256::Select(mask, from.Z, to.Z);
}

// With Y2 = 2Y: Z' = Y2 Z, T = Y2^2 = 4 Y^2, S = X T, 8 Y^4 = T^2 / 2.
template <class Ops>
void Double(const Field& f, const Jacobian& P, Jacobian& R) {
    using namespace field256;
    Element z2, M, T, S, t, X, Y, Z;
    Ops::Square(f, P.Z, z2);
    Ops::Subtract(f, P.X, z2, t);
    Ops::Add(f, P.X, z2, M);
    Ops::Multiply(f, M, t, M);
    Ops::Add(f, M, M, t);
    Ops::Add(f, t, M, M);  // M = 3 (X - Z2)(X + Z2)
    Ops::Add(f, P.Y, P.Y, t);
    Ops::Multiply(f, t, P.Z, Z);
    Ops::Square(f, t, T);
    Ops::Multiply(f, P.X, T, S);
    Ops::Add(f, S, S, t);
    Ops::Square(f, M, X);
    Ops::Subtract(f, X, t, X);
    Ops::Square(f, T, T);
    Ops::Halve(f, T, T);
    Ops::Subtract(f, S, X, S);
    Ops::Multiply(f, M, S, Y);
    Ops::Subtract(f, Y, T, Y);
    Copy(X, R.X);
    Copy(Y, R.Y);
    Copy(Z, R.Z);
}

// The addition formulas of P into PA, without special cases. `mixed` says
// that P's Z is one (and is not read). Also returns, as masks, whether H and
// R were zero.
template <class Ops, bool mixed>
void AddFormulas(const Field& f, const Jacobian& P, const Jacobian& PA, Jacobian& out, Limb& hZero, Limb& rZero) {
    using namespace field256;
    Element t, U1, S1, U2, S2, H, R, Z;
    Ops::Square(f, PA.Z, t);
    Ops::Multiply(f, P.X, t, U2);
    Ops::Multiply(f, t, PA.Z, t);
    Ops::Multiply(f, P.Y, t, S2);
    if constexpr (mixed) {
        Copy(PA.X, U1);
        Copy(PA.Y, S1);
    } else {
        Ops::Square(f, P.Z, t);
        Ops::Multiply(f, PA.X, t, U1);
        Ops::Multiply(f, t, P.Z, t);
        Ops::Multiply(f, PA.Y, t, S1);
    }
    Ops::Subtract(f, U1, U2, H);
    Ops::Subtract(f, S1, S2, R);
    hZero = ZeroMask(H);
    rZero = ZeroMask(R);
    Ops::Add(f, U2, U2, U2);
    Ops::Add(f, U2, H, U2);  // T
    Ops::Add(f, S2, S2, S2);
    Ops::Add(f, S2, R, S2);  // V
    Ops::Multiply(f, PA.Z, H, Z);
    if constexpr (!mixed) Ops::Multiply(f, Z, P.Z, Z);
    Ops::Square(f, H, U1);         // H^2
    Ops::Multiply(f, U1, U2, S1);  // H^2 T
    Ops::Multiply(f, U1, H, U1);   // H^3
    Ops::Square(f, R, out.X);
    Ops::Subtract(f, out.X, S1, out.X);
    Ops::Subtract(f, S1, out.X, S1);
    Ops::Subtract(f, S1, out.X, S1);
    Ops::Multiply(f, R, S1, S1);
    Ops::Multiply(f, U1, S2, U1);
    Ops::Subtract(f, S1, U1, S1);
    Ops::Halve(f, S1, out.Y);
    Copy(Z, out.Z);
}

// PA = PA + P for any P and PA, infinity included, where twice is 2P: the
// answer when the two are equal.
template <class Ops>
void AddComplete(const Field& f, const Jacobian& P, const Jacobian& twice, Jacobian& PA) {
    Jacobian sum;
    Limb hZero, rZero;
    AddFormulas<Ops, false>(f, P, PA, sum, hZero, rZero);
    SelectPoint(hZero & rZero, twice, sum);
    SelectPoint(field256::ZeroMask(PA.Z), P, sum);
    SelectPoint(field256::ZeroMask(P.Z), PA, sum);
    PA = sum;
}

// PA = PA + P for any P and PA, infinity included, except P = PA (the caller
// rules that case out).
template <class Ops>
void AddUnlessEqual(const Field& f, const Jacobian& P, Jacobian& PA) {
    Jacobian sum;
    Limb hZero, rZero;
    AddFormulas<Ops, false>(f, P, PA, sum, hZero, rZero);
    SelectPoint(field256::ZeroMask(PA.Z), P, sum);
    SelectPoint(field256::ZeroMask(P.Z), PA, sum);
    PA = sum;
}

// PA = PA + P for an affine P that is infinity where pInfinity is all ones,
// and for any PA except P itself (the caller rules that case out).
template <class Ops>
void AddAffineUnlessEqual(const Field& f, const Affine& P, Limb pInfinity, Jacobian& PA) {
    Jacobian sum, p;
    Limb hZero, rZero;
    field256::Copy(P.x, p.X);
    field256::Copy(P.y, p.Y);
    field256::Copy(f.one, p.Z);
    AddFormulas<Ops, true>(f, p, PA, sum, hZero, rZero);
    SelectPoint(field256::ZeroMask(PA.Z), p, sum);
    SelectPoint(pInfinity, PA, sum);
    PA = sum;
}

// x, y = the affine coordinates of P, with one inversion; infinity gives
// (0, 0) and the returned mask all ones.
template <class Ops>
Limb ToAffine(const Field& f, const Jacobian& P, Affine& out) {
    Element inverse, t;
    field256::Invert<Ops>(f, P.Z, inverse);
    Ops::Square(f, inverse, t);
    Ops::Multiply(f, P.X, t, out.x);
    Ops::Multiply(f, t, inverse, t);
    Ops::Multiply(f, P.Y, t, out.y);
    return field256::ZeroMask(P.Z);
}

}  // namespace arkseal::curve_detail
