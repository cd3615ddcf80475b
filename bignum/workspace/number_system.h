// Signed multiprecision numbers and the per-thread workspace they live in.
//
// A BigNumber is a handle to a fixed block of 32-bit words. Word 0 is the
// length word: bits 0-15 count the numerator digit words n, bits 16-30 the
// denominator digit words d (0 for an integer), bit 31 is the sign. Words 1..n
// hold the numerator digits, least significant first; words n+1..n+d the
// denominator. A digit is below `base`, or any 32-bit value when `base` is 0.
// Every word above a number's total length n+d is zero.
//
// The workspace (NumberSystem) fixes base and capacity, owns the scratch
// numbers and carries the sticky error code. Operations find it through the
// calling thread's slot; it is never passed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace arkseal {

using BigNumber = std::uint32_t*;

constexpr std::uint32_t kBigSignBit = 0x80000000u;
constexpr std::uint32_t kBigLengthMask = 0xFFFFu;

// Error codes recorded in NumberSystem::errorCode.
enum NumberError : int {
    kErrorNone = 0,
    kErrorBadIoBase = 1,
    kErrorDivisionByZero = 2,
    kErrorOverflow = 3,
    kErrorNegativeMagnitude = 4,
    kErrorBadDigit = 5,
    kErrorBadBase = 6,
    kErrorSameArgument = 7,
    kErrorAllocation = 8,
    kErrorEvenRootOfNegative = 9,
    kErrorNegativeExponent = 10,
    kErrorBadRootOrder = 11,
    kErrorFraction = 12,
    kErrorFractionTooLong = 13,
    kErrorTooLong = 14,
    kErrorBufferOverflow = 17,
    kErrorInactive = 18,
    kErrorBadModulus = 19,
    kErrorNoModulus = 20,
    kErrorNeedsPowerOfTwoBase = 22,
};

constexpr int kScratchCount = 19;
constexpr int kTraceDepth = 24;

struct NumberSystem {
    std::uint32_t base;          // working digit base, 0 = 2^32
    std::uint32_t apparentBase;  // the base asked for; text digits are in this base
    int digitsPerWord;
    int bitsPerWord;
    std::uint32_t powerOfTwo;  // 2^bitsPerWord, 0 for 32 bits
    int alignment;             // byte alignment of allocations, 0 = none
    int (*progressCallback)();
    int wordCapacity;
    int traceDepth;
    int trace[kTraceDepth];
    int checkOverflow;
    int writeToFile;
    int readFromFile;
    int active;
    std::FILE* inputFile;
    std::FILE* outputFile;
    std::uint32_t randomState[37];
    int randomIndex;
    std::uint32_t randomBorrow;
    int poolPosition;
    std::uint8_t pool[20];
    std::uint32_t montgomeryFactor;
    BigNumber modulus;
    int fastReduction;
    int montgomeryMode;
    BigNumber curveA;
    BigNumber curveB;
    int coordinateMode;
    int curveASmall;
    int curveBSmall;
    BigNumber scratch[kScratchCount];
    char* ioBuffer;
    int ioBufferSize;
    int trapErrors;
    int errorCode;
    int primalityRounds;
    int ioBase;
    int radixPoint;
    int inputLength;
    int* smallPrimes;
    BigNumber montgomeryInverse;
    BigNumber fastScratch;
};

// The calling thread's workspace, or nullptr.
NumberSystem* CurrentNumberSystem();

// Creates a workspace of `digits` digits (or -digits bytes) in apparent base
// `base`, makes it the thread's current one and returns it; nullptr when the
// record cannot be allocated. Argument errors are recorded in errorCode and
// leave the workspace inactive.
NumberSystem* CreateNumberSystem(int digits, std::uint32_t base);

// Clears and releases the calling thread's workspace and everything it owns.
void DestroyNumberSystem();

// Records code in errorCode (when trapErrors is 1).
void RaiseNumberError(int code);

// Zeroed block of count * size bytes; error 8 and nullptr on failure, nullptr
// without allocating while an error is pending.
void* NumberAlloc(std::size_t count, std::size_t size);
void NumberFree(void* block);

// A new number of wordCapacity + 1 words set to value; nullptr while an error
// is pending, error 18 and nullptr when the workspace is not active.
BigNumber NewBig(int value);

// Clears x and releases it; nullptr is ignored.
void FreeBig(BigNumber x);

// x = 0, every word it used cleared.
void BigZero(BigNumber x);
// x = n, in the working base.
void BigFromInt(int n, BigNumber x);

// Where NumberAlloc and NumberFree get and return memory. The default is
// calloc/free; tests install an inspecting allocator. acquire must return
// zeroed memory.
struct NumberAllocator {
    void* (*acquire)(std::size_t bytes);
    void (*release)(void* block);
};
void SetNumberAllocator(const NumberAllocator& allocator);
void ResetNumberAllocator();

}  // namespace arkseal
