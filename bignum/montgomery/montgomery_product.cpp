// The Montgomery product w = x y R^-1 mod n, by one of three routes that give
// the same digits:
//   - fixed-size moduli (16 * 2^k words, base 2^32): Karatsuba product or
//     square into scratch 0 with scratch 7 as working space, then the
//     subtractive reduction by half products;
//   - other moduli in base 2^32 with operands no longer than n: the
//     interleaved row kernel (montgomery_kernel.h), which needs no scratch;
//   - everything else: the full product in scratch 0 and the word-by-word
//     reduction.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/montgomery/montgomery_internal.h>
#include <arkseal/bignum/montgomery/montgomery_kernel.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {

using namespace detail;

namespace {

// Whether x can be read as a non-negative array of `words` digits.
bool FitsWords(const std::uint32_t* x, int words) {
    return (x[0] & ~kBigLengthMask) == 0 && NumeratorLength(x) <= words;
}

// scratch 0 = x y (or x^2) over n words, lengths of scratch 0 and 7 set to 2n.
void FastProduct(NumberSystem& s, const std::uint32_t* x, const std::uint32_t* y, int n) {
    BigNumber product = s.scratch[0];
    BigNumber temporary = s.scratch[7];
    // The product fills words 1..2n; only what an older, longer value left
    // above them needs clearing.
    ClearWordsAbove(product, 2 * n + 1, TotalLength(product));
    if (x == y) {
        KaratsubaSquare(Digits(product), Digits(x), n, Digits(temporary));
    } else {
        KaratsubaMultiply(Digits(product), Digits(x), Digits(y), n, Digits(temporary));
    }
    temporary[0] = static_cast<std::uint32_t>(2 * n);
    product[0] = static_cast<std::uint32_t>(2 * n);
}

// w = scratch 0 R^-1 mod n by the half-product reduction.
void FastReduce(NumberSystem& s, int n, BigNumber w) {
    const int oldTotal = TotalLength(w);
    FastMontgomeryReduce(Digits(w), Digits(s.scratch[0]), Digits(s.modulus), Digits(s.montgomeryInverse), n,
                         Digits(s.fastScratch), Digits(s.scratch[7]));
    s.fastScratch[0] = static_cast<std::uint32_t>(n);
    FinishInteger(w, oldTotal > n ? oldTotal : n, n, false);
    // Working space of 2n words reaches into the upper-half view of scratch 7
    // once 2n exceeds the capacity; clear it so that the view reads as zero.
    if (2 * n > s.wordCapacity) ClearWordsAbove(s.scratch[7], 0, 2 * n);
}

void KernelProduct(NumberSystem& s, const std::uint32_t* x, const std::uint32_t* y, int n, BigNumber w) {
    const int oldTotal = TotalLength(w);
    const std::uint32_t top =
        MontgomeryProductWords(Digits(w), Digits(x), Digits(y), Digits(s.modulus), s.montgomeryFactor, n);
    int length = n;
    if (top != 0) {
        // Only operands at or above n leave a result of n + 1 words.
        if (n + 1 > s.wordCapacity) {
            FinishInteger(w, oldTotal > n ? oldTotal : n, n, false);
            RaiseNumberError(kErrorOverflow);
            return;
        }
        w[++length] = top;
    }
    FinishInteger(w, oldTotal > length ? oldTotal : length, length, false);
}

}  // namespace

void MontgomeryMultiply(const std::uint32_t* x, const std::uint32_t* y, BigNumber w) {
    NumberSystem& s = Workspace();
    const int n = ModulusWords(s);
    if (s.fastReduction && FitsWords(x, n) && FitsWords(y, n)) {
        FastProduct(s, x, y, n);
        FastReduce(s, n, w);
        return;
    }
    if (ErrorPending() || !ModulusSet(s)) return;
    if (s.base == 0 && n <= kMontgomeryKernelMaxWords && FitsWords(x, n) && FitsWords(y, n)) {
        KernelProduct(s, x, y, n, w);
        return;
    }
    {
        UncheckedScope unchecked;
        BigMultiply(x, y, s.scratch[0]);
    }
    FromMontgomery(s.scratch[0], w);
}

}  // namespace arkseal
