// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ordered_workers.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "core/image_state.h"

namespace dusk {

namespace {

class OrderedRun {
public:
    OrderedRun(std::size_t count, const std::function<ItemOutcome(std::size_t)>& work)
        : work_(work), outcomes_(count), done_(count, 0) {}

    // A worker thread: items in turn until none is left.
    void Work() {
        try {
            ScopedImageState record;
            for (std::size_t i = next_++; i < outcomes_.size(); i = next_++) {
                ItemOutcome outcome = work_(i);
                const std::lock_guard lock(mutex_);
                outcomes_[i] = std::move(outcome);
                done_[i] = 1;
                if (i == awaited_) changed_.notify_one();
            }
        } catch (const std::bad_alloc&) {
            // No record to work on: the others do the rest.
        }
        const std::lock_guard lock(mutex_);
        --live_;
        changed_.notify_one();
    }

    // Counts a worker about to start, or one that could not be.
    void Join() {
        const std::lock_guard lock(mutex_);
        ++live_;
    }
    void Leave() {
        const std::lock_guard lock(mutex_);
        --live_;
    }

    // Item i's outcome once it is done; done here when no worker is left.
    ItemOutcome Await(std::size_t i) {
        std::unique_lock lock(mutex_);
        awaited_ = i;
        changed_.wait(lock, [&] { return done_[i] != 0 || live_ == 0; });
        if (done_[i] != 0) return std::move(outcomes_[i]);
        lock.unlock();
        return work_(i);
    }

    // No item is started after this.
    void Stop() { next_ = outcomes_.size(); }

private:
    const std::function<ItemOutcome(std::size_t)>& work_;
    std::atomic<std::size_t> next_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ItemOutcome> outcomes_;
    std::vector<char> done_;
    unsigned live_ = 0;
    std::size_t awaited_ = 0;  // the item the calling thread waits for
};

// Ends the run and waits for its threads, however the caller leaves.
class Threads {
public:
    Threads(OrderedRun& run, unsigned count) : run_(run) { threads_.reserve(count); }
    ~Threads() {
        run_.Stop();
        for (std::thread& thread : threads_) thread.join();
    }
    Threads(const Threads&) = delete;
    Threads& operator=(const Threads&) = delete;

    bool Start() {
        run_.Join();
        try {
            threads_.emplace_back([this] { run_.Work(); });
            return true;
        } catch (const std::system_error&) {
            run_.Leave();
            return false;
        }
    }

private:
    OrderedRun& run_;
    std::vector<std::thread> threads_;
};

}  // namespace

void RunInOrder(std::size_t count, unsigned workers, const std::function<ItemOutcome(std::size_t)>& work,
                const std::function<void(std::size_t, const ItemOutcome&)>& deliver) {
    OrderedRun run(count, work);
    Threads threads(run, workers);
    for (unsigned k = 0; k < workers; ++k) {
        if (!threads.Start()) break;
    }
    for (std::size_t i = 0; i < count; ++i) deliver(i, run.Await(i));
}

}  // namespace dusk
