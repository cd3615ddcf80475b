#include <arkseal/job/secret_memory.h>

#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <mutex>

#include <arkseal/base/wipe.h>

namespace arkseal {

namespace {

std::size_t WholePages(std::size_t size) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return (size + page - 1) / page * page;
}

std::mutex holdersLock;
int holders = 0;
bool restoreDumpable = false;

}  // namespace

// Anonymous pages come zeroed. A failed mlock (a low RLIMIT_MEMLOCK) or
// madvise leaves the memory usable: locking is as far as the system allows.
void* AllocateSecret(std::size_t size) {
    const std::size_t length = WholePages(size);
    void* memory = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    mlock(memory, length);
    madvise(memory, length, MADV_DONTDUMP);
    return memory;
}

void FreeSecret(void* memory, std::size_t size) {
    if (memory == nullptr) return;
    const std::size_t length = WholePages(size);
    SecureWipe(memory, length);
    munlock(memory, length);
    munmap(memory, length);
}

KeysHeld::KeysHeld() {
    std::lock_guard lock(holdersLock);
    if (holders++ > 0) return;
    restoreDumpable = prctl(PR_GET_DUMPABLE) == 1;
    prctl(PR_SET_DUMPABLE, 0);
}

KeysHeld::~KeysHeld() {
    std::lock_guard lock(holdersLock);
    if (--holders > 0) return;
    if (restoreDumpable) prctl(PR_SET_DUMPABLE, 1);
}

}  // namespace arkseal
