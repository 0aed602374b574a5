// Helpers of the toolkit's window tests: recording the toolkit's errors,
// acting on a modal window once it is on the screen, reading its pixels and
// saving screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/error.h"
#include "runtime/value.h"

namespace toolkit::test {

// Installs an error block that records every error it is handed (and runs
// onError first, when set), answering false; puts the old block back.
class ErrorRecorder {
public:
    ErrorRecorder();
    ~ErrorRecorder();
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;

    std::vector<runtime::ObjectPtr> errors;
    std::function<void(const runtime::ObjectPtr&)> onError;

    // The field of the n-th error recorded.
    runtime::Value field(size_t n, const char* name) const;

private:
    runtime::Block previous_;
};

// Runs action(hWnd) once, from the message loop that is running, as soon as
// a visible top-level window with that title exists. Give up after
// timeoutMs (the window is then closed by the test's own means).
void whenWindowShows(const std::string& title, std::function<void(HWND)> action,
                     unsigned timeoutMs = 10000);

// Dispatches pending messages for about ms milliseconds.
void pumpFor(unsigned ms);

// The colour of a pixel of the window's client area, as painted.
COLORREF clientPixel(HWND hWnd, int x, int y);

// The client area of a window as painted, read in one copy.
struct ClientImage {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;  // row by row from the top
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    // How many pixels of the rectangle (right and bottom exclusive) are
    // not one of the colours given.
    int countOther(RECT r, std::initializer_list<COLORREF> colours) const;
    int count(RECT r, COLORREF colour) const;
};
ClientImage clientImage(HWND hWnd);

// Saves the window (with its frame) as SCREENSHOT_DIR/<name>.png with
// ImageMagick, once its paints reached the display. Does nothing without
// SCREENSHOT_DIR. Returns the file written, or "".
std::string saveScreenshot(HWND hWnd, const std::string& name);
// Saves a client area read before (clientImage) the same way: the picture a
// test checked, even when the window is gone by now.
std::string saveImage(const ClientImage& image, const std::string& name);

// A window's rectangle in the client coordinates of another.
RECT rectIn(HWND hWnd, HWND hWndParent);

// The child windows of a window of one class (e.g. "Button"), in window order.
std::vector<HWND> childrenOfClass(HWND hWnd, const char* className);

std::string windowText(HWND hWnd);

}  // namespace toolkit::test
