// Helpers shared by the implementation files of the number layer: writing
// the length word, finishing a result, the active limits (reading the length
// word and the workspace's state are in number_access.h).
#pragma once

#include <arkseal/bignum/workspace/number_access.h>
#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal::detail {

inline std::uint32_t* Digits(BigNumber x) { return x + 1; }
inline const std::uint32_t* Digits(const std::uint32_t* x) { return x + 1; }

// The longest result allowed now: the capacity, or twice it while overflow
// checking is switched off around double-length intermediates.
inline int ResultLimit(const NumberSystem& s) { return s.checkOverflow ? s.wordCapacity : 2 * s.wordCapacity; }

// Length of the digit array d[0..n) without its leading zero words.
inline int StrippedLength(const std::uint32_t* d, int n) {
    while (n > 0 && d[n - 1] == 0) --n;
    return n;
}

// Zeroes words from..to (inclusive) of x, the words a result no longer uses.
inline void ClearWordsAbove(BigNumber x, int from, int to) {
    for (int i = from; i <= to; ++i) x[i] = 0;
}

// Completes an integer result whose digits are already in place: clears the
// words of the previous value above the new length (oldTotal is the total
// length x had before it was written), strips leading zeros and sets the
// length word. Zero never carries a sign.
inline void FinishInteger(BigNumber x, int oldTotal, int length, bool negative) {
    length = StrippedLength(Digits(x), length);
    ClearWordsAbove(x, length + 1, oldTotal);
    x[0] = static_cast<std::uint32_t>(length) | (negative && length > 0 ? kBigSignBit : 0u);
}

// Switches overflow checking off for a scope and restores the previous state.
class UncheckedScope {
public:
    UncheckedScope() : system_(Workspace()), saved_(system_.checkOverflow) { system_.checkOverflow = 0; }
    ~UncheckedScope() { system_.checkOverflow = saved_; }
    UncheckedScope(const UncheckedScope&) = delete;
    UncheckedScope& operator=(const UncheckedScope&) = delete;

private:
    NumberSystem& system_;
    int saved_;
};

// z = x * y, raising error 3 only when the product itself is longer than the
// limit: BigMultiply judges the operands' lengths, whose sum may exceed the
// limit by a word that the product does not need. For composites whose
// result can be as long as the limit (powers, shifts in other bases).
// Scratch 0; x and y not scratch 0.
void MultiplyToFit(const std::uint32_t* x, const std::uint32_t* y, BigNumber z);

// Sets base, apparentBase, digitsPerWord, bitsPerWord and powerOfTwo for the
// apparent base b (65536, 256, 16, 4, 2 and 0 give full words; any other b
// its largest power up to 2^31).
void ApplyBaseRule(NumberSystem& s, std::uint32_t b);

}  // namespace arkseal::detail
