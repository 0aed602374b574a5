// The read-back check before a backup is erased, on the run's thread and on
// a second one: what it accepts (the same rows in the same order, deleted
// backup rows left out, L340 newly set) and the first difference it names.
#include "updater/refill_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "updater/background_check.h"
#include "updater/installation_testutil.h"

namespace updater {
namespace {

constexpr const char* kFields = "CONTRA,C,20,0;FACTURA,N,10,2;NOTA,M;L340,L";

struct Row {
    std::string contra;
    double factura = 0;
    std::string nota;
    bool l340 = false;
    bool deleted = false;
};

void writeTable(const std::string& path, const std::vector<Row>& rows) {
    ASSERT_EQ(engine::createTable(path, kFields, engine::kTypeCdx, 0), engine::kOk);
    engine::Handle h = 0;
    ASSERT_EQ(engine::openTable(path, "", engine::kTypeCdx, engine::kOpenExclusive, &h),
              engine::kOk);
    for (const Row& r : rows) {
        ASSERT_EQ(engine::append(h), engine::kOk);
        ASSERT_EQ(engine::setString(h, 1, r.contra), engine::kOk);
        ASSERT_EQ(engine::setDouble(h, 2, r.factura), engine::kOk);
        ASSERT_EQ(engine::setString(h, 3, r.nota), engine::kOk);
        ASSERT_EQ(engine::setLogical(h, 4, r.l340), engine::kOk);
        if (r.deleted) {
            ASSERT_EQ(engine::deleteRecord(h), engine::kOk);
        }
    }
    ASSERT_EQ(engine::closeTable(h), engine::kOk);
}

std::vector<Row> rows(size_t n) {
    std::vector<Row> out;
    for (size_t i = 0; i < n; ++i)
        out.push_back({"CUENTA " + std::to_string(i), double(i) * 1.25,
                       i % 3 == 0 ? "nota de la fila " + std::to_string(i) : "", false, false});
    return out;
}

class RefillCheckTest : public ::testing::Test {
protected:
    // Writes the backup and the refilled table, then compares them on the
    // run's thread and on a second thread; both must say the same.
    RefillComparison compare(const std::vector<Row>& backup, const std::vector<Row>& refilled) {
        std::string n = std::to_string(++cases_);
        std::string from = dir_.path() + "/_T" + n + ".dbf", to = dir_.path() + "/T" + n + ".dbf";
        writeTable(from, backup);
        writeTable(to, refilled);
        RefillComparison here = compareWithBackup(from, to, FieldMatch::ByPosition);
        BackgroundCheck beside(from, to, FieldMatch::ByPosition);
        RefillComparison there = beside.wait([](uint32_t done, uint32_t total) {
            EXPECT_LE(done, total);
        });
        EXPECT_EQ(there.same, here.same);
        EXPECT_EQ(there.why, here.why);
        EXPECT_EQ(there.records, here.records);
        return here;
    }

    testing::TempFolder dir_{"refill_check"};
    int cases_ = 0;
};

TEST_F(RefillCheckTest, SameRowsInTheSameOrderMatch) {
    std::vector<Row> backup = rows(1000);
    std::vector<Row> refilled = backup;
    refilled[7].l340 = true;  // marking sets L340
    RefillComparison c = compare(backup, refilled);
    EXPECT_TRUE(c.same) << c.why;
    EXPECT_EQ(c.records, 1000u);
}

TEST_F(RefillCheckTest, DeletedBackupRowsAreLeftOut) {
    std::vector<Row> backup = rows(50), refilled;
    for (size_t i = 0; i < backup.size(); ++i) {
        if (i % 4 == 1)
            backup[i].deleted = true;
        else
            refilled.push_back(backup[i]);
    }
    RefillComparison c = compare(backup, refilled);
    EXPECT_TRUE(c.same) << c.why;
    EXPECT_EQ(c.records, refilled.size());
}

// Each difference is found and named by its field and both record numbers.
TEST_F(RefillCheckTest, TheFirstDifferenceIsNamed) {
    std::vector<Row> backup = rows(30);
    std::vector<Row> changed = backup;
    changed[11].factura += 0.01;
    RefillComparison c = compare(backup, changed);
    EXPECT_FALSE(c.same);
    EXPECT_NE(c.why.find("FACTURA del registro 12"), std::string::npos) << c.why;

    changed = backup;
    changed[3].nota = "otra nota";
    c = compare(backup, changed);
    EXPECT_FALSE(c.same);
    EXPECT_NE(c.why.find("NOTA del registro 4"), std::string::npos) << c.why;

    std::vector<Row> marked = backup;
    marked[5].l340 = true;
    c = compare(marked, backup);  // L340 may be set, never cleared
    EXPECT_FALSE(c.same);
    EXPECT_NE(c.why.find("L340 del registro 6"), std::string::npos) << c.why;
}

TEST_F(RefillCheckTest, MissingAndExtraRowsAreDifferences) {
    std::vector<Row> backup = rows(20);
    std::vector<Row> fewer(backup.begin(), backup.end() - 1);
    RefillComparison c = compare(backup, fewer);
    EXPECT_FALSE(c.same);
    EXPECT_NE(c.why.find("no tiene el registro 20"), std::string::npos) << c.why;

    std::vector<Row> more = backup;
    more.push_back(backup.front());
    c = compare(backup, more);
    EXPECT_FALSE(c.same);
    EXPECT_NE(c.why.find("tiene 21 registros"), std::string::npos) << c.why;

    std::vector<Row> deleted = backup;
    deleted[2].deleted = true;
    c = compare(backup, deleted);
    EXPECT_FALSE(c.same);
    EXPECT_NE(c.why.find("el registro 3"), std::string::npos) << c.why;
}

TEST_F(RefillCheckTest, AMissingFileIsSaidOnEitherThread) {
    std::string from = dir_.path() + "/_NADA.dbf", to = dir_.path() + "/NADA.dbf";
    RefillComparison c = compareWithBackup(from, to, FieldMatch::ByPosition);
    EXPECT_FALSE(c.same);
    EXPECT_FALSE(c.why.empty());
    BackgroundCheck beside(from, to, FieldMatch::ByPosition);
    EXPECT_EQ(beside.wait({}).why, c.why);
}

// A check that nobody waits for is waited for by its owner as it goes: the
// thread never outlives it.
TEST_F(RefillCheckTest, ACheckNotWaitedForEndsWithItsOwner) {
    std::string from = dir_.path() + "/_T.dbf", to = dir_.path() + "/T.dbf";
    writeTable(from, rows(5000));
    writeTable(to, rows(5000));
    { BackgroundCheck dropped(from, to, FieldMatch::ByPosition); }
    BackgroundCheck kept(from, to, FieldMatch::ByPosition);
    EXPECT_TRUE(kept.wait({}).same);
    EXPECT_TRUE(kept.done());
}

}  // namespace
}  // namespace updater
