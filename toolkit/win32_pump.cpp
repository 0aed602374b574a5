// SYSREFRESH and the state it consults.
#include <utility>

#include "startup/product_hooks.h"
#include "toolkit/procedure_guard.h"
#include "toolkit/pump.h"
#include "toolkit/window.h"
#include "toolkit/window_tables.h"

namespace toolkit {
namespace {

struct PumpState {
    HACCEL accelerators = nullptr;
    uint16_t lastKey = 0;
    bool mainLoop = false;
    ModelessRegistry<HWND> modeless;
};

PumpState& state() {
    static PumpState s;
    return s;
}

// Detaches the accelerator table while the pump runs and puts it back
// however the pump is left.
class DetachedAccelerators {
public:
    DetachedAccelerators() : saved_(std::exchange(state().accelerators, nullptr)) {}
    ~DetachedAccelerators() { state().accelerators = saved_; }
    DetachedAccelerators(const DetachedAccelerators&) = delete;
    DetachedAccelerators& operator=(const DetachedAccelerators&) = delete;
    HACCEL saved() const { return saved_; }

private:
    HACCEL saved_;
};

void route(MSG& msg, HACCEL accelerators) {
    if (state().modeless.offer([&msg](HWND h) { return IsDialogMessageA(h, &msg) != 0; })) return;
    const HWND main = mainWindowHandle();
    if (accelerators && main && TranslateAcceleratorA(main, accelerators, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

}  // namespace

bool SYSREFRESH() {
    DetachedAccelerators detached;
    MSG msg{};
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            break;
        }
        route(msg, detached.saved());
        if (msg.message == WM_CHAR) state().lastKey = LOWORD(msg.wParam);
        // A handler asked to end the program or leave a protected block:
        // carry it out here, in our own frames.
        rethrowDeferred();
    }
    if (quit && state().mainLoop) PostQuitMessage(static_cast<int>(msg.wParam));
    return !quit;
}

uint16_t LASTKEY() {
    return state().lastKey;
}

HACCEL setAccelerators(HACCEL hAccel) {
    return std::exchange(state().accelerators, hAccel);
}

bool setMainLoopRunning(bool running) {
    return std::exchange(state().mainLoop, running);
}

bool mainLoopRunning() {
    return state().mainLoop;
}

HWND mainWindowHandle() {
    // The product's main window is a toolkit window object, or none.
    const auto* main = static_cast<const TWindow*>(startup::mainWindow());
    return main ? main->hWnd : nullptr;
}

bool REGDIALOG(HWND hWnd) {
    return hWnd && state().modeless.add(hWnd);
}

bool CANREGDIALOG() {
    return state().modeless.canAdd();
}

void DEREGDIALOG(HWND hWnd) {
    state().modeless.remove(hWnd);
}

}  // namespace toolkit
