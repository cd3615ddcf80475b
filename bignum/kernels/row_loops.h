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
//
// The Montgomery rows (for an odd m of k digits, B the digit base): each row
// adds x_i y to the running sum t (k + 2 digits), then q m with
// q = t_0 (-m^-1) mod B, which clears t_0, and shifts t down one digit. With
// x, y < B^k the sum stays below 2 B^k before each row's x_i y, so k + 2
// digits hold it, and at the end t = (x y + Q m) / B^k < B^k + m, Q < B^k
// the unique multiple that makes the division exact.

#include <cstdint>

#include <arkseal/bignum/kernels/limb.h>

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

// On limbs, sums and differences run as add-with-carry chains (limb.h), four
// limbs a step, without the double-width carry.
template <>
inline Limb Add<Limb>(Limb* z, const Limb* x, const Limb* y, int n) {
    Carry c = 0;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        z[i] = AddCarry(x[i], y[i], c);
        z[i + 1] = AddCarry(x[i + 1], y[i + 1], c);
        z[i + 2] = AddCarry(x[i + 2], y[i + 2], c);
        z[i + 3] = AddCarry(x[i + 3], y[i + 3], c);
    }
    for (; i < n; ++i) z[i] = AddCarry(x[i], y[i], c);
    return c;
}

template <>
inline Limb Subtract<Limb>(Limb* z, const Limb* x, const Limb* y, int n) {
    Carry b = 0;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        z[i] = SubBorrow(x[i], y[i], b);
        z[i + 1] = SubBorrow(x[i + 1], y[i + 1], b);
        z[i + 2] = SubBorrow(x[i + 2], y[i + 2], b);
        z[i + 3] = SubBorrow(x[i + 3], y[i + 3], b);
    }
    for (; i < n; ++i) z[i] = SubBorrow(x[i], y[i], b);
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

// t[0..k] = (x y + Q m) / B^k as above, t[k] being the top bit; t has k + 2
// digits, apart from x, y and m. `count` is k: an int, or a
// std::integral_constant for loops unrolled at compile time.
template <class D, class Count>
[[gnu::always_inline]] inline void MontgomeryRows(D* t, const D* x, const D* y, const D* m, D factor, Count count) {
    const int k = count;
#pragma GCC unroll 8
    for (int i = 0; i < k + 2; ++i) t[i] = 0;
#pragma GCC unroll 8
    for (int i = 0; i < k; ++i) {
        const D xi = x[i];
        D c = 0;
#pragma GCC unroll 8
        for (int j = 0; j < k; ++j) {
            const Double<D> p = static_cast<Double<D>>(xi) * y[j] + t[j] + c;
            t[j] = static_cast<D>(p);
            c = static_cast<D>(p >> kBits<D>);
        }
        Double<D> s = static_cast<Double<D>>(t[k]) + c;
        t[k] = static_cast<D>(s);
        t[k + 1] = static_cast<D>(s >> kBits<D>);
        const D q = t[0] * factor;
        Double<D> p = static_cast<Double<D>>(q) * m[0] + t[0];
        c = static_cast<D>(p >> kBits<D>);
#pragma GCC unroll 8
        for (int j = 1; j < k; ++j) {
            p = static_cast<Double<D>>(q) * m[j] + t[j] + c;
            t[j - 1] = static_cast<D>(p);
            c = static_cast<D>(p >> kBits<D>);
        }
        s = static_cast<Double<D>>(t[k]) + c;
        t[k - 1] = static_cast<D>(s);
        t[k] = t[k + 1] + static_cast<D>(s >> kBits<D>);
    }
}

}  // namespace arkseal::rows
