// The job's second thread: it runs the file's reads and the commits of the
// windows, one task after the other in the order they were handed to it,
// while the job's own thread enciphers. The format makes the cipher one
// serial chain per file, not its I/O.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace arkseal {

class IoThread {
public:
    using Ticket = std::uint64_t;

    IoThread();
    // Runs what is still queued, then ends the thread.
    ~IoThread();
    IoThread(const IoThread&) = delete;
    IoThread& operator=(const IoThread&) = delete;

    // Queues the task; the ticket tells when it has run.
    Ticket Post(std::function<void()> task);
    // Waits until the task of the ticket, and every one before it, has run.
    void WaitFor(Ticket ticket);
    // Waits until every task posted so far has run.
    void WaitIdle();

private:
    void Loop();

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    Ticket posted_ = 0;
    Ticket finished_ = 0;
    bool ending_ = false;
    std::thread thread_;  // last: starts once the rest is ready
};

}  // namespace arkseal
