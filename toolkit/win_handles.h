// Scope guards for the Win32 acquire/release pairs the toolkit uses. Each
// owns exactly one thing, cannot be copied, and releases it once.
#pragma once

#include <windows.h>

#include <utility>

namespace toolkit {

// Owns one handle and releases it once with Release. Move-only.
template <class Handle, BOOL(WINAPI* Release)(Handle)>
class OwnedHandle {
public:
    explicit OwnedHandle(Handle h = nullptr) : h_(h) {}
    OwnedHandle(OwnedHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { reset(); }

    Handle get() const { return h_; }
    // Gives up ownership without releasing.
    Handle release() { return std::exchange(h_, nullptr); }
    void reset(Handle h = nullptr) {
        if (h_) Release(h_);
        h_ = h;
    }

private:
    Handle h_;
};

// One GDI object (font, brush, pen, bitmap), deleted once.
using GdiObject = OwnedHandle<HGDIOBJ, DeleteObject>;

// An icon made for us (CopyIcon, LoadImage without LR_SHARED, ExtractIcon),
// destroyed once. Shared icons (LoadIcon) must not be put in one.
using OwnedIcon = OwnedHandle<HICON, DestroyIcon>;

// Selects an object into a DC and selects the previous one back on exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// GetDC / ReleaseDC of one window (nullptr: the screen).
class WindowDC {
public:
    explicit WindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// CreateCompatibleDC / DeleteDC: a memory DC compatible with another
// (nullptr: the screen), deleted once. Declare it before the SelectedObject
// guards over it, so that they put their selections back before it goes.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A window timer, killed on exit unless killed before.
class WindowTimer {
public:
    WindowTimer() = default;
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    ~WindowTimer() { kill(); }
    bool start(HWND wnd, UINT_PTR id, UINT ms) {
        kill();
        if (!SetTimer(wnd, id, ms, nullptr)) return false;
        wnd_ = wnd;
        id_ = id;
        return true;
    }
    void kill() {
        if (wnd_) KillTimer(wnd_, id_);
        wnd_ = nullptr;
    }
    bool running() const { return wnd_ != nullptr; }

private:
    HWND wnd_ = nullptr;
    UINT_PTR id_ = 0;
};

}  // namespace toolkit
