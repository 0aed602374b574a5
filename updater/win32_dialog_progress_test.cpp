// The progress dialog as the storage engine's busy hook: an error that a
// message handler raises while an engine call is in the middle of its work
// is held until that call has returned, and raised by the next pump.
#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <stdexcept>

#include "engine/busy.h"
#include "toolkit/procedure_guard.h"
#include "updater/dialog_progress.h"

namespace updater {
namespace {

// What the engine does while the hook is set: steps enough for several
// calls of the hook.
void engineWork() {
    for (unsigned i = 0; i < 4 * engine::kBusyStride; ++i) engine::busyStep();
}

TEST(DialogProgressTest, AnErrorRaisedWhileTheEngineWorksWaitsForTheNextPump) {
    DialogProgress progress;
    engine::setBusyHook(&DialogProgress::busyPump, &progress);
    // A handler ended with an error: the pump raises it after the message
    // that carried it.
    toolkit::deferTransfer(std::make_exception_ptr(std::runtime_error("handler failed")));
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    EXPECT_NO_THROW(engineWork());
    EXPECT_EQ(progress.pumpsDone(), 1) << "the hook did not pump";
    engineWork();  // held: no more pumps until it is raised
    EXPECT_EQ(progress.pumpsDone(), 1);
    engine::setBusyHook(nullptr, nullptr);
    EXPECT_THROW(progress.pump(), std::runtime_error);
    EXPECT_NO_THROW(progress.pump());
}

}  // namespace
}  // namespace updater
