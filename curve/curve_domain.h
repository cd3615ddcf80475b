// The key agreement's fixed curve, y^2 = x^3 - 3x + B over a 256-bit prime
// p, as four-limb constants. Its group has the prime order
//   n = 115324781748134865946503563657643838352221626521810006206950260876359658535911
// (n < p, so the cofactor is 1 and every finite point has order n; the tests
// check n G = infinity with OpenSSL), which lets the multiplication of
// secret_multiply.h leave out the doubling case. Internal to curve/.
#pragma once

#include <arkseal/bignum/field256/field256.h>
#include <arkseal/curve/curve_internal.h>

namespace arkseal::curve_detail {

inline constexpr field256::Element kDomainPrime = {0xf52d1b1e8194748b, 0x9b3dccf0ce580705, 0xaf30597f10b7bfac,
                                                   0xfef78369de60b5a5};
inline constexpr field256::Element kDomainOrder = {0x32c67cdb23967be7, 0x38b0a70e34bb1be1, 0xaf30597f10b7bfac,
                                                   0xfef78369de60b5a5};  // n
inline constexpr Limb kDomainOrderFactor = 0xa7bf67f28f639829;           // -n^-1 mod 2^64
static_assert(kDomainOrder[0] * kDomainOrderFactor == ~Limb{0}, "the factor is -1/n mod 2^64");
inline constexpr field256::Element kDomainBMontgomery = {0x9235b632ca231c67, 0x1d8b81d51f73b34e, 0x1c05969928dbdeef,
                                                         0xe9ead0d0e69f1a32};  // B R mod p

// True when the workspace's curve, whose field is f, is this curve.
inline bool IsDomainCurve(const field256::Field& f) {
    const NumberSystem& s = Workspace();
    if (s.curveASmall != -3 || !IsBigMarker(s.curveBSmall) || s.curveB == nullptr) return false;
    field256::Element b;
    field256::LoadLimbs(s.curveB, b);
    bool same = true;
    for (int i = 0; i < 4; ++i) same = same && f.p[i] == kDomainPrime[i] && b[i] == kDomainBMontgomery[i];
    return same;
}

}  // namespace arkseal::curve_detail
