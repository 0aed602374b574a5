// The read-back check of a refilled table (refill_check.h), run on a second
// thread while the run goes on with the next table.
//
// Only the comparison runs there: it opens the table and its backup read
// only, through engine tables of its own, and touches nothing the run's
// thread uses. Its progress comes back through counters that the run's
// thread shows while it waits; its result is the run's thread's to act on.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "updater/refill_check.h"

namespace updater {

class BackgroundCheck {
public:
    // Starts comparing `table` with `backup` (both closed) on a new thread.
    BackgroundCheck(std::string backup, std::string table, FieldMatch match);
    // Waits for the thread: a check is never left running.
    ~BackgroundCheck();
    BackgroundCheck(const BackgroundCheck&) = delete;
    BackgroundCheck& operator=(const BackgroundCheck&) = delete;

    // True once the comparison has its result.
    bool done() const { return done_.load(std::memory_order_acquire); }
    // Waits for the result; meanwhile calls `waiting` with the backup's
    // records compared so far and its total, every `everyMs` or so.
    RefillComparison wait(const std::function<void(uint32_t done, uint32_t total)>& waiting,
                          uint32_t everyMs = 15);
    // How long the comparison took, once done.
    uint64_t ms() const { return ms_; }

private:
    std::atomic<uint32_t> compared_{0}, total_{0};
    std::atomic<bool> done_{false};
    std::mutex mutex_;  // with ended_: wakes a waiter as soon as the result is there
    std::condition_variable ended_;
    RefillComparison result_;
    uint64_t ms_ = 0;
    std::thread thread_;
};

}  // namespace updater
