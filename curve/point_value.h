// A CurvePoint with value semantics: each PointValue owns one point of the
// active curve (PointNew / PointFree); copies are deep. The operations
// forward to the point arithmetic and add no checks: the flags of PointSet
// are dropped by the constructors, and results follow the workspace's sticky
// error code (while one is pending a new value has no point and reads as
// infinity).
#pragma once

#include <iosfwd>

#include <arkseal/curve/big_value.h>
#include <arkseal/curve/curve_point.h>

namespace arkseal {

class PointValue {
public:
    PointValue();                                      // the point at infinity
    PointValue(const BigValue& x, const BigValue& y);  // explicit coordinates
    PointValue(const BigValue& x, int parity);         // compressed form
    PointValue(const PointValue& other);
    PointValue& operator=(const PointValue& other);
    ~PointValue();

    CurvePoint* Handle() const { return point_; }

    PointValue& operator+=(const PointValue& Q);  // PointAdd
    PointValue& operator-=(const PointValue& Q);  // PointSubtract
    PointValue& operator*=(const BigValue& e);    // PointMultiply in place
    PointValue operator-() const;

    int Get(BigValue& x, BigValue& y) const;  // affine coordinates; returns y mod 2
    int GetX(BigValue& x) const;              // affine x; returns y mod 2
    bool IsInfinity() const;

private:
    CurvePoint* point_;
};

PointValue operator*(const BigValue& e, const PointValue& P);
// e P + ea PA.
PointValue MultiplyTwo(const BigValue& e, const PointValue& P, const BigValue& ea, const PointValue& PA);
// sum of |e[i]| P[i] for i < n.
PointValue MultiplySum(int n, const BigValue* e, const PointValue* P);
// w[i] += x[i] for i < m.
void AddMany(int m, const PointValue* x, PointValue* w);
// (x,y); infinity prints as (0,0).
std::ostream& operator<<(std::ostream& os, const PointValue& P);

// Activates y^2 = x^3 + a x + b mod p in coordinate mode `mode`.
void CurveInit(const BigValue& a, const BigValue& b, const BigValue& p, int mode);

}  // namespace arkseal
