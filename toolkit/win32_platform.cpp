// Wait cursor, tick count, centring, modal-loop flag.
#include "errors/error_handler.h"
#include "os/clock.h"
#include "toolkit/platform.h"

namespace toolkit {

void CURSORWAIT() {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
}

int32_t GETTICKCOUNT() {
    return os::tickCount();
}

void WNDCENTER(HWND hWnd, HWND hWndOver) {
    if (!hWnd) return;
    RECT r{}, over{};
    GetWindowRect(hWnd, &r);
    GetWindowRect(hWndOver ? hWndOver : GetDesktopWindow(), &over);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    POINT p{over.left + (over.right - over.left) / 2 - width / 2,
            over.top + (over.bottom - over.top) / 2 - height / 2};
    // A child window is placed in its parent's client coordinates.
    if ((GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD) != 0) ScreenToClient(GetParent(hWnd), &p);
    SetWindowPos(hWnd, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool LWRUNNING() {
    return errors::LWRUNNING();
}

}  // namespace toolkit
