// Processor cycles (time-stamp counter) of the four-limb field and the point
// formulas on the curve's prime, for each product route the processor runs:
// the latency of a chain of dependent products and squares, the throughput
// of four independent chains, one sum, one doubling and one addition of
// Jacobian points; on the IFMA route also its paired products, alone and
// beside mulx products; and the inversion, which has one route. Each figure is
// the best of several rounds; it shows where a scalar multiplication's cycles
// go.
//
//   field_cycles [rounds]        default 15
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include <arkseal/bignum/field256/field_routes.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/curve/jacobian256.h>
#include <arkseal/tests/curve/openssl_curve.h>

#if defined(__x86_64__)
#include <x86intrin.h>

namespace {

using namespace arkseal;
using namespace arkseal::curve_detail;
using field256::Element;

constexpr int kSteps = 4000;

// The best over `rounds` of the cycles of kSteps calls of step, per call.
template <class Step>
double Cycles(int rounds, Step step) {
    unsigned long long best = ~0ULL;
    for (int r = 0; r < rounds; ++r) {
        const unsigned long long start = __rdtsc();
        for (int i = 0; i < kSteps; ++i) step();
        best = std::min(best, __rdtsc() - start);
    }
    return static_cast<double>(best) / kSteps;
}

template <class Ops>
void Measure(const char* route, const Field& f, int rounds) {
    Element a = {1, 2, 3, 4}, b = {5, 6, 7, 8}, c = {9, 10, 11, 12}, d = {13, 14, 15, 16};
    const Element y = {0x0123456789abcdef, 0xfedcba9876543210, 0x0f1e2d3c4b5a6978, 0x1122334455667788};
    Jacobian P, Q;
    field256::Copy(a, P.X);
    field256::Copy(b, P.Y);
    field256::Copy(c, P.Z);
    field256::Copy(d, Q.X);
    field256::Copy(y, Q.Y);
    field256::Copy(f.one, Q.Z);
    std::printf("%s route (cycles per operation)\n", route);
    std::printf("  product, latency      %7.1f\n", Cycles(rounds, [&] { Ops::Multiply(f, a, y, a); }));
    std::printf("  product, throughput   %7.1f\n", Cycles(rounds, [&] {
                                                       Ops::Multiply(f, a, y, a);
                                                       Ops::Multiply(f, b, y, b);
                                                       Ops::Multiply(f, c, y, c);
                                                       Ops::Multiply(f, d, y, d);
                                                   }) / 4);
    std::printf("  square, latency       %7.1f\n", Cycles(rounds, [&] { Ops::Square(f, a, a); }));
    std::printf("  square, throughput    %7.1f\n", Cycles(rounds, [&] {
                                                       Ops::Square(f, a, a);
                                                       Ops::Square(f, b, b);
                                                       Ops::Square(f, c, c);
                                                       Ops::Square(f, d, d);
                                                   }) / 4);
    std::printf("  sum, latency          %7.1f\n", Cycles(rounds, [&] { Ops::Add(f, a, y, a); }));
    if constexpr (Ops::kVectorUnit) {
        Limb T52[5];
        std::printf("  doubling's IFMA products, latency      %7.1f\n", Cycles(rounds, [&] {
                        field256::IfmaDoublingFirst(f, a, b, b, c, T52);
                        field256::IfmaDoublingSecond(f, T52, c, a, d);
                    }));
        std::printf("  the same beside 3 mulx products        %7.1f\n", Cycles(rounds, [&] {
                        field256::IfmaDoublingFirst(f, a, b, b, c, T52);
                        field256::IfmaDoublingSecond(f, T52, c, a, d);
                        field256::MulxOps::Multiply(f, P.X, y, P.X);
                        field256::MulxOps::Multiply(f, P.Y, y, P.Y);
                        field256::MulxOps::Multiply(f, P.Z, y, P.Z);
                    }));
    }
    std::printf("  doubling              %7.1f\n", Cycles(rounds, [&] { Double<Ops>(f, P, P); }));
    std::printf("  addition              %7.1f\n", Cycles(rounds, [&] { AddUnlessEqual<Ops>(f, Q, P); }));
    std::printf("  (check %016llx)\n", static_cast<unsigned long long>(a[0] ^ b[0] ^ c[0] ^ d[0] ^ P.X[0]));
}

}  // namespace

int main(int argc, char** argv) {
    using namespace arkseal;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    if (CreateNumberSystem(640, 0) == nullptr) return 1;
    BigNumber p = NewBig(0);
    BigFromString(p, test::kCurvePrime);
    MontgomerySetModulus(p);
    const field256::Field* f = field256::CurrentField();
    if (f == nullptr) return 1;
    Element x = {0x0123456789abcdef, 0xfedcba9876543210, 0x0f1e2d3c4b5a6978, 0x1122334455667788};
    std::printf("inversion (plain)       %7.1f\n", Cycles(rounds, [&] {
                    field256::InvertPlain(*f, x, x);
                    x[0] ^= 2;
                }));
    std::printf("  (check %016llx)\n", static_cast<unsigned long long>(x[0]));
    field256::SelectRoute(field256::Route::Portable);
    Measure<field256::PortableOps>("portable", *f, rounds);
    if (field256::SelectRoute(field256::Route::Mulx)) Measure<field256::MulxOps>("mulx", *f, rounds);
    if (field256::SelectRoute(field256::Route::Ifma)) Measure<field256::IfmaOps>("ifma", *f, rounds);
    FreeBig(p);
    DestroyNumberSystem();
    return 0;
}

#else

int main() {
    std::puts("field_cycles reads the x86-64 time-stamp counter; nothing to measure here");
    return 0;
}

#endif
