// Lucas sequence V_k(p) with Q = 1: V_0 = 2, V_1 = p, V_(k+1) = p V_k - V_(k-1).
// The doubling rules V_2k = V_k^2 - 2 and V_(2k+1) = V_k V_(k+1) - p let a
// ladder keep the pair (V_k, V_(k+1)) while k runs through the leading bits
// of |e| - 1, ending at (V_(|e|-1), V_|e|). Since V_-k = V_k, the sign of e
// is ignored.
//
// Scratch: 1 and 2 the pair, 3 the constant 2, 4 the copy of p, 11 the
// cross term, 12 the ladder exponent |e| - 1.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/montgomery/montgomery_internal.h>

namespace arkseal {

using namespace detail;

void MontgomeryLucas(const std::uint32_t* p, const std::uint32_t* e, BigNumber vp, BigNumber v) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    BigNumber low = s.scratch[1];
    BigNumber high = s.scratch[2];
    BigNumber two = s.scratch[3];
    BigNumber pCopy = s.scratch[4];
    BigNumber cross = s.scratch[11];
    BigNumber ladder = s.scratch[12];
    BigCopy(p, pCopy);
    BigFromInt(2, two);
    ToMontgomery(two, two);
    if (IsZero(e)) {
        // (V_-1, V_0) = (p, 2).
        BigCopy(pCopy, low);
        BigCopy(two, high);
    } else {
        BigAbs(e, ladder);
        BigSubtractInt(ladder, 1, ladder);
        BigCopy(two, low);
        BigCopy(pCopy, high);
        for (int i = BigBitLength(ladder) - 1; i >= 0 && !ErrorPending(); --i) {
            ReportProgress(s);
            MontgomeryMultiply(low, high, cross);
            MontgomerySubtract(cross, pCopy, cross);
            BigNumber doubled = BigTestBit(ladder, i) ? high : low;
            MontgomeryMultiply(doubled, doubled, doubled);
            MontgomerySubtract(doubled, two, doubled);
            if (doubled == high) {
                BigCopy(cross, low);
            } else {
                BigCopy(cross, high);
            }
        }
    }
    if (ErrorPending()) return;
    if (vp != v) BigCopy(low, vp);
    BigCopy(high, v);
}

}  // namespace arkseal
