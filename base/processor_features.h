// What the processor offers, for the routes chosen once at start-up (the
// field's mulx and IFMA products, the cipher's AES instructions and their
// AVX-512 encoding). Internal to the libraries; not installed. Every answer
// is false on processors other than x86-64.
#pragma once

namespace arkseal::processor {

// All of `bits` set in ecx of cpuid leaf 1 (bit_AES, bit_SSE4_1, ... of <cpuid.h>).
bool HasLeaf1Ecx(unsigned bits);
// All of `bits` set in ebx of cpuid leaf 7, subleaf 0 (bit_BMI2, bit_ADX, bit_AVX512F, ...).
bool HasLeaf7Ebx(unsigned bits);
// The operating system saves the AVX-512 state on switches: OSXSAVE, and
// XCR0 bits 1, 2, 5, 6, 7 (SSE, AVX, the mask and both upper register halves).
bool Avx512StateSaved();

}  // namespace arkseal::processor
