// The four-limb field of the workspace's modulus, the conversions between
// limbs and numbers, and the choice of the product's route.
#include "bignum/field256.h"

#include <atomic>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace arkseal::field256 {
namespace {

struct CachedField {
    std::uint32_t modulus[8];
    Field field;
    bool valid;
};

thread_local CachedField cache{};

void Build(const std::uint32_t* modulus, Field& f) {
    LoadLimbs(modulus, f.p);
    f.factor = 0 - InverseOfLimb(f.p[0]);
    // R mod p: one, doubled 256 times.
    Element one = {1, 0, 0, 0};
    for (int i = 0; i < 256; ++i) Add(f, one, one, one);
    Copy(one, f.one);
}

Route DefaultRoute() { return MulxAvailable() ? Route::Mulx : Route::Portable; }

std::atomic<Route>& Active() {
    static std::atomic<Route> route{DefaultRoute()};
    return route;
}

}  // namespace

const Field* CurrentField() {
    const NumberSystem& s = *CurrentNumberSystem();
    const BigNumber m = s.modulus;
    if (m == nullptr || (m[0] & kBigLengthMask) != 8 || (m[0] >> 16) != 0 || s.base != 0) return nullptr;
    bool same = cache.valid;
    for (int i = 0; i < 8 && same; ++i) same = cache.modulus[i] == m[1 + i];
    if (!same) {
        for (int i = 0; i < 8; ++i) cache.modulus[i] = m[1 + i];
        Build(m, cache.field);
        cache.valid = true;
    }
    return &cache.field;
}

void LoadLimbs(const std::uint32_t* x, Element out) {
    for (int i = 0; i < 4; ++i) out[i] = LoadLimb(x + 1 + 2 * i);
}

void StoreLimbs(const Element x, BigNumber out) {
    const int oldLength = static_cast<int>(out[0] & kBigLengthMask);
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i) {
        StoreLimb(out + 1 + 2 * i, x[i]);
        // length = 2i + 1 or 2i + 2 where this limb's words are not zero
        const Limb low = x[i] & 0xFFFFFFFFu, high = x[i] >> 32;
        const Limb lowSet = 0 - ((low | (0 - low)) >> 63), highSet = 0 - ((high | (0 - high)) >> 63);
        length ^= static_cast<std::uint32_t>(lowSet) & (length ^ static_cast<std::uint32_t>(2 * i + 1));
        length ^= static_cast<std::uint32_t>(highSet) & (length ^ static_cast<std::uint32_t>(2 * i + 2));
    }
    for (int i = 9; i <= oldLength; ++i) out[i] = 0;
    out[0] = length;
}

bool MulxAvailable() {
#if defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    constexpr unsigned kBmi2 = 1u << 8, kAdx = 1u << 19;
    return (ebx & kBmi2) != 0 && (ebx & kAdx) != 0;
#else
    return false;
#endif
}

Route ActiveRoute() { return Active().load(std::memory_order_relaxed); }

bool SelectRoute(Route route) {
    if (route == Route::Mulx && !MulxAvailable()) return false;
    Active().store(route, std::memory_order_relaxed);
    return true;
}

}  // namespace arkseal::field256
