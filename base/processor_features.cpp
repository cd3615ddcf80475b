#include <arkseal/base/processor_features.h>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace arkseal::processor {

#if defined(__x86_64__)

bool HasLeaf1Ecx(unsigned bits) {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bits) == bits;
}

bool HasLeaf7Ebx(unsigned bits) {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & bits) == bits;
}

bool Avx512StateSaved() {
    if (!HasLeaf1Ecx(bit_OSXSAVE)) return false;
    unsigned xcr0Low = 0, xcr0High = 0;
    __asm__("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
    constexpr unsigned kStateBits = 0xE6;
    return (xcr0Low & kStateBits) == kStateBits;
}

#else

bool HasLeaf1Ecx(unsigned) { return false; }
bool HasLeaf7Ebx(unsigned) { return false; }
bool Avx512StateSaved() { return false; }

#endif

}  // namespace arkseal::processor
