#include "crypto/wipe.h"

#include "bignum/number_access.h"

namespace arkseal {

void SecureWipe(void* p, std::size_t size) { detail::WipeMemory(p, size); }

}  // namespace arkseal
