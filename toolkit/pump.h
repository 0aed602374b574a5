// The message pump SYSREFRESH, which keeps the windows alive while long work
// runs on the one GUI thread, and the state it consults: the registry of
// modeless dialogs, the process-wide accelerator table, the last key, and
// whether a main window loop runs.
#pragma once

#include <windows.h>

#include <cstdint>

namespace toolkit {

// SYSREFRESH(): takes every pending message without waiting and dispatches
// it (registered modeless dialogs first, then accelerators for the main
// window, then translate and dispatch). Returns true when the queue was
// emptied, false when it met WM_QUIT, which is posted again only when a
// main window loop runs. Any handler may run inside it.
bool SYSREFRESH();

// The character of the last WM_CHAR the pump saw.
uint16_t LASTKEY();

// The process-wide accelerator table (none at start); returns the old one.
HACCEL setAccelerators(HACCEL hAccel);

// Whether the application's main window loop is running (never in this
// program); a loop that runs one sets it. Returns the old value.
bool setMainLoopRunning(bool running);
bool mainLoopRunning();

// The application's main window handle (the product's OWND), or null.
HWND mainWindowHandle();

// The modeless dialog registry: REGDIALOG takes the first free of 200 slots
// (false when all are taken), CANREGDIALOG tells whether one is free,
// DEREGDIALOG frees the dialog's slot.
bool REGDIALOG(HWND hWnd);
bool CANREGDIALOG();
void DEREGDIALOG(HWND hWnd);

}  // namespace toolkit
