#include <arkseal/curve/point_value.h>

#include <ostream>
#include <vector>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {
namespace {

bool Present(const PointValue& a) { return a.Handle() != nullptr; }

}  // namespace

PointValue::PointValue() : point_(PointNew()) {}

PointValue::PointValue(const BigValue& x, const BigValue& y) : point_(PointNew()) {
    if (point_ != nullptr) PointSet(x.Handle(), y.Handle(), 0, point_);
}

PointValue::PointValue(const BigValue& x, int parity) : point_(PointNew()) {
    if (point_ != nullptr) PointSet(x.Handle(), x.Handle(), parity, point_);
}

PointValue::PointValue(const PointValue& other) : point_(PointNew()) {
    if (point_ != nullptr && Present(other)) PointCopy(other.point_, point_);
}

PointValue& PointValue::operator=(const PointValue& other) {
    if (point_ != nullptr && Present(other)) PointCopy(other.point_, point_);
    return *this;
}

PointValue::~PointValue() { PointFree(point_); }

PointValue& PointValue::operator+=(const PointValue& Q) {
    if (point_ != nullptr && Present(Q)) PointAdd(Q.point_, point_);
    return *this;
}

PointValue& PointValue::operator-=(const PointValue& Q) {
    if (point_ != nullptr && Present(Q)) PointSubtract(Q.point_, point_);
    return *this;
}

PointValue& PointValue::operator*=(const BigValue& e) {
    if (point_ != nullptr && e.Handle() != nullptr) PointMultiply(e.Handle(), point_, point_);
    return *this;
}

PointValue PointValue::operator-() const {
    PointValue r(*this);
    if (Present(r)) PointNegate(r.point_);
    return r;
}

int PointValue::Get(BigValue& x, BigValue& y) const {
    if (point_ == nullptr || x.Handle() == nullptr || y.Handle() == nullptr) return 0;
    return PointGet(point_, x.Handle(), y.Handle());
}

int PointValue::GetX(BigValue& x) const {
    if (point_ == nullptr || x.Handle() == nullptr) return 0;
    return PointGet(point_, x.Handle(), x.Handle());
}

bool PointValue::IsInfinity() const { return point_ == nullptr || PointIsInfinity(point_) == 1; }

PointValue operator*(const BigValue& e, const PointValue& P) {
    PointValue r;
    if (Present(r) && Present(P) && e.Handle() != nullptr) PointMultiply(e.Handle(), P.Handle(), r.Handle());
    return r;
}

PointValue MultiplyTwo(const BigValue& e, const PointValue& P, const BigValue& ea, const PointValue& PA) {
    PointValue r;
    if (Present(r) && Present(P) && Present(PA) && e.Handle() != nullptr && ea.Handle() != nullptr)
        PointMultiply2(e.Handle(), P.Handle(), ea.Handle(), PA.Handle(), r.Handle());
    return r;
}

PointValue MultiplySum(int n, const BigValue* e, const PointValue* P) {
    PointValue r;
    std::vector<BigNumber> scalars;
    std::vector<CurvePoint*> points;
    for (int i = 0; i < n; ++i) {
        scalars.push_back(e[i].Handle());
        points.push_back(P[i].Handle());
    }
    if (Present(r) && CurrentNumberSystem()->errorCode == 0)
        PointMultiplyMany(n, scalars.data(), points.data(), r.Handle());
    return r;
}

void AddMany(int m, const PointValue* x, PointValue* w) {
    std::vector<CurvePoint*> xs, ws;
    for (int i = 0; i < m; ++i) {
        xs.push_back(x[i].Handle());
        ws.push_back(w[i].Handle());
    }
    if (CurrentNumberSystem()->errorCode == 0) PointAddMany(m, xs.data(), ws.data());
}

std::ostream& operator<<(std::ostream& os, const PointValue& P) {
    BigValue x, y;
    if (!P.IsInfinity()) P.Get(x, y);
    return os << "(" << x << "," << y << ")";
}

void CurveInit(const BigValue& a, const BigValue& b, const BigValue& p, int mode) {
    if (CurrentNumberSystem()->errorCode != 0) return;
    CurveInit(a.Handle(), b.Handle(), p.Handle(), mode);
}

}  // namespace arkseal
