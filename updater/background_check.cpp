// The read-back check on a second thread (see background_check.h).
#include "updater/background_check.h"

#include <chrono>

#include "os/clock.h"

namespace updater {

BackgroundCheck::BackgroundCheck(std::string backup, std::string table, FieldMatch match) {
    thread_ = std::thread([this, backup = std::move(backup), table = std::move(table), match] {
        uint64_t start = os::monotonicMs();
        result_ = compareWithBackup(backup, table, match, [this](uint32_t done, uint32_t total) {
            compared_.store(done, std::memory_order_relaxed);
            total_.store(total, std::memory_order_relaxed);
        });
        ms_ = os::monotonicMs() - start;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_.store(true, std::memory_order_release);
        }
        ended_.notify_all();
    });
}

BackgroundCheck::~BackgroundCheck() {
    if (thread_.joinable()) thread_.join();
}

RefillComparison BackgroundCheck::wait(
    const std::function<void(uint32_t done, uint32_t total)>& waiting, uint32_t everyMs) {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (ended_.wait_for(lock, std::chrono::milliseconds(everyMs), [this] { return done(); }))
                break;
        }
        if (waiting)
            waiting(compared_.load(std::memory_order_relaxed),
                    total_.load(std::memory_order_relaxed));
    }
    if (thread_.joinable()) thread_.join();
    return result_;
}

}  // namespace updater
