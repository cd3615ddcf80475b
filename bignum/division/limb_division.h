// Long division of word arrays taken two words at a time, as 64-bit limbs
// with 128-bit intermediates.
#pragma once

#include <cstdint>

#include <arkseal/bignum/kernels/limb.h>

namespace arkseal {

// Divides u[0..lx) by v[0..ly) for 2 <= ly <= lx, v's top word non-zero:
// leaves the remainder in u[0..ly) (the words above it keep the dividend's),
// and stores quotientWords words of the quotient in q unless q is null.
// false, with nothing written, when longer than its buffers.
bool DivideWordsInLimbs(std::uint32_t* u, int lx, const std::uint32_t* v, int ly, std::uint32_t* q, int quotientWords);

}  // namespace arkseal
