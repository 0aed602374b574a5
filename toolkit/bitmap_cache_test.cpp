// The bitmap cache's counts and shared handles, and the strip's slots.
#include "toolkit/bitmap_cache.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

using runtime::Value;

// A loader that hands out numbered bitmaps and counts its loads; a freer
// that records what it freed.
struct FakePlatform {
    int loads = 0;
    std::vector<uintptr_t> freed;
    BitmapCache::Loader loader(uintptr_t fail = 0) {
        return [this, fail](const Value&) {
            ++loads;
            const uintptr_t h = 100 + static_cast<uintptr_t>(loads);
            return LoadedBitmap{h == fail ? 0 : h, h == fail ? 0 : h + 1000};
        };
    }
    BitmapCache::Freer freer() {
        return [this](const LoadedBitmap& b) {
            freed.push_back(b.hBitmap);
            freed.push_back(b.hPalette);
        };
    }
};

TEST(BitmapCacheTest, SameKeySharesOneHandleFreedByItsLastUser) {
    BitmapCache cache;
    FakePlatform p;
    const uintptr_t a = cache.reg(Value("ACTUA0"), p.loader());
    const uintptr_t b = cache.reg(Value("actua0"), p.loader());  // any case
    EXPECT_EQ(a, b);
    EXPECT_EQ(p.loads, 1);
    EXPECT_EQ(cache.find(a)->nCount, 2);
    EXPECT_TRUE(cache.del(a, p.freer()));
    EXPECT_TRUE(p.freed.empty()) << "one user is left";
    EXPECT_TRUE(cache.del(a, p.freer()));
    EXPECT_EQ(p.freed, (std::vector<uintptr_t>{a, a + 1000})) << "bitmap and palette";
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_FALSE(cache.del(a, p.freer())) << "a bitmap the cache no longer holds";
}

TEST(BitmapCacheTest, ReleasingThenTakingTheSameFrameKeepsOneEntryWithOneUser) {
    BitmapCache cache;
    FakePlatform p;
    uintptr_t h = cache.reg(Value("ACTUA3"), p.loader());
    cache.del(h, p.freer());
    h = cache.reg(Value("ACTUA3"), p.loader());
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_EQ(cache.find(h)->nCount, 1);
    EXPECT_EQ(p.loads, 2);
}

TEST(BitmapCacheTest, KeysMatchByTypeValueAndLength) {
    EXPECT_TRUE(sameBitmapKey(Value(12), Value(12.0)));
    EXPECT_FALSE(sameBitmapKey(Value(12), Value("12")));
    EXPECT_FALSE(sameBitmapKey(Value("ACTUA1"), Value("ACTUA10")));
    EXPECT_TRUE(sameBitmapKey(Value("logo.bmp"), Value("LOGO.BMP")));
}

TEST(BitmapCacheTest, EmptyKeysAndFailedLoadsAreNotCached) {
    BitmapCache cache;
    FakePlatform p;
    EXPECT_EQ(cache.reg(Value(""), p.loader()), 0u);
    EXPECT_EQ(cache.reg(Value(0), p.loader()), 0u);
    EXPECT_EQ(cache.reg(Value(), p.loader()), 0u);
    EXPECT_EQ(p.loads, 0);
    EXPECT_EQ(cache.reg(Value("MISSING"), p.loader(101)), 0u);
    EXPECT_EQ(cache.size(), 0u);
}

TEST(StripSlotsTest, SlotsAreNumberedFromOneAndFoundAgainByExactText) {
    StripSlots slots;
    EXPECT_EQ(*slots.add("BMPNOACT", 14, 14), (StripSlot{1, 14, 14}));
    EXPECT_EQ(*slots.add("BMPSIACT", 16, 14), (StripSlot{2, 16, 14}));
    EXPECT_EQ(*slots.find("BMPSIACT"), (StripSlot{2, 16, 14}));
    EXPECT_FALSE(slots.find("bmpsiact")) << "compared as text, exactly";
    EXPECT_EQ(stripSlotLeft(1), 1);
    EXPECT_EQ(stripSlotLeft(2), 33);
    EXPECT_EQ(stripKey(Value(1301)), "1301");
}

TEST(StripSlotsTest, ThreeHundredSlotsFillTheStripAndNoMore) {
    StripSlots slots;
    for (int i = 0; i < kStripSlots; ++i) ASSERT_TRUE(slots.add("K" + std::to_string(i), 8, 8));
    EXPECT_EQ(stripSlotLeft(kStripSlots) + kStripSlotWidth - 1, kStripWidth);
    EXPECT_FALSE(slots.add("ONE_MORE", 8, 8));
    EXPECT_EQ(slots.size(), static_cast<size_t>(kStripSlots));
}

TEST(StripSlotsTest, ASlotTravelsAsAThreeNumberArray) {
    const Value v = stripSlotValue(StripSlot{3, 16, 14});
    EXPECT_EQ(*asStripSlot(v), (StripSlot{3, 16, 14}));
    EXPECT_FALSE(asStripSlot(Value("texto")));
    EXPECT_FALSE(asStripSlot(Value::newArray({Value(1), Value("x"), Value(2)})));
    EXPECT_FALSE(asStripSlot(Value::newArray({Value(1), Value(2)})));
}

}  // namespace
}  // namespace toolkit
