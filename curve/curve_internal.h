// Field helpers shared by the curve implementation files. Internal to curve/.
#pragma once

#include <arkseal/bignum/workspace/number_access.h>
#include <arkseal/curve/curve_point.h>

namespace arkseal::curve_detail {

using detail::DenominatorLength;
using detail::ErrorPending;
using detail::IsFraction;
using detail::IsZero;
using detail::NumeratorLength;
using detail::Workspace;
inline bool IsAffine() { return Workspace().coordinateMode == kAffineCoordinates; }

// The formula temporaries: scratch numbers 11 to 16, which none of the
// Montgomery products, sums or small multiples touch.
inline BigNumber Temp(int i) { return Workspace().scratch[11 + i]; }

// A small value of A or B is held as an int; BigToInt returns this marker
// (with the value's sign) for one that is not small.
bool IsBigMarker(int v);

void SetMontgomeryOne(BigNumber x);  // x = 1 in Montgomery form
void SetInfinity(CurvePoint* P);     // X = Y = one, marker infinity
void EnsureZ(CurvePoint* P);         // gives P a Z of one when it has none

// PA = PA + P in affine coordinates from the slope l of the line through
// them (or the tangent): x3 = l^2 - xP - xPA, y3 = l (xPA - x3) - yPA. Uses
// Temp(3) and Temp(4); l must be neither. The caller sets the marker.
void AddBySlope(const CurvePoint* P, CurvePoint* PA, const std::uint32_t* l);

// 1 when some point of the curve has the x coordinate x (x below p), as
// PointSet's compressed form would find; 0 otherwise.
int IsCurveX(const std::uint32_t* x);

// w = A x, w = A (field element), w = B (field element); w may be x.
void MultiplyByA(const std::uint32_t* x, BigNumber w);
void FieldA(BigNumber w);
void FieldB(BigNumber w);

}  // namespace arkseal::curve_detail
