// The migration record: what it writes, what it refuses to follow, and that
// a failed write leaves the record before it in place.
#include "updater/migration_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "os/fault.h"
#include "updater/installation_testutil.h"

namespace updater {
namespace {

namespace fs = std::filesystem;

const std::vector<std::pair<std::string, std::string>> kKnown = {
    {"TDiaNew.Dbf", "TDiaNew.Dbf"}, {"TempDia.Dbf", "TempDia.Dbf"}, {"TDiaNic.dbf", "TempDia.dbf"}};

MigrationRecord sample() {
    MigrationRecord r;
    r.tables = {{"TDiaNew.Dbf", "TDiaNew.Dbf", true},
                {"TempDia.Dbf", "TempDia.Dbf", false},
                {"TDiaNic.dbf", "TempDia.dbf", false}};
    r.moved = r.templatesIn = r.journalsMarked = true;
    return r;
}

std::string parseError(const std::string& text) {
    MigrationRecord r;
    return parseRecord(text, kKnown, &r);
}

TEST(MigrationRecordTest, ReadsBackWhatItWrites) {
    MigrationRecord r;
    std::string text = formatRecord(sample());
    ASSERT_EQ(parseRecord(text, kKnown, &r), "");
    ASSERT_EQ(r.tables.size(), 3u);
    EXPECT_TRUE(r.moved && r.templatesIn && r.journalsMarked);
    EXPECT_TRUE(r.find("tdianew.dbf")->refilled);
    EXPECT_FALSE(r.find("TempDia.Dbf")->refilled);
    EXPECT_EQ(r.find("TDiaNic.dbf")->templateName, "TempDia.dbf");
    EXPECT_FALSE(r.allRefilled());
    EXPECT_EQ(formatRecord(r), text);

    MigrationRecord fresh;
    fresh.tables = {{"TDiaNew.Dbf", "TDiaNew.Dbf", false}};
    ASSERT_EQ(parseRecord(formatRecord(fresh), kKnown, &r), "");
    EXPECT_FALSE(r.moved || r.templatesIn || r.journalsMarked);
}

// Anything but a record this program wrote is refused, never half followed:
// a name outside the migration could make a run erase or refill a file that
// is not its own.
TEST(MigrationRecordTest, RefusesWhatItDidNotWrite) {
    std::string good = formatRecord(sample());
    EXPECT_NE(parseError(""), "");
    EXPECT_NE(parseError(good.substr(0, good.size() - 5)), "") << "cut short";
    EXPECT_NE(parseError(good.substr(0, good.size() - 2)), "") << "no line end";
    std::string lf = good;
    for (size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.replace(p, 2, "\n");
    EXPECT_NE(parseError(lf), "") << "LF line ends";
    EXPECT_NE(parseError(good + "FIN\r\n"), "") << "after the end";
    EXPECT_NE(parseError("ACTUALIZACION DE EMPRESA 2\r\nTABLA TDiaNew.Dbf TDiaNew.Dbf\r\nFIN\r\n")
                  .find("otra versi\xF3n"),
              std::string::npos);
    EXPECT_NE(
        parseError("ACTUALIZACION DE EMPRESA 1\r\nTABLA ..\\Empresa.dbf TDiaNew.Dbf\r\nFIN\r\n"),
        "");
    EXPECT_NE(parseError("ACTUALIZACION DE EMPRESA 1\r\nTABLA TDiaNew.Dbf TempDia.Dbf\r\nFIN\r\n"),
              "")
        << "a table with another template";
    EXPECT_NE(parseError("ACTUALIZACION DE EMPRESA 1\r\nTABLA TDiaNew.Dbf TDiaNew.Dbf\r\n"
                         "TABLA TDIANEW.DBF TDiaNew.Dbf\r\nFIN\r\n"),
              "")
        << "a table twice";
    EXPECT_NE(parseError("ACTUALIZACION DE EMPRESA 1\r\nTABLA TDiaNew.Dbf TDiaNew.Dbf\r\n"
                         "PLANTILLAS PUESTAS\r\nFIN\r\n"),
              "")
        << "templates before the moves";
    EXPECT_NE(parseError("ACTUALIZACION DE EMPRESA 1\r\nTABLA TDiaNew.Dbf TDiaNew.Dbf\r\n"
                         "COPIAS HECHAS\r\nRELLENADA TDiaNew.Dbf\r\nFIN\r\n"),
              "")
        << "refilled before the templates";
    EXPECT_NE(parseError("ACTUALIZACION DE EMPRESA 1\r\nTABLA TDiaNew.Dbf TDiaNew.Dbf\r\n"
                         "COPIAS HECHAS\r\nPLANTILLAS PUESTAS\r\nRELLENADA TempDia.Dbf\r\nFIN\r\n"),
              "")
        << "a table it does not list";
    EXPECT_NE(parseError("ACTUALIZACION DE EMPRESA 1\r\nFIN\r\n"), "") << "no table";
    EXPECT_NE(parseError("ACTUALIZACION DE EMPRESA 99999999999\r\nFIN\r\n"), "");
}

TEST(MigrationRecordTest, WriteReplacesInOneStepAndAFailedWriteKeepsTheOldRecord) {
    testing::TempFolder tmp;
    std::string folder = tmp.path() + "/";
    EXPECT_EQ(readRecord(folder, kKnown).state, RecordRead::State::None);
    MigrationRecord first;
    first.tables = {{"TDiaNew.Dbf", "TDiaNew.Dbf", false}};
    ASSERT_TRUE(writeRecord(folder, first).ok());
    MigrationRecord second = sample();
    // Every file call of the write fails in turn: the record read back is
    // always the first, and no scratch file stays behind.
    for (uint32_t nth = 1; nth <= 4; ++nth) {
        os::armWriteFault(nth);
        os::Status s = writeRecord(folder, second);
        os::disarmWriteFault();
        if (s.ok()) break;
        RecordRead r = readRecord(folder, kKnown);
        ASSERT_EQ(r.state, RecordRead::State::Read) << "fault at call " << nth;
        // Only the folder's flush comes after the record is in place.
        EXPECT_EQ(formatRecord(r.record), formatRecord(nth < 4 ? first : second))
            << "fault at call " << nth;
        EXPECT_FALSE(fs::exists(folder + kRecordScratchName)) << "fault at call " << nth;
    }
    ASSERT_TRUE(writeRecord(folder, second).ok());
    EXPECT_EQ(formatRecord(readRecord(folder, kKnown).record), formatRecord(second));
    EXPECT_FALSE(fs::exists(folder + kRecordScratchName));

    std::ofstream(folder + kRecordName, std::ios::binary) << "ACTUALIZACION DE EMPRESA 1\r\n";
    RecordRead damaged = readRecord(folder, kKnown);
    EXPECT_EQ(damaged.state, RecordRead::State::Unreadable);
    EXPECT_NE(damaged.why, "");

    ASSERT_TRUE(eraseRecord(folder).ok());
    EXPECT_FALSE(fs::exists(folder + kRecordName));
    EXPECT_TRUE(eraseRecord(folder).ok()) << "a record already gone";
}

}  // namespace
}  // namespace updater
