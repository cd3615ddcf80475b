#include <arkseal/tests/bignum/guard_allocator.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <arkseal/bignum/workspace/number_system.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define ARKSEAL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define ARKSEAL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define ARKSEAL_POISON(p, n) ((void)(p), (void)(n))
#define ARKSEAL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace arkseal::test {
namespace {

// The front guard keeps the block at the 16-byte alignment calloc gives.
constexpr std::size_t kGuardBytes = 16;
constexpr unsigned char kPoison[kGuardBytes] = {0xA5, 0x3C, 0xE1, 0x7B, 0xA5, 0x3C, 0xE1, 0x7B,
                                                0xA5, 0x3C, 0xE1, 0x7B, 0xA5, 0x3C, 0xE1, 0x7B};

struct Records {
    std::mutex lock;
    std::map<void*, std::size_t> live;
    int acquired = 0;
    std::vector<std::string> dirty;
    std::vector<std::string> broken;
};

Records& TheRecords() {
    static Records records;
    return records;
}

unsigned char* Front(void* block) { return static_cast<unsigned char*>(block) - kGuardBytes; }
unsigned char* Back(void* block, std::size_t bytes) { return static_cast<unsigned char*>(block) + bytes; }

// Empty when both guards of block hold the poison, else which one does not.
std::string GuardProblem(void* block, std::size_t bytes) {
    ARKSEAL_UNPOISON(Front(block), kGuardBytes);
    ARKSEAL_UNPOISON(Back(block, bytes), kGuardBytes);
    std::string problem;
    if (std::memcmp(Front(block), kPoison, kGuardBytes) != 0) problem = "written before its start";
    if (std::memcmp(Back(block, bytes), kPoison, kGuardBytes) != 0) problem = "written past its end";
    ARKSEAL_POISON(Front(block), kGuardBytes);
    ARKSEAL_POISON(Back(block, bytes), kGuardBytes);
    return problem.empty() ? problem : "block of " + std::to_string(bytes) + " bytes " + problem;
}

void* Acquire(std::size_t bytes) {
    auto* raw = static_cast<unsigned char*>(std::calloc(1, bytes + 2 * kGuardBytes));
    if (raw == nullptr) return nullptr;
    void* block = raw + kGuardBytes;
    std::memcpy(Front(block), kPoison, kGuardBytes);
    std::memcpy(Back(block, bytes), kPoison, kGuardBytes);
    ARKSEAL_POISON(Front(block), kGuardBytes);
    ARKSEAL_POISON(Back(block, bytes), kGuardBytes);
    Records& r = TheRecords();
    std::lock_guard<std::mutex> hold(r.lock);
    r.live[block] = bytes;
    ++r.acquired;
    return block;
}

void Release(void* block) {
    Records& r = TheRecords();
    std::unique_lock<std::mutex> hold(r.lock);
    const auto found = r.live.find(block);
    if (found == r.live.end()) {  // taken before the guards were installed
        hold.unlock();
        std::free(block);
        return;
    }
    const std::size_t bytes = found->second;
    r.live.erase(found);
    const auto* b = static_cast<const unsigned char*>(block);
    for (std::size_t i = 0; i < bytes; ++i) {
        if (b[i] != 0) {
            r.dirty.push_back("block of " + std::to_string(bytes) + " bytes, byte " + std::to_string(i));
            break;
        }
    }
    const std::string problem = GuardProblem(block, bytes);
    if (!problem.empty()) r.broken.push_back(problem);
    hold.unlock();
    if (!problem.empty()) ADD_FAILURE() << "released a " << problem;
    ARKSEAL_UNPOISON(Front(block), kGuardBytes);
    ARKSEAL_UNPOISON(Back(block, bytes), kGuardBytes);
    std::free(Front(block));
}

}  // namespace

void GuardAllocator::Install() {
    Records& r = TheRecords();
    {
        std::lock_guard<std::mutex> hold(r.lock);
        r.acquired = 0;
        r.dirty.clear();
        r.broken.clear();
    }
    SetNumberAllocator({Acquire, Release});
}

void GuardAllocator::CheckLiveBlocks() {
    Records& r = TheRecords();
    std::lock_guard<std::mutex> hold(r.lock);
    for (const auto& [block, bytes] : r.live) {
        const std::string problem = GuardProblem(block, bytes);
        if (problem.empty()) continue;
        r.broken.push_back(problem);
        ADD_FAILURE() << "live " << problem;
    }
}

std::map<void*, std::size_t> GuardAllocator::Live() {
    Records& r = TheRecords();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.live;
}

int GuardAllocator::Acquired() {
    Records& r = TheRecords();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.acquired;
}

std::vector<std::string> GuardAllocator::Dirty() {
    Records& r = TheRecords();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.dirty;
}

std::vector<std::string> GuardAllocator::Broken() {
    Records& r = TheRecords();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.broken;
}

}  // namespace arkseal::test
