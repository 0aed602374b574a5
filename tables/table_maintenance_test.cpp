// Structural-index mark, header repair, integrity check and the per-user
// table erasure.
#include "tables/maintenance.h"

#include <fstream>
#include <iterator>

#include "os/fault.h"
#include "os/fs.h"
#include "runtime/settings.h"
#include "tables/dbcmd.h"
#include "tables/tables_testutil.h"
#include "tables/workarea.h"

namespace tables::testing {
namespace {

class MaintenanceTest : public TablesTest {
protected:
    std::string bytes(const std::string& file) { return fileBytes(file); }
    void writeBytes(const std::string& file, const std::string& data) { putFile(file, data); }
    // A table with a structural index (flag bit 0 set) and 3 records.
    void createIndexed(const std::string& name) {
        createPeople(name, 3);
        use(name);
        ORDCREATE("", "BYAGE", "AGE");
        DBCLOSEAREA();
    }
};

TEST_F(MaintenanceTest, CheckMdxClearsOnlyTheIndexBitWhenTheIndexIsMissing) {
    createIndexed("P");
    std::string dbf = path("P") + ".dbf";
    ASSERT_EQ(bytes(dbf)[28] & 1, 1);
    EXPECT_FALSE(CHECKMDX(path("P")));  // the index is there: untouched
    EXPECT_EQ(bytes(dbf)[28] & 1, 1);
    std::filesystem::remove(path("P") + ".cdx");
    std::filesystem::remove(path("P") + ".CDX");
    unsigned char before = static_cast<unsigned char>(bytes(dbf)[28]);
    EXPECT_TRUE(CHECKMDX(path("P")));
    unsigned char after = static_cast<unsigned char>(bytes(dbf)[28]);
    EXPECT_EQ(after, before & ~1);
    use("P");  // opens without its index
    EXPECT_EQ(ORDCOUNT(), 0);
    EXPECT_EQ(RECCOUNT(), 3u);
}

TEST_F(MaintenanceTest, CheckMdxDoesNothingForNtxIndexes) {
    createIndexed("P");
    std::filesystem::remove(path("P") + ".cdx");
    std::filesystem::remove(path("P") + ".CDX");
    setIndexExtHook([] { return std::string(".NTX"); });
    EXPECT_FALSE(CHECKMDX(path("P")));
    setIndexExtHook(nullptr);
    EXPECT_EQ(bytes(path("P") + ".dbf")[28] & 1, 1);
}

TEST_F(MaintenanceTest, RewriteTableInfoClearsDescriptorsAndFixesTheSize) {
    createPeople("P", 2);
    std::string dbf = path("P") + ".dbf";
    std::string data = bytes(dbf);
    for (int d = 0; d < 5; ++d) {  // dirty the reserved descriptor bytes
        data[32 + 32 * d + 18] = 'x';
        data[32 + 32 * d + 30] = 'y';
    }
    std::string original = data;
    data += std::string(100, 'Z');  // garbage after the records
    writeBytes(dbf, data);
    runtime::Value r = REWRITETABLEINFO(dbf);
    const runtime::Array& a = *r.array();
    ASSERT_EQ(a.size(), 5u);
    EXPECT_TRUE(a[0].logical());
    EXPECT_EQ(a[1].num(), 2);
    uint32_t headerLen =
        static_cast<unsigned char>(original[8]) | (static_cast<unsigned char>(original[9]) << 8);
    double expected = 2 * a[2].num() + headerLen;
    EXPECT_EQ(a[3].num(), expected);
    EXPECT_EQ(a[4].num(), static_cast<double>(data.size()));
    std::string fixed = bytes(dbf);
    ASSERT_EQ(fixed.size(), static_cast<size_t>(expected) + 1);
    EXPECT_EQ(fixed.back(), '\x1A');
    for (int d = 0; d < 5; ++d) {
        EXPECT_EQ(fixed[32 + 32 * d + 18], 0);
        EXPECT_EQ(fixed[32 + 32 * d + 30], 0);
    }
    EXPECT_EQ(fixed.substr(headerLen, 2 * static_cast<size_t>(a[2].num())),
              original.substr(headerLen, 2 * static_cast<size_t>(a[2].num())));
    use("P");
    EXPECT_EQ(RECCOUNT(), 2u);
}

TEST_F(MaintenanceTest, RewriteTableInfoWithoutTerminatorLeavesRecordsAlone) {
    createPeople("P", 2);
    std::string dbf = path("P") + ".dbf";
    std::string data = bytes(dbf);
    uint32_t headerLen =
        static_cast<unsigned char>(data[8]) | (static_cast<unsigned char>(data[9]) << 8);
    size_t term = data.find('\x0D', 32);
    ASSERT_LT(term, headerLen);
    data[term] = ' ';  // terminator lost
    writeBytes(dbf, data);
    REWRITETABLEINFO(dbf);
    std::string after = bytes(dbf);
    EXPECT_EQ(after.substr(headerLen), data.substr(headerLen));
}

uint32_t le16(const std::string& b, size_t at) {
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

// Records stored past the header's count (a program stopped before it
// rewrote the count) are counted in, never cut; a file shorter than its
// count is counted down, keeping a last record cut short.
TEST_F(MaintenanceTest, RewriteTableInfoNeverCutsRecords) {
    createPeople("P", 3);
    std::string dbf = path("P") + ".dbf";
    const std::string original = bytes(dbf);
    const size_t headerLen = le16(original, 8), recLen = le16(original, 10);
    const std::string records = original.substr(headerLen, 3 * recLen);

    std::string uncounted = original;
    uncounted[4] = 1;  // the header counts one record of three
    writeBytes(dbf, uncounted);
    runtime::Value r = REWRITETABLEINFO(dbf);
    EXPECT_EQ(r.array()->at(1).num(), 3);
    std::string fixed = bytes(dbf);
    EXPECT_EQ(fixed[4], 3);
    EXPECT_EQ(fixed.substr(headerLen, 3 * recLen), records);
    EXPECT_EQ(fixed.size(), headerLen + 3 * recLen + 1);
    use("P");
    EXPECT_EQ(RECCOUNT(), 3u);
    DBCLOSEAREA();

    // The third record cut after 3 bytes: kept, completed with blanks.
    writeBytes(dbf, original.substr(0, headerLen + 2 * recLen + 3));
    r = REWRITETABLEINFO(dbf);
    EXPECT_EQ(r.array()->at(1).num(), 3);
    fixed = bytes(dbf);
    ASSERT_EQ(fixed.size(), headerLen + 3 * recLen + 1);
    EXPECT_EQ(fixed.substr(headerLen, 2 * recLen + 3), records.substr(0, 2 * recLen + 3));
    EXPECT_EQ(fixed.substr(headerLen + 2 * recLen + 3, recLen - 3), std::string(recLen - 3, ' '));
    EXPECT_EQ(fixed.back(), '\x1A');

    // Two whole records of the three counted: the count follows the file.
    writeBytes(dbf, original.substr(0, headerLen + 2 * recLen));
    r = REWRITETABLEINFO(dbf);
    EXPECT_EQ(r.array()->at(1).num(), 2);
    fixed = bytes(dbf);
    EXPECT_EQ(fixed[4], 2);
    EXPECT_EQ(fixed.size(), headerLen + 2 * recLen + 1);
    use("P");
    EXPECT_EQ(RECCOUNT(), 2u);
    DBCLOSEAREA();

    // A header with a record length of 0: the file's size is not touched.
    std::string broken = original;
    broken[10] = broken[11] = 0;
    writeBytes(dbf, broken);
    REWRITETABLEINFO(dbf);
    EXPECT_EQ(bytes(dbf).size(), broken.size());
}

TEST_F(MaintenanceTest, RewriteTableInfoOfMissingFile) {
    runtime::Value r = REWRITETABLEINFO(path("NONE") + ".dbf");
    const runtime::Array& a = *r.array();
    EXPECT_FALSE(a[0].logical());
    EXPECT_EQ(a[1].num(), 0);
    EXPECT_EQ(a[4].num(), -1);
}

// A write of the repair that fails makes its first element false, whichever
// it is: a descriptor, the cut of what lies past the records, or the
// end-of-file mark written last.
TEST_F(MaintenanceTest, RewriteTableInfoReportsEveryFailedWrite) {
    createPeople("P", 2);
    std::string dbf = path("P") + ".dbf";
    const std::string junked = bytes(dbf) + std::string(10, 'Z');
    writeBytes(dbf, junked);
    const uint64_t before = os::writeCallCount();
    ASSERT_TRUE(REWRITETABLEINFO(dbf).array()->at(0).logical());
    const uint64_t writes = os::writeCallCount() - before;
    const std::string repaired = bytes(dbf);
    ASSERT_EQ(repaired.back(), '\x1A');
    ASSERT_GE(writes, 3u);  // the descriptors, the cut, the mark
    for (uint32_t n = 1; n <= writes; ++n) {
        writeBytes(dbf, junked);
        os::armWriteFault(n);
        runtime::Value r = REWRITETABLEINFO(dbf);
        EXPECT_EQ(os::injectedFaultCount(), 1u) << "write " << n;
        os::disarmWriteFault();
        EXPECT_FALSE(r.array()->at(0).logical()) << "write " << n << " of " << writes;
        if (n == writes) {  // the mark: the records are cut right, the mark is missing
            EXPECT_EQ(bytes(dbf), repaired.substr(0, repaired.size() - 1));
        }
    }
}

TEST_F(MaintenanceTest, IntegrityCheckAsksFirstAndRepairsEveryTable) {
    createPeople("A1", 1);
    createPeople("B1", 1);
    writeBytes(path("EMPTY") + ".dbf", "");
    std::string a1 = path("A1") + ".dbf";
    writeBytes(a1, bytes(a1) + "junk");
    size_t junked = bytes(a1).size();
    dialogs_.answers = {kIntegrityCancelButton};
    EXPECT_FALSE(CHECKINTEGRITYDATA(dir_.string()));
    EXPECT_EQ(bytes(a1).size(), junked);
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].resourceId, 20200);
    EXPECT_EQ(dialogs_.shown[0].lines.size(), 6u);
    EXPECT_TRUE(CHECKINTEGRITYDATA(dir_.string(), true));
    EXPECT_EQ(bytes(a1).size(), junked - 4);
    EXPECT_EQ(bytes(path("EMPTY") + ".dbf").size(), 0u);
}

TEST_F(MaintenanceTest, PerUserTablesAreErasedInTheStartPath) {
    std::string start = dir_.string() + "/";
    setStartPathHook([start] { return start; });
    for (const char* f : {"GesVen07.dbf", "GesPrn07.dbf", "GesPrn07.CDX", "GesVen08.dbf"})
        writeBytes(start + f, "x");
    DELVENDBF(" 07 ");
    DELIMPRDBF("07");
    setStartPathHook(nullptr);
    EXPECT_FALSE(os::fileExists(start + "GesVen07.dbf"));
    EXPECT_FALSE(os::fileExists(start + "GesPrn07.dbf"));
    EXPECT_FALSE(os::fileExists(start + "GesPrn07.CDX"));
    EXPECT_TRUE(os::fileExists(start + "GesVen08.dbf"));
}

TEST_F(MaintenanceTest, IndexDataLeavesDeletedRecordsOut) {
    createPeople("P", 3);
    use("P");
    DBGOTO(2);
    DBDELETE();
    runtime::SET(runtime::Set::Deleted, runtime::Value(false));
    LIB_INDEXDATA("BYAGE", {}, "AGE");
    EXPECT_EQ(ORDKEYCOUNT(), 2u);
    EXPECT_FALSE(DBSEEK(runtime::Value(20)));
}

TEST_F(MaintenanceTest, XdbSetDriverNeedsTheSixDriver) {
    EXPECT_EQ(XDBSETDRIVER(), "DBFCDX");
    ASSERT_EQ(recorder_->errors.size(), 1u);
    EXPECT_EQ(recorder_->errors[0].genCode, 1);
    EXPECT_EQ(recorder_->errors[0].subCode, 1015);
    EXPECT_EQ(RDDSETDEFAULT(), "ADS");
}

}  // namespace
}  // namespace tables::testing
