// The register walk: sound, looping, or missing companies; two records whose
// codes name one company folder, in the walk and in whole runs and checks.
#include "updater/register_walk.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/engine.h"
#include "updater/demo_installation.h"
#include "updater/installation_check.h"
#include "updater/installation_testutil.h"
#include "updater/recording_progress_testutil.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::mentions;

TEST(RegisterWalkTest, LoopsAndMissedRecords) {
    RegisterWalk sound(3);
    for (uint32_t rec : {2u, 1u, 3u}) EXPECT_TRUE(sound.step({rec}));
    EXPECT_EQ(sound.problem(3), "");
    EXPECT_EQ(sound.problem(4), "su orden recorre 3 de las 4 empresas");

    RegisterWalk loop(3);
    EXPECT_TRUE(loop.step({1}));
    EXPECT_TRUE(loop.step({2}));
    EXPECT_FALSE(loop.step({1}));
    EXPECT_FALSE(loop.step({3}));  // the walk stays ended
    EXPECT_EQ(loop.problem(3), "su orden vuelve al registro 1");

    RegisterWalk beyond(1);
    EXPECT_TRUE(beyond.step({1}));
    EXPECT_FALSE(beyond.step({5}));
}

// The later record naming a folder is refused, whatever case its code
// spells the folder in; the earlier one and the others are not.
TEST(RegisterWalkTest, RecordsNamingOneFolder) {
    RegisterWalk walk(4);
    EXPECT_TRUE(walk.step({4, "0 3", "Otra", "R\\DBF003\\"}));
    EXPECT_TRUE(walk.step({1, "003", "Tres", "R\\DBF003\\"}));
    EXPECT_TRUE(walk.step({2, "ab", "Min", "R\\DBFab\\"}));
    EXPECT_TRUE(walk.step({3, "AB", "May", "R\\DBFAB\\"}));
    EXPECT_EQ(walk.problem(4), "");
    ASSERT_EQ(walk.refused().size(), 2u);
    EXPECT_EQ(walk.refused().at(1),
              "el c\xF3"
              "digo \"003\" (Tres) da la misma carpeta R\\DBF003\\ que el c\xF3"
              "digo \"0 3\" (Otra), que va antes en el registro: esta empresa se deja como "
              "est\xE1. D\xE9 a cada empresa un c\xF3"
              "digo propio en el registro de empresas");
    EXPECT_NE(walk.refused().at(3).find("\"ab\" (Min)"), std::string::npos);
}

// Whole runs over registers whose live records name one folder twice.
class RegisterCodesTest : public ::testing::Test {
protected:
    void build(const std::vector<std::vector<std::string>>& companies) {
        fs::create_directories(root() + "/DBF");
        demo::writeTemplates(root());
        demo::writeRegister(root(), companies, {});
        for (const auto& c : companies) {
            const std::string folder = demo::companyFolder(root(), c[0]);
            if (fs::exists(folder)) continue;
            fs::create_directories(folder);
            demo::writeKeys(folder, {{0, "", "", ""}});
            demo::writeTable(folder + "TDiaNew.Dbf", demo::kOldTDiaNewFields, rows_);
            demo::writeTable(folder + "TempDia.Dbf", demo::kOldTempDiaFields, rows_);
        }
    }
    std::string root() const { return tmp_.path(); }
    size_t visibleRows() const {
        size_t n = 0;
        for (const demo::Row& r : rows_) n += !r.deleted;
        return n;
    }
    // The check first, then the run: the same exit code, and the same
    // companies left (the check's outcome and the run's report agree).
    int checkThenRun(RecordingProgress& progress) {
        InstallationCheck check = checkInstallation(root());
        int code = testing::runInProcess(root(), progress);
        EXPECT_EQ(check.exitCode, code);
        EXPECT_EQ(check.companies.size(), progress.reports.size());
        for (size_t i = 0; i < check.companies.size() && i < progress.reports.size(); ++i) {
            EXPECT_EQ(check.companies[i].code, progress.reports[i].code);
            EXPECT_EQ(check.companies[i].outcome == Outcome::Leave,
                      !progress.reports[i].problems.empty())
                << check.companies[i].code;
        }
        summary_ = check.summary;
        return code;
    }

    testing::TempFolder tmp_;
    std::vector<demo::Row> rows_ = demo::makeRows(30, 4);
    std::vector<std::string> summary_;  // the check's
};

// "003" and "0 3" both name DBF003: in the register's order "0 3" comes
// first and is migrated, once; "003" is left with both named (exit 2).
TEST_F(RegisterCodesTest, TwoCodesNamingOneFolder) {
    build({{"003", "Tres"}, {"001", "Uno"}, {"0 3", "Otra"}});
    RecordingProgress progress;
    EXPECT_EQ(checkThenRun(progress), 2);
    ASSERT_EQ(progress.reports.size(), 3u);
    EXPECT_EQ(progress.reports[2].code, "003");
    for (const auto& lines : {progress.summary, summary_}) {
        EXPECT_TRUE(mentions(lines,
                             "003: el c\xF3"
                             "digo \"003\" (Tres) da la misma carpeta"));
        EXPECT_TRUE(mentions(lines,
                             "que el c\xF3"
                             "digo \"0 3\" (Otra)"));
    }
    EXPECT_EQ(progress.only("start"),
              (std::vector<std::string>{"start 0 3", "start 001", "start 003"}));
    EXPECT_TRUE(progress.reports[2].tables.empty());  // nothing of it was looked at
    for (const char* code : {"001", "003"})
        EXPECT_EQ(
            testing::dumpTable(demo::companyFolder(root(), code) + "TDiaNew.Dbf").records.size(),
            visibleRows())
            << code;
    EXPECT_EQ(testing::leftoverBackups(root()), std::vector<std::string>{});
}

// A register edit gives company 3 the code of company 2 (its index kept up
// to date): company 3's folder is reached by no code any more, and the run
// must not end as if every company were updated.
TEST_F(RegisterCodesTest, EditThatDuplicatesACodeIsNotSilent) {
    build({{"001", "Uno"}, {"002", "Dos"}, {"003", "Tres"}});
    engine::Handle h = 0;
    ASSERT_EQ(engine::openTable(root() + "/DBF/Empresa.dbf", "", engine::kTypeCdx,
                                engine::kOpenExclusive, &h),
              engine::kOk);
    ASSERT_EQ(engine::gotoRecord(h, 3), engine::kOk);
    ASSERT_EQ(engine::setString(h, 1, "002"), engine::kOk);
    ASSERT_EQ(engine::closeTable(h), engine::kOk);
    const auto untouched = testing::fileBytes(demo::companyFolder(root(), "003"));

    RecordingProgress progress;
    EXPECT_EQ(checkThenRun(progress), 2);
    EXPECT_TRUE(mentions(progress.summary,
                         "002: el c\xF3"
                         "digo \"002\" (Tres) da la misma carpeta"));
    EXPECT_TRUE(testing::fileBytes(demo::companyFolder(root(), "003")) == untouched);
    EXPECT_EQ(testing::dumpTable(demo::companyFolder(root(), "002") + "TDiaNew.Dbf").records.size(),
              visibleRows());
}

// The same edit under a unique index, which shows one record of each code:
// the hidden one is not a damaged index but the code given twice, and is
// said as such after the walk.
TEST_F(RegisterCodesTest, UniqueIndexHidesTheDuplicatedCode) {
    build({{"001", "Uno"}, {"002", "Dos"}, {"003", "Tres"}});
    fs::remove(root() + "/DBF/Empresa.cdx");
    engine::Handle h = 0;
    ASSERT_EQ(engine::openTable(root() + "/DBF/Empresa.dbf", "", engine::kTypeCdx,
                                engine::kOpenExclusive, &h),
              engine::kOk);
    int order = 0;
    ASSERT_EQ(engine::createIndex(h, "", "CODEMP", "CODEMP", "", engine::kIndexUnique, {}, &order),
              engine::kOk);
    ASSERT_EQ(engine::gotoRecord(h, 3), engine::kOk);
    ASSERT_EQ(engine::setString(h, 1, "002"), engine::kOk);
    ASSERT_EQ(engine::closeTable(h), engine::kOk);

    RecordingProgress progress;
    EXPECT_EQ(checkThenRun(progress), 2);
    EXPECT_EQ(progress.only("start"),
              (std::vector<std::string>{"start 001", "start 002", "start 002"}));
    EXPECT_TRUE(mentions(progress.summary, "002: el c\xF3"
                                           "digo \"002\" (Tres) da la misma carpeta"));
    EXPECT_FALSE(mentions(progress.summary, "\xEDndice"));
}

}  // namespace
}  // namespace updater
