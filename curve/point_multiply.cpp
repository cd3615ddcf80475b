// Scalar multiplication of points.
//
// PointMultiply reads k in non-adjacent form: digit j is bit j of h = 3k
// minus bit j of k (-1, 0 or +1), and the top digit is the leading 1 of h.
// Starting from R = P at that digit, SignedWindow hands out windows of up to
// five digits whose value is odd and at most 21 in size, so eleven odd
// multiples P, 3P, ..., 21P cover every window; about one addition per five
// bits follows the doublings. PointMultiply2 runs the same digits for two
// scalars at once (Shamir's trick with P + PA and P - PA precomputed), and
// PointMultiplyMany adds subset sums of its points bit by bit.
//
// On a 256-bit field with A = -3, PointMultiply takes the four-limb route of
// secret_multiply.h instead: the same point, in time that depends only on
// the scalar's length (and on the key agreement's curve, for scalars of up
// to 256 bits, the route for points of prime order).
#include <vector>

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/arithmetic/exponent_recoding.h>
#include <arkseal/curve/curve_domain.h>
#include <arkseal/curve/curve_internal.h>
#include <arkseal/curve/curve_point.h>
#include <arkseal/curve/secret_multiply.h>

namespace arkseal {

using namespace curve_detail;

namespace {

constexpr int kTableSize = 11;  // P, 3P, ..., 21P

bool PowerOfTwoBase() {
    const NumberSystem& s = Workspace();
    return s.base == s.powerOfTwo;
}

void ReportProgress() { detail::ReportProgress(Workspace()); }

void DoubleTimes(CurvePoint* R, int n) {
    for (int j = 0; j < n; ++j) PointDouble(R);
}

// Signed windows over (k, h = 3k) with the table of odd multiples of Q.
void MultiplyByWindows(const std::uint32_t* k, const std::uint32_t* h, CurvePoint* Q, CurvePoint* R) {
    CurvePoint* table[kTableSize] = {};
    for (int i = 0; i < kTableSize; ++i) table[i] = PointNew();
    if (table[kTableSize - 1] != nullptr) {
        PointCopy(Q, table[0]);
        PointDouble(Q);
        for (int i = 1; i < kTableSize; ++i) {
            PointCopy(table[i - 1], table[i]);
            PointAdd(Q, table[i]);
        }
        for (int i = BigBitLength(h) - 2; i > 0 && !ErrorPending();) {
            ReportProgress();
            int nbs = 0, nzs = 0;
            const int n = SignedWindow(k, h, i, &nbs, &nzs);
            DoubleTimes(R, nbs);
            if (n > 0) PointAdd(table[n / 2], R);
            if (n < 0) PointSubtract(table[-n / 2], R);
            i -= nbs;
            DoubleTimes(R, nzs);
            i -= nzs;
        }
    }
    for (CurvePoint* T : table) PointFree(T);
}

// The same digits found by comparing k and h with descending powers of two,
// for bases that are not powers of two. k and h are consumed.
void MultiplyByComparison(BigNumber k, BigNumber h, CurvePoint* Q, CurvePoint* R) {
    BigNumber g = NewBig(0);
    if (g == nullptr) return;
    BigIntPower(2, BigBitLength(h) - 1, g);
    BigSubtract(h, g, h);
    BigDivideInt(g, 2, g);
    while (BigToInt(g) > 1 && !ErrorPending()) {
        ReportProgress();
        PointDouble(R);
        const int ce = BigCompare(k, g);
        const int ch = BigCompare(h, g);
        if (ch >= 0) {
            if (ce < 0) PointAdd(Q, R);
            BigSubtract(h, g, h);
        }
        if (ce >= 0) {
            if (ch < 0) PointSubtract(Q, R);
            BigSubtract(k, g, k);
        }
        BigDivideInt(g, 2, g);
    }
    FreeBig(g);
}

// R = e P on the four-limb field; false, nothing done, where it does not
// apply.
bool MultiplyOnField256(const std::uint32_t* e, CurvePoint* P, CurvePoint* R) {
    const field256::Field* f = field256::CurrentField();
    if (f == nullptr || Workspace().curveASmall != -3 || IsFraction(e)) return false;
    PointNormalise(P);
    if (P->marker == kPointInfinity || ErrorPending()) {
        SetInfinity(R);
        return true;
    }
    Jacobian J;
    field256::LoadLimbs(P->X, J.X);
    field256::LoadLimbs(P->Y, J.Y);
    field256::Copy(f->one, J.Z);
    field256::NegateIf(*f, BigSign(e) < 0 ? ~Limb{0} : 0, J.Y, J.Y);
    const int words = NumeratorLength(e);
    std::vector<Limb> k(static_cast<std::size_t>(words < 8 ? 4 : (words + 1) / 2), 0);
    for (int i = 0; i < words; ++i) k[i / 2] |= static_cast<Limb>(e[1 + i]) << (32 * (i % 2));
    Affine a;
    if (k.size() == 4 && IsDomainCurve(*f)) {
        field256::Copy(J.X, a.x);
        field256::Copy(J.Y, a.y);
        MultiplySecretPrimeOrder(*f, k.data(), a, J);
    } else {
        MultiplySecret(*f, k.data(), static_cast<int>(k.size()), J, J);
    }
    if (AffineOf(*f, J, a) != 0) {
        SetInfinity(R);
    } else {
        field256::StoreLimbs(a.x, R->X);
        field256::StoreLimbs(a.y, R->Y);
        if (R->Z != nullptr) SetMontgomeryOne(R->Z);
        R->marker = kPointNormalised;
    }
    SecureWipe(k.data(), k.size() * sizeof(Limb));
    return true;
}

}  // namespace

void PointMultiply(const std::uint32_t* e, CurvePoint* P, CurvePoint* R) {
    if (ErrorPending()) return;
    if (e[0] == 0) {
        SetInfinity(R);
        return;
    }
    if (MultiplyOnField256(e, P, R)) return;
    BigNumber k = NewBig(0);
    BigNumber h = NewBig(0);
    CurvePoint* Q = PointNew();
    if (Q != nullptr) {
        BigCopy(e, k);
        PointNormalise(P);
        PointCopy(P, R);
        if (BigSign(k) < 0) {
            BigNegate(k, k);
            PointNegate(R);
        }
        if (BigToInt(k) != 1) {
            BigMultiplyInt(k, 3, h);
            PointCopy(R, Q);
            if (PowerOfTwoBase()) {
                MultiplyByWindows(k, h, Q, R);
            } else {
                MultiplyByComparison(k, h, Q, R);
            }
        }
    }
    PointFree(Q);
    FreeBig(h);
    FreeBig(k);
}

namespace {

// 1 when v >= g, which is then taken off v; g is the current power of two.
int TakeBit(BigNumber v, const std::uint32_t* g) {
    if (BigCompare(v, g) < 0) return 0;
    BigSubtract(v, g, v);
    return 1;
}

// The joint digit loop of PointMultiply2: digits of e from (k, h), of ea from
// (ka, ha); Q, S, B = Q + S and C = Q - S are the points they select.
void MultiplyJointly(BigNumber k, BigNumber h, BigNumber ka, BigNumber ha, CurvePoint* const points[4], CurvePoint* R) {
    CurvePoint* Q = points[0];
    CurvePoint* S = points[1];
    CurvePoint* B = points[2];
    CurvePoint* C = points[3];
    BigNumber g = NewBig(0);
    if (g == nullptr) return;
    BigIntPower(2, BigBitLength(BigCompare(h, ha) >= 0 ? h : ha) - 1, g);
    while (BigToInt(g) > 1 && !ErrorPending()) {
        ReportProgress();
        PointDouble(R);
        const int kaBit = TakeBit(ka, g);
        const int haBit = TakeBit(ha, g);
        const int kBit = TakeBit(k, g);
        const int hBit = TakeBit(h, g);
        const int d = hBit - kBit;
        const int da = haBit - kaBit;
        if (d != 0 || da != 0) {
            CurvePoint* T = da == 0 ? Q : d == 0 ? S : d == da ? B : C;
            const bool subtract = d != 0 ? d < 0 : da < 0;
            subtract ? PointSubtract(T, R) : PointAdd(T, R);
        }
        BigDivideInt(g, 2, g);
    }
    FreeBig(g);
}

// Normalises P in place and makes Q = sign(e) P, k = |e|, h = 3k.
void PrepareOperand(const std::uint32_t* e, CurvePoint* P, CurvePoint* Q, BigNumber k, BigNumber h) {
    PointNormalise(P);
    PointCopy(P, Q);
    BigAbs(e, k);
    BigMultiplyInt(k, 3, h);
    if (BigSign(e) < 0 && e[0] != 0) PointNegate(Q);
}

}  // namespace

void PointMultiply2(const std::uint32_t* e, CurvePoint* P, const std::uint32_t* ea, CurvePoint* PA, CurvePoint* R) {
    if (ErrorPending()) return;
    if (e[0] == 0) {
        PointMultiply(ea, PA, R);
        return;
    }
    BigNumber numbers[4] = {NewBig(0), NewBig(0), NewBig(0), NewBig(0)};
    CurvePoint* points[4] = {PointNew(), PointNew(), PointNew(), PointNew()};
    if (points[3] != nullptr && numbers[3] != nullptr) {
        BigNumber k = numbers[0], h = numbers[1], ka = numbers[2], ha = numbers[3];
        CurvePoint* Q = points[0];
        CurvePoint* S = points[1];
        CurvePoint* B = points[2];
        CurvePoint* C = points[3];
        PrepareOperand(ea, PA, S, ka, ha);
        PrepareOperand(e, P, Q, k, h);
        SetInfinity(R);
        PointCopy(Q, B);
        PointAdd(S, B);
        PointNormalise(B);
        PointCopy(Q, C);
        PointSubtract(S, C);
        PointNormalise(C);
        MultiplyJointly(k, h, ka, ha, points, R);
    }
    for (CurvePoint* T : points) PointFree(T);
    for (BigNumber x : numbers) FreeBig(x);
}

void PointMultiplyMany(int n, const BigNumber* e, CurvePoint* const* P, CurvePoint* R) {
    if (ErrorPending() || n <= 0) return;
    const int size = 1 << n;
    auto** table = static_cast<CurvePoint**>(NumberAlloc(static_cast<std::size_t>(size), sizeof(CurvePoint*)));
    if (table == nullptr) return;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < (1 << i); ++j) {
            CurvePoint* G = table[(1 << i) + j] = PointNew();
            if (G == nullptr) continue;
            PointCopy(P[i], G);
            if (j > 0) PointAdd(table[j], G);
        }
    }
    int bits = 0;
    for (int i = 0; i < n; ++i) {
        const int b = BigBitLength(e[i]);
        if (b > bits) bits = b;
    }
    SetInfinity(R);
    if (!PowerOfTwoBase()) {
        RaiseNumberError(kErrorNeedsPowerOfTwoBase);
    } else {
        for (int t = bits - 1; t >= 0 && !ErrorPending(); --t) {
            ReportProgress();
            int m = 0;
            for (int i = 0; i < n; ++i) m |= BigTestBit(e[i], t) << i;
            PointDouble(R);
            if (m > 0) PointAdd(table[m], R);
        }
    }
    for (int m = 1; m < size; ++m) PointFree(table[m]);
    NumberFree(table);
}

}  // namespace arkseal
