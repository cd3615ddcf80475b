#pragma once
// The schoolbook row loops, written once for digits of either width: 32-bit
// words (the word kernels) and 64-bit limbs (the limb products and the limb
// division). Internal to bignum/.
//
// A digit D carries through the unsigned type of twice its width: with
// digits below 2^w, a * b + c + d <= (2^w - 1)^2 + 2 (2^w - 1) = 2^(2w) - 1, so
// one digit product plus two digits of carry always fits, its low half being
// the result digit and its high half the next carry. Additions carry at most
// 1.
//
// Arrays are least significant digit first, destination first. Loops that
// run upward (add, multiply by a digit, right shift) read x[i] before
// writing z[i], so z may be x. The left shift runs downward and so allows z
// at or above x. Products accumulate rows into z and need z apart from their
// operands.
//
// The square forms each cross product x_i x_j (i < j) once, then in one
// pass doubles them (the top bit of each digit moves up into the next) and
// adds the diagonal squares x_i^2 at digit 2i.

#include <cstdint>

#include "bignum/limb.h"

namespace arkseal::rows {

template <class D>
struct DoubleWidth;
template <>
struct DoubleWidth<std::uint32_t> {
    using type = std::uint64_t;
};
template <>
struct DoubleWidth<Limb> {
    using type = WideLimb;
};

// The carrying type of digit D.
template <class D>
using Double = typename DoubleWidth<D>::type;

template <class D>
constexpr int kBits = 8 * sizeof(D);

// z = x + y over n digits; returns the carry. z may be x or y.
template <class D>
D Add(D* z, const D* x, const D* y, int n) {
    Double<D> c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<Double<D>>(x[i]) + y[i];
        z[i] = static_cast<D>(c);
        c >>= kBits<D>;
    }
    return static_cast<D>(c);
}

// z = x - y over n digits; returns the borrow. z may be x or y.
template <class D>
D Subtract(D* z, const D* x, const D* y, int n) {
    D b = 0;
    for (int i = 0; i < n; ++i) {
        const Double<D> d = static_cast<Double<D>>(x[i]) - y[i] - b;
        z[i] = static_cast<D>(d);
        b = static_cast<D>(d >> (2 * kBits<D> - 1));
    }
    return b;
}

// z += c over n digits, c 0 or 1; returns the carry out of the top.
template <class D>
D Increment(D* z, int n, D c) {
    for (int i = 0; i < n && c != 0; ++i) c = ++z[i] == 0;
    return c;
}

// z -= b over n digits, b 0 or 1; returns the borrow out of the top.
template <class D>
D Decrement(D* z, int n, D b) {
    for (int i = 0; i < n && b != 0; ++i) b = z[i]-- == 0;
    return b;
}

// -1, 0 or +1 for x < y, x = y, x > y over n digits.
template <class D>
int Compare(const D* x, const D* y, int n) {
    for (int i = n - 1; i >= 0; --i) {
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    }
    return 0;
}

// z = x * m over n digits; returns the high digit. z may be x.
template <class D>
D MultiplyByDigit(D* z, const D* x, int n, D m) {
    Double<D> c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<Double<D>>(x[i]) * m;
        z[i] = static_cast<D>(c);
        c >>= kBits<D>;
    }
    return static_cast<D>(c);
}

// z += x * m over n digits; returns the high digit. z apart from x or z == x.
template <class D>
D MultiplyAddDigit(D* z, const D* x, int n, D m) {
    Double<D> c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<Double<D>>(x[i]) * m + z[i];
        z[i] = static_cast<D>(c);
        c >>= kBits<D>;
    }
    return static_cast<D>(c);
}

// z -= x * m over n digits; returns the digit still to subtract above z[n-1].
template <class D>
D MultiplySubtractDigit(D* z, const D* x, int n, D m) {
    Double<D> c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<Double<D>>(x[i]) * m;
        const D low = static_cast<D>(c);
        c >>= kBits<D>;
        if (z[i] < low) ++c;
        z[i] -= low;
    }
    return static_cast<D>(c);
}

// z = x << s over n digits, 0 < s < kBits; returns the bits shifted out.
template <class D>
D ShiftLeft(D* z, const D* x, int n, unsigned s) {
    if (n == 0) return 0;
    const D out = x[n - 1] >> (kBits<D> - s);
    for (int i = n - 1; i > 0; --i) z[i] = (x[i] << s) | (x[i - 1] >> (kBits<D> - s));
    z[0] = x[0] << s;
    return out;
}

// z = x >> s over n digits, 0 < s < kBits; returns the bits shifted out (in
// the top of the digit).
template <class D>
D ShiftRight(D* z, const D* x, int n, unsigned s) {
    if (n == 0) return 0;
    const D out = x[0] << (kBits<D> - s);
    for (int i = 0; i < n - 1; ++i) z[i] = (x[i] >> s) | (x[i + 1] << (kBits<D> - s));
    z[n - 1] = x[n - 1] >> s;
    return out;
}

// z[0..n+m) = x[0..n) * y[0..m), n, m >= 1.
template <class D>
void Multiply(D* z, const D* x, int n, const D* y, int m) {
    z[m] = MultiplyByDigit(z, y, m, x[0]);
    for (int i = 1; i < n; ++i) z[i + m] = MultiplyAddDigit(z + i, y, m, x[i]);
}

// z[0..2n) = x[0..n)^2, n >= 1.
template <class D>
void Square(D* z, const D* x, int n) {
    z[0] = 0;
    z[2 * n - 1] = 0;
    if (n > 1) {
        z[n] = MultiplyByDigit(z + 1, x + 1, n - 1, x[0]);
        for (int i = 1; i < n - 1; ++i) z[n + i] = MultiplyAddDigit(z + 2 * i + 1, x + i + 1, n - i - 1, x[i]);
    }
    Double<D> c = 0;
    D shiftedOut = 0;
    for (int i = 0; i < n; ++i) {
        const D low = z[2 * i];
        const D high = z[2 * i + 1];
        c += static_cast<Double<D>>(x[i]) * x[i] + static_cast<D>((low << 1) | shiftedOut);
        z[2 * i] = static_cast<D>(c);
        c >>= kBits<D>;
        c += static_cast<D>((high << 1) | (low >> (kBits<D> - 1)));
        z[2 * i + 1] = static_cast<D>(c);
        c >>= kBits<D>;
        shiftedOut = high >> (kBits<D> - 1);
    }
}

}  // namespace arkseal::rows
