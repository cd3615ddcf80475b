// Fixed-base multiplication by tables of the multiples of G.
//
// k = sum of d_i 32^i over 52 signed digits d_i in -16..16 (the recoding of
// secret_multiply.cpp), so k G = sum of d_i (32^i G). Table i holds j 32^i G
// for j = 1..16 in affine coordinates (52 x 16 points, built once per thread
// and G with one shared inversion); each digit picks its entry by a pass
// over all sixteen, negates y by a mask, and adds it.
//
// The sum runs from window 0 upwards. Before window i the accumulator is
// s G with |s| < 32^i (|s| <= 16 (32^i - 1) / 31), and the entry is
// d 32^i G with 1 <= |d| <= 16, so s - d 32^i and s + d 32^i are integers
// that are not zero and smaller than 17 32^i. For i <= 50 that is below
// 2^255, less than the order of G, so the accumulator is never the entry
// or its negative: the mixed addition needs to handle only an infinite
// accumulator (s = 0) or entry (d = 0), which masks do. The last window
// takes the complete addition. The key pair's generator has prime order
// n = 115324781748134865946503563657643838352221626521810006206950260876359658535911
// (the whole group's order; the tests check n G = infinity with OpenSSL).
#include <arkseal/curve/generator_comb.h>

#include <cstring>
#include <memory>
#include <vector>

#include <arkseal/base/wipe.h>

namespace arkseal::curve_detail {
namespace {

constexpr int kWindowBits = 5;
constexpr int kWindows = 256 / kWindowBits + 1;
constexpr int kEntries = 16;

struct Comb {
    Element p;  // the field and the point the table is for
    Affine G;
    Affine entries[kWindows][kEntries];  // entries[i][j - 1] = j 32^i G
};

thread_local std::unique_ptr<Comb> cached;

bool SameElement(const Element a, const Element b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3];
}

template <class Ops>
void Build(const Field& f, const Affine& G, Comb& comb) {
    std::vector<Jacobian> points(kWindows * kEntries);
    Jacobian base;
    field256::Copy(G.x, base.X);
    field256::Copy(G.y, base.Y);
    field256::Copy(f.one, base.Z);
    for (int i = 0; i < kWindows; ++i) {
        Jacobian* T = &points[i * kEntries] - 1;  // T[j] = j base
        T[1] = base;
        for (int j = 1; j <= kEntries / 2; ++j) {
            Double<Ops>(f, T[j], T[2 * j]);
            if (2 * j + 1 > kEntries) continue;
            T[2 * j + 1] = T[2 * j];
            AddComplete<Ops>(f, base, T[2], T[2 * j + 1]);
        }
        Double<Ops>(f, T[kEntries], base);
    }
    // One inversion for all: prefix products of the Z, inverted once, then
    // unwound. No entry is infinite (n is prime and above j 32^i).
    struct Product {
        Element z;
    };
    std::vector<Product> prefix(points.size());
    Element running;
    field256::Copy(f.one, running);
    for (std::size_t m = 0; m < points.size(); ++m) {
        Ops::Multiply(f, running, points[m].Z, running);
        field256::Copy(running, prefix[m].z);
    }
    Element inverse;
    field256::Invert<Ops>(f, running, inverse);
    for (std::size_t m = points.size(); m-- > 0;) {
        Element zInverse, t;
        if (m > 0) {
            Ops::Multiply(f, inverse, prefix[m - 1].z, zInverse);
        } else {
            field256::Copy(inverse, zInverse);
        }
        Ops::Multiply(f, inverse, points[m].Z, inverse);
        Affine& a = comb.entries[m / kEntries][m % kEntries];
        Ops::Square(f, zInverse, t);
        Ops::Multiply(f, points[m].X, t, a.x);
        Ops::Multiply(f, t, zInverse, t);
        Ops::Multiply(f, points[m].Y, t, a.y);
    }
    field256::Copy(f.p, comb.p);
    comb.G = G;
}

const Comb& CombFor(const Field& f, const Affine& G) {
    if (cached == nullptr || !SameElement(cached->p, f.p) || !SameElement(cached->G.x, G.x) ||
        !SameElement(cached->G.y, G.y)) {
        auto comb = std::make_unique<Comb>();
        field256::WithActiveRoute([&](auto ops) { Build<decltype(ops)>(f, G, *comb); });
        cached = std::move(comb);
    }
    return *cached;
}

// The digit of window i of k (bits 5i - 1 .. 5i + 4, bit -1 and bits above
// 255 zero), as in secret_multiply.cpp.
void Digit(const Limb k[4], int i, Limb& magnitude, Limb& negative) {
    Limb v = 0;
    for (int b = 0; b <= kWindowBits; ++b) {
        const int bit = kWindowBits * i - 1 + b;
        if (bit < 0 || bit >= 256) continue;  // public positions only
        v |= ((k[bit / 64] >> (bit % 64)) & 1) << b;
    }
    const std::int64_t d = static_cast<std::int64_t>(((v & 31) + 1) >> 1) - static_cast<std::int64_t>(16 * (v >> 5));
    negative = static_cast<Limb>(d >> 63);
    magnitude = (static_cast<Limb>(d) ^ negative) - negative;
}

// a = entries[index - 1] with y negated where negative is all ones; returns
// all ones (and a = (0, 0)) for index 0. Every entry is read; its eight limbs
// are or-ed in under a mask that is all ones for the one wanted.
Limb Lookup(const Field& f, const Affine* entries, Limb index, Limb negative, Affine& a) {
    static_assert(sizeof(Affine) == 8 * sizeof(Limb));
    Limb out[8] = {};
    for (int j = 1; j <= kEntries; ++j) {
        const Limb x = static_cast<Limb>(j) ^ index;
        const Limb mask = ((x | (0 - x)) >> 63) - 1;
        const Limb* entry = entries[j - 1].x;
#pragma GCC unroll 8
        for (int l = 0; l < 8; ++l) out[l] |= mask & entry[l];
    }
    std::memcpy(&a, out, sizeof a);
    field256::NegateIf(f, negative, a.y, a.y);
    return ((index | (0 - index)) >> 63) - 1;
}

template <class Ops>
void Multiply(const Field& f, const Comb& comb, const Limb k[4], Jacobian& R) {
    R = Jacobian{};
    Affine a;
    for (int i = 0; i < kWindows - 1; ++i) {
        Limb magnitude, negative;
        Digit(k, i, magnitude, negative);
        const Limb infinite = Lookup(f, comb.entries[i], magnitude, negative, a);
        AddAffineUnlessEqual<Ops>(f, a, infinite, R);
    }
    Limb magnitude, negative;
    Digit(k, kWindows - 1, magnitude, negative);
    const Limb infinite = Lookup(f, comb.entries[kWindows - 1], magnitude, negative, a);
    Jacobian t, twice;
    field256::Copy(a.x, t.X);
    field256::Copy(a.y, t.Y);
    field256::Copy(f.one, t.Z);
    const Element zero = {};
    field256::Select(infinite, zero, t.Z);
    Double<Ops>(f, t, twice);
    AddComplete<Ops>(f, t, twice, R);
    SecureWipe(&a, sizeof a);
    SecureWipe(&t, sizeof t);
    SecureWipe(&twice, sizeof twice);
}

}  // namespace

void MultiplyGenerator(const Field& f, const Affine& G, const Limb k[4], Jacobian& R) {
    const Comb& comb = CombFor(f, G);
    field256::WithActiveRoute([&](auto ops) { Multiply<decltype(ops)>(f, comb, k, R); });
}

}  // namespace arkseal::curve_detail
