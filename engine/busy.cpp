#include "engine/busy.h"

namespace engine {

namespace busy_detail {

BusyHook hook = nullptr;
unsigned steps = 0;

namespace {

void* context = nullptr;
bool inHook = false;

}  // namespace

void callHook() {
    steps = 0;
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
    busy_detail::steps = 0;
}

}  // namespace engine
