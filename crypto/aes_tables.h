// Constant tables of the AES rounds, all derived from GF(2^8) arithmetic
// modulo x^8 + x^4 + x^3 + x + 1 and built at compile time into read-only
// data.
//
// Word packing: byte 0 in the low 8 bits. forward[0][i] packs
// (02*S[i], S[i], S[i], 03*S[i]): the column that one S-box output
// contributes through MixColumns; forward[k] is forward[0] rotated left by
// 8k bits, the same contribution from row k. inverse[k] is the same for the
// inverse S-box and the InvMixColumns coefficients (0e, 09, 0d, 0b).
#pragma once

#include <cstdint>

namespace arkseal {

struct AesTables {
    std::uint8_t sbox[256];
    std::uint8_t inverseSbox[256];
    std::uint8_t antilog[256];  // entry i = 03^i; entry 255 = 01
    std::uint8_t log[256];      // inverse of antilog; log[0] unused, log[1] = 255
    std::uint32_t roundConstants[16];
    std::uint32_t forward[4][256];
    std::uint32_t inverse[4][256];
    std::uint32_t inverseMixCoefficients;  // bytes 0b, 0d, 09, 0e
};

namespace aes_detail {

constexpr std::uint8_t XTime(std::uint8_t a) { return static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1b : 0)); }

// Product by shift-and-add; used only to build the tables.
constexpr std::uint8_t SlowMultiply(std::uint8_t a, std::uint8_t b) {
    std::uint8_t product = 0;
    for (; b != 0; b >>= 1, a = XTime(a)) {
        if (b & 1) product ^= a;
    }
    return product;
}

constexpr std::uint32_t Pack(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return std::uint32_t{b0} | std::uint32_t{b1} << 8 | std::uint32_t{b2} << 16 | std::uint32_t{b3} << 24;
}

constexpr std::uint32_t RotateLeft(std::uint32_t w, int bits) {
    return bits == 0 ? w : (w << bits) | (w >> (32 - bits));
}

constexpr AesTables BuildAesTables() {
    AesTables t{};
    std::uint8_t power = 1;
    for (int i = 0; i < 256; ++i) {
        t.antilog[i] = power;
        power = SlowMultiply(power, 3);
    }
    for (int i = 0; i < 256; ++i) t.log[t.antilog[i]] = static_cast<std::uint8_t>(i);
    t.log[0] = 0;

    for (int i = 0; i < 256; ++i) {
        // Multiplicative inverse (0 for 0), then the FIPS-197 affine map.
        const std::uint8_t inv = i == 0 ? 0 : t.antilog[(255 - t.log[i]) % 255];
        std::uint8_t s = inv;
        for (int r = 1; r <= 4; ++r) {
            s ^= static_cast<std::uint8_t>((inv << r) | (inv >> (8 - r)));
        }
        s ^= 0x63;
        t.sbox[i] = s;
        t.inverseSbox[s] = static_cast<std::uint8_t>(i);
    }

    std::uint8_t rc = 1;
    for (int i = 0; i < 16; ++i) {
        t.roundConstants[i] = rc;
        rc = XTime(rc);
    }

    for (int i = 0; i < 256; ++i) {
        const std::uint8_t s = t.sbox[i];
        const std::uint8_t si = t.inverseSbox[i];
        const std::uint32_t f = Pack(SlowMultiply(s, 2), s, s, SlowMultiply(s, 3));
        const std::uint32_t g =
            Pack(SlowMultiply(si, 0x0e), SlowMultiply(si, 0x09), SlowMultiply(si, 0x0d), SlowMultiply(si, 0x0b));
        for (int k = 0; k < 4; ++k) {
            t.forward[k][i] = RotateLeft(f, 8 * k);
            t.inverse[k][i] = RotateLeft(g, 8 * k);
        }
    }
    t.inverseMixCoefficients = Pack(0x0b, 0x0d, 0x09, 0x0e);
    return t;
}

}  // namespace aes_detail

inline constexpr AesTables kAesTables = aes_detail::BuildAesTables();

}  // namespace arkseal
