// Jacobian points on the four-limb field, for curves with A = -3: the
// formulas of jacobian_formulas.h over a field route's operations (Ops, one
// of field_routes.h's), and the complete forms built on them by masks.
//
// Every routine takes the same path for every value. Outputs may alias
// inputs.
#pragma once

#include <arkseal/bignum/field256/field_routes.h>
#include <arkseal/curve/jacobian_formulas.h>

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

template <>
struct FieldTraits<Field> {
    using Number = Limb*;
    struct Temporaries {
        explicit Temporaries(const Field&) {}
        Limb* operator[](int i) { return e[i]; }
        Element e[6];
    };
    static Limb ZeroMask(const Element x) { return field256::ZeroMask(x); }
    static void Copy(const Element x, Element z) { field256::Copy(x, z); }
    static void One(const Field& f, Element z) { field256::Copy(f.one, z); }
    static constexpr bool kBranchesOnValues = false;
};

inline void SelectPoint(Limb mask, const Jacobian& from, Jacobian& to) {
    field256::Select(mask, from.X, to.X);
    field256::Select(mask, from.Y, to.Y);
    field256::Select(mask, from.Z, to.Z);
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
