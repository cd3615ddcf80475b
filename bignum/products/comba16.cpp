// Column-wise (Comba) products of exactly 16 digit words: the generator of
// comba_columns.h at 8 limbs of 64 bits (digit pairs, see limb.h).
//
// - The low product stops after column 7; the high product is handed the low
//   half of the product and forms only the columns 6 to 14 (comba_columns.h
//   derives both).
//
// Outputs must not overlap the inputs, except that the high product reads
// and keeps the low half of its own output.

#include <arkseal/bignum/kernels/comba_columns.h>
#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {

using comba::LoadLimbs;
using comba::StoreLimbs;

void Comba16Multiply(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y) {
    const comba::Limbs<8> a = LoadLimbs<8>(x), b = LoadLimbs<8>(y);
    comba::StoreProduct(z, a, b);
}

void Comba16Square(std::uint32_t* z, const std::uint32_t* x) { comba::StoreSquare(z, LoadLimbs<8>(x)); }

void Comba16MultiplyLow(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y) {
    StoreLimbs(z, comba::LowHalf(LoadLimbs<8>(x), LoadLimbs<8>(y)));
}

void Comba16MultiplyHigh(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y) {
    StoreLimbs(z + 16, comba::HighHalf(LoadLimbs<8>(x), LoadLimbs<8>(y), LoadLimb(z + 12), LoadLimb(z + 14)));
}

}  // namespace arkseal
