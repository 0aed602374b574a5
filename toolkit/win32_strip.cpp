// The browse bitmap strip, the release of graphic objects and the resource
// tracker.
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/strip.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

struct Strip {
    GdiObject bitmap;
    StripSlots slots;
};

Strip& strip() {
    static Strip s;
    return s;
}

struct Tracker {
    bool on = false;
    std::vector<HGDIOBJ> objects;
};

Tracker& tracker() {
    static Tracker t;
    return t;
}

// The key whose picture goes into the strip unchanged.
constexpr const char* kUnmaskedKey = "BMPNOCHK";

}  // namespace

bool stripExists() {
    return strip().bitmap.get() != nullptr;
}

HBITMAP stripBitmap() {
    Strip& s = strip();
    if (!s.bitmap.get()) {
        WindowDC screen(nullptr);
        s.bitmap.reset(CreateCompatibleBitmap(screen.get(), kStripWidth, kStripHeight));
        MemoryDC dc(screen.get());
        SelectedObject selected(dc.get(), s.bitmap.get());
        const RECT all{0, 0, kStripWidth, kStripHeight};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        s.slots.clear();
    }
    return static_cast<HBITMAP>(s.bitmap.get());
}

StripSlot XLOADBITMAP(HINSTANCE, const runtime::Value& key) {
    const HBITMAP target = stripBitmap();
    Strip& s = strip();
    const std::string text = stripKey(key);
    if (auto found = s.slots.find(text)) return *found;
    GdiObject loaded(loadBitmapByKey(key));
    const SIZE size = bitmapSize(static_cast<HBITMAP>(loaded.get()));
    const auto slot = s.slots.add(text, size.cx, size.cy);
    if (!slot) return StripSlot{};
    if (loaded.get()) {
        WindowDC screen(nullptr);
        MemoryDC dc(screen.get());
        SelectedObject selected(dc.get(), target);
        const HBITMAP picture = static_cast<HBITMAP>(loaded.get());
        if (text == kUnmaskedKey)
            DRAWBITMAP(dc.get(), picture, 0, stripSlotLeft(slot->k));
        else
            DRAWMASKED(dc.get(), picture, 0, stripSlotLeft(slot->k));
    }
    return *slot;
}

void DELBMPBRW() {
    strip().bitmap.reset();
    strip().slots.clear();
}

bool DELETEOBJECT(const runtime::Value& h) {
    if (!h.isNumber() || h.num() == 0) return false;
    const auto object = reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(h.num()));
    if (GetObjectType(object) == 0) return false;
    return DeleteObject(object) != 0;
}

bool setResourceTracking(bool on) {
    return std::exchange(tracker().on, on);
}

void trackResource(HGDIOBJ h) {
    if (tracker().on && h) tracker().objects.push_back(h);
}

void RESALLFREE() {
    std::vector<HGDIOBJ> objects = std::move(tracker().objects);
    tracker().objects.clear();
    for (HGDIOBJ h : objects)
        if (GetObjectType(h) != 0) DeleteObject(h);
}

void XRESALLFREE() {
    RESALLFREE();
    DELBMPBRW();
}

}  // namespace toolkit
