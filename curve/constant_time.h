// Marking what secret-dependent code deliberately reveals. The constant-time
// test runs key generation and derivation under Valgrind's memcheck with the
// secret bytes marked undefined, so that a branch or a memory index that
// depends on them is reported. A value that is public by design (a public
// key, a byte the generator draws and throws away) is marked defined again
// here before code branches on it. Natively the marking is a few no-op
// instructions. Internal to curve/.
#pragma once

#if __has_include(<valgrind/memcheck.h>)
#include <valgrind/memcheck.h>
#define ARKSEAL_MARK_DEFINED(p, n) VALGRIND_MAKE_MEM_DEFINED(p, n)
#else
#define ARKSEAL_MARK_DEFINED(p, n) ((void)(p), (void)(n))
#endif

#include <cstddef>

namespace arkseal::curve_detail {

// Declares n bytes at p public.
inline void Declassify(const void* p, std::size_t n) { ARKSEAL_MARK_DEFINED(p, n); }

template <class T>
T Declassified(T value) {
    Declassify(&value, sizeof value);
    return value;
}

}  // namespace arkseal::curve_detail
