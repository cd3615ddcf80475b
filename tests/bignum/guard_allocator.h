// The allocator the bignum tests put under NumberAlloc. Every block gets a
// poisoned guard before and after it, checked when the block is released, so
// a write past either end of a number fails the test in any build (under
// AddressSanitizer the guards are also poisoned for it, which stops the test
// at the faulty write). It also records the blocks alive, how many were
// taken, and which were released still holding a non-zero byte.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace arkseal::test {

class GuardAllocator {
public:
    // Routes NumberAlloc here and starts the records afresh; blocks taken
    // earlier stay known, so they may be released later.
    static void Install();
    // Checks the guards of every block still alive.
    static void CheckLiveBlocks();

    static std::map<void*, std::size_t> Live();  // block -> bytes asked for
    static int Acquired();
    static std::vector<std::string> Dirty();   // released with a non-zero byte
    static std::vector<std::string> Broken();  // a guard overwritten
};

}  // namespace arkseal::test
