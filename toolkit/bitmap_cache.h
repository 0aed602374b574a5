// The bookkeeping of shared bitmaps, apart from the platform: the bitmap
// cache (one entry per key with a reference count) and the slots of the
// browse bitmap strip. Handles are kept as numbers; the Win32 side loads
// and frees them. Portable, so that it is tested natively.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/value.h"

namespace toolkit {

// A bitmap and its palette as the platform gave them (0: none).
struct LoadedBitmap {
    uintptr_t hBitmap = 0;
    uintptr_t hPalette = 0;
};

// The bitmap cache: {key, bitmap, count, palette}. Keys are resource names,
// resource numbers or file names; numbers match by value, texts without
// regard to case and with equal length.
class BitmapCache {
public:
    struct Entry {
        runtime::Value key;
        LoadedBitmap bitmap;
        int nCount = 0;
    };
    using Loader = std::function<LoadedBitmap(const runtime::Value& key)>;
    using Freer = std::function<void(const LoadedBitmap&)>;

    // RegBmp: an empty key (nothing, "" or 0) yields 0. A cached key gets
    // one more user; otherwise load() is asked and a non-zero bitmap enters
    // the cache with one user. Returns the bitmap (0 when none) and, in
    // *palette, its palette.
    uintptr_t reg(const runtime::Value& key, const Loader& load, uintptr_t* palette = nullptr);
    // DelBmp: one user less for the entry of that bitmap; the last one
    // frees bitmap and palette and drops the entry. A bitmap the cache does
    // not hold is left alone. Returns whether the cache held it.
    bool del(uintptr_t hBitmap, const Freer& free);
    // The entry of a bitmap, or nullptr.
    const Entry* find(uintptr_t hBitmap) const;
    size_t size() const { return entries_.size(); }
    // Frees every entry whatever its count (program end).
    void clear(const Freer& free);

private:
    std::vector<Entry> entries_;
};

// Whether two cache keys are the same key.
bool sameBitmapKey(const runtime::Value& a, const runtime::Value& b);

// The browse bitmap strip's geometry: 9600 x 25 pixels, 32-pixel slots;
// slot k (from 1) is stored from x = (k - 1) * 32 + 1.
inline constexpr int kStripWidth = 9600;
inline constexpr int kStripHeight = 25;
inline constexpr int kStripSlotWidth = 32;
inline constexpr int kStripSlots = kStripWidth / kStripSlotWidth;  // 300
inline int stripSlotLeft(int k) {
    return (k - 1) * kStripSlotWidth + 1;
}

// A strip slot as XLOADBITMAP returns it and a browse cell holds it.
struct StripSlot {
    int k = 0;  // 0: no slot (the strip is full)
    int width = 0, height = 0;
    friend bool operator==(const StripSlot&, const StripSlot&) = default;
};

// The strip's list of {key as text, width, height}.
class StripSlots {
public:
    // The slot of a key (compared as text, exactly), if recorded.
    std::optional<StripSlot> find(const std::string& key) const;
    // Records the next slot; nullopt when all 300 are taken.
    std::optional<StripSlot> add(const std::string& key, int width, int height);
    size_t size() const { return keys_.size(); }
    void clear() {
        keys_.clear();
        sizes_.clear();
    }

private:
    std::vector<std::string> keys_;
    std::vector<std::pair<int, int>> sizes_;
};

// A key as the strip records it: texts as they are, numbers in decimal.
std::string stripKey(const runtime::Value& key);

// Converts between a strip slot and the three-number array a row block
// yields; a value that is not such an array gives nullopt.
runtime::Value stripSlotValue(const StripSlot& slot);
std::optional<StripSlot> asStripSlot(const runtime::Value& v);

}  // namespace toolkit
