// What the libraries beside the number layer (crypto, curve) may use of its
// internals: reading a number's length word, the workspace and its error
// state, the progress callback. Not installed; the number layer's own files
// get it through number_internal.h.
#pragma once

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal::detail {

inline int NumeratorLength(const std::uint32_t* x) { return static_cast<int>(x[0] & kBigLengthMask); }
inline int DenominatorLength(const std::uint32_t* x) { return static_cast<int>((x[0] >> 16) & 0x7FFFu); }
inline int TotalLength(const std::uint32_t* x) { return NumeratorLength(x) + DenominatorLength(x); }
inline bool IsNegative(const std::uint32_t* x) { return (x[0] & kBigSignBit) != 0; }
inline bool IsFraction(const std::uint32_t* x) { return DenominatorLength(x) != 0; }
inline bool IsZero(const std::uint32_t* x) { return NumeratorLength(x) == 0; }

inline NumberSystem& Workspace() { return *CurrentNumberSystem(); }
inline bool ErrorPending() { return CurrentNumberSystem()->errorCode != 0; }

// Calls the progress callback when one is set; its answer is ignored here.
inline void ReportProgress(const NumberSystem& s) {
    if (s.progressCallback != nullptr) s.progressCallback();
}

}  // namespace arkseal::detail
