/* Conversion between full words and another radix B.
 *
 * Reading takes one pass of Horner's rule, two B-digits a step on 64-bit
 * limbs: about two cycles per limb and step. A divide-and-conquer reading
 * (x = high B^k + low, the halves joined by one product) was measured slower
 * than this pass up to 1024 words with the products we have, so there is
 * none.
 *
 * Writing short numbers divides by B^2 again and again, one dependent
 * 128-by-64-bit step per limb and digit pair. Long numbers are split at
 * powers of the radix first (the divide-and-conquer radix conversion, Knuth
 * vol. 2, 4.4): with P = B^k, x = q P + r by one long division, and r gives
 * exactly k digits (leading zeros kept), q the digits above, both
 * recursively. The long divisions run as rows of multiply-subtract, which
 * are several times cheaper per limb than the dependent steps. For a number
 * of up to D digits the splits are at k = L 2^j with L = D / 2^m rounded up,
 * m chosen so that L is about kLeafWords words of digits: every split is
 * into halves of nearly equal length. The powers P_j = B^(L 2^j) are built
 * per call, P_0 by small multiplications and each next one by squaring.
 * Every buffer is on the stack; numbers longer than kLongestWords take the
 * single pass.
 */
#include "bignum/radix_conversion.h"

#include <algorithm>
#include <bit>

#include "bignum/limb.h"
#include "bignum/limb_division.h"
#include "bignum/limb_reciprocal.h"
#include "bignum/number_internal.h"

namespace arkseal {

using detail::StrippedLength;

namespace {

// The longest number, in words, that the single pass builds in its limb
// buffer (twice the program's capacity fits).
constexpr int kLimbBuffer = 1024;

// The longest and the shortest number, in words, that writing splits (below
// about 100 words the single pass was measured faster), and the length of
// the parts it converts in one pass.
constexpr int kLongestWords = 1024;
constexpr int kShortestSplit = 96;
constexpr int kLeafWords = 8;

// Horner's rule into full words two source digits a step, on 64-bit limbs:
// acc = acc * s^2 + (d1 s + d0), where s^2 < 2^64 keeps each limb's product
// and carry within 128 bits. Returns the length in words, -1 past the limit,
// -2 (nothing done) when the limit is longer than the buffer.
int WordsFromDigitsByPairs(Word* acc, int limit, const Word* source, int n, Word s) {
    if (limit > 2 * kLimbBuffer) return -2;
    Limb limbs[kLimbBuffer];
    int count = 0;
    // limbs = limbs * m + addend; false when the buffer is full.
    auto step = [&](Limb m, Limb addend) {
        WideLimb carry = addend;
        for (int j = 0; j < count; ++j) {
            const WideLimb t = static_cast<WideLimb>(limbs[j]) * m + carry;
            limbs[j] = static_cast<Limb>(t);
            carry = t >> 64;
        }
        if (carry == 0) return true;
        if (count == kLimbBuffer) return false;
        limbs[count++] = static_cast<Limb>(carry);
        return true;
    };
    int i = n - 1;
    if (n % 2 == 1 && !step(s, source[i--])) return -1;
    const Limb square = static_cast<Limb>(s) * s;
    for (; i >= 1; i -= 2) {
        if (!step(square, static_cast<Limb>(source[i]) * s + source[i - 1])) return -1;
    }
    int words = 2 * count;
    auto word = [&](int k) { return static_cast<Word>(limbs[k / 2] >> (32 * (k % 2))); };
    while (words > 0 && word(words - 1) == 0) --words;
    if (words > limit) return -1;
    for (int k = 0; k < words; ++k) acc[k] = word(k);
    return words;
}

// Full words into the radix B two digits a division: the number, as 64-bit
// limbs, is divided by B^2 again and again, and each remainder gives the
// next two digits. The divisions run on B^2 (below 2^62) and the dividend
// shifted up to B^2's top bit, by its reciprocal. Returns the length, -1 past
// the limit, -2 (nothing done) when the source is longer than the buffer.
int DigitsFromWordsByPairs(Word* acc, int limit, const Word* source, int n, Word base) {
    if (n > 2 * kLimbBuffer) return -2;
    Limb limbs[kLimbBuffer];
    int count = PackLimbs(limbs, source, n);
    while (count > 0 && limbs[count - 1] == 0) --count;
    const Limb divisor = static_cast<Limb>(base) * base;
    const int shift = std::countl_zero(divisor);  // 2 at least
    const Limb d = divisor << shift;
    const Limb reciprocal = ReciprocalOf(d);
    int length = 0;
    // Digits past the limit may only be leading zeros.
    auto put = [&](Word digit) {
        if (length < limit) {
            acc[length] = digit;
        } else if (digit != 0) {
            return false;
        }
        ++length;
        return true;
    };
    while (count > 0) {
        Limb r = limbs[count - 1] >> (64 - shift);
        for (int j = count - 1; j >= 0; --j) {
            const Limb below = j > 0 ? limbs[j - 1] >> (64 - shift) : 0;
            limbs[j] = DivideTwoByOne(r, limbs[j] << shift | below, d, reciprocal);
        }
        r >>= shift;
        if (!put(static_cast<Word>(r % base)) || !put(static_cast<Word>(r / base))) return -1;
        while (count > 0 && limbs[count - 1] == 0) --count;
    }
    return StrippedLength(acc, std::min(length, limit));
}

// Bits of the largest digit, and whole bits of the radix: n digits fit
// ceil(n DigitBits / 32) words, n words ceil(32 n / RadixBits) digits.
int DigitBits(Word base) { return std::bit_width(base - 1); }
int RadixBits(Word base) { return std::bit_width(base) - 1; }
int WordsForDigits(int n, Word base) { return (n * DigitBits(base) + 31) / 32; }
int DigitsForWords(int n, Word base) { return (32 * n + RadixBits(base) - 1) / RadixBits(base); }

// The split points of a number of up to L 2^levels digits, L 2^j for
// j < levels, and the powers B^(L 2^j) in full words.
struct Splits {
    static constexpr int kMaxLevels = 16;
    int leafDigits = 0;
    int levels = 0;
    const Word* power[kMaxLevels] = {};
    int length[kMaxLevels] = {};
    int Digits(int j) const { return leafDigits << j; }
};

constexpr int kPowerStore = 2 * kLongestWords + 8 * kLeafWords;

// Chooses the splits for `digits` digits and builds their powers in store;
// false when store is too small.
bool BuildSplits(Splits& s, int digits, Word base, Word* store) {
    const int leaf = std::max(2, kLeafWords * 32 / DigitBits(base));
    int levels = 0;
    while (levels < Splits::kMaxLevels && (digits >> (levels + 1)) >= leaf) ++levels;
    s.levels = levels;
    s.leafDigits = (digits + (1 << levels) - 1) >> levels;
    if (levels == 0) return true;
    Word* next = store;
    int length = 1;
    next[0] = 1;
    if (WordsForDigits(s.leafDigits, base) + 1 > kPowerStore) return false;
    for (int i = 0; i < s.leafDigits; ++i) {
        const Word carry = MultiplyByWord(next, next, length, base);
        if (carry != 0) next[length++] = carry;
    }
    for (int j = 0; j < levels; ++j) {
        s.power[j] = next;
        s.length[j] = length;
        if (j + 1 == levels) break;
        if (next + length + 2 * length > store + kPowerStore) return false;
        Word* square = next + length;
        SquareWords(square, next, length);
        next = square;
        length = StrippedLength(square, 2 * length);
    }
    return true;
}

// Writes the digits of x[0..n), x < B^(L 2^(j+1)), into z, zero-filled to at
// least `width` digits; returns the count. x has room for n + 1 words and is
// overwritten; t is working space.
int WriteParts(Word* z, int width, Word* x, int n, Word base, const Splits& s, int j, Word* t) {
    n = StrippedLength(x, n);
    while (j >= 0 && (n < s.length[j] || (n == s.length[j] && CompareWords(x, s.power[j], n) < 0))) --j;
    int count = 0;
    if (j < 0) {
        count = DigitsFromWordsByPairs(z, 2 * kLongestWords, x, n, base);
    } else {
        const int k = s.Digits(j);
        Word* quotient = t;
        const int quotientLength = n - s.length[j] + 1;
        DivideWordsInLimbs(x, n, s.power[j], s.length[j], quotient, quotientLength);
        WriteParts(z, k, x, s.length[j], base, s, j - 1, t + quotientLength + 1);
        count = k + WriteParts(z + k, width - k, quotient, quotientLength, base, s, j - 1, t + quotientLength + 1);
    }
    for (; count < width; ++count) z[count] = 0;
    return count;
}

constexpr int kDigitBuffer = 2 * kLongestWords + 8;

int DigitsFromWordsInParts(Word* z, int limit, const Word* x, int n, Word base) {
    const int digits = DigitsForWords(n, base);
    if (digits + 4 > kDigitBuffer) return -2;
    Splits s;
    Word powers[kPowerStore];
    if (!BuildSplits(s, digits, base, powers)) return -2;
    Word number[kLongestWords + 1];
    std::copy(x, x + n, number);
    Word result[kDigitBuffer];
    Word t[kLongestWords + 4 * Splits::kMaxLevels];
    const int count = WriteParts(result, 0, number, n, base, s, s.levels - 1, t);
    if (count > limit) return -1;
    std::copy(result, result + count, z);
    return count;
}

}  // namespace

int WordsFromDigits(Word* z, int limit, const Word* x, int n, Word base) {
    return WordsFromDigitsByPairs(z, limit, x, n, base);
}

int DigitsFromWords(Word* z, int limit, const Word* x, int n, Word base) {
    if (n > kLongestWords || n < kShortestSplit) return DigitsFromWordsByPairs(z, limit, x, n, base);
    return DigitsFromWordsInParts(z, limit, x, n, base);
}

}  // namespace arkseal
