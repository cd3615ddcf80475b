// Clearing secrets in a way the compiler may not remove.
#pragma once

#include <cstddef>

namespace arkseal {

// Sets size bytes at p to zero; the stores are kept even when the memory is
// never read again.
void SecureWipe(void* p, std::size_t size);

}  // namespace arkseal
