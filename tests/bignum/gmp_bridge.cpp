#include <arkseal/tests/bignum/gmp_bridge.h>

#include <climits>

namespace arkseal::test {

namespace {

std::uint64_t Radix() {
    const NumberSystem* s = CurrentNumberSystem();
    return s->base == 0 ? (std::uint64_t{1} << 32) : s->base;
}

}  // namespace

void ToMpz(const std::uint32_t* x, mpz_t out) {
    const int n = static_cast<int>(x[0] & kBigLengthMask);
    mpz_set_ui(out, 0);
    if (CurrentNumberSystem()->base == 0) {
        mpz_import(out, static_cast<size_t>(n), -1, sizeof(std::uint32_t), 0, 0, x + 1);
    } else {
        for (int i = n; i >= 1; --i) {
            mpz_mul_ui(out, out, static_cast<unsigned long>(Radix()));
            mpz_add_ui(out, out, x[i]);
        }
    }
    if (x[0] & kBigSignBit) mpz_neg(out, out);
}

void FromMpz(const mpz_t v, BigNumber x) {
    const int old = static_cast<int>((x[0] & kBigLengthMask) + ((x[0] >> 16) & 0x7FFF));
    for (int i = 0; i <= old; ++i) x[i] = 0;
    mpz_t m;
    mpz_init(m);
    mpz_abs(m, v);
    int n = 0;
    if (CurrentNumberSystem()->base == 0) {
        size_t count = 0;
        mpz_export(x + 1, &count, -1, sizeof(std::uint32_t), 0, 0, m);
        n = static_cast<int>(count);
    } else {
        while (Sign(m) != 0)
            x[++n] = static_cast<std::uint32_t>(mpz_tdiv_q_ui(m, m, static_cast<unsigned long>(Radix())));
    }
    mpz_clear(m);
    x[0] = static_cast<std::uint32_t>(n) | (Sign(v) < 0 ? kBigSignBit : 0u);
}

namespace {

// mpz_get_str's text in a std::string, its buffer freed with GMP's own
// free function.
std::string OwnedText(const mpz_t v, int gmpBase) {
    char* s = mpz_get_str(nullptr, gmpBase, v);
    std::string text(s);
    void (*freeFunction)(void*, size_t);
    mp_get_memory_functions(nullptr, nullptr, &freeFunction);
    freeFunction(s, text.size() + 1);
    return text;
}

}  // namespace

std::string MpzText(const mpz_t v) { return OwnedText(v, 16); }

std::string GmpText(const mpz_t v, int base) { return OwnedText(v, base <= 36 ? -base : base); }

std::string ShapeProblem(const std::uint32_t* x, int blockWords) {
    const int n = static_cast<int>(x[0] & kBigLengthMask);
    const int d = static_cast<int>((x[0] >> 16) & 0x7FFF);
    if (n + d + 1 > blockWords) return "length beyond the block";
    if (n > 0 && x[n] == 0) return "leading zero digit";
    if (n == 0 && (x[0] & kBigSignBit)) return "signed zero";
    const std::uint32_t base = CurrentNumberSystem()->base;
    for (int i = 1; i <= n + d; ++i) {
        if (base != 0 && x[i] >= base) return "digit " + std::to_string(i) + " not below the base";
    }
    for (int i = n + d + 1; i < blockWords; ++i) {
        if (x[i] != 0) return "word " + std::to_string(i) + " above the length not zero";
    }
    return "";
}

Mpz OperandSource::Magnitude(int words) {
    const std::uint64_t radix = Radix();
    Mpz v;
    switch (rng_() % 8) {
        case 0:  // all digits at their largest
            mpz_ui_pow_ui(v, radix, static_cast<unsigned long>(words));
            mpz_sub_ui(v, v, 1);
            break;
        case 1: {  // a power of two inside the length
            const std::uint64_t bits = static_cast<std::uint64_t>(words) * 29;
            mpz_setbit(v, static_cast<mp_bitcnt_t>(rng_() % bits));
            break;
        }
        case 2:  // a single top digit
            mpz_ui_pow_ui(v, radix, static_cast<unsigned long>(words - 1));
            mpz_mul_ui(v, v, static_cast<unsigned long>(1 + rng_() % (radix - 1)));
            break;
        default:
            for (int i = 0; i < words; ++i) {
                mpz_mul_ui(v, v, static_cast<unsigned long>(radix));
                mpz_add_ui(v, v, static_cast<unsigned long>(rng_() % radix));
            }
            if (Sign(v) == 0) mpz_set_ui(v, 1);
    }
    return v;
}

Mpz OperandSource::NextPositive(int maxWords) {
    // Lengths lean short, with the full range and the maximum reachable.
    int words;
    switch (rng_() % 4) {
        case 0: words = maxWords; break;
        case 1: words = 1 + static_cast<int>(rng_() % static_cast<std::uint64_t>(maxWords)); break;
        default: words = 1 + static_cast<int>(rng_() % static_cast<std::uint64_t>(maxWords < 12 ? maxWords : 12));
    }
    return Magnitude(words);
}

Mpz OperandSource::Next(int maxWords) {
    if (rng_() % 16 == 0) return Mpz(0);
    Mpz v = NextPositive(maxWords);
    if (rng_() % 2) mpz_neg(v, v);
    return v;
}

int OperandSource::Int() {
    static const int edges[] = {0, 1, -1, 2, -2, 3, 256, INT_MAX, INT_MIN, INT_MIN + 1, 1000000000, -999999999, 65536};
    if (rng_() % 3 == 0) return edges[rng_() % (sizeof edges / sizeof edges[0])];
    return static_cast<int>(static_cast<std::uint32_t>(rng_()));
}

}  // namespace arkseal::test
