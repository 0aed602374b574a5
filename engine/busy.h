// Long passes inside one engine call (checking an index as its table opens,
// sorting and writing a tag's keys, releasing and writing pages) say every so
// often that they are still working. A program with a window installs a hook
// here to keep answering its messages while such a call lasts; without a hook
// the steps cost one counter increment.
#pragma once

namespace engine {

using BusyHook = void (*)(void* context);

// Installs `hook` (nullptr removes it) for this thread. The hook may read
// other open tables but must not close or reopen the one being worked on.
void setBusyHook(BusyHook hook, void* context);

// One step of a long pass: every kBusyStride steps the hook runs. A step
// should cost no more than about a page read, so that the hook runs at least
// every few milliseconds. The hook is never re-entered.
void busyStep();

// Steps between two calls of the hook.
inline constexpr unsigned kBusyStride = 256;

}  // namespace engine
