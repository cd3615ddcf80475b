// Jacobian doubling and addition of CurvePoints on a 256-bit field held in
// limbs. Internal to curve/.
#pragma once

#include "bignum/field256.h"
#include "curve/curve_point.h"

namespace arkseal::curve_detail {

// P = 2P for a point with a Z and Y not 0, on a curve with A = -3.
void DoubleJacobian256(const field256::Field& f, CurvePoint* P);
// PA = PA + P for distinct finite points, PA with a Z. Returns 1 when added,
// 0 (nothing changed) when P equals PA, -1 (nothing changed) when P = -PA.
int AddJacobian256(const field256::Field& f, const CurvePoint* P, CurvePoint* PA);

}  // namespace arkseal::curve_detail
