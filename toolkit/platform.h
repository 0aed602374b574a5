// Small platform services of the toolkit: the wait cursor, the tick count,
// centring a window, and whether a modal loop runs.
#pragma once

#include <windows.h>

#include <cstdint>

namespace toolkit {

// CURSORWAIT(): the wait cursor, until the cursor is next set.
void CURSORWAIT();

// GETTICKCOUNT(): milliseconds since system start as a signed 32-bit number
// (negative after 2^31 ms, wrapping at 2^32).
int32_t GETTICKCOUNT();

// WNDCENTER(hWnd, hWndOver): moves hWnd so that it is centred over
// hWndOver, or over the desktop when that is null:
// x = over.left + over.width / 2 - width / 2, and likewise y.
void WNDCENTER(HWND hWnd, HWND hWndOver = nullptr);

// LWRUNNING(): true while a modal dialog or the main window loop runs.
bool LWRUNNING();

}  // namespace toolkit
