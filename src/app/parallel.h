#pragma once
// Work shared out over threads, one way for the whole program: how many threads to use, and a
// queue of jobs that worker threads do side by side and hand back finished in the order they
// were given, so that a reader can cut its input into pieces, work on them at once and put the
// results together as if it had done them one after the other. Waiting is on a condition
// variable throughout: no thread ever polls.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace rowbit {

// Threads for work that splits into independent pieces: one per core, at least one and at most
// four (beyond that the pieces in flight hold more memory than the extra speed is worth).
unsigned workerCount();

template <class Job>
class OrderedWorkers {
public:
    // One step of a job. `worker` says who does it: 1 to `threads` for the queue's own threads,
    // 0 for a thread that lends a hand through runNext, so that each can keep scratch memory
    // of its own.
    using Step = std::function<void(Job& job, std::size_t worker)>;
    struct Steps {
        // When given, runs first on each job, one job at a time and in the order the jobs were
        // given: for taking input from a source that can only be read in sequence.
        Step inOrder;
        // Then runs on several jobs at once.
        Step run;
    };

    // Starts up to `threads` worker threads: when the system gives fewer, those there are do
    // the jobs, and with none the caller does them while it waits in takeFinished.
    OrderedWorkers(std::size_t threads, Steps steps) : steps_(std::move(steps)) {
        threads_.reserve(threads);
        for (std::size_t i = 0; i < threads; ++i) {
            try {
                threads_.emplace_back([this, i] { work(i + 1); });
            } catch (const std::system_error&) {
                break;
            }
        }
    }
    // Waits for the jobs being done; those not started yet are given up.
    ~OrderedWorkers() { stop(); }
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    std::size_t threads() const { return threads_.size(); }

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
    // none or it is not finished. A job whose step threw throws again here.
    std::unique_ptr<Job> takeFinished(bool wait) {
        std::unique_lock lock(mutex_);
        if (wait) {
            while (threads_.empty() && !slots_.empty() && !slots_.front().done)
                runTaken(lock, 0);
            changed_.wait(lock, [&] { return slots_.empty() || slots_.front().done; });
        }
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

    // Does the oldest job nobody has started on the calling thread, as worker 0. False when
    // every job given is started already.
    bool runNext() {
        std::unique_lock lock(mutex_);
        if (next_ == first_ + slots_.size())
            return false;
        runTaken(lock, 0);
        return true;
    }

private:
    struct Slot {
        std::unique_ptr<Job> job;
        bool done = false;
        std::exception_ptr failure;
    };

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

    void work(std::size_t worker) {
        std::unique_lock lock(mutex_);
        while (true) {
            changed_.wait(lock, [&] { return stop_ || next_ < first_ + slots_.size(); });
            if (stop_)
                return;
            runTaken(lock, worker);
        }
    }

    // Takes the next job not started and does it; `lock` is held on entry and on return.
    void runTaken(std::unique_lock<std::mutex>& lock, std::size_t worker) {
        const std::size_t mine = next_++;
        Job* job = slots_[mine - first_].job.get();
        std::exception_ptr failure;
        auto attempt = [&](const Step& step) {
            lock.unlock();
            try {
                step(*job, worker);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
        };
        if (steps_.inOrder) {
            changed_.wait(lock, [&] { return stop_ || inOrderDone_ == mine; });
            if (stop_)
                return; // given up: nobody takes it back any more
            attempt(steps_.inOrder);
            ++inOrderDone_;
            changed_.notify_all();
        }
        if (steps_.run && !failure)
            attempt(steps_.run);
        // Only finished slots leave the front, so this one is still where it was.
        Slot& slot = slots_[mine - first_];
        slot.done = true;
        slot.failure = failure;
        changed_.notify_all();
    }

    Steps steps_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Slot> slots_;
    std::size_t first_ = 0;       // sequence number of slots_.front()
    std::size_t next_ = 0;        // sequence number of the next job to start
    std::size_t inOrderDone_ = 0; // jobs through their in-order step
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace rowbit
