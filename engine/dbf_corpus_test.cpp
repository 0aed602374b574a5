// Every table of the corpus (real files written by other programs) reads
// exactly as its .expected.csv says: every record in physical order, its
// delete flag and every user field rendered the way that file renders it.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/dbf_csv_testutil.h"
#include "engine/dbf_testutil.h"
#include "engine/engine.h"

namespace engine {
namespace {
namespace fs = std::filesystem;

std::vector<fs::path> corpusTables() {
    std::vector<fs::path> out;
    for (auto& e : fs::recursive_directory_iterator(fs::path(TESTDATA_DIR) / "corpus")) {
        std::string ext = e.path().extension().string();
        for (char& c : ext) c = char(std::tolower(uint8_t(c)));
        if (ext == ".dbf") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(DbfCorpusTest, EveryTableReadsAsExpected) {
    auto tables = corpusTables();
    ASSERT_GE(tables.size(), 19u);
    for (const auto& t : tables) {
        fs::path csv = t;
        csv.replace_extension(".expected.csv");
        test::expectTableMatchesCsv(t.string(), csv.string());
    }
    EXPECT_EQ(shutdown(), kOk);
}

}  // namespace
}  // namespace engine
