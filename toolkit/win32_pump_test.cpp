// SYSREFRESH: an empty queue, WM_QUIT with and without a main loop, a
// registered modeless dialog, and the last key.
#include <gtest/gtest.h>

#include "resources/toolkit_test_ids.h"
#include "runtime/alert.h"
#include "toolkit/dialog.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/pump.h"

namespace toolkit {
namespace {

using runtime::Value;

bool quitWaiting() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST(PumpTest, EmptyQueueReturnsTrue) {
    test::pumpFor(20);
    EXPECT_TRUE(SYSREFRESH());
}

TEST(PumpTest, QuitStopsThePumpAndIsPostedAgainOnlyForAMainLoop) {
    PostQuitMessage(3);
    EXPECT_FALSE(SYSREFRESH());
    EXPECT_FALSE(quitWaiting()) << "no main loop runs: the quit is consumed";

    const bool before = setMainLoopRunning(true);
    PostQuitMessage(3);
    EXPECT_FALSE(SYSREFRESH());
    EXPECT_TRUE(quitWaiting()) << "the main loop must see it";
    setMainLoopRunning(before);
}

TEST(PumpTest, LastKeyIsTheCharacterOfTheLastWmChar) {
    PostThreadMessageA(GetCurrentThreadId(), WM_CHAR, 'q', 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_CHAR, 0x100F1, 0);  // high bits dropped
    EXPECT_TRUE(SYSREFRESH());
    EXPECT_EQ(LASTKEY(), 0x00F1);
}

TEST(PumpTest, AcceleratorTableIsDetachedWhileThePumpRuns) {
    ACCEL accel{FVIRTKEY, 'A', 1};
    HACCEL table = CreateAcceleratorTableA(&accel, 1);
    setAccelerators(table);
    EXPECT_TRUE(SYSREFRESH());
    EXPECT_EQ(setAccelerators(nullptr), table) << "put back after the pump";
    DestroyAcceleratorTable(table);
}

// A modeless dialog that records how its Escape arrived.
class RecordingDialog : public TDialog {
public:
    Value Command(WPARAM wParam, LPARAM lParam) override {
        commands.push_back(LOWORD(wParam));
        return TDialog::Command(wParam, lParam);
    }
    Value KeyChar(WPARAM nKey, LPARAM nFlags) override {
        keys.push_back(static_cast<int>(nKey));
        return TDialog::KeyChar(nKey, nFlags);
    }
    std::vector<int> commands;
    std::vector<int> keys;
};

TEST(PumpTest, RegisteredModelessDialogTakesItsMessagesAsDialogMessages) {
    auto dialog = std::make_shared<RecordingDialog>();
    DialogNew args;
    args.cResName = Value(IDD_TK_TEST);
    dialog->initFrom(args);
    DialogActivate activate;
    activate.lModal = false;
    dialog->Activate(activate);
    const HWND h = dialog->hWnd;
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(dialogNesting(), 0) << "a modeless Activate returns at once";
    test::saveScreenshot(h, "modeless");

    PostMessageA(h, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_TRUE(SYSREFRESH());
    // The dialog manager turned Escape into IDCANCEL; no character was made.
    ASSERT_FALSE(dialog->commands.empty());
    EXPECT_EQ(dialog->commands.front(), IDCANCEL);
    EXPECT_TRUE(dialog->keys.empty());
    // End posted WM_CLOSE, which the pump delivered: the window is gone and
    // its registry slot free.
    test::pumpFor(50);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(dialog->hWnd, nullptr);
    EXPECT_EQ(dialog->nResult.numOr(-1), 2);
    EXPECT_TRUE(CANREGDIALOG());
}

TEST(PumpTest, ModelessDialogBeyondTheRegistryIsClosedWithAMessage) {
    // Fill every slot with handles that are no windows.
    std::vector<HWND> fillers;
    for (uintptr_t i = 1; CANREGDIALOG(); ++i) {
        fillers.push_back(reinterpret_cast<HWND>(0x7F000000 + i * 4));
        ASSERT_TRUE(REGDIALOG(fillers.back()));
    }
    EXPECT_EQ(fillers.size(), 200u);
    runtime::RecordingAlertUi alerts;
    runtime::ScopedAlertUi scoped(alerts);
    DialogNew args;
    args.cResName = Value(IDD_TK_TEST);
    auto dialog = TDialog::New(args);
    DialogActivate activate;
    activate.lModal = false;
    dialog->Activate(activate);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message, "Not possible to create more non-modal Dialogs");
    EXPECT_EQ(dialog->hWnd, nullptr) << "the new window was closed";
    for (HWND h : fillers) DEREGDIALOG(h);
    EXPECT_TRUE(SYSREFRESH());
}

}  // namespace
}  // namespace toolkit
