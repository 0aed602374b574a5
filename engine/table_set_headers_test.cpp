// Reading a table's, its memo's and its index's headers together from their
// bytes: what the engine writes, the corpus, and each kind of damage, which
// the engine's open must refuse as well.
#include "engine/table_set_headers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "engine/byte_order.h"
#include "engine/dbf_testutil.h"
#include "engine/engine.h"

namespace engine {
namespace {

namespace fs = std::filesystem;

class TableSetHeadersTest : public ::testing::Test {
protected:
    // A table with a memo field and two tags, its three files read into memory.
    void SetUp() override {
        ASSERT_EQ(createTable(dbf_, "NAME,C,10,0;DAY,D;NOTE,M", kTypeCdx, 0), kOk);
        Handle h = test::openOrDie(dbf_);
        for (const char* n : {"ALFA", "BETA", "GAMMA"}) {
            ASSERT_EQ(append(h), kOk);
            ASSERT_EQ(setString(h, 1, n), kOk);
            ASSERT_EQ(setString(h, 3, std::string("memo of ") + n), kOk);
        }
        int order = 0;
        ASSERT_EQ(createIndex(h, "", "NAME", "UPPER(NAME)", "", 0, {}, &order), kOk);
        ASSERT_EQ(createIndex(h, "", "DAY", "DTOS(DAY)", "", 0, {}, &order), kOk);
        ASSERT_EQ(closeTable(h), kOk);
        table_ = test::readFile(dbf_);
        memo_ = test::readFile(dir_.file("t.fpt"));
        index_ = test::readFile(dir_.file("t.cdx"));
    }
    void TearDown() override { EXPECT_EQ(shutdown(), kOk); }

    Status read(bool withMemo = true, bool withIndex = true) {
        FileBytes t = fileBytesOf("t.dbf", table_), m = fileBytesOf("t.fpt", memo_),
                  i = fileBytesOf("t.cdx", index_);
        return readTableSetHeaders(t, withMemo ? &m : nullptr, withIndex ? &i : nullptr, &got_);
    }
    // The engine's verdict on the same bytes as files (shared, read only).
    Status engineOpen(bool withMemo = true) {
        test::writeFile(dbf_, table_);
        fs::remove(dir_.file("t.fpt"));
        if (withMemo) test::writeFile(dir_.file("t.fpt"), memo_);
        test::writeFile(dir_.file("t.cdx"), index_);
        Handle h = 0;
        Status r = openTable(dbf_, "", kTypeCdx, kOpenShared | kOpenReadOnly, &h);
        if (r.ok()) {
            EXPECT_EQ(closeTable(h), kOk);
        }
        return r;
    }
    // A refusal with `code` whose message starts with `file`, that the
    // engine's open shares.
    void expectRefused(Result code, const std::string& file, const std::string& detail,
                       bool withMemo = true) {
        Status r = read(withMemo);
        EXPECT_EQ(r.code(), code) << r.message();
        EXPECT_EQ(r.message().rfind(file + ": ", 0), 0u) << r.message();
        EXPECT_NE(r.message().find(detail), std::string::npos) << r.message();
        EXPECT_FALSE(engineOpen(withMemo).ok()) << "the engine opens what the headers refuse";
    }
    uint32_t tagOffset(const std::string& name) {
        EXPECT_EQ(read(), kOk);
        for (const TagHeaderInfo& t : got_.tags)
            if (t.name == name) return t.headerOffset;
        ADD_FAILURE() << "no tag " << name;
        return 0;
    }
    void patch16(std::string& bytes, size_t offset, uint16_t v) {
        putU16le(reinterpret_cast<uint8_t*>(bytes.data()) + offset, v);
    }
    void patch32(std::string& bytes, size_t offset, uint32_t v) {
        putU32le(reinterpret_cast<uint8_t*>(bytes.data()) + offset, v);
    }

    test::ScratchDir dir_;
    std::string dbf_ = dir_.file("t.dbf");
    std::string table_, memo_, index_;
    TableSetHeaders got_;
};

TEST_F(TableSetHeadersTest, ReadsWhatTheEngineWrites) {
    ASSERT_EQ(read(), kOk);
    EXPECT_EQ(got_.table.recordCount, 3u);
    EXPECT_EQ(got_.uncountedRecords(), 0u);
    EXPECT_LE(got_.dataEndBytes, table_.size());
    EXPECT_EQ(got_.memoKind, MemoKind::Fpt);
    EXPECT_EQ(got_.memo.blockSize, 64u);
    EXPECT_GE(uint64_t(got_.memo.nextFree) * 64, memo_.size());
    ASSERT_EQ(got_.tags.size(), 2u);
    EXPECT_EQ(got_.tags[0].name, "NAME");
    EXPECT_EQ(got_.tags[0].header.keyExpr, "UPPER(NAME)");
    EXPECT_EQ(got_.tags[1].name, "DAY");
    for (const TagHeaderInfo& t : got_.tags) {
        EXPECT_EQ(t.exprError, "") << t.name;
        EXPECT_LT(t.header.root, index_.size());
    }
    EXPECT_EQ(engineOpen(), kOk);
}

TEST_F(TableSetHeadersTest, RecordsPastTheCountAreCounted) {
    patch32(table_, kDbfRecordCountOffset, 1);
    ASSERT_EQ(read(), kOk);
    EXPECT_EQ(got_.uncountedRecords(), 2u);
}

TEST_F(TableSetHeadersTest, MemoAndIndexAreOptionalWhereTheTableNeedsNone) {
    ASSERT_EQ(read(true, false), kOk);
    EXPECT_FALSE(got_.indexRead);
    EXPECT_TRUE(got_.tags.empty());
    // A table without memo fields does not read the memo it is handed.
    table_[0] = 0x03;
    table_[32 + 2 * 32 + 11] = 'C';  // NOTE becomes C(4)
    memo_ = "damaged";
    ASSERT_EQ(read(), kOk);
    EXPECT_EQ(got_.memoKind, MemoKind::None);
}

TEST_F(TableSetHeadersTest, DamageIsRefusedNamingTheFile) {
    std::string table = table_, memo = memo_, index = index_;
    auto restore = [&] {
        table_ = table;
        memo_ = memo;
        index_ = index;
    };

    patch32(table_, kDbfRecordCountOffset, 1000);
    expectRefused(kCorruptTable, "t.dbf", "record count 1000 beyond end of file");
    restore();

    expectRefused(kCorruptMemo, "t.dbf", "memo file is missing", false);
    memo_[6] = memo_[7] = 0;
    expectRefused(kCorruptMemo, "t.fpt", "block size is 0");
    memo_.clear();
    expectRefused(kCorruptMemo, "t.fpt", "truncated");
    restore();

    index_.resize(kCdxHeaderSize - 1);
    expectRefused(kCorruptIndex, "t.cdx", "not a compound index");
    restore();
    patch32(index_, kCdxFreeListOffset, uint32_t(index_.size()));
    expectRefused(kCorruptIndex, "t.cdx", "free-page list head");
    restore();
    patch16(index_, kCdxKeyLengthOffset, 11);
    expectRefused(kCorruptIndex, "t.cdx", "compound header damaged");
    restore();
    patch32(index_, kCdxRootOffset, uint32_t(index_.size()));
    expectRefused(kCorruptIndex, "t.cdx", "outside the file");
    restore();

    uint32_t day = tagOffset("DAY");
    patch16(index_, day + kCdxKeyLengthOffset, 241);
    expectRefused(kCorruptIndex, "t.cdx", "tag header at " + std::to_string(day));
    restore();
    patch32(index_, day + kCdxRootOffset, uint32_t(index_.size() + 512));
    expectRefused(kCorruptIndex, "t.cdx", "root outside the file");
    restore();
    index_.resize(day + 512);
    expectRefused(kCorruptIndex, "t.cdx", "outside the file");
}

TEST_F(TableSetHeadersTest, CyclicDirectoryIsRefused) {
    // The directory is one leaf: its right sibling made itself.
    uint32_t root = getU32le(reinterpret_cast<const uint8_t*>(index_.data()) + kCdxRootOffset);
    patch32(index_, root + kCdxRightOffset, root);
    expectRefused(kCorruptIndex, "t.cdx", "out of key order");
}

TEST_F(TableSetHeadersTest, TagThatNoLongerFitsItsTableIsReadAndSaysWhy) {
    table_[32] = 'X';  // the field NAME becomes XAME
    ASSERT_EQ(read(), kOk);
    ASSERT_EQ(got_.tags.size(), 2u);
    EXPECT_NE(got_.tags[0].exprError.find("UPPER(NAME)"), std::string::npos)
        << got_.tags[0].exprError;
    EXPECT_EQ(got_.tags[1].exprError, "");
}

TEST_F(TableSetHeadersTest, ReadFailureIsHandedUp) {
    FileBytes t = fileBytesOf("t.dbf", table_);
    FileBytes i = fileBytesOf("t.cdx", index_);
    i.read = [](uint64_t, size_t, std::string*) { return Status(kIoError, "t.cdx: read failed"); };
    FileBytes m = fileBytesOf("t.fpt", memo_);
    Status r = readTableSetHeaders(t, &m, &i, &got_);
    EXPECT_EQ(r.code(), kIoError);
    EXPECT_EQ(r.message(), "t.cdx: read failed");
}

TEST_F(TableSetHeadersTest, ReadsOpenFilesAsTheirBytes) {
    auto open = [](const std::string& path) {
        auto f = os::File::open(path, os::Access::Read, os::Share::Shared,
                                os::Disposition::OpenExisting);
        EXPECT_TRUE(f.ok()) << path;
        return std::move(f.value());
    };
    os::File t = open(dbf_), m = open(dir_.file("t.fpt")), i = open(dir_.file("t.cdx"));
    FileBytes tb = fileBytesOf("t.dbf", t, table_.size()),
              mb = fileBytesOf("t.fpt", m, memo_.size()),
              ib = fileBytesOf("t.cdx", i, index_.size());
    TableSetHeaders fromFiles;
    ASSERT_EQ(readTableSetHeaders(tb, &mb, &ib, &fromFiles), kOk);
    ASSERT_EQ(read(), kOk);
    EXPECT_EQ(fromFiles.dataEndBytes, got_.dataEndBytes);
    EXPECT_EQ(fromFiles.memo.nextFree, got_.memo.nextFree);
    ASSERT_EQ(fromFiles.tags.size(), got_.tags.size());
    for (size_t k = 0; k < got_.tags.size(); ++k) {
        EXPECT_EQ(fromFiles.tags[k].name, got_.tags[k].name);
        EXPECT_EQ(fromFiles.tags[k].header.stored, got_.tags[k].header.stored);
    }
}

// A header longer than the 16 KB the open used to read (a header length is
// 16 bits; the bytes past the descriptors are the writer's padding): the
// open refused it as "beyond end of file" while the file held it whole.
TEST_F(TableSetHeadersTest, TableWithHeaderOver16KbOpens) {
    uint16_t headerBytes = getU16le(reinterpret_cast<const uint8_t*>(table_.data()) + 8);
    const uint16_t longer = 20000;
    std::string table = table_.substr(0, headerBytes) + std::string(longer - headerBytes, '\0') +
                        table_.substr(headerBytes);
    patch16(table, kDbfHeaderLengthOffset, longer);
    table_ = table;
    ASSERT_EQ(read(), kOk);
    EXPECT_EQ(got_.table.headerBytes, longer);
    ASSERT_EQ(engineOpen(), kOk);
    Handle h = test::openOrDie(dbf_, kOpenShared | kOpenReadOnly);
    std::string name;
    EXPECT_EQ(goTop(h), kOk);
    EXPECT_EQ(getString(h, 1, &name), kOk);
    EXPECT_EQ(name, "ALFA      ");
    EXPECT_EQ(closeTable(h), kOk);
}

// Every table of the corpus with the memo and index beside it: accepted,
// with the tags the other writers' tools list.
TEST(TableSetHeadersCorpusTest, EveryCorpusSetIsAcceptedWithItsTags) {
    auto beside = [](const fs::path& table, std::initializer_list<const char*> exts) {
        for (const char* x : exts) {
            fs::path p = table;
            p.replace_extension(x);
            if (fs::exists(p)) return test::readFile(p.string());
        }
        return std::string();
    };
    int sets = 0, tagged = 0;
    for (auto& e : fs::recursive_directory_iterator(fs::path(TESTDATA_DIR) / "corpus")) {
        std::string ext = e.path().extension().string();
        if (ext != ".dbf" && ext != ".DBF") continue;
        std::string table = test::readFile(e.path().string());
        std::string memo = beside(e.path(), {".fpt", ".FPT", ".dbt", ".DBT"});
        std::string index = beside(e.path(), {".cdx", ".CDX"});
        FileBytes t = fileBytesOf("t", table), m = fileBytesOf("m", memo),
                  i = fileBytesOf("i", index);
        TableSetHeaders got;
        Status r =
            readTableSetHeaders(t, memo.empty() ? nullptr : &m, index.empty() ? nullptr : &i, &got);
        EXPECT_EQ(r, kOk) << e.path() << ": " << r.message();
        ++sets;
        fs::path list = e.path();
        list.replace_extension(".cdx-tags.txt");
        if (index.empty() || !fs::exists(list)) continue;
        std::set<std::string> want, have;
        std::ifstream in(list);
        for (std::string l; std::getline(in, l);) want.insert(l.substr(0, l.find('\t')));
        for (const TagHeaderInfo& tag : got.tags) have.insert(tag.name);
        EXPECT_EQ(have, want) << e.path();
        ++tagged;
    }
    EXPECT_GE(sets, 15);
    EXPECT_GE(tagged, 3);
}

}  // namespace
}  // namespace engine
