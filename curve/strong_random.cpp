// Pool refill: SHA-1 over 128 bytes, each the low byte of one generator word.
// The pool is handed out byte by byte and refilled the moment its last byte
// has been taken, so position 20 is never read.
#include <arkseal/curve/strong_random.h>

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/workspace/random_words.h>
#include <arkseal/curve/constant_time.h>
#include <arkseal/curve/sha1.h>

namespace arkseal {
namespace {

constexpr int kPoolSize = 20;
constexpr int kRefillBytes = 128;

void RefillPool(NumberSystem& s) {
    Sha1State sha;
    Sha1Init(sha);
    for (int i = 0; i < kRefillBytes; ++i) Sha1Process(sha, static_cast<int>(RandomWord() & 0xFF));
    Sha1Finish(sha, s.pool);
    SecureWipe(&sha, sizeof sha);
    s.poolPosition = 0;
}

std::uint8_t NextPoolByte(NumberSystem& s) {
    const std::uint8_t b = s.pool[s.poolPosition];
    if (++s.poolPosition == kPoolSize) RefillPool(s);
    return b;
}

std::uint32_t LittleEndianWord(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

void StrongSeed(int length, const std::uint8_t* raw, std::uint32_t word) {
    NumberSystem& s = *CurrentNumberSystem();
    s.poolPosition = 0;
    std::uint8_t d[kPoolSize];
    Sha1Digest(raw, length > 0 ? static_cast<std::size_t>(length) : 0, d);
    SeedRandom(word);
    for (int i = 0; i < 5; ++i) SeedRandom(LittleEndianWord(d + 4 * i));
    SecureWipe(d, sizeof d);
    RefillPool(s);
}

void StrongBytes(int n, std::uint8_t* buffer) {
    NumberSystem& s = *CurrentNumberSystem();
    for (int i = 0; i < n; ++i) buffer[i] = NextPoolByte(s);
}

void StrongBigBelow(BigNumber w, BigNumber x) {
    NumberSystem& s = *CurrentNumberSystem();
    if (s.errorCode != 0) return;
    BigNumber t = NewBig(0);
    if (t == nullptr) return;
    do {
        BigMultiplyInt(t, 256, t);
        BigAddInt(t, NextPoolByte(s), t);
    } while (BigCompare(t, w) < 0 && s.errorCode == 0);
    BigDivide(t, w, w);  // the quotient goes nowhere: t = t mod w
    if (s.errorCode == 0) BigCopy(t, x);
    FreeBig(t);
}

void StrongBytesBelowPowerOf256(int n, std::uint8_t* out) {
    // StrongBigBelow stops after the first byte that makes the value reach
    // 256^n, that is once a byte before the last n is not zero, and keeps
    // the last n. Whether a byte that drops out of the window is zero says
    // nothing about the bytes that stay.
    NumberSystem& s = *CurrentNumberSystem();
    for (int i = 0; i < n; ++i) out[i] = NextPoolByte(s);
    for (;;) {
        const std::uint8_t leaving = out[0];
        for (int i = 0; i + 1 < n; ++i) out[i] = out[i + 1];
        out[n - 1] = NextPoolByte(s);
        if (curve_detail::Declassified(leaving) != 0) break;
    }
}

}  // namespace arkseal
