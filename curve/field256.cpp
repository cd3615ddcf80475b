#include "curve/field256.h"

namespace arkseal::curve_detail {
namespace {

struct CachedField {
    std::uint32_t modulus[8];
    Field256 field;
    bool valid;
};

thread_local CachedField cache{};

std::uint64_t InverseMod2To64(std::uint64_t a) {
    std::uint64_t x = a;  // correct to 3 bits for odd a
    for (int i = 0; i < 5; ++i) x *= 2 - a * x;
    return x;
}

}  // namespace

const Field256* CurrentField256() {
    const NumberSystem& s = *CurrentNumberSystem();
    const BigNumber m = s.modulus;
    if (m == nullptr || (m[0] & kBigLengthMask) != 8 || (m[0] >> 16) != 0 || s.base != 0) return nullptr;
    bool same = cache.valid;
    for (int i = 0; i < 8 && same; ++i) same = cache.modulus[i] == m[1 + i];
    if (!same) {
        for (int i = 0; i < 8; ++i) cache.modulus[i] = m[1 + i];
        LoadLimbs(m, cache.field.p);
        cache.field.factor = 0 - InverseMod2To64(cache.field.p[0]);
        cache.valid = true;
    }
    return &cache.field;
}

void LoadLimbs(const std::uint32_t* x, Limbs out) {
// Words above the length are zero, so the first eight digits are the value.
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) out[i] = static_cast<u64>(x[1 + 2 * i]) | static_cast<u64>(x[2 + 2 * i]) << 32;
}

void StoreLimbs(const Limbs x, BigNumber out) {
    const int oldLength = static_cast<int>(out[0] & kBigLengthMask);
    int length = 8;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        out[1 + 2 * i] = static_cast<std::uint32_t>(x[i]);
        out[2 + 2 * i] = static_cast<std::uint32_t>(x[i] >> 32);
    }
    while (length > 0 && out[length] == 0) --length;
    for (int i = 9; i <= oldLength; ++i) out[i] = 0;
    out[0] = static_cast<std::uint32_t>(length);
}

}  // namespace arkseal::curve_detail
