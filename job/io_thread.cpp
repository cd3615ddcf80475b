#include <arkseal/job/io_thread.h>

#include <utility>

namespace arkseal {

IoThread::IoThread() : thread_([this] { Loop(); }) {}

IoThread::~IoThread() {
    {
        std::lock_guard lock(lock_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

IoThread::Ticket IoThread::Post(std::function<void()> task) {
    Ticket ticket;
    {
        std::lock_guard lock(lock_);
        tasks_.push_back(std::move(task));
        ticket = ++posted_;
    }
    changed_.notify_all();
    return ticket;
}

void IoThread::WaitFor(Ticket ticket) {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [&] { return finished_ >= ticket; });
}

void IoThread::WaitIdle() {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [&] { return finished_ == posted_; });
}

void IoThread::Loop() {
    std::unique_lock lock(lock_);
    for (;;) {
        changed_.wait(lock, [&] { return !tasks_.empty() || ending_; });
        if (tasks_.empty()) return;
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
        ++finished_;
        changed_.notify_all();
    }
}

}  // namespace arkseal
