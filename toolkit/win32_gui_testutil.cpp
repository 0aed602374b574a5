// Helpers of the toolkit's window tests.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "toolkit/gui_testutil.h"
#include "toolkit/win_handles.h"

namespace toolkit::test {
namespace {

struct PendingAction {
    std::string title;
    std::function<void(HWND)> action;
    DWORD deadline = 0;
    UINT_PTR timer = 0;
};

std::unique_ptr<PendingAction>& pendingAction() {
    static std::unique_ptr<PendingAction> p;
    return p;
}

void CALLBACK pollForWindow(HWND, UINT, UINT_PTR, DWORD) {
    auto& pending = pendingAction();
    if (!pending) return;
    HWND h = FindWindowA(nullptr, pending->title.c_str());
    const bool expired = GetTickCount() - pending->deadline < 0x80000000u;
    if ((h && IsWindowVisible(h)) || expired) {
        KillTimer(nullptr, pending->timer);
        std::unique_ptr<PendingAction> taken = std::move(pending);
        if (h && IsWindowVisible(h)) taken->action(h);
    }
}

// Converts a Windows path of the build ("Z:\\...") to the Unix path that a
// Unix program started by Wine understands; other paths are kept.
std::string unixPath(std::string path) {
    if (path.size() > 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':')
        path = path.substr(2);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

// The Windows name of a Unix path under Wine (drive Z: is the root).
std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

}  // namespace

ErrorRecorder::ErrorRecorder()
    : previous_(runtime::ERRORBLOCK(runtime::Block([this](std::span<const runtime::Value> args) {
          if (!args.empty() && args[0].isObject()) {
              if (onError) onError(args[0].object());
              errors.push_back(args[0].object());
          }
          return runtime::Value(false);
      }))) {}

ErrorRecorder::~ErrorRecorder() {
    runtime::ERRORBLOCK(previous_);
}

runtime::Value ErrorRecorder::field(size_t n, const char* name) const {
    return n < errors.size() ? errors[n]->get(name) : runtime::Value();
}

void whenWindowShows(const std::string& title, std::function<void(HWND)> action,
                     unsigned timeoutMs) {
    auto pending = std::make_unique<PendingAction>();
    pending->title = title;
    pending->action = std::move(action);
    pending->deadline = GetTickCount() + timeoutMs;
    pending->timer = SetTimer(nullptr, 0, 50, pollForWindow);
    pendingAction() = std::move(pending);
}

void pumpFor(unsigned ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - end >= 0x80000000u);
}

COLORREF clientPixel(HWND hWnd, int x, int y) {
    WindowDC dc(hWnd);
    return GetPixel(dc.get(), x, y);
}

ClientImage clientImage(HWND hWnd) {
    ClientImage image;
    RECT r{};
    GetClientRect(hWnd, &r);
    image.width = r.right;
    image.height = r.bottom;
    if (image.width <= 0 || image.height <= 0) return image;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    WindowDC screen(hWnd);
    MemoryDC memory(screen.get());
    GdiObject dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory.get() || !dib.get() || !bits) {
        image.width = image.height = 0;
        return image;
    }
    SelectedObject selected(memory.get(), dib.get());
    BitBlt(memory.get(), 0, 0, image.width, image.height, screen.get(), 0, 0, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    image.pixels.reserve(static_cast<size_t>(image.width * image.height));
    for (int i = 0; i < image.width * image.height; ++i) {
        const uint32_t bgra = p[i];  // 0x00RRGGBB in memory order B, G, R
        image.pixels.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
    }
    return image;
}

int ClientImage::countOther(RECT r, std::initializer_list<COLORREF> colours) const {
    int n = 0;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, height); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, width); ++x) {
            const COLORREF c = at(x, y);
            if (std::find(colours.begin(), colours.end(), c) == colours.end()) ++n;
        }
    return n;
}

int ClientImage::count(RECT r, COLORREF colour) const {
    int n = 0;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, height); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, width); ++x)
            if (at(x, y) == colour) ++n;
    return n;
}

namespace {

// Runs an ImageMagick command that writes the picture `file` (a Unix path)
// and waits until it is there. The command writes it under another name and
// renames it when complete, so that its appearance tells that ImageMagick is
// done: Wine gives no handle to wait on for a Unix program.
std::string runImageMagick(const std::string& makePart, const std::string& file) {
    const std::string windowsFile = windowsPath(file);
    std::string command = "/bin/sh -c \"" + makePart + " " + file + ".part.png && mv " + file +
                          ".part.png " + file + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return "";
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    // Starting a process makes Wine expose our windows again: keep
    // answering paints while the picture is taken, or it shows them blank.
    for (int waited = 0; waited < 20000; waited += 20) {
        if (GetFileAttributesA(windowsFile.c_str()) != INVALID_FILE_ATTRIBUTES) return file;
        pumpFor(20);
    }
    return "";
}

std::string screenshotFile(const std::string& name) {
    const char* dir = std::getenv("SCREENSHOT_DIR");
    if (!dir || !*dir) return "";
    const std::string file = unixPath(dir) + "/" + name + ".png";
    DeleteFileA(windowsPath(file).c_str());
    return file;
}

}  // namespace

std::string saveScreenshot(HWND hWnd, const std::string& name) {
    const std::string file = screenshotFile(name);
    if (file.empty() || !hWnd) return "";
    RedrawWindow(hWnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pumpFor(300);  // let Wine hand the window's pixels to the X server
    RECT r{};
    GetWindowRect(hWnd, &r);
    return runImageMagick("/usr/bin/import -window root -crop " + std::to_string(r.right - r.left) +
                              "x" + std::to_string(r.bottom - r.top) + "+" +
                              std::to_string(r.left) + "+" + std::to_string(r.top) + " +repage",
                          file);
}

std::string saveImage(const ClientImage& image, const std::string& name) {
    const std::string file = screenshotFile(name);
    if (file.empty() || image.width <= 0 || image.height <= 0) return "";
    // A plain PPM for ImageMagick to turn into the PNG.
    const std::string ppm = file + ".ppm";
    std::string bytes =
        "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    for (COLORREF c : image.pixels) {
        bytes += static_cast<char>(GetRValue(c));
        bytes += static_cast<char>(GetGValue(c));
        bytes += static_cast<char>(GetBValue(c));
    }
    HANDLE h = CreateFileA(windowsPath(ppm).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "";
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != bytes.size()) return "";
    std::string out = runImageMagick("/usr/bin/convert " + ppm, file);
    DeleteFileA(windowsPath(ppm).c_str());
    return out;
}

RECT rectIn(HWND hWnd, HWND hWndParent) {
    RECT r{};
    GetWindowRect(hWnd, &r);
    MapWindowPoints(nullptr, hWndParent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<HWND> childrenOfClass(HWND hWnd, const char* className) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(hWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, className) == 0) out.push_back(c);
    }
    return out;
}

std::string windowText(HWND hWnd) {
    char text[512] = {};
    GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

}  // namespace toolkit::test
