// Tests of the byte-order loads and stores: both orders, at unaligned
// positions, with the top bit set, and without touching neighbouring bytes.
#include "engine/byte_order.h"

#include <gtest/gtest.h>

#include <array>

namespace engine {
namespace {

TEST(ByteOrderTest, LoadsAndStoresBothOrdersAtOddPositions) {
    std::array<uint8_t, 12> b{};
    b.fill(0xAA);
    putU32le(b.data() + 1, 0x80C1E2F3u);
    EXPECT_EQ(b[0], 0xAA);
    EXPECT_EQ(b[1], 0xF3);
    EXPECT_EQ(b[4], 0x80);
    EXPECT_EQ(b[5], 0xAA);
    EXPECT_EQ(getU32le(b.data() + 1), 0x80C1E2F3u);
    putU32be(b.data() + 5, 0x80C1E2F3u);
    EXPECT_EQ(b[5], 0x80);
    EXPECT_EQ(b[8], 0xF3);
    EXPECT_EQ(getU32be(b.data() + 5), 0x80C1E2F3u);
    EXPECT_EQ(getU32le(b.data() + 5), 0xF3E2C180u);
    putU16le(b.data() + 9, 0xFE01);
    EXPECT_EQ(getU16le(b.data() + 9), 0xFE01);
    EXPECT_EQ(getU16be(b.data() + 9), 0x01FE);
    putU16be(b.data() + 9, 0xFE01);
    EXPECT_EQ(b[9], 0xFE);
    EXPECT_EQ(b[11], 0xAA);
    putU64le(b.data() + 3, 0x8877665544332211ull);
    EXPECT_EQ(getU64le(b.data() + 3), 0x8877665544332211ull);
    EXPECT_EQ(b[3], 0x11);
    EXPECT_EQ(b[10], 0x88);
    EXPECT_EQ(b[2], 0xE2);  // still the first store's byte
    EXPECT_EQ(b[11], 0xAA);
}

}  // namespace
}  // namespace engine
