/* Conversion between full words and another radix B.
 *
 * Reading short numbers takes one pass of Horner's rule, two B-digits a
 * step on 64-bit limbs: about two cycles per limb and step, so n^2 / 2 limb
 * steps for n limbs. Long numbers are split at the same powers of the
 * radix as writing splits them (below), x = high B^k + low, the parts read
 * recursively and joined by one product of any length (limb_karatsuba.h);
 * the parts read in one pass are about kReadLeafWords long. From 256 words
 * this is the faster (measured: 640 words about 7% faster, 1024 words 1.3
 * times), and it grows as the products do, not as n^2.
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
 * per call, P_0 by squarings and multiplications by B and each next one by
 * squaring. The long divisions split in their turn (recursive_division.h),
 * so writing too grows as the products do. Every buffer is on the stack;
 * numbers longer than about kLongestWords take the single pass.
 */
#include <arkseal/bignum/conversion/radix_conversion.h>

#include <algorithm>
#include <bit>

#include <arkseal/bignum/division/limb_division.h>
#include <arkseal/bignum/division/limb_reciprocal.h>
#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/kernels/row_loops.h>
#include <arkseal/bignum/products/digit_products.h>
#include <arkseal/bignum/products/limb_karatsuba.h>
#include <arkseal/bignum/workspace/number_internal.h>

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

// The shortest number, in words, that reading splits, and the length of the
// parts it reads in one pass (measured), and the working space of the
// splits: per level the high part, its product with the power and the
// product's own space.
constexpr int kShortestReadSplit = 256;
constexpr int kReadLeafWords = 128;
constexpr int kLongestRead = kLongestWords + kLongestWords / 64 + 2;
constexpr int kReadSpace = 4 * kLongestRead + 256;

// Horner's rule into 64-bit limbs two source digits a step: acc = acc s^2 +
// (d1 s + d0), where s^2 < 2^64 keeps each limb's product and carry within
// 128 bits. Returns the limb count (no leading zero limbs), -1 when that is
// more than capacity.
int ReadByPairs(Limb* limbs, int capacity, const Word* source, int n, Word s) {
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
        if (count == capacity) return false;
        limbs[count++] = static_cast<Limb>(carry);
        return true;
    };
    int i = n - 1;
    if (n % 2 == 1 && !step(s, source[i--])) return -1;
    const Limb square = static_cast<Limb>(s) * s;
    for (; i >= 1; i -= 2) {
        if (!step(square, static_cast<Limb>(source[i]) * s + source[i - 1])) return -1;
    }
    return count;
}

// The words of limbs[0..count) into acc without leading zeros; the length,
// -1 past the limit.
int WordsOfLimbs(Word* acc, int limit, const Limb* limbs, int count) {
    int words = 2 * count;
    if (words > 0 && static_cast<Word>(limbs[count - 1] >> 32) == 0) --words;
    if (words > limit) return -1;
    UnpackLimbs(acc, words, limbs, count);
    return words;
}

// Horner's rule into full words. Returns the length in words, -1 past the
// limit, -2 (nothing done) when the limit is longer than the buffer.
int WordsFromDigitsByPairs(Word* acc, int limit, const Word* source, int n, Word s) {
    if (limit > 2 * kLimbBuffer) return -2;
    Limb limbs[kLimbBuffer];
    const int count = ReadByPairs(limbs, kLimbBuffer, source, n, s);
    return count < 0 ? -1 : WordsOfLimbs(acc, limit, limbs, count);
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

constexpr int kPowerStore = 2 * kLongestRead + 8 * kReadLeafWords;

// z = B^e by squarings and multiplications by B, from e's top bit down;
// returns its length. z and t have room for 2 WordsForDigits(e) words.
int PowerOfBase(Word* z, Word base, int e, Word* t) {
    z[0] = 1;
    int length = 1;
    for (int bit = std::bit_width(static_cast<unsigned>(e)) - 1; bit >= 0; --bit) {
        SquareWords(t, z, length);
        length = StrippedLength(t, 2 * length);
        std::copy(t, t + length, z);
        if ((e >> bit) & 1) {
            const Word carry = MultiplyByWord(z, z, length, base);
            if (carry != 0) z[length++] = carry;
        }
    }
    return length;
}

// Chooses the splits for `digits` digits into parts of about leafWords words
// and builds their powers in store; false when store is too small.
bool BuildSplits(Splits& s, int digits, int leafWords, Word base, Word* store) {
    const int leaf = std::max(2, leafWords * 32 / DigitBits(base));
    int levels = 0;
    while (levels < Splits::kMaxLevels && (digits >> (levels + 1)) >= leaf) ++levels;
    s.levels = levels;
    s.leafDigits = (digits + (1 << levels) - 1) >> levels;
    if (levels == 0) return true;
    Word* next = store;
    const int room = WordsForDigits(s.leafDigits, base) + 1;
    if (3 * room > kPowerStore) return false;
    int length = PowerOfBase(next, base, s.leafDigits, next + room);
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
    if (!BuildSplits(s, digits, kLeafWords, base, powers)) return -2;
    Word number[kLongestWords + 1];
    std::copy(x, x + n, number);
    Word result[kDigitBuffer];
    Word t[kLongestWords + 4 * Splits::kMaxLevels];
    const int count = WriteParts(result, 0, number, n, base, s, s.levels - 1, t);
    if (count > limit) return -1;
    std::copy(result, result + count, z);
    return count;
}

// The limbs of the n digits x[0..n), x < B^(L 2^(j+1)), into z; returns the
// limb count (no leading zero limbs). power[j] is B^(L 2^j) in powerLength[j]
// limbs; t is working space.
int ReadParts(Limb* z, const Word* x, int n, Word base, const Splits& s, const Limb* const* power,
              const int* powerLength, int j, Limb* t) {
    while (j >= 0 && n <= s.Digits(j)) --j;
    if (j < 0) return ReadByPairs(z, (WordsForDigits(n, base) + 1) / 2, x, n, base);
    const int k = s.Digits(j);
    const int low = ReadParts(z, x, k, base, s, power, powerLength, j - 1, t);
    // The high part's limbs first, then (once its reading is done) the
    // product of it and the power.
    const int highRoom = (WordsForDigits(n - k, base) + 1) / 2;
    Limb* const high = t;
    Limb* const product = t + highRoom;
    const int highCount = ReadParts(high, x + k, n - k, base, s, power, powerLength, j - 1, product);
    if (highCount == 0) return low;
    const Limb* p = power[j];
    const int pLength = powerLength[j];
    Limb* const next = product + highCount + pLength;
    if (pLength >= highCount) {
        MultiplyLimbs(product, p, pLength, high, highCount, next);
    } else {
        MultiplyLimbs(product, high, highCount, p, pLength, next);
    }
    // z = product + low, low < power.
    int count = highCount + pLength;
    const Limb carry = rows::Add(z, product, z, low);
    std::copy(product + low, product + count, z + low);
    rows::Increment(z + low, count - low, carry);
    while (count > 0 && z[count - 1] == 0) --count;
    return count;
}

int WordsFromDigitsInParts(Word* z, int limit, const Word* x, int n, Word base) {
    if (WordsForDigits(n, base) > kLongestRead) return -2;
    Splits s;
    Word powers[kPowerStore];
    if (!BuildSplits(s, n, kReadLeafWords, base, powers)) return -2;
    Limb powerLimbs[kPowerStore / 2 + Splits::kMaxLevels];
    const Limb* power[Splits::kMaxLevels];
    int powerLength[Splits::kMaxLevels];
    Limb* next = powerLimbs;
    for (int j = 0; j < s.levels; ++j) {
        power[j] = next;
        powerLength[j] = PackLimbs(next, s.power[j], s.length[j]);
        next += powerLength[j];
    }
    Limb limbs[kLongestRead / 2 + 1];
    Limb t[kReadSpace];
    const int count = ReadParts(limbs, x, n, base, s, power, powerLength, s.levels - 1, t);
    return WordsOfLimbs(z, limit, limbs, count);
}

}  // namespace

int WordsFromDigits(Word* z, int limit, const Word* x, int n, Word base) {
    if (WordsForDigits(n, base) >= kShortestReadSplit) {
        const int words = WordsFromDigitsInParts(z, limit, x, n, base);
        if (words != -2) return words;
    }
    return WordsFromDigitsByPairs(z, limit, x, n, base);
}

int DigitsFromWords(Word* z, int limit, const Word* x, int n, Word base) {
    if (n > kLongestWords || n < kShortestSplit) return DigitsFromWordsByPairs(z, limit, x, n, base);
    return DigitsFromWordsInParts(z, limit, x, n, base);
}

}  // namespace arkseal
