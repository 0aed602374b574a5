// Tests of the CDX page codec and B+-tree: leaf encoding, inserts and
// erases checked against a std::multimap and the tree checker, splits at
// page boundaries, free-page reuse, and damaged nodes.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "engine/cdx_bag.h"
#include "engine/cdx_check.h"
#include "engine/cdx_testutil.h"

namespace engine {
namespace {

using test::MemTable;
using test::TempDir;

// The leaf worked out in cdx_page.h: keys "ADAMS", "SMITH",
// "SMITH", "SMITHSON" with R=16, D=4, T=4, E=3.
std::vector<uint8_t> workedExampleLeaf() {
    std::vector<uint8_t> page(512, 0);
    const uint8_t head[] = {0x03, 0x00, 0x04, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                            0xCF, 0x01, 0xFF, 0xFF, 0x00, 0x00, 0x0F, 0x0F, 0x10, 0x04, 0x04, 0x03,
                            0x03, 0x00, 0x30, 0x01, 0x00, 0x30, 0x04, 0x00, 0x35, 0x02, 0x00, 0x05};
    std::copy(std::begin(head), std::end(head), page.begin());
    const std::string tails = "SONSMITHADAMS";
    std::copy(tails.begin(), tails.end(), page.begin() + 512 - static_cast<long>(tails.size()));
    return page;
}

TEST(CdxPageTest, DecodesTheWorkedExampleAndRoundTrips) {
    std::vector<uint8_t> page = workedExampleLeaf();
    CdxNode n;
    ASSERT_EQ(decodeCdxNode(page.data(), 1024, 8, ' ', 4096, &n), kOk);
    ASSERT_EQ(n.count(), 4u);
    EXPECT_TRUE(n.leaf && n.root);
    EXPECT_EQ(n.key(0, 8), "ADAMS   ");
    EXPECT_EQ(n.key(2, 8), "SMITH   ");
    EXPECT_EQ(n.key(3, 8), "SMITHSON");
    EXPECT_EQ(n.recnos, (std::vector<uint32_t>{3, 1, 4, 2}));
    EXPECT_EQ(cdxLeafBytes(n, 8, ' '), 4 * 2 + 13);  // our narrower entries: 2 bytes each
    uint8_t again[512];
    encodeCdxNode(n, 8, ' ', again);
    CdxNode back;
    ASSERT_EQ(decodeCdxNode(again, 1024, 8, ' ', 4096, &back), kOk);
    EXPECT_EQ(back.keys, n.keys);
    EXPECT_EQ(back.recnos, n.recnos);
}

TEST(CdxPageTest, DamagedNodesAreRejected) {
    CdxNode n;
    std::vector<uint8_t> page = workedExampleLeaf();
    page[2] = 200;  // more entries than the page can hold
    EXPECT_EQ(decodeCdxNode(page.data(), 1024, 8, ' ', 4096, &n), kCorruptIndex);
    page = workedExampleLeaf();
    page[32] = 0xF5;  // entry 2: dup 5 + trail 15 > key length
    Status s = decodeCdxNode(page.data(), 1024, 8, ' ', 4096, &n);
    EXPECT_EQ(s, kCorruptIndex);
    EXPECT_NE(s.message().find("bad counts"), std::string::npos);
    page = workedExampleLeaf();
    page[8] = 0x00;
    page[9] = 0x40;
    page[10] = 0x00;
    page[11] = 0x00;  // right sibling beyond the file
    EXPECT_EQ(decodeCdxNode(page.data(), 1024, 8, ' ', 4096, &n), kCorruptIndex);
    std::vector<uint8_t> interior(512, 0);
    interior[2] = 1;  // one entry: key of 8, record, child 0x00100000 (outside a 4 KB file)
    interior[12 + 8 + 4 + 1] = 0x10;
    s = decodeCdxNode(interior.data(), 1024, 8, ' ', 4096, &n);
    EXPECT_EQ(s, kCorruptIndex);
    EXPECT_NE(s.message().find("outside the file"), std::string::npos);
}

// The bytes a leaf stores for a key after the one before it: what is left
// once the shared start and the trailing pad are taken off, for keys of
// every length around the eight-byte steps the count takes.
TEST(CdxPageTest, TailBytesLeaveOutTheSharedStartAndTrailingPad) {
    std::mt19937 rng(5);
    for (char pad : {' ', '\0'})
        for (size_t kl = 1; kl <= 40; ++kl)
            for (int round = 0; round < 300; ++round) {
                std::string prev(kl, pad), key(kl, pad);
                size_t same = rng() % (kl + 1), text = rng() % (kl + 1);
                for (size_t i = 0; i < text; ++i) prev[i] = key[i] = "AB "[rng() % 3];
                for (size_t i = same; i < text; ++i) key[i] = "AB "[rng() % 3];
                size_t shared = 0, trail = 0;
                while (shared < kl && prev[shared] == key[shared]) ++shared;
                while (trail < kl && key[kl - 1 - trail] == pad) ++trail;
                int want = int(kl - std::min(shared, kl - trail) - trail);
                ASSERT_EQ(cdxTailBytes(prev, key, uint8_t(pad)), want)
                    << "\"" << prev << "\" \"" << key << "\"";
                ASSERT_EQ(cdxTailBytes("", key, uint8_t(pad)), int(kl - trail));
            }
}

// A bag with one tag of 6-byte character keys, for driving its tree directly.
class CdxTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CdxBag::create(dir_.file("t.cdx"), true, false, &bag_), kOk);
        ASSERT_EQ(
            bag_->createTag("K", "code", "", false, false, table_.schema(), table_, nullptr, &tag_),
            kOk);
    }

    CdxTree& tree() { return *tag_->tree; }

    void expectMatches(const std::multimap<std::string, uint32_t>& model) {
        ASSERT_EQ(cdxCheckBag(*bag_), kOk);
        CdxCursor c;
        ASSERT_EQ(tree().first(&c), kOk);
        std::set<std::pair<std::string, uint32_t>> sorted;
        for (auto& [k, r] : model) sorted.emplace(k, r);
        for (auto& [k, r] : sorted) {
            ASSERT_TRUE(c.valid);
            ASSERT_EQ(c.key, k);
            ASSERT_EQ(c.recno, r);
            ASSERT_EQ(tree().next(&c), kOk);
        }
        EXPECT_FALSE(c.valid);
        uint32_t n = 0;
        ASSERT_EQ(tree().count(&n), kOk);
        EXPECT_EQ(n, model.size());
    }

    TempDir dir_;
    MemTable table_{{"CODE,C,6"}};
    std::unique_ptr<CdxBag> bag_;
    CdxTag* tag_ = nullptr;
};

std::string key6(uint32_t v) {
    char buf[16];
    snprintf(buf, sizeof buf, "%06u", v % 1000000);
    return buf;
}

TEST_F(CdxTreeTest, AscendingInsertsFillPagesAndBuildInteriorLevels) {
    std::multimap<std::string, uint32_t> model;
    for (uint32_t i = 1; i <= 20000; ++i) {
        ASSERT_EQ(tree().insert(key6(i), i), kOk);
        model.emplace(key6(i), i);
    }
    expectMatches(model);
    // Nearly every leaf is full: far fewer pages than a half-full tree would use.
    EXPECT_LT(bag_->file().sizeBytes(), 20000u / 60 * 512 * 2);
}

TEST_F(CdxTreeTest, RandomInsertsAndErasesMatchAMultimap) {
    std::mt19937 rng(12345);
    std::multimap<std::string, uint32_t> model;
    uint32_t recno = 0;
    for (int round = 0; round < 6; ++round) {
        for (int i = 0; i < 3000; ++i) {
            std::string k = key6(rng() % 500);  // many duplicates
            ASSERT_EQ(tree().insert(k, ++recno), kOk);
            model.emplace(k, recno);
        }
        for (int i = 0; i < 2500 && !model.empty(); ++i) {
            auto it = model.begin();
            std::advance(it, static_cast<long>(rng() % model.size()));
            bool found = false;
            ASSERT_EQ(tree().erase(it->first, it->second, &found), kOk);
            ASSERT_TRUE(found);
            model.erase(it);
        }
        expectMatches(model);
    }
    // Erasing everything leaves an empty root leaf and every other page free.
    for (auto& [k, r] : model) {
        bool found = false;
        ASSERT_EQ(tree().erase(k, r, &found), kOk);
        ASSERT_TRUE(found);
    }
    model.clear();
    expectMatches(model);
    bool found = true;
    EXPECT_EQ(tree().erase("000001", 1, &found), kOk);
    EXPECT_FALSE(found);
}

TEST_F(CdxTreeTest, FreedPagesAreReusedBeforeTheFileGrows) {
    for (uint32_t i = 1; i <= 3000; ++i) ASSERT_EQ(tree().insert(key6(i), i), kOk);
    ASSERT_EQ(bag_->flush(), kOk);
    uint64_t size = bag_->file().sizeBytes();
    bool found;
    for (uint32_t i = 1; i <= 3000; ++i) ASSERT_EQ(tree().erase(key6(i), i, &found), kOk);
    for (uint32_t i = 1; i <= 3000; ++i) ASSERT_EQ(tree().insert(key6(i), i), kOk);
    std::multimap<std::string, uint32_t> model;
    for (uint32_t i = 1; i <= 3000; ++i) model.emplace(key6(i), i);
    expectMatches(model);
    // The same keys may pack one leaf less tightly the second time (entry
    // widths follow the greatest record number a leaf has seen).
    EXPECT_LE(bag_->file().sizeBytes(), size + 512);
    EXPECT_EQ(bag_->file().freeListHead(), 0u);
}

TEST_F(CdxTreeTest, LongIncompressibleKeysSplitIntoSingleEntryLeaves) {
    MemTable wide({"TXT,C,240"});
    ASSERT_EQ(bag_->createTag("W", "txt", "", false, false, wide.schema(), wide, nullptr, &tag_),
              kOk);
    std::mt19937 rng(7);
    std::multimap<std::string, uint32_t> model;
    for (uint32_t i = 1; i <= 300; ++i) {
        std::string k(240, ' ');
        for (char& c : k) c = static_cast<char>('A' + rng() % 26);
        ASSERT_EQ(tree().insert(k, i * 40000u), kOk);  // wide record numbers
        model.emplace(k, i * 40000u);
    }
    expectMatches(model);
}

TEST_F(CdxTreeTest, SeekAndStepAcrossLeaves) {
    for (uint32_t i = 1; i <= 5000; ++i) ASSERT_EQ(tree().insert(key6(i * 2), i), kOk);
    CdxCursor c;
    ASSERT_EQ(tree().seek(key6(1001), 0, false, &c), kOk);
    ASSERT_TRUE(c.valid);
    EXPECT_EQ(c.key, key6(1002));
    ASSERT_EQ(tree().prev(&c), kOk);
    EXPECT_EQ(c.key, key6(1000));
    ASSERT_EQ(tree().seek(key6(99999), 0, false, &c), kOk);
    EXPECT_FALSE(c.valid);
    ASSERT_EQ(tree().last(&c), kOk);
    EXPECT_EQ(c.recno, 5000u);
    // A position taken before a change still steps correctly afterwards.
    ASSERT_EQ(tree().seek(key6(500), 0, false, &c), kOk);
    ASSERT_EQ(tree().insert(key6(501), 9999), kOk);
    ASSERT_EQ(tree().next(&c), kOk);
    EXPECT_EQ(c.key, key6(501));
}

// The checker compares every key with the one before it, inside a leaf and
// across the boundary to the next leaf, and equal keys by record number.
TEST_F(CdxTreeTest, CheckerFindsKeysOutOfOrderInsideAndAcrossLeaves) {
    const uint32_t n = 2000;
    auto build = [&](uint32_t swapAt, bool sameKey) {
        std::string keys;
        std::vector<uint32_t> recnos;
        for (uint32_t i = 0; i < n; ++i) {
            keys += sameKey ? std::string("SAME  ") : key6(i);
            recnos.push_back(i + 1);
        }
        if (swapAt > 0) {
            std::swap_ranges(keys.begin() + (swapAt - 1) * 6, keys.begin() + swapAt * 6,
                             keys.begin() + swapAt * 6);
            std::swap(recnos[swapAt - 1], recnos[swapAt]);
        }
        ASSERT_EQ(tree().build(keys, recnos), kOk);
    };
    build(0, false);
    ASSERT_EQ(cdxCheckBag(*bag_), kOk);
    // Where the second leaf begins.
    CdxCursor c;
    ASSERT_EQ(tree().first(&c), kOk);
    uint32_t firstLeaf = c.leaf, boundary = 0;
    while (c.valid && c.leaf == firstLeaf) {
        ++boundary;
        ASSERT_EQ(tree().next(&c), kOk);
    }
    ASSERT_TRUE(c.valid);
    int crossed = 0;
    for (bool sameKey : {false, true})
        for (uint32_t at : {boundary - 2, boundary - 1, boundary, boundary + 1, n - 1}) {
            SCOPED_TRACE("entries " + std::to_string(at - 1) + " and " + std::to_string(at) +
                         (sameKey ? " of one key" : "") + " swapped");
            build(at, sameKey);
            ASSERT_EQ(tree().first(&c), kOk);
            for (uint32_t i = 0; i + 1 < at; ++i) ASSERT_EQ(tree().next(&c), kOk);
            // Stepping refuses a leaf that begins below the one before it.
            uint32_t leafBefore = c.leaf;
            Status step = tree().next(&c);
            crossed += step != kOk || c.leaf != leafBefore;
            Status s = cdxCheckBag(*bag_);
            EXPECT_EQ(s, kCorruptIndex);
            EXPECT_NE(s.message().find("out of order"), std::string::npos) << s.message();
        }
    EXPECT_GT(crossed, 0);
}

TEST_F(CdxTreeTest, CyclicSiblingChainIsReportedNotFollowed) {
    for (uint32_t i = 1; i <= 2000; ++i) ASSERT_EQ(tree().insert(key6(i), i), kOk);
    ASSERT_EQ(bag_->flush(), kOk);
    CdxCursor c;
    ASSERT_EQ(tree().first(&c), kOk);
    uint32_t firstLeaf = c.leaf;
    // Point the second leaf's right link back at the first leaf, on disk.
    uint8_t page[512];
    ASSERT_EQ(tree().seek(key6(1000), 0, false, &c), kOk);
    ASSERT_EQ(bag_->file().readPage(c.leaf, page), kOk);
    putU32le(page + 8, firstLeaf);
    ASSERT_EQ(bag_->file().writePage(c.leaf, page), kOk);
    tree().dropCache();
    Status r = tree().first(&c);
    int steps = 0;
    while (r == kOk && c.valid && steps < 100000) {
        r = tree().next(&c);
        ++steps;
    }
    EXPECT_EQ(r, kCorruptIndex);
    EXPECT_NE(r.message().find("out of key order"), std::string::npos);
}

}  // namespace
}  // namespace engine
