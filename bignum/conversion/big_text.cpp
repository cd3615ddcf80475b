// Text in the workspace's ioBase: parsing and writing.
#include <bit>
#include <cstdio>
#include <cstring>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

constexpr std::uint32_t kLargestSignedBase = 60;
constexpr std::uint32_t kLargestIoBase = 256;
constexpr std::uint32_t kNotADigit = 0xFFFFFFFFu;

std::uint32_t DigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    if (c >= 'a' && c <= 'z') return c - 'a' + 36;
    return kNotADigit;
}

char DigitCharacter(std::uint32_t v, std::uint32_t base) {
    if (base > kLargestSignedBase) return static_cast<char>(v);
    if (v < 10) return static_cast<char>('0' + v);
    if (v < 36) return static_cast<char>('A' + v - 10);
    return static_cast<char>('a' + v - 36);
}

// Error 1 for a text base outside 2..256, error 18 for an inactive workspace.
bool TextBaseUsable(NumberSystem& s) {
    if (s.ioBase < 2 || static_cast<std::uint32_t>(s.ioBase) > kLargestIoBase) {
        RaiseNumberError(kErrorBadIoBase);
        return false;
    }
    if (s.active == 0) {
        RaiseNumberError(kErrorInactive);
        return false;
    }
    return true;
}

// Where the text ends: exactly inputLength characters when set, else the
// first NUL (or newline in bases up to 60). -1 with error 17 when the text is
// the workspace's buffer and runs past it.
int TextEnd(const NumberSystem& s, const char* text) {
    int end = 0;
    if (s.inputLength != 0) {
        end = s.inputLength;
    } else if (s.apparentBase <= kLargestSignedBase) {
        end = static_cast<int>(strchrnul(text, '\n') - text);
    } else {
        end = static_cast<int>(std::strlen(text));
    }
    if (text == s.ioBuffer && end >= s.ioBufferSize) {
        RaiseNumberError(kErrorBufferOverflow);
        return -1;
    }
    return end;
}

// Moves the numerator parsed so far into the denominator slot.
void StartNumerator(BigNumber numerator, BigNumber denominator) {
    BigCopy(numerator, denominator);
    BigZero(numerator);
}

// Packs numerator and denominator (in the io base) into one fraction.
bool PackFraction(NumberSystem& s, BigNumber numerator, BigNumber denominator) {
    const int n = NumeratorLength(numerator);
    const int d = NumeratorLength(denominator);
    if (d == 0 || n + d > s.wordCapacity) {
        RaiseNumberError(kErrorFractionTooLong);
        return false;
    }
    for (int i = 0; i < d; ++i) Digits(numerator)[n + i] = Digits(denominator)[i];
    numerator[0] |= static_cast<std::uint32_t>(d) << 16;
    BigZero(denominator);
    return true;
}

// Where the next digit read from the right goes: its digit word and the
// apparent base to its position in that word.
struct DigitSlot {
    int word = 0;
    int position = 0;
    std::uint32_t scale = 1;
    int Index(const NumberSystem& s) const { return word * s.digitsPerWord + position; }
};

// Adds the next digit at its slot (digits arrive least significant first,
// each slot once) and moves the slot on; error 3 past the limit.
bool AppendDigit(const NumberSystem& s, BigNumber target, DigitSlot& slot, std::uint32_t value) {
    if (slot.position == s.digitsPerWord) {
        slot = DigitSlot{slot.word + 1, 0, 1};
    }
    if (slot.word >= ResultLimit(s)) {
        RaiseNumberError(kErrorOverflow);
        return false;
    }
    Digits(target)[slot.word] += value * slot.scale;
    if (value != 0 && slot.word >= NumeratorLength(target)) {
        target[0] = (target[0] & ~kBigLengthMask) | static_cast<std::uint32_t>(slot.word + 1);
    }
    ++slot.position;
    slot.scale *= s.apparentBase;
    return true;
}

// The value of a digit character in base b, or b and above when it is not one.
std::uint32_t ValueIn(std::uint32_t b, unsigned char c) { return b <= kLargestSignedBase ? DigitValue(c) : c; }

// The value of the eight decimal characters at p, most significant first,
// worked out together in one 64-bit word (bytes in memory order, so on
// little-endian machines only); false when one of them is not a digit.
bool EightDecimalDigits(const char* p, std::uint32_t& value) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    // A byte below '0' borrows into its top bit, one above '9' carries into it.
    if ((((v + 0x4646464646464646u) | (v - 0x3030303030303030u)) & 0x8080808080808080u) != 0) return false;
    v -= 0x3030303030303030u;
    // Each even byte becomes its two-digit pair, then the four pairs meet in
    // the upper half: p0 * 10^6 + p1 * 10^4 + p2 * 100 + p3.
    v = v * 10 + (v >> 8);
    constexpr std::uint64_t kPairs = 0x000000FF000000FFu;
    v = ((v & kPairs) * (100 + (1000000ull << 32)) + ((v >> 16) & kPairs) * (1 + (10000ull << 32))) >> 32;
    value = static_cast<std::uint32_t>(v);
    return true;
}

// The Horner value in base b of the characters text[start, end); digits
// stays true only while every one of them is a digit in b.
std::uint32_t HornerValue(std::uint32_t b, const char* text, int start, int end, bool& digits) {
    std::uint32_t value = 0;
    for (int pos = start; pos < end; ++pos) {
        const std::uint32_t digit = ValueIn(b, static_cast<unsigned char>(text[pos]));
        digits &= digit < b;
        value = value * b + digit;
    }
    return value;
}

// The value of one digit word's characters text[start, end); nine decimal
// characters, the usual full word, go as one digit and then eight at once.
std::uint32_t WordValue(const NumberSystem& s, const char* text, int start, int end, bool& digits) {
    if constexpr (std::endian::native == std::endian::little) {
        if (s.apparentBase == 10 && end - start == 9) {
            std::uint32_t low = 0;
            const std::uint32_t top = static_cast<unsigned char>(text[start]) - static_cast<std::uint32_t>('0');
            digits &= top < 10 && EightDecimalDigits(text + start + 1, low);
            return top * 100000000u + low;
        }
    }
    return HornerValue(s.apparentBase, text, start, end, digits);
}

// The digits text[first, last) of an integer read a digit word at a time into
// target (zero on entry). false, with target zero again, when a character is
// not a digit (a sign, "/" or "." among them) or there are more digit words
// than the limit; the digit-at-a-time parse then finds what the text holds
// and reports what is wrong.
bool ParseWholeWords(const NumberSystem& s, const char* text, int first, int last, BigNumber target) {
    const int words = (last - first + s.digitsPerWord - 1) / s.digitsPerWord;
    if (words > ResultLimit(s)) return false;
    bool allDigits = true;
    for (int word = 0; word < words; ++word) {
        const int end = last - word * s.digitsPerWord;
        const int start = end - s.digitsPerWord > first ? end - s.digitsPerWord : first;
        Digits(target)[word] = WordValue(s, text, start, end, allDigits);
    }
    if (!allDigits) {
        ClearWordsAbove(target, 1, words);
        return false;
    }
    target[0] = static_cast<std::uint32_t>(StrippedLength(Digits(target), words));
    return true;
}

// Parses text in the apparent base (the io base, already switched to) into
// target; returns the characters scanned or -1 on error.
int ParseText(NumberSystem& s, const char* text, BigNumber target) {
    BigNumber denominator = s.scratch[6];
    BigZero(target);
    BigZero(denominator);
    const std::uint32_t b = s.apparentBase;
    const int end = TextEnd(s, text);
    s.inputLength = 0;
    if (end < 0) return -1;
    int last = end;
    int first = 0;
    bool negative = false;
    if (b <= kLargestSignedBase) {
        if (last > 0 && text[last - 1] == '/') --last;
        while (first < last && text[first] == ' ') ++first;
        if (first < last && text[first] == '-') {
            negative = true;
            ++first;
        }
        if (first < last && text[first] == '+') ++first;
    }
    if (ParseWholeWords(s, text, first, last, target)) {
        BigSetSign(negative ? -1 : 1, target);
        return end;
    }
    bool fraction = false;
    bool slashSeen = false;
    bool pointSeen = false;
    DigitSlot slot;
    for (int pos = last - 1; pos >= first; --pos) {
        const auto c = static_cast<unsigned char>(text[pos]);
        if (b <= kLargestSignedBase && c == '/' && !slashSeen) {
            slashSeen = fraction = true;
            StartNumerator(target, denominator);
            slot = DigitSlot{};
            continue;
        }
        if (b <= kLargestSignedBase && c == '.' && !pointSeen) {
            pointSeen = fraction = true;
            BigIntPower(static_cast<int>(b), slot.Index(s), denominator);
            continue;
        }
        const std::uint32_t value = ValueIn(b, c);
        if (value >= b) {
            RaiseNumberError(kErrorBadDigit);
            return -1;
        }
        if (!AppendDigit(s, target, slot, value)) return -1;
    }
    if (fraction && !PackFraction(s, target, denominator)) return -1;
    BigSetSign(negative ? -1 : 1, target);
    return end;
}

// Puts c at text[pos] and moves on. When the text is the workspace's buffer,
// a position at or beyond its size less 3 raises error 17 and nothing is
// written: false (and so for every later position).
bool Put(NumberSystem& s, char* text, int& pos, char c) {
    if (text == s.ioBuffer && pos >= s.ioBufferSize - 3) {
        RaiseNumberError(kErrorBufferOverflow);
        return false;
    }
    text[pos++] = c;
    return true;
}

// The count digits of one digit word in base b, least significant first.
// Decimal, the usual text base, divides by a constant.
void WordDigits(std::uint32_t value, std::uint32_t b, int count, char* digits) {
    if (b == 10) {
        for (int j = 0; j < count; ++j, value /= 10) digits[j] = static_cast<char>('0' + value % 10);
        return;
    }
    for (int j = 0; j < count; ++j, value /= b) digits[j] = DigitCharacter(value % b, b);
}

// Writes the digits of number in the apparent base from the most
// significant, a digit word at a time; returns the new position.
int WriteDigits(NumberSystem& s, BigNumber number, char* text, int pos) {
    const int length = NumeratorLength(number);
    char digits[32];
    for (int word = length; word >= 1; --word) {
        WordDigits(number[word], s.apparentBase, s.digitsPerWord, digits);
        int j = s.digitsPerWord - 1;
        if (word == length) {
            while (j > 0 && digits[j] == DigitCharacter(0, s.apparentBase)) --j;
        }
        for (; j >= 0; --j) {
            if (!Put(s, text, pos, digits[j])) return pos;
        }
    }
    return pos;
}

// Splits the fraction in number into its numerator (kept there) and
// denominator (moved to denominator).
void SplitFraction(BigNumber number, BigNumber denominator) {
    const int n = NumeratorLength(number);
    const int d = DenominatorLength(number);
    BigZero(denominator);
    for (int i = 1; i <= d; ++i) {
        denominator[i] = number[n + i];
        number[n + i] = 0;
    }
    denominator[0] = static_cast<std::uint32_t>(d);
    number[0] = (number[0] & kBigSignBit) | static_cast<std::uint32_t>(n);
}

// Writes numerator / denominator as a radix-point expansion: the numerator is
// scaled up by whole words so that the quotient has about twice the capacity
// in words, and the point goes before the digits of that scale.
int WriteRadixPoint(NumberSystem& s, BigNumber number, BigNumber denominator, char* text, int pos) {
    const int scaleWords = 2 * s.wordCapacity - NumeratorLength(number);
    number[0] &= ~kBigSignBit;
    {
        UncheckedScope unchecked;
        BigShiftWords(number, scaleWords, number);
        BigDivide(number, denominator, number);
    }
    const int fractionDigits = scaleWords * s.digitsPerWord;
    const int total = BigDigitCount(number);
    if (total <= fractionDigits) {
        Put(s, text, pos, '0');
    } else {
        for (int i = total; i > fractionDigits; --i) {
            if (!Put(s, text, pos, DigitCharacter(BigGetDigit(number, i), s.apparentBase))) return pos;
        }
    }
    int lowest = 1;
    while (lowest <= fractionDigits && BigGetDigit(number, lowest) == 0) ++lowest;
    if (lowest > fractionDigits || !Put(s, text, pos, '.')) return pos;
    for (int i = fractionDigits; i >= lowest; --i) {
        if (!Put(s, text, pos, DigitCharacter(BigGetDigit(number, i), s.apparentBase))) return pos;
    }
    return pos;
}

// Writes number (in the io base, already switched to) as text.
int WriteText(NumberSystem& s, BigNumber number, char* text) {
    const std::uint32_t b = s.apparentBase;
    int pos = 0;
    if (IsZero(number)) {
        if (b <= kLargestSignedBase) Put(s, text, pos, '0');
        text[pos] = '\0';
        return pos;
    }
    if (b <= kLargestSignedBase && IsNegative(number)) Put(s, text, pos, '-');
    if (IsFraction(number)) {
        BigNumber denominator = s.scratch[6];
        SplitFraction(number, denominator);
        const bool aboveOne = NumeratorLength(denominator) > 1 || denominator[1] >= 2;
        if (s.radixPoint == 1 && aboveOne) {
            pos = WriteRadixPoint(s, number, denominator, text, pos);
        } else {
            pos = WriteDigits(s, number, text, pos);
            if (Put(s, text, pos, '/')) pos = WriteDigits(s, denominator, text, pos);
        }
        BigZero(denominator);
    } else {
        pos = WriteDigits(s, number, text, pos);
    }
    text[pos] = '\0';
    return pos;
}

// Stream mode: reads one line (up to a newline or the end of the file) of
// inputFile into the io buffer. A line that fills the buffer is left
// unterminated there, so that parsing it reports the overflow.
void ReadLine(NumberSystem& s) {
    int count = 0;
    for (int c; count < s.ioBufferSize && (c = std::fgetc(s.inputFile)) != EOF && c != '\n';) {
        s.ioBuffer[count++] = static_cast<char>(c);
    }
    s.ioBuffer[count] = '\0';
}

}  // namespace

int BigFromString(BigNumber x, const char* text) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    if (!TextBaseUsable(s)) return 0;
    if (s.readFromFile != 0 && s.inputFile != nullptr) {
        ReadLine(s);
        text = s.ioBuffer;
    }
    const std::uint32_t savedApparent = s.apparentBase;
    ApplyBaseRule(s, static_cast<std::uint32_t>(s.ioBase));
    const std::uint32_t ioWorkingBase = s.base;
    BigNumber parsed = s.scratch[5];
    int count;
    {
        UncheckedScope unchecked;
        count = ParseText(s, text, parsed);
    }
    ApplyBaseRule(s, savedApparent);
    // The capacity is judged on the value in the working base: the change of
    // base raises error 3 when it does not fit.
    if (!ErrorPending()) BigChangeBase(parsed, ioWorkingBase, x);
    BigZero(parsed);
    return ErrorPending() ? 0 : count;
}

int BigToString(const std::uint32_t* x, char* text) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    if (!TextBaseUsable(s)) return 0;
    const std::uint32_t savedBase = s.base;
    const std::uint32_t savedApparent = s.apparentBase;
    ApplyBaseRule(s, static_cast<std::uint32_t>(s.ioBase));
    BigNumber converted = s.scratch[5];
    {
        UncheckedScope unchecked;
        BigChangeBase(x, savedBase, converted);
    }
    const bool toStream = s.writeToFile != 0 && s.outputFile != nullptr;
    const int count = ErrorPending() ? 0 : WriteText(s, converted, toStream ? s.ioBuffer : text);
    BigZero(converted);
    ApplyBaseRule(s, savedApparent);
    if (toStream && !ErrorPending()) {
        std::fputs(s.ioBuffer, s.outputFile);
        std::fputc('\n', s.outputFile);
    }
    return count;
}

}  // namespace arkseal
