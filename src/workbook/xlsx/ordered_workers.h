#pragma once
// Runs jobs on worker threads and hands them back finished in the order they were given, so
// that a reader can cut its input into pieces, read them side by side and put the results
// together as if it had read them one after the other.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace rowbit::xlsx {

template <class Job>
class OrderedWorkers {
public:
    OrderedWorkers(std::function<void(Job&)> run, std::size_t threads) : run_(std::move(run)) {
        threads_.reserve(threads);
        for (std::size_t i = 0; i < threads; ++i)
            threads_.emplace_back([this] { work(); });
    }
    ~OrderedWorkers() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    void submit(std::unique_ptr<Job> job) {
        {
            std::lock_guard lock(mutex_);
            slots_.push_back(Slot{std::move(job), false, nullptr});
        }
        changed_.notify_all();
    }

    // Jobs given and not taken back yet.
    std::size_t outstanding() const {
        std::lock_guard lock(mutex_);
        return slots_.size();
    }

    // The oldest job once it is finished (waiting for it when `wait`), null when there is
    // none or it is not finished. A job that threw throws again here.
    std::unique_ptr<Job> takeFinished(bool wait) {
        std::unique_lock lock(mutex_);
        if (wait)
            changed_.wait(lock, [&] { return slots_.empty() || slots_.front().done; });
        if (slots_.empty() || !slots_.front().done)
            return nullptr;
        Slot slot = std::move(slots_.front());
        slots_.pop_front();
        ++first_;
        lock.unlock();
        if (slot.failure)
            std::rethrow_exception(slot.failure);
        return std::move(slot.job);
    }

private:
    struct Slot {
        std::unique_ptr<Job> job;
        bool done = false;
        std::exception_ptr failure;
    };

    void work() {
        std::unique_lock lock(mutex_);
        while (true) {
            changed_.wait(lock, [&] { return stop_ || next_ < first_ + slots_.size(); });
            if (stop_)
                return;
            const std::size_t mine = next_++;
            Job* job = slots_[mine - first_].job.get();
            lock.unlock();
            std::exception_ptr failure;
            try {
                run_(*job);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            // Only finished slots leave the front, so this one is still where it was.
            Slot& slot = slots_[mine - first_];
            slot.done = true;
            slot.failure = failure;
            changed_.notify_all();
        }
    }

    std::function<void(Job&)> run_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Slot> slots_;
    std::size_t first_ = 0; // sequence number of slots_.front()
    std::size_t next_ = 0;  // sequence number of the next job to run
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace rowbit::xlsx
