/* Digit kernels in any radix.
 *
 * Base 0 (radix 2^32) delegates to the word kernels. For a radix B <= 2^31
 * every digit is below B, so a digit sum plus carry stays below 2^32 and one
 * conditional subtraction of B normalises it; a product of a digit and a
 * 32-bit multiplier plus carries stays below 2^63, and its quotient and
 * remainder by B give the next carry and the digit.
 *
 * The combinations cx * x + cy * y (and cx * x - cy * y) take cofactors
 * below 2^30: each product is below 2^62, so a column plus its carry fits a
 * 64-bit word, signed for the difference. They run upward and read both
 * digits before writing, so z may be x or y.
 */
#include <arkseal/bignum/kernels/digit_kernels.h>

namespace arkseal {

Word DigitsAdd(Word base, Word* z, const Word* x, const Word* y, int n) {
    if (base == 0) return AddWords(z, x, y, n);
    Word c = 0;
    for (int i = 0; i < n; ++i) {
        Word s = x[i] + y[i] + c;
        c = s >= base ? 1 : 0;
        z[i] = s - (c ? base : 0);
    }
    return c;
}

Word DigitsAddDigit(Word base, Word* z, const Word* x, int n, Word w) {
    if (base == 0) return AddWordTo(z, x, n, w);
    Word c = w;
    for (int i = 0; i < n; ++i) {
        Word s = x[i] + c;
        c = s >= base ? 1 : 0;
        z[i] = s - (c ? base : 0);
    }
    return c;
}

Word DigitsSubtract(Word base, Word* z, const Word* x, const Word* y, int n) {
    if (base == 0) return SubtractWords(z, x, y, n);
    Word b = 0;
    for (int i = 0; i < n; ++i) {
        const Word t = y[i] + b;
        b = x[i] < t ? 1 : 0;
        z[i] = x[i] - t + (b ? base : 0);
    }
    return b;
}

Word DigitsSubtractDigit(Word base, Word* z, const Word* x, int n, Word w) {
    if (base == 0) return SubtractWordFrom(z, x, n, w);
    Word b = w;
    for (int i = 0; i < n; ++i) {
        const Word t = b;
        b = x[i] < t ? 1 : 0;
        z[i] = x[i] - t + (b ? base : 0);
    }
    return b;
}

namespace {

// The radix as a run-time value, and the decimal radix 10^9 as a constant so
// that its divisions compile to multiplications.
struct AnyRadix {
    WideWord value;
};
struct DecimalRadix {
    static constexpr WideWord value = 1000000000;
};

// Calls f with the radix of base in the fastest form available.
template <class F>
auto WithRadix(Word base, F f) {
    return base == DecimalRadix::value ? f(DecimalRadix{}) : f(AnyRadix{base});
}

template <class R>
Word MultiplyByWordIn(R radix, Word* z, const Word* x, int n, Word m) {
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        const WideWord t = static_cast<WideWord>(x[i]) * m + c;
        c = t / radix.value;
        z[i] = static_cast<Word>(t - c * radix.value);
    }
    return static_cast<Word>(c);
}

template <class R>
Word MultiplyAddIn(R radix, Word* z, const Word* x, int n, Word m) {
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        const WideWord t = static_cast<WideWord>(x[i]) * m + z[i] + c;
        c = t / radix.value;
        z[i] = static_cast<Word>(t - c * radix.value);
    }
    return static_cast<Word>(c);
}

template <class R>
Word MultiplySubtractIn(R radix, Word* z, const Word* x, int n, Word m) {
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        const WideWord t = static_cast<WideWord>(x[i]) * m + c;
        c = t / radix.value;
        const Word low = static_cast<Word>(t - c * radix.value);
        if (z[i] < low) {
            z[i] += static_cast<Word>(radix.value) - low;
            ++c;
        } else {
            z[i] -= low;
        }
    }
    return static_cast<Word>(c);
}

template <class R>
Word DivideByWordIn(R radix, Word* q, const Word* x, int n, Word d) {
    WideWord r = 0;
    for (int i = n - 1; i >= 0; --i) {
        const WideWord t = r * radix.value + x[i];
        if (q != nullptr) q[i] = static_cast<Word>(t / d);
        r = t % d;
    }
    return static_cast<Word>(r);
}

template <class R>
WideWord ShiftWordInto(R radix, Word* z, int n, Word w) {
    WideWord c = w;
    for (int i = 0; i < n; ++i) {
        const WideWord t = (static_cast<WideWord>(z[i]) << 32) + c;
        c = t / radix.value;
        z[i] = static_cast<Word>(t - c * radix.value);
    }
    return c;
}

}  // namespace

WideWord DigitsShiftWordInto(Word base, Word* z, int n, Word w) {
    return WithRadix(base, [&](auto radix) { return ShiftWordInto(radix, z, n, w); });
}

Word DigitsMultiplyByWord(Word base, Word* z, const Word* x, int n, Word m) {
    if (base == 0) return MultiplyByWord(z, x, n, m);
    return WithRadix(base, [&](auto radix) { return MultiplyByWordIn(radix, z, x, n, m); });
}

Word DigitsMultiplyAdd(Word base, Word* z, const Word* x, int n, Word m) {
    if (base == 0) return MultiplyAddWord(z, x, n, m);
    return WithRadix(base, [&](auto radix) { return MultiplyAddIn(radix, z, x, n, m); });
}

Word DigitsMultiplySubtract(Word base, Word* z, const Word* x, int n, Word m) {
    if (base == 0) return MultiplySubtractWord(z, x, n, m);
    return WithRadix(base, [&](auto radix) { return MultiplySubtractIn(radix, z, x, n, m); });
}

Word DigitsDivideByWord(Word base, Word* q, const Word* x, int n, Word d) {
    if (base == 0) return DivideByWord(q, x, n, d);
    return WithRadix(base, [&](auto radix) { return DivideByWordIn(radix, q, x, n, d); });
}

Word DigitsCombineAdd(Word base, Word* z, const Word* x, Word cx, const Word* y, Word cy, int n) {
    const WideWord radix = Radix(base);
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        const WideWord t = static_cast<WideWord>(x[i]) * cx + static_cast<WideWord>(y[i]) * cy + c;
        z[i] = static_cast<Word>(t % radix);
        c = t / radix;
    }
    return static_cast<Word>(c);
}

void DigitsCombineSubtract(Word base, Word* z, const Word* x, Word cx, const Word* y, Word cy, int n) {
    const std::int64_t radix = static_cast<std::int64_t>(Radix(base));
    std::int64_t c = 0;
    for (int i = 0; i < n; ++i) {
        const std::int64_t t = static_cast<std::int64_t>(x[i]) * cx - static_cast<std::int64_t>(y[i]) * cy + c;
        std::int64_t next = t / radix;
        std::int64_t digit = t - next * radix;
        if (digit < 0) {
            digit += radix;
            --next;
        }
        z[i] = static_cast<Word>(digit);
        c = next;
    }
}

}  // namespace arkseal
