// Worker threads, started from a function and one argument. The layer keeps
// every thread it starts, so that one can wait for a given thread and, at
// the program's end, for all of them: no worker outlives the application
// unnoticed.
#pragma once

#include <cstdint>

namespace arkseal {

using ThreadFunction = unsigned (*)(void* argument);
using ThreadId = std::uint64_t;  // 0 is never a thread

// Starts function(argument) on a new thread at once.
ThreadId BeginThread(ThreadFunction function, void* argument);

// Returns when the thread has ended; at once for 0 or a thread already
// waited for. Must not be called from the thread itself.
void WaitForThread(ThreadId id);

// Returns when every thread started so far has ended.
void WaitForAllThreads();

}  // namespace arkseal
