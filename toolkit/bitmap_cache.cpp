// The bitmap cache and the strip's slot list.
#include "toolkit/bitmap_cache.h"

#include <algorithm>

#include "runtime/codepage.h"
#include "runtime/strings.h"

namespace toolkit {
namespace {

bool emptyKey(const runtime::Value& key) {
    if (key.isNil()) return true;
    if (key.isText()) return key.text().empty();
    if (key.isNumber()) return key.num() == 0;
    return true;
}

}  // namespace

bool sameBitmapKey(const runtime::Value& a, const runtime::Value& b) {
    if (a.isNumber() && b.isNumber()) return a.num() == b.num();
    if (a.isText() && b.isText())
        return a.text().size() == b.text().size() &&
               runtime::UPPER(a.text()) == runtime::UPPER(b.text());
    return false;
}

uintptr_t BitmapCache::reg(const runtime::Value& key, const Loader& load, uintptr_t* palette) {
    if (palette) *palette = 0;
    if (emptyKey(key)) return 0;
    for (Entry& e : entries_) {
        if (!sameBitmapKey(e.key, key)) continue;
        ++e.nCount;
        if (palette) *palette = e.bitmap.hPalette;
        return e.bitmap.hBitmap;
    }
    const LoadedBitmap loaded = load(key);
    if (loaded.hBitmap == 0) return 0;
    entries_.push_back(Entry{key, loaded, 1});
    if (palette) *palette = loaded.hPalette;
    return loaded.hBitmap;
}

bool BitmapCache::del(uintptr_t hBitmap, const Freer& free) {
    if (hBitmap == 0) return false;
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.bitmap.hBitmap == hBitmap; });
    if (it == entries_.end()) return false;
    if (--it->nCount <= 0) {
        const LoadedBitmap gone = it->bitmap;
        entries_.erase(it);
        free(gone);
    }
    return true;
}

const BitmapCache::Entry* BitmapCache::find(uintptr_t hBitmap) const {
    for (const Entry& e : entries_)
        if (e.bitmap.hBitmap == hBitmap) return &e;
    return nullptr;
}

void BitmapCache::clear(const Freer& free) {
    std::vector<Entry> gone = std::move(entries_);
    entries_.clear();
    for (const Entry& e : gone) free(e.bitmap);
}

std::optional<StripSlot> StripSlots::find(const std::string& key) const {
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key)
            return StripSlot{static_cast<int>(i + 1), sizes_[i].first, sizes_[i].second};
    return std::nullopt;
}

std::optional<StripSlot> StripSlots::add(const std::string& key, int width, int height) {
    if (keys_.size() >= static_cast<size_t>(kStripSlots)) return std::nullopt;
    keys_.push_back(key);
    sizes_.emplace_back(width, height);
    return StripSlot{static_cast<int>(keys_.size()), width, height};
}

std::string stripKey(const runtime::Value& key) {
    if (key.isText()) return key.text();
    if (key.isNumber()) return runtime::ALLTRIM(runtime::STR(key.num(), 10, 0));
    return runtime::CVALTOCHAR(key);
}

runtime::Value stripSlotValue(const StripSlot& slot) {
    return runtime::Value::newArray(
        {runtime::Value(slot.k), runtime::Value(slot.width), runtime::Value(slot.height)});
}

std::optional<StripSlot> asStripSlot(const runtime::Value& v) {
    if (!v.isArray() || !v.array() || v.array()->size() != 3) return std::nullopt;
    const runtime::Array& a = *v.array();
    for (const runtime::Value& n : a)
        if (!n.isNumber()) return std::nullopt;
    return StripSlot{static_cast<int>(a[0].num()), static_cast<int>(a[1].num()),
                     static_cast<int>(a[2].num())};
}

}  // namespace toolkit
