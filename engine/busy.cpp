#include "engine/busy.h"

#include <thread>

namespace engine {

namespace busy_detail {

BusyHook hook = nullptr;
std::atomic<unsigned> steps{0};

namespace {

void* context = nullptr;
bool inHook = false;
std::thread::id hookThread;  // the thread that installed the hook

}  // namespace

void callHook() {
    if (std::this_thread::get_id() != hookThread) return;
    steps.store(0, std::memory_order_relaxed);
    if (inHook) return;
    struct InHook {
        InHook() { inHook = true; }
        ~InHook() { inHook = false; }
    } guard;
    hook(context);
}

}  // namespace busy_detail

void setBusyHook(BusyHook hook, void* context) {
    busy_detail::hook = hook;
    busy_detail::context = context;
    busy_detail::hookThread = std::this_thread::get_id();
    busy_detail::steps.store(0, std::memory_order_relaxed);
}

}  // namespace engine
