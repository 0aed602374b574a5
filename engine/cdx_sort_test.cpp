// The radix ordering of a tag's keys against a plain comparison sort by key
// bytes then position, over lists built to tie: few distinct bytes, shared
// prefixes longer than one radix word, keys of every length around the
// word boundaries, and range sizes on both sides of the switch to
// comparisons.
#include "engine/cdx_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <string>

namespace engine {
namespace {

std::vector<uint32_t> comparisonOrder(const std::string& keys, size_t kl, size_t n) {
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        int c = std::memcmp(keys.data() + a * kl, keys.data() + b * kl, kl);
        return c != 0 ? c < 0 : a < b;
    });
    return order;
}

// n keys of kl bytes: a prefix shared by all (`common` bytes), then bytes
// drawn from `alphabet`, the high bytes included so that they must sort as
// unsigned.
std::string randomKeys(std::mt19937& rng, size_t n, size_t kl, size_t common,
                       const std::string& alphabet) {
    std::string keys;
    keys.reserve(n * kl);
    for (size_t i = 0; i < n; ++i)
        for (size_t b = 0; b < kl; ++b)
            keys += b < common ? char('P') : alphabet[rng() % alphabet.size()];
    return keys;
}

TEST(CdxSortTest, RadixOrderIsKeyBytesThenPositionForManyTies) {
    std::mt19937 rng(20261208);
    const std::string twoBytes("\x20\xE9", 2), digits = " 0123456789", allBytes = [] {
        std::string s;
        for (int c = 0; c < 256; ++c) s += char(c);
        return s;
    }();
    for (size_t kl : {1u, 4u, 7u, 8u, 9u, 15u, 16u, 17u, 20u, 40u, 240u}) {
        for (size_t n : {0u, 1u, 2u, 255u, 256u, 257u, 3000u, 40000u}) {
            if (kl == 240 && n > 3000) continue;
            for (const std::string* alphabet : {&twoBytes, &digits, &allBytes}) {
                for (size_t common : {size_t(0), kl / 2, kl - 1}) {
                    SCOPED_TRACE("kl " + std::to_string(kl) + " n " + std::to_string(n) +
                                 " alphabet " + std::to_string(alphabet->size()) + " common " +
                                 std::to_string(common));
                    std::string keys = randomKeys(rng, n, kl, common, *alphabet);
                    std::vector<uint32_t> order;
                    cdxSortKeys(keys.data(), kl, n, &order);
                    ASSERT_EQ(order, comparisonOrder(keys, kl, n));
                }
            }
        }
    }
}

// Already ordered lists (a counter, equal keys, a descending run) take the
// shortcuts; they must still come out in the same order.
TEST(CdxSortTest, OrderedEqualAndReversedListsComeOutAsTheComparisonSortsThem) {
    const size_t n = 20000, kl = 12;
    std::string ascending, equal(n * kl, 'A'), reversed;
    for (size_t i = 0; i < n; ++i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%12zu", i / 3);  // every value three times
        ascending.append(buf, kl);
        std::snprintf(buf, sizeof buf, "%12zu", (n - i) / 5);
        reversed.append(buf, kl);
    }
    for (const std::string* keys : {&ascending, &equal, &reversed}) {
        std::vector<uint32_t> order;
        cdxSortKeys(keys->data(), kl, n, &order);
        EXPECT_EQ(order, comparisonOrder(*keys, kl, n));
    }
}

}  // namespace
}  // namespace engine
