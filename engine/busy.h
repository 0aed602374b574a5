// Long passes inside one engine call (checking an index as its table opens,
// sorting and writing a tag's keys, releasing and writing pages) say every so
// often that they are still working. A program with a window installs a hook
// here to keep answering its messages while such a call lasts; without a hook
// a step costs one load and one test, inline.
#pragma once

#include <atomic>

namespace engine {

using BusyHook = void (*)(void* context);

// Installs `hook` (nullptr removes it) for the calling thread: the hook
// runs only on the thread that installed it, and steps on any other thread
// (a refill's key worker, a read-back check beside the run) never call it.
// Install it before such threads start and remove it after they end. The
// hook may read other open tables but must not close or reopen the one
// being worked on.
void setBusyHook(BusyHook hook, void* context);

// Steps between two calls of the hook.
inline constexpr unsigned kBusyStride = 256;

namespace busy_detail {
extern BusyHook hook;
// Counted with plain loads and stores: a step lost between two threads
// only delays the hook, and no step pays for a locked instruction.
extern std::atomic<unsigned> steps;
void callHook();
}  // namespace busy_detail

// One step of a long pass: every kBusyStride steps the hook runs. A step
// should cost no more than about a page read, so that the hook runs at least
// every few milliseconds. The hook is never re-entered.
inline void busyStep() {
    if (busy_detail::hook == nullptr) return;
    unsigned n = busy_detail::steps.load(std::memory_order_relaxed) + 1;
    busy_detail::steps.store(n, std::memory_order_relaxed);
    if (n >= kBusyStride) busy_detail::callHook();
}

}  // namespace engine
