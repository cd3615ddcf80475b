// The Jacobian doubling and addition, written once over a field's
// operations: the general Montgomery numbers of the workspace (any modulus,
// any A; point_arithmetic.cpp) and the four-limb field (A = -3;
// jacobian256.h). Internal to curve/.
//
// A point is (X, Y, Z) with x = X/Z^2, y = Y/Z^3; Z = 0 is the point at
// infinity. Doubling, with Z2 = Z^2:
//   M = 3 X^2 + A Z2^2      (A = -3: M = 3 (X - Z2)(X + Z2), one product)
//   Z' = 2 Y Z,  T = (2Y)^2 = 4 Y^2,  S = X T,
//   X' = M^2 - 2 S,  Y' = M (S - X') - T^2 / 2
// which needs no special case: Y = 0 or Z = 0 give Z' = 0, infinity.
// Addition of P into PA:
//   U1 = X_PA Z_P^2, S1 = Y_PA Z_P^3, U2 = X_P Z_PA^2, S2 = Y_P Z_PA^3
//   H = U1 - U2, R = S1 - S2, T = U1 + U2 = H + 2 U2, V = S1 + S2 = R + 2 S2
//   Z' = Z_PA Z_P H,  X' = R^2 - H^2 T,  Y' = (R (H^2 T - 2 X') - H^3 V) / 2
// For P = -PA it gives H = 0 and so Z' = 0, infinity, as it should; for
// P = PA (H = R = 0) and for an infinite operand it gives nothing useful, and
// the caller decides from the returned masks (jacobian256.h's complete forms
// by masks, the general numbers by branching).
//
// The field's operations type Ops has static Multiply, Square, Add,
// Subtract and Halve (f, inputs..., output), outputs allowed to alias
// inputs; for A other than -3 and 0 also SetA and MultiplyByA; and the
// constant kVectorUnit, true when it also has DoublingFirst, DoublingSecond
// and MultiplyFour (field_routes.h's IFMA route), which take products off
// the chain to a second multiplier.
// FieldTraits<Field> gives the rest: the temporaries, zero masks, copies,
// the one, and whether the field may branch on values.
#pragma once

#include <initializer_list>
#include <type_traits>

#include <arkseal/bignum/kernels/limb.h>

namespace arkseal::curve_detail {

// The A in the doubling's slope: -3 and 0 save products.
enum class CurveA { MinusThree, Zero, Any };

// Specialised for each field type: Number (a writable coordinate: a pointer),
// Temporaries (six Numbers by index, constructed from the field), ZeroMask
// (all ones for zero, else 0), Copy, One (the field's one), and
// kBranchesOnValues.
template <class Field>
struct FieldTraits;

// R = 2P. `normalised` says that P's Z is one (and is not read). R may be P.
template <class Ops, CurveA a = CurveA::MinusThree, bool normalised = false, class Field, class Point>
void Double(const Field& f, const Point& P, Point& R) {
    using Traits = FieldTraits<Field>;
    typename Traits::Temporaries temporaries(f);
    const auto z2 = temporaries[0], M = temporaries[1], T = temporaries[2], S = temporaries[3], t = temporaries[4];
    if constexpr (a == CurveA::MinusThree && !normalised && Ops::kVectorUnit) {
        // Z', Z^2 and T, then S and T^2 on a second multiplier, beside the
        // slope's products M and M^2 on the first.
        Limb T52[5];
        Ops::Add(f, P.Y, P.Y, t);
        Ops::DoublingFirst(f, t, P.Z, R.Z, z2, T52);
        Ops::Subtract(f, P.X, z2, t);
        Ops::Add(f, P.X, z2, M);
        Ops::Multiply(f, M, t, M);
        Ops::DoublingSecond(f, T52, P.X, S, T);
        Ops::Add(f, M, M, t);
        Ops::Add(f, t, M, M);
        Ops::Add(f, S, S, t);
        Ops::Square(f, M, R.X);
        Ops::Subtract(f, R.X, t, R.X);
        Ops::Halve(f, T, T);
        Ops::Subtract(f, S, R.X, S);
        Ops::Multiply(f, M, S, R.Y);
        Ops::Subtract(f, R.Y, T, R.Y);
        return;
    }
    if constexpr (a != CurveA::Zero) {
        if constexpr (normalised) {
            Traits::One(f, z2);
        } else {
            Ops::Square(f, P.Z, z2);
        }
    }
    if constexpr (a == CurveA::MinusThree) {
        Ops::Subtract(f, P.X, z2, t);
        Ops::Add(f, P.X, z2, M);
        Ops::Multiply(f, M, t, M);
    } else {
        Ops::Square(f, P.X, M);
    }
    Ops::Add(f, M, M, t);
    Ops::Add(f, t, M, M);
    if constexpr (a == CurveA::Any) {
        if constexpr (normalised) {
            Ops::SetA(f, t);
        } else {
            Ops::Square(f, z2, t);
            Ops::MultiplyByA(f, t, t);
        }
        Ops::Add(f, M, t, M);
    }
    // P's coordinates are read for the last time just before R's are
    // written, so that R may be P.
    Ops::Add(f, P.Y, P.Y, t);
    if constexpr (normalised) {
        Traits::Copy(t, R.Z);
    } else {
        Ops::Multiply(f, t, P.Z, R.Z);
    }
    Ops::Square(f, t, T);
    Ops::Multiply(f, P.X, T, S);
    Ops::Add(f, S, S, t);
    Ops::Square(f, M, R.X);
    Ops::Subtract(f, R.X, t, R.X);
    Ops::Square(f, T, T);
    Ops::Halve(f, T, T);
    Ops::Subtract(f, S, R.X, S);
    Ops::Multiply(f, M, S, R.Y);
    Ops::Subtract(f, R.Y, T, R.Y);
}

// The addition's last steps, once R, H^2 T, H^3 and V are known:
// X' = R^2 - H^2 T and 2 Y' = R (H^2 T - 2 X') - H^3 V. h2t and h3 are
// overwritten; out may be the point that was added to.
template <class Ops, class Field, class Number, class PointOut>
void FinishAddition(const Field& f, Number r, Number h2t, Number h3, Number v, PointOut& out) {
    Ops::Square(f, r, out.X);
    Ops::Subtract(f, out.X, h2t, out.X);
    Ops::Subtract(f, h2t, out.X, h2t);
    Ops::Subtract(f, h2t, out.X, h2t);
    Ops::Multiply(f, r, h2t, h2t);
    Ops::Multiply(f, h3, v, h3);
    Ops::Subtract(f, h2t, h3, h2t);
    Ops::Halve(f, h2t, out.Y);
}

// AddFormulasInSequence (below) for a field with MultiplyFour and a P with
// its own Z: the same values and masks, with
// twelve of the sixteen products four at a time on a second multiplier,
// beside the squares and the products of R on the first.
template <class Ops, class Field, class PointP, class PointA, class PointOut, class Temporaries>
void AddFormulasInLanes(const Field& f, const PointP& P, const PointA& PA, PointOut& out, Limb& hZero, Limb& rZero,
                        Temporaries& temporaries) {
    using Value = std::remove_pointer_t<typename FieldTraits<Field>::Number>;
    const auto t = temporaries[0], U2 = temporaries[1], S2 = temporaries[2], A1 = temporaries[3], A2 = temporaries[4],
               A3 = temporaries[5];
    const auto four = [&](std::initializer_list<const Value*> x, std::initializer_list<const Value*> y,
                          std::initializer_list<Value*> z) { Ops::MultiplyFour(f, x.begin(), y.begin(), z.begin()); };
    Ops::Square(f, PA.Z, t);
    Ops::Square(f, P.Z, A2);
    four({P.X, t, PA.X, A2}, {t, PA.Z, A2, P.Z}, {U2, t, A1, A2});  // U2, Z_PA^3, U1, Z_P^3
    Ops::Subtract(f, A1, U2, A1);                                   // H
    four({P.Y, PA.Y, PA.Z, A1}, {t, A2, A1, A1}, {S2, A2, t, A3});  // S2, S1, Z_PA H, H^2
    Ops::Subtract(f, A2, S2, A2);                                   // R
    hZero = FieldTraits<Field>::ZeroMask(A1);
    rZero = FieldTraits<Field>::ZeroMask(A2);
    Ops::Add(f, U2, U2, U2);
    Ops::Add(f, U2, A1, U2);  // T
    Ops::Add(f, S2, S2, S2);
    Ops::Add(f, S2, A2, S2);                                        // V
    four({t, A3, A3, A3}, {P.Z, U2, A1, A1}, {out.Z, U2, A1, A1});  // Z', H^2 T, H^3
    FinishAddition<Ops>(f, A2, U2, A1, S2, out);                    // R, H^2 T, H^3, V
}

// The addition of P into PA, written to out, without special cases, product
// after product (AddFormulas below picks it or the lanes). `mixed`
// says that P's Z is one (and is not read). Also returns, as masks, whether H
// and R were zero; a field that branches on values then returns at once,
// out unchanged. out may be PA, not P.
template <class Ops, bool mixed, class Field, class PointP, class PointA, class PointOut>
void AddFormulasInSequence(const Field& f, const PointP& P, const PointA& PA, PointOut& out, Limb& hZero, Limb& rZero) {
    using Traits = FieldTraits<Field>;
    using Value = std::remove_pointer_t<typename Traits::Number>;
    typename Traits::Temporaries temporaries(f);
    const auto t = temporaries[0], U2 = temporaries[1], S2 = temporaries[2], A1 = temporaries[3], A2 = temporaries[4],
               R = temporaries[5];
    Ops::Square(f, PA.Z, t);
    Ops::Multiply(f, P.X, t, U2);
    Ops::Multiply(f, t, PA.Z, t);
    Ops::Multiply(f, P.Y, t, S2);
    const Value* U1 = PA.X;
    const Value* S1 = PA.Y;
    if constexpr (!mixed) {
        Ops::Square(f, P.Z, t);
        Ops::Multiply(f, PA.X, t, A1);
        Ops::Multiply(f, t, P.Z, t);
        Ops::Multiply(f, PA.Y, t, A2);
        U1 = A1;
        S1 = A2;
    }
    const auto H = t;
    Ops::Subtract(f, U1, U2, H);
    Ops::Subtract(f, S1, S2, R);
    hZero = Traits::ZeroMask(H);
    rZero = Traits::ZeroMask(R);
    if constexpr (Traits::kBranchesOnValues) {
        if (hZero != 0) return;
    }
    // PA's X and Y are read for the last time above, its Z just below.
    Ops::Add(f, U2, U2, U2);
    Ops::Add(f, U2, H, U2);  // T
    Ops::Add(f, S2, S2, S2);
    Ops::Add(f, S2, R, S2);  // V
    Ops::Multiply(f, PA.Z, H, out.Z);
    if constexpr (Ops::kVectorUnit) {
        // Z' = Z_PA H Z_P, H^2 T and H^3 at once (a lane repeats H^3).
        Ops::Square(f, H, A1);
        const Value* const x[4] = {mixed ? A1 : out.Z, A1, A1, A1};
        const Value* const y[4] = {mixed ? H : P.Z, U2, H, H};
        Value* const z[4] = {mixed ? A1 : out.Z, A2, A1, A1};
        Ops::MultiplyFour(f, x, y, z);
    } else {
        if constexpr (!mixed) Ops::Multiply(f, out.Z, P.Z, out.Z);
        Ops::Square(f, H, A1);         // H^2
        Ops::Multiply(f, A1, U2, A2);  // H^2 T
        Ops::Multiply(f, A1, H, A1);   // H^3
    }
    FinishAddition<Ops>(f, R, A2, A1, S2, out);
}

// The addition as AddFormulasInSequence describes it, in lanes where the
// field has them.
template <class Ops, bool mixed, class Field, class PointP, class PointA, class PointOut>
void AddFormulas(const Field& f, const PointP& P, const PointA& PA, PointOut& out, Limb& hZero, Limb& rZero) {
    if constexpr (!mixed && Ops::kVectorUnit) {
        typename FieldTraits<Field>::Temporaries temporaries(f);
        AddFormulasInLanes<Ops>(f, P, PA, out, hZero, rZero, temporaries);
    } else {
        AddFormulasInSequence<Ops, mixed>(f, P, PA, out, hZero, rZero);
    }
}

}  // namespace arkseal::curve_detail
