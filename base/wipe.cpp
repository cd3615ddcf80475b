#include <arkseal/base/wipe.h>

#include <cstring>

namespace arkseal {

void SecureWipe(void* p, std::size_t size) {
    if (size == 0) return;
    std::memset(p, 0, size);
    // The barrier tells the compiler the zeroed memory may be read, so the
    // stores cannot be dropped as dead.
    __asm__ __volatile__("" : : "r"(p) : "memory");
}

}  // namespace arkseal
