// The Jacobian doubling (A = -3) and addition of point_arithmetic.cpp on four
// 64-bit limbs, for a 256-bit field: the formulas of jacobian256.h, which are
// those of the general numbers and give the same residues. Coordinates are
// loaded once per operation and stored back normalised.
#include "curve/point_arithmetic256.h"

#include "curve/jacobian256.h"

namespace arkseal::curve_detail {
namespace {

void Load(const CurvePoint* P, Jacobian& J, const Field& f) {
    field256::LoadLimbs(P->X, J.X);
    field256::LoadLimbs(P->Y, J.Y);
    // A normalised point, or one without a Z (a sum made in affine mode),
    // holds affine coordinates.
    if (P->Z == nullptr || P->marker == kPointNormalised) {
        field256::Copy(f.one, J.Z);
    } else {
        field256::LoadLimbs(P->Z, J.Z);
    }
}

void Store(const Jacobian& J, CurvePoint* P) {
    field256::StoreLimbs(J.X, P->X);
    field256::StoreLimbs(J.Y, P->Y);
    field256::StoreLimbs(J.Z, P->Z);
    P->marker = kPointGeneral;
}

}  // namespace

void DoubleJacobian256(const Field& f, CurvePoint* P) {
    Jacobian J;
    Load(P, J, f);
    field256::WithActiveRoute([&](auto ops) { Double<decltype(ops)>(f, J, J); });
    Store(J, P);
}

int AddJacobian256(const Field& f, const CurvePoint* P, CurvePoint* PA) {
    Jacobian p, pa, sum;
    Load(P, p, f);
    Load(PA, pa, f);
    const bool mixed = P->Z == nullptr || P->marker == kPointNormalised;
    Limb hZero = 0, rZero = 0;
    field256::WithActiveRoute([&](auto ops) {
        using Ops = decltype(ops);
        if (mixed) {
            AddFormulas<Ops, true>(f, p, pa, sum, hZero, rZero);
        } else {
            AddFormulas<Ops, false>(f, p, pa, sum, hZero, rZero);
        }
    });
    if (hZero != 0) return rZero != 0 ? 0 : -1;
    Store(sum, PA);
    return 1;
}

}  // namespace arkseal::curve_detail
