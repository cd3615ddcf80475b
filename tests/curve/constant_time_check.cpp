// Key generation and the three shared-secret computations with their secrets
// marked undefined for Valgrind's memcheck: the strong generator's state
// (from which the private scalar is drawn) and the digits of the passphrase
// number. Memcheck then reports every conditional jump and every memory
// index that depends on them; the suite runs this program under memcheck
// with --error-exitcode, so any such report fails it. Run natively, the marks
// do nothing and the program only checks that the marked run gives the same
// results as an unmarked one.
//
// Valgrind's virtual processor has no ADX, so under memcheck the field runs
// on its portable route; the mulx route is straight-line code.
#include <valgrind/memcheck.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/curve/curve_key_pair.h>
#include <arkseal/tests/curve/fixed_entropy.h>

namespace {

using namespace arkseal;

struct Results {
    int parity = -1;
    std::string publicX, plain, scalarBound, pointBound;
};

std::string Decimal(const BigValue& v) {
    VALGRIND_MAKE_MEM_DEFINED(v.Handle(), 4 * (1 + 16));  // the test's own look at a secret
    return test::Bn::From(v.Handle()).Decimal();
}

void MarkSecret(const void* p, std::size_t n, bool mark) {
    if (mark) VALGRIND_MAKE_MEM_UNDEFINED(p, n);
}

Results Run(bool mark) {
    CurveKeyPair peer{RandomSource(test::FixedEntropy)};
    int peerParity = 0;
    BigValue peerX;
    peer.GenerateKey(peerParity, peerX);

    CurveKeyPair own{RandomSource(test::FixedEntropy)};
    NumberSystem& s = *CurrentNumberSystem();
    MarkSecret(s.randomState, sizeof s.randomState, mark);
    MarkSecret(&s.randomBorrow, sizeof s.randomBorrow, mark);
    MarkSecret(s.pool, sizeof s.pool, mark);
    Results r;
    BigValue x;
    own.GenerateKey(r.parity, x);
    r.publicX = Decimal(x);

    BigValue w;
    w = "12345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567"
        "890123456789012345678901234567890123456789";  // a 512-bit passphrase number
    MarkSecret(w.Handle() + 1, 4 * 16, mark);
    r.plain = Decimal(own.SharedSecret(peerParity, peerX));
    r.scalarBound = Decimal(own.SharedSecretScalarBound(peerParity, peerX, w));
    r.pointBound = Decimal(own.SharedSecretPointBound(peerParity, peerX, w));
    return r;
}

}  // namespace

int main() {
    if (CreateNumberSystem(640, 0) == nullptr) return 2;
    const Results marked = Run(true);
    DestroyNumberSystem();
    if (CreateNumberSystem(640, 0) == nullptr) return 2;
    const Results plain = Run(false);
    const int error = CurrentNumberSystem()->errorCode;
    DestroyNumberSystem();
    const bool same = marked.parity == plain.parity && marked.publicX == plain.publicX && marked.plain == plain.plain &&
                      marked.scalarBound == plain.scalarBound && marked.pointBound == plain.pointBound;
    std::printf("public x %s, secrets %s / %s / %s\n", plain.publicX.c_str(), plain.plain.c_str(),
                plain.scalarBound.c_str(), plain.pointBound.c_str());
    if (!same || error != 0 || plain.plain == "0") {
        std::printf("the marked run differs from the plain one (or failed)\n");
        return 1;
    }
    return 0;
}
