// Keeping key material out of swap and out of core dumps.
//
// Passphrases, digests and keyed ciphers live on pages of their own, locked
// in memory (mlock) and left out of core dumps (MADV_DONTDUMP) where the
// system allows it, and wiped before the pages are given back. While a key
// is held the whole process is made non-dumpable besides, which also covers
// what reaches the stacks and registers: no core dump is written and no
// other process of the user may trace it or read its memory.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace arkseal {

// size zeroed bytes on fresh pages, locked and left out of core dumps as
// far as the system allows. Throws std::bad_alloc when no pages are had.
void* AllocateSecret(std::size_t size);
// Wipes and returns what AllocateSecret(size) gave; null is ignored.
void FreeSecret(void* memory, std::size_t size);

// One T made on secret pages, destroyed and wiped with its holder.
template <class T>
class Secret {
public:
    template <class... Args>
    explicit Secret(Args&&... args) : value_(new (AllocateSecret(sizeof(T))) T(std::forward<Args>(args)...)) {}
    ~Secret() {
        value_->~T();
        FreeSecret(value_, sizeof(T));
    }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    T& operator*() const { return *value_; }
    T* operator->() const { return value_; }

private:
    T* const value_;
};

// While at least one KeysHeld exists, the process is not dumpable
// (PR_SET_DUMPABLE 0). The last one to go makes it dumpable again if it
// was before the first came.
class KeysHeld {
public:
    KeysHeld();
    ~KeysHeld();
    KeysHeld(const KeysHeld&) = delete;
    KeysHeld& operator=(const KeysHeld&) = delete;
};

}  // namespace arkseal
