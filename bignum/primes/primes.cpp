// Small primes, trial division, Miller-Rabin and prime searches.
//
// Miller-Rabin: for odd x with x - 1 = q 2^k and a witness a, x prime means
// a^q = 1, or a^(q 2^j) = x - 1 for some j < k (the square roots of 1 mod a
// prime are +-1). A composite x passes one witness with probability at most
// 1/4, and far less for large random x, so fewer witnesses are used above
// 220 bits.
//
// Scratch: BigIsPrime 14-16 and those of IntPowerMod (0-2, and 0-6 and 17
// when it sets the modulus); BigNextSafePrime 13 for its half.
#include <arkseal/bignum/primes/primes.h>

#include <cstdint>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/montgomery/modular_power.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

constexpr int kDefaultSieveLimit = 1000;
constexpr int kMostRounds = 100;

// The value of x when it fits 64 bits.
bool SmallValue(const NumberSystem& s, const std::uint32_t* x, std::uint64_t* value) {
    const int n = NumeratorLength(x);
    const std::uint64_t radix = Radix(s.base);
    if (n > 2 || (s.base != 0 && n == 2 && radix > (1ull << 32))) return false;
    *value = 0;
    for (int i = n; i >= 1; --i) *value = *value * radix + x[i];
    return true;
}

bool IsOne(const std::uint32_t* x) { return x[0] == 1 && x[1] == 1; }

// Asks the progress callback whether to go on.
bool KeepGoing(const NumberSystem& s) { return s.progressCallback == nullptr || s.progressCallback() != 0; }

// Witness test: false when a shows x composite. q and minusOne = x - 1 as
// set up by BigIsPrime; y is working space.
bool PassesWitness(int a, BigNumber x, const std::uint32_t* q, int k, const std::uint32_t* minusOne, BigNumber y) {
    IntPowerMod(a, q, x, y);
    if (IsOne(y) || BigCompare(y, minusOne) == 0) return true;
    for (int j = 1; j < k && !ErrorPending(); ++j) {
        BigMultiplyAddDivide(y, y, y, x, x, y);
        if (BigCompare(y, minusOne) == 0) return true;
        if (IsOne(y)) return false;
    }
    return false;
}

}  // namespace

void BuildSmallPrimes(int maxp) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (maxp >= (1 << 30)) {
        RaiseNumberError(kErrorAllocation);
        return;
    }
    NumberFree(s.smallPrimes);
    s.smallPrimes = nullptr;
    if (maxp <= 0) return;
    const int flags = maxp < kDefaultSieveLimit ? (kDefaultSieveLimit + 1) / 2 : (maxp + 1) / 2;
    auto* composite = static_cast<char*>(NumberAlloc(static_cast<std::size_t>(flags), 1));
    if (composite == nullptr) return;
    int count = 0;
    // Flag i stands for 2i + 3; the odd multiples of p = 2i + 3 from 3p on
    // are 2p apart, that is p flags apart.
    for (int i = 0; i < flags; ++i) {
        if (composite[i]) continue;
        ++count;
        const std::int64_t p = 2 * i + 3;
        for (std::int64_t j = 3 * i + 3; j < flags; j += p) composite[j] = 1;
    }
    auto* table = static_cast<int*>(NumberAlloc(static_cast<std::size_t>(count) + 2, sizeof(int)));
    if (table != nullptr) {
        int at = 0;
        table[at++] = 2;
        for (int i = 0; i < flags; ++i) {
            if (!composite[i]) table[at++] = 2 * i + 3;
        }
        table[at] = 0;
        s.smallPrimes = table;
    }
    NumberFree(composite);
}

int BigTrialDivision(const std::uint32_t* x, BigNumber y) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    if (IsNegative(x) || IsZero(x) || IsOne(x)) return 0;
    const bool sameNumber = x == y;
    if (!sameNumber) BigCopy(x, y);
    if (s.smallPrimes == nullptr) BuildSmallPrimes(kDefaultSieveLimit);
    if (s.smallPrimes == nullptr) return 0;
    for (const int* prime = s.smallPrimes; *prime != 0; ++prime) {
        const int q = *prime;
        while (BigIsDivisibleInt(y, q)) {
            if (sameNumber) {
                std::uint64_t value;
                return SmallValue(s, x, &value) && value == static_cast<std::uint64_t>(q) ? 1 : 0;
            }
            BigDivideInt(y, q, y);
            if (IsOne(y)) return 1;
        }
        // Stop once q^2 exceeds what is left: the rest is prime.
        std::uint64_t rest;
        if (SmallValue(s, y, &rest) && static_cast<std::uint64_t>(q) >= rest / static_cast<std::uint64_t>(q)) {
            if (!sameNumber) BigFromInt(1, y);
            return 1;
        }
    }
    return 2;
}

int BigIsPrime(const std::uint32_t* x) {
    if (ErrorPending()) return 1;
    NumberSystem& s = Workspace();
    if (IsNegative(x) || IsZero(x) || IsOne(x)) return 0;
    BigNumber self = const_cast<BigNumber>(x);
    const int trial = BigTrialDivision(x, self);
    if (trial != 2) return trial;
    BigNumber minusOne = s.scratch[14];
    BigNumber q = s.scratch[15];
    BigNumber y = s.scratch[16];
    BigSubtractInt(x, 1, minusOne);
    int k = 0;
    while (!BigTestBit(minusOne, k)) ++k;
    BigShiftBits(minusOne, -k, q);
    int rounds = s.primalityRounds < kMostRounds ? s.primalityRounds : kMostRounds;
    const int bits = BigBitLength(x);
    if (bits > 220) rounds = rounds * 10 / (bits - 210) + 2;
    for (int j = 1; j <= rounds && s.smallPrimes[j] != 0; ++j) {
        if (!PassesWitness(s.smallPrimes[j], self, q, k, minusOne, y)) return ErrorPending() ? 1 : 0;
        if (!KeepGoing(s)) return 0;
    }
    return 1;
}

int BigNextPrime(const std::uint32_t* w, BigNumber x) {
    if (ErrorPending()) return 0;
    BigCopy(w, x);
    if (IsNegative(x) || IsZero(x) || IsOne(x)) {
        BigFromInt(2, x);
        return 1;
    }
    const NumberSystem& s = Workspace();
    BigAddInt(x, BigRemainderInt(x, 2) == 0 ? 1 : 2, x);
    while (!ErrorPending() && !BigIsPrime(x)) {
        if (!KeepGoing(s)) return 0;
        BigAddInt(x, 2, x);
    }
    return ErrorPending() ? 0 : 1;
}

int BigNextSafePrime(int type, int subset, const std::uint32_t* w, BigNumber p) {
    if (ErrorPending()) return 0;
    const NumberSystem& s = Workspace();
    BigCopy(w, p);
    const int step = subset == 0 ? 4 : 8;
    // 1 or 3 mod 4, 1 or 3 mod 8, or 5 or 7 mod 8.
    const int target = (subset == 0 || subset == 1 ? 1 : 5) + (type == 1 ? 0 : 2);
    const int r = ((BigRemainderInt(p, 8) % step) + step) % step;
    BigAddInt(p, (target - r + step) % step, p);
    // h = (p + 1) / 2 or (p - 1) / 2.
    BigNumber h = s.scratch[13];
    BigAddInt(p, type == 1 ? 1 : -1, h);
    BigShiftBits(h, -1, h);
    while (!ErrorPending()) {
        if (!KeepGoing(s)) return 0;
        BigAddInt(p, step, p);
        BigAddInt(h, step / 2, h);
        if (BigTrialDivision(p, p) == 0 || BigTrialDivision(h, h) == 0) continue;
        if (BigIsPrime(h) && BigIsPrime(p)) return ErrorPending() ? 0 : 1;
    }
    return 0;
}

}  // namespace arkseal
