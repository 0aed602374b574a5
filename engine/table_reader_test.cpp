// The read-only views of a table: TableReader over a table another program
// may hold, and readTableLayout over a header on its own.
#include <gtest/gtest.h>

#include <string>

#include "engine/dbf_header.h"
#include "engine/dbf_layout.h"
#include "engine/dbf_testutil.h"
#include "engine/engine.h"
#include "engine/table_reader.h"

namespace engine {
namespace {

class TableReaderTest : public ::testing::Test {
protected:
    // Three records "C", "A", "B" with quantities 3, 1, 2, the second
    // deleted, a memo on the first, and a tag on NAME.
    std::string makeTable() {
        std::string path = dir_.file("people.dbf");
        EXPECT_EQ(createTable(path, "NAME,C,6,0;QTY,N,4,1;NOTE,M;OK,L", kTypeCdx, 0), kOk);
        Handle h = test::openOrDie(path);
        const char* names[] = {"C", "A", "B"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(append(h), kOk);
            EXPECT_EQ(setString(h, 1, names[i]), kOk);
            EXPECT_EQ(setDouble(h, 2, 3 - (i + 2) % 3 + 0.5), kOk);
            EXPECT_EQ(setLogical(h, 4, i == 0), kOk);
        }
        EXPECT_EQ(gotoRecord(h, 1), kOk);
        EXPECT_EQ(setString(h, 3, "first note"), kOk);
        EXPECT_EQ(gotoRecord(h, 2), kOk);
        EXPECT_EQ(deleteRecord(h), kOk);
        int order = 0;
        EXPECT_EQ(createIndex(h, "", "NAME", "NAME", "", 0, nullptr, &order), kOk);
        EXPECT_EQ(closeTable(h), kOk);
        return path;
    }

    test::ScratchDir dir_;
};

TEST_F(TableReaderTest, ReadsFieldsRecordsAndOrdersBesideAnotherSharedOpen) {
    std::string path = makeTable();
    Handle other = test::openOrDie(path, kOpenShared);  // another holder, shared
    TableReader r;
    ASSERT_EQ(r.open(path), kOk);
    ASSERT_TRUE(r.isOpen());
    ASSERT_EQ(r.fieldCount(), 4);
    EXPECT_EQ(r.field(2).name, "QTY");
    EXPECT_EQ(r.field(2).length, 4);
    EXPECT_EQ(r.field(2).decimals, 1);
    EXPECT_EQ(r.fieldNumber("note"), 3);
    EXPECT_EQ(r.fieldNumber("L340"), 0);
    uint32_t count = 0;
    ASSERT_EQ(r.recordCount(&count), kOk);
    EXPECT_EQ(count, 3u);

    ASSERT_EQ(r.gotoRecord(1), kOk);
    std::string text;
    double qty = 0;
    bool ok = false;
    ASSERT_EQ(r.getString(1, &text), kOk);
    EXPECT_EQ(text, "C     ");
    ASSERT_EQ(r.getDouble(2, &qty), kOk);
    EXPECT_DOUBLE_EQ(qty, 1.5);
    ASSERT_EQ(r.getMemo(3, &text), kOk);
    EXPECT_EQ(text, "first note");
    ASSERT_EQ(r.getLogical(4, &ok), kOk);
    EXPECT_TRUE(ok);
    EXPECT_EQ(r.getDouble(1, &qty), kTypeMismatch);
    EXPECT_EQ(r.getString(9, &text), kFieldNotFound);
    ASSERT_EQ(r.gotoRecord(2), kOk);
    EXPECT_TRUE(r.deleted());

    // The tag's order, then the natural one: the walk sees every record.
    int orders = 0;
    ASSERT_EQ(r.orderCount(&orders), kOk);
    ASSERT_EQ(orders, 1);
    ASSERT_EQ(r.setOrder(1), kOk);
    std::string seen;
    for (Status s = r.goTop(); !r.eof(); s = r.skip(1)) {
        ASSERT_TRUE(s.ok() || s == kAtEof) << s.message();
        ASSERT_EQ(r.getString(1, &text), kOk);
        seen += text.substr(0, 1) + std::to_string(r.recordNumber());
    }
    EXPECT_EQ(seen, "A2B3C1");
    EXPECT_EQ(r.setOrder(2), kNoOrder);
    EXPECT_EQ(closeTable(other), kOk);
}

TEST_F(TableReaderTest, RefusesWhatCannotBeOpenedAndLeavesTheFileAsItWas) {
    TableReader r;
    EXPECT_EQ(r.open(dir_.file("missing.dbf")), kNotFound);
    EXPECT_FALSE(r.isOpen());

    std::string path = makeTable();
    Handle exclusive = test::openOrDie(path, kOpenExclusive);
    EXPECT_EQ(r.open(path), kLocked);
    EXPECT_FALSE(r.isOpen());
    EXPECT_EQ(closeTable(exclusive), kOk);

    std::string before = test::readFile(path);
    {
        TableReader reading;
        ASSERT_EQ(reading.open(path), kOk);
        ASSERT_EQ(reading.goTop(), kOk);
        TableReader moved = std::move(reading);
        EXPECT_TRUE(moved.isOpen());
        EXPECT_FALSE(reading.isOpen());
    }
    EXPECT_EQ(test::readFile(path), before);
    EXPECT_EQ(r.open(path), kOk) << "the moved reader closed the table once";
}

TEST_F(TableReaderTest, LayoutReadsTheHeaderAndTheRecordsPastItsCount) {
    std::string path = makeTable();
    DbfLayout t = readTableLayout(path);
    ASSERT_TRUE(t.readable) << t.why;
    ASSERT_EQ(t.fields.size(), 4u);  // user fields only
    EXPECT_EQ(t.fields[0].name, "NAME");
    EXPECT_EQ(t.fields[2].type, 'M');
    EXPECT_EQ(t.recordCount, 3u);
    EXPECT_EQ(t.recordBytes, 1u + 6 + 4 + 10 + 1);
    EXPECT_EQ(t.dataEnd + 1, t.fileBytes);  // the end-of-file byte
    EXPECT_EQ(t.uncountedRecords(), 0u);

    // Two records written past a count that says one: both are uncounted.
    test::patchU32(path, kDbfRecordCountOffset, 1);
    t = readTableLayout(path);
    ASSERT_TRUE(t.readable) << t.why;
    EXPECT_EQ(t.recordCount, 1u);
    EXPECT_EQ(t.uncountedRecords(), 2u);

    DbfLayout missing = readTableLayout(dir_.file("nothere.dbf"));
    EXPECT_FALSE(missing.readable);
    EXPECT_EQ(missing.osCode, 2u);
    EXPECT_FALSE(missing.why.empty());

    std::string torn = dir_.file("torn.dbf");
    test::writeFile(torn, test::readFile(path).substr(0, 40));
    DbfLayout cut = readTableLayout(torn);
    EXPECT_FALSE(cut.readable);
    EXPECT_EQ(cut.osCode, 0u);
    EXPECT_FALSE(cut.why.empty());
    EXPECT_EQ(cut.uncountedRecords(), 0u);
}

}  // namespace
}  // namespace engine
