// AesInit, AesReset, AesGetRegister and AesEnd: key expansion (FIPS-197
// section 5.2) and the schedule of the equivalent inverse cipher (section
// 5.3.5), in the little-endian word packing where RotWord is a rotation
// right by 8 bits and the round constant sits in the low byte.
#include <algorithm>
#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/crypto/aes.h>
#include <arkseal/crypto/aes_tables.h>

namespace arkseal {
namespace {

std::uint32_t LoadWord(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

std::uint32_t SubWord(std::uint32_t w) {
    const auto& s = kAesTables.sbox;
    return std::uint32_t{s[w & 0xff]} | std::uint32_t{s[(w >> 8) & 0xff]} << 8 |
           std::uint32_t{s[(w >> 16) & 0xff]} << 16 | std::uint32_t{s[w >> 24]} << 24;
}

std::uint32_t RotWord(std::uint32_t w) { return (w >> 8) | (w << 24); }

std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) {
    if (a == 0 || b == 0) return 0;
    return kAesTables.antilog[(kAesTables.log[a] + kAesTables.log[b]) % 255];
}

// One column times the InvMixColumns matrix: output row r takes 0e, 0b, 0d,
// 09 times input rows r, r+1, r+2, r+3 (modulo 4).
std::uint32_t InvMixColumn(std::uint32_t w) {
    const std::uint32_t coefficients = kAesTables.inverseMixCoefficients;
    std::uint32_t out = 0;
    for (int r = 0; r < 4; ++r) {
        std::uint8_t sum = 0;
        for (int k = 0; k < 4; ++k) {
            const auto coefficient = static_cast<std::uint8_t>(coefficients >> (8 * ((k + 3) % 4)));
            sum ^= Multiply(coefficient, static_cast<std::uint8_t>(w >> (8 * ((r + k) % 4))));
        }
        out |= std::uint32_t{sum} << (8 * r);
    }
    return out;
}

void ExpandKey(AesContext& context, const std::uint8_t* key) {
    const int nk = context.Nk;
    const int total = 4 * (context.Nr + 1);
    std::uint32_t* w = context.roundKeys;
    for (int i = 0; i < nk; ++i) w[i] = LoadWord(key + 4 * i);
    for (int i = nk; i < total; ++i) {
        std::uint32_t temp = w[i - 1];
        if (i % nk == 0) {
            temp = SubWord(RotWord(temp)) ^ kAesTables.roundConstants[i / nk - 1];
        } else if (nk > 6 && i % nk == 4) {
            temp = SubWord(temp);
        }
        w[i] = w[i - nk] ^ temp;
    }
}

void BuildInverseSchedule(AesContext& context) {
    const int n = 4 * (context.Nr + 1);
    const std::uint32_t* w = context.roundKeys;
    std::uint32_t* v = context.inverseRoundKeys;
    for (int j = 0; j < 4; ++j) {
        v[n - 4 + j] = w[j];
        v[j] = w[n - 4 + j];
    }
    for (int i = 4; i <= n - 8; i += 4) {
        for (int j = 0; j < 4; ++j) v[n - 4 - i + j] = InvMixColumn(w[i + j]);
    }
}

}  // namespace

bool AesInit(AesContext& context, std::int32_t mode, std::int32_t keyLength, const std::uint8_t* key,
             const std::uint8_t* iv) {
    const std::int32_t n = keyLength / 4;
    if (n != 4 && n != 6 && n != 8) return false;
    context.Nk = n;
    context.Nr = n + 6;
    AesReset(context, mode, iv);
    ExpandKey(context, key);
    BuildInverseSchedule(context);
    return true;
}

void AesReset(AesContext& context, std::int32_t mode, const std::uint8_t* iv) {
    context.mode = mode;
    std::memset(context.feedback, 0, sizeof context.feedback);
    if (mode != MODE_ECB && iv != nullptr) std::memcpy(context.feedback, iv, 16);
}

void AesGetRegister(const AesContext& context, std::uint8_t output[16]) { std::memcpy(output, context.feedback, 16); }

void AesEnd(AesContext& context) {
    // A raw context may hold any Nr; never wipe past the schedules.
    const int words = std::clamp(4 * (context.Nr + 1), 0, 60);
    const auto used = static_cast<std::size_t>(words) * sizeof(std::uint32_t);
    SecureWipe(context.roundKeys, used);
    SecureWipe(context.inverseRoundKeys, used);
    SecureWipe(context.feedback, sizeof context.feedback);
}

}  // namespace arkseal
