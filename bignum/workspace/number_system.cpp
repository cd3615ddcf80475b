#include <arkseal/bignum/workspace/number_system.h>

#include <cstdlib>

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/workspace/number_internal.h>
#include <arkseal/bignum/workspace/random_words.h>

namespace arkseal {
namespace {

thread_local NumberSystem* currentSystem = nullptr;

constexpr int kCreationRoutine = 25;
constexpr int kIoBufferSize = 1024;
constexpr int kLongestLengthField = 65535;
constexpr std::uint32_t kLargestBase = 0x80000000u;

void* AcquireZeroed(std::size_t bytes) { return std::calloc(1, bytes); }

NumberAllocator allocator = {AcquireZeroed, std::free};

void PushTrace(NumberSystem& s, int routine) {
    if (s.traceDepth < kTraceDepth) s.trace[s.traceDepth] = routine;
    ++s.traceDepth;
}

void PopTrace(NumberSystem& s) {
    if (s.traceDepth > 0) --s.traceDepth;
}

int Log2OfPowerOfTwo(std::uint32_t b) {
    int log = 0;
    while ((1u << log) != b) ++log;
    return log;
}

// Digit words per number: digits > 0 counts apparent digits, digits <= 0
// counts bytes. At least 2.
int CapacityFor(const NumberSystem& s, int digits) {
    std::int64_t words;
    if (digits > 0) {
        words = (static_cast<std::int64_t>(digits) - 1) / s.digitsPerWord + 1;
    } else {
        const std::int64_t bytes = -static_cast<std::int64_t>(digits);
        words = (s.bitsPerWord + 8 * bytes - 1) / s.bitsPerWord;
    }
    if (words < 2) words = 2;
    if (words > kLongestLengthField) words = kLongestLengthField;
    return static_cast<int>(words);
}

BigNumber NewDoubleLength(const NumberSystem& s) {
    return static_cast<BigNumber>(NumberAlloc(2 * static_cast<std::size_t>(s.wordCapacity) + 2, sizeof(std::uint32_t)));
}

void CreateNumbers(NumberSystem& s) {
    s.scratch[0] = NewDoubleLength(s);
    s.fastScratch = NewBig(0);
    for (int i = 1; i <= 4; ++i) s.scratch[i] = NewBig(0);
    for (int i = 5; i <= 7; ++i) s.scratch[i] = NewDoubleLength(s);
    for (int i = 5; i <= 7; ++i) {
        if (s.scratch[i] != nullptr) s.scratch[i + 3] = s.scratch[i] + s.wordCapacity + 1;
    }
    for (int i = 11; i <= 18; ++i) s.scratch[i] = NewBig(0);
}

}  // namespace

NumberSystem* CurrentNumberSystem() { return currentSystem; }

void SetNumberAllocator(const NumberAllocator& replacement) { allocator = replacement; }

void ResetNumberAllocator() { allocator = {AcquireZeroed, std::free}; }

void RaiseNumberError(int code) {
    NumberSystem* s = currentSystem;
    if (s != nullptr && s->trapErrors == 1) s->errorCode = code;
}

void* NumberAlloc(std::size_t count, std::size_t size) {
    NumberSystem* s = currentSystem;
    if (s == nullptr) return allocator.acquire(count * size);
    if (s->errorCode != 0) return nullptr;
    const std::size_t a = static_cast<std::size_t>(s->alignment);
    auto* raw = static_cast<unsigned char*>(allocator.acquire(a + count * size));
    if (raw == nullptr) {
        RaiseNumberError(kErrorAllocation);
        return nullptr;
    }
    if (a == 0) return raw;
    const std::size_t k = a - reinterpret_cast<std::uintptr_t>(raw) % a;
    raw[k - 1] = static_cast<unsigned char>(k);
    return raw + k;
}

void NumberFree(void* block) {
    if (block == nullptr) return;
    NumberSystem* s = currentSystem;
    auto* p = static_cast<unsigned char*>(block);
    if (s != nullptr && s->alignment != 0) {
        const unsigned char offset = p[-1];
        p[-1] = 0;
        p -= offset;
    }
    allocator.release(p);
}

BigNumber NewBig(int value) {
    NumberSystem* s = currentSystem;
    if (s == nullptr || s->errorCode != 0) return nullptr;
    if (s->active == 0) {
        RaiseNumberError(kErrorInactive);
        return nullptr;
    }
    auto x = static_cast<BigNumber>(NumberAlloc(static_cast<std::size_t>(s->wordCapacity) + 1, sizeof(std::uint32_t)));
    if (x != nullptr && value != 0) BigFromInt(value, x);
    return x;
}

void BigZero(BigNumber x) { detail::ClearWordsAbove(x, 0, detail::TotalLength(x)); }

void BigFromInt(int n, BigNumber x) {
    BigZero(x);
    std::uint32_t magnitude = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
    const NumberSystem* s = CurrentNumberSystem();
    const std::uint32_t base = s != nullptr ? s->base : 0;
    int length = 0;
    while (magnitude != 0) {
        if (base == 0) {
            x[++length] = magnitude;
            magnitude = 0;
        } else {
            x[++length] = magnitude % base;
            magnitude /= base;
        }
    }
    x[0] = static_cast<std::uint32_t>(length) | (n < 0 ? kBigSignBit : 0u);
}

void FreeBig(BigNumber x) {
    if (x == nullptr) return;
    BigZero(x);
    NumberFree(x);
}

NumberSystem* CreateNumberSystem(int digits, std::uint32_t base) {
    auto* s = static_cast<NumberSystem*>(NumberAlloc(1, sizeof(NumberSystem)));
    if (s == nullptr) return nullptr;
    currentSystem = s;
    PushTrace(*s, kCreationRoutine);
    s->trapErrors = 1;
    s->progressCallback = nullptr;
    s->alignment = 0;
    if (base == 1 || base > kLargestBase) {
        RaiseNumberError(kErrorBadBase);
        PopTrace(*s);
        return s;
    }
    detail::ApplyBaseRule(*s, base);
    s->wordCapacity = CapacityFor(*s, digits);
    s->checkOverflow = 1;
    s->ioBase = 10;
    s->errorCode = 0;
    s->radixPoint = 0;
    s->primalityRounds = 6;
    s->montgomeryMode = 1;
    s->inputLength = 0;
    s->smallPrimes = nullptr;
    s->ioBufferSize = kIoBufferSize;
    s->ioBuffer = static_cast<char*>(NumberAlloc(kIoBufferSize + 1, 1));
    for (std::uint32_t& word : s->randomState) word = 0;
    SeedRandom(0);
    if (2 * s->wordCapacity + 1 > kLongestLengthField) {
        RaiseNumberError(kErrorTooLong);
        PopTrace(*s);
        return s;
    }
    s->modulus = nullptr;
    s->curveA = nullptr;
    s->curveB = nullptr;
    s->montgomeryInverse = nullptr;
    s->writeToFile = 0;
    s->readFromFile = 0;
    s->active = 1;
    CreateNumbers(*s);
    PopTrace(*s);
    return s;
}

void DestroyNumberSystem() {
    NumberSystem* s = currentSystem;
    if (s == nullptr) return;
    s->trapErrors = 0;
    s->active = 0;
    for (int i = 0; i <= 7; ++i) FreeBig(s->scratch[i]);
    for (int i = 11; i <= 18; ++i) FreeBig(s->scratch[i]);
    SecureWipe(s->pool, sizeof s->pool);
    SecureWipe(s->randomState, sizeof s->randomState);
    if (s->ioBuffer != nullptr) {
        SecureWipe(s->ioBuffer, static_cast<std::size_t>(s->ioBufferSize) + 1);
        NumberFree(s->ioBuffer);
    }
    NumberFree(s->smallPrimes);
    FreeBig(s->montgomeryInverse);
    FreeBig(s->fastScratch);
    FreeBig(s->modulus);
    FreeBig(s->curveA);
    FreeBig(s->curveB);
    s->alignment = 0;
    SecureWipe(s, sizeof *s);
    NumberFree(s);
    currentSystem = nullptr;
}

namespace detail {

// Working base, digits per word and bit width from the apparent base b.
void ApplyBaseRule(NumberSystem& s, std::uint32_t b) {
    s.apparentBase = b;
    if (b == 65536 || b == 256 || b == 16 || b == 4 || b == 2) {
        s.base = 0;
        s.digitsPerWord = 32 / Log2OfPowerOfTwo(b);
    } else if (b != 0) {
        std::uint64_t power = b;
        int p = 1;
        while (power * b <= kLargestBase) {
            power *= b;
            ++p;
        }
        s.base = static_cast<std::uint32_t>(power);
        s.digitsPerWord = p;
    } else {
        s.base = 0;
        s.digitsPerWord = 1;
    }
    if (s.base == 0) {
        s.bitsPerWord = 32;
        s.powerOfTwo = 0;
    } else {
        int bits = 0;
        while ((std::uint64_t{1} << (bits + 1)) <= s.base) ++bits;
        s.bitsPerWord = bits;
        s.powerOfTwo = 1u << bits;
    }
}

}  // namespace detail
}  // namespace arkseal
