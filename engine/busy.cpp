#include "engine/busy.h"

namespace engine {
namespace {

struct BusyState {
    BusyHook hook = nullptr;
    void* context = nullptr;
    unsigned steps = 0;
    bool inHook = false;
};

thread_local BusyState busyState;

}  // namespace

void setBusyHook(BusyHook hook, void* context) {
    busyState.hook = hook;
    busyState.context = context;
    busyState.steps = 0;
}

void busyStep() {
    BusyState& s = busyState;
    if (s.hook == nullptr || s.inHook || ++s.steps < kBusyStride) return;
    s.steps = 0;
    struct InHook {
        bool& flag;
        explicit InHook(bool& f) : flag(f) { flag = true; }
        ~InHook() { flag = false; }
    } guard(s.inHook);
    s.hook(s.context);
}

}  // namespace engine
