// Scope guards for the Win32 acquire/release pairs the toolkit uses. Each
// owns exactly one thing, cannot be copied, and releases it once.
#pragma once

#include <windows.h>

#include <utility>

namespace toolkit {

// Owns one GDI object (font, brush, pen, bitmap) and deletes it once.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ h = nullptr) : h_(h) {}
    GdiObject(GdiObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    HGDIOBJ get() const { return h_; }
    // Gives up ownership without deleting.
    HGDIOBJ release() { return std::exchange(h_, nullptr); }
    void reset(HGDIOBJ h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }

private:
    HGDIOBJ h_;
};

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

// Owns an icon handle made for us (CopyIcon, LoadImage without LR_SHARED,
// ExtractIcon) and destroys it once.
class OwnedIcon {
public:
    explicit OwnedIcon(HICON h = nullptr) : h_(h) {}
    OwnedIcon(OwnedIcon&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    OwnedIcon& operator=(OwnedIcon&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;
    ~OwnedIcon() { reset(); }
    HICON get() const { return h_; }
    void reset(HICON h = nullptr) {
        if (h_) DestroyIcon(h_);
        h_ = h;
    }

private:
    HICON h_;
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
