// Conversions between BigNumbers and big-endian bytes or text.
//
// Text is NUL-terminated, in the workspace's ioBase. For apparent bases up to
// 60 the digits are "0"-"9", "A"-"Z", "a"-"z" (0-9, 10-35, 36-61; case
// matters), with an optional leading "-" or "+" and fractions written
// numerator "/" denominator or, with radixPoint, with a ".". For bases 61 to
// 256 each character byte is one digit value.
#pragma once

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

// x = the big-endian value of len bytes. Stops at the first error.
void BigFromBytes(int len, const std::uint8_t* bytes, BigNumber x);
// Writes abs(x) big-endian without leading zeros and returns the count (0 for
// 0). With max > 0, a value needing more than max bytes raises error 14 and
// returns 0. Scratch 1.
int BigToBytes(int max, const std::uint32_t* x, std::uint8_t* bytes);

// Parses text into x; returns the characters scanned, 0 on error. Scratch 0,
// 5, 6. With readFromFile set, the text is instead one line of inputFile,
// read into ioBuffer.
int BigFromString(BigNumber x, const char* text);
// Writes x as text (the caller gives room for sign, digits and terminator);
// returns the characters written without the terminator. Scratch 0, 5, 6.
// With writeToFile set, the text goes to outputFile followed by a newline
// (through ioBuffer) instead.
int BigToString(const std::uint32_t* x, char* text);

// Digits in the apparent base, i = 1 the least significant.
std::uint32_t BigGetDigit(const std::uint32_t* x, int i);
void BigSetDigit(BigNumber x, int i, std::uint32_t value);
int BigDigitCount(const std::uint32_t* x);

// y = x rewritten from the digit base sourceBase (0 = 2^32) into the current
// working base; fractions convert numerator and denominator apart. y must
// differ from x. A result longer than the limit in force raises error 3 (13
// when only numerator and denominator together are), also when the bases are
// the same and x is merely copied. Scratch 6 for a denominator.
void BigChangeBase(const std::uint32_t* x, std::uint32_t sourceBase, BigNumber y);

}  // namespace arkseal
