// The choice of the four-limb field's route: from the processor at start-up,
// or by SelectRoute; and the general numbers' eight-word products on it.
#include <arkseal/bignum/field256/field_routes.h>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include <arkseal/base/processor_features.h>

namespace arkseal::field256 {
namespace {

Route DefaultRoute() {
    if (IfmaAvailable()) return Route::Ifma;
    return MulxAvailable() ? Route::Mulx : Route::Portable;
}

}  // namespace

std::atomic<Route> activeRoute{DefaultRoute()};

bool MulxAvailable() {
#if defined(__x86_64__)
    return processor::HasLeaf7Ebx(bit_BMI2 | bit_ADX);
#else
    return false;
#endif
}

bool IfmaAvailable() {
#if defined(__x86_64__)
    return MulxAvailable() && processor::HasLeaf7Ebx(bit_AVX512F | bit_AVX512DQ | bit_AVX512IFMA | bit_AVX512VL) &&
           processor::Avx512StateSaved();
#else
    return false;
#endif
}

bool SelectRoute(Route route) {
    if (route == Route::Mulx && !MulxAvailable()) return false;
    if (route == Route::Ifma && !IfmaAvailable()) return false;
    activeRoute.store(route, std::memory_order_relaxed);
    return true;
}

// The mulx product (the IFMA route's too) on a field of p and factor alone.
void MultiplyEightWords(std::uint32_t* zw, const std::uint32_t* xw, const std::uint32_t* yw, const std::uint32_t* mw,
                        Limb factor) {
    Field f;
    Element x, y, z;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        f.p[i] = LoadLimb(mw + 2 * i);
        x[i] = LoadLimb(xw + 2 * i);
        y[i] = LoadLimb(yw + 2 * i);
    }
    f.factor = factor;
#if defined(__x86_64__)
    if (xw == yw) {
        MulxOps::Square(f, x, z);
    } else {
        MulxOps::Multiply(f, x, y, z);
    }
#else
    Multiply(f, x, y, z);
#endif
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) StoreLimb(zw + 2 * i, z[i]);
}

}  // namespace arkseal::field256
