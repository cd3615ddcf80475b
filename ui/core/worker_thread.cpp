#include <arkseal/ui/core/worker_thread.h>

#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace arkseal {

namespace {

std::mutex threadsLock;
std::map<ThreadId, std::thread> threads;
ThreadId lastId = 0;

}  // namespace

ThreadId BeginThread(ThreadFunction function, void* argument) {
    std::lock_guard lock(threadsLock);
    const ThreadId id = ++lastId;
    threads.emplace(id, std::thread(function, argument));
    return id;
}

void WaitForThread(ThreadId id) {
    std::thread thread;
    {
        std::lock_guard lock(threadsLock);
        auto found = threads.find(id);
        if (found == threads.end()) return;
        thread = std::move(found->second);
        threads.erase(found);
    }
    thread.join();
}

void WaitForAllThreads() {
    std::map<ThreadId, std::thread> all;
    {
        std::lock_guard lock(threadsLock);
        all.swap(threads);
    }
    for (auto& [id, thread] : all) thread.join();
}

}  // namespace arkseal
