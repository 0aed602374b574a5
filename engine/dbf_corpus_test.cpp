// Every table of the corpus (real files written by other programs) reads
// exactly as its .expected.csv says: every record in physical order, its
// delete flag and every user field rendered the way that file renders it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "engine/dbf_csv_testutil.h"
#include "engine/dbf_testutil.h"
#include "engine/engine.h"

namespace engine {
namespace {
namespace fs = std::filesystem;
using test::lastErrorString;

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

bool sameNumber(const std::string& expected, double ours) {
    char* end = nullptr;
    double e = std::strtod(expected.c_str(), &end);
    if (end == expected.c_str()) return false;
    return e == ours || std::fabs(e - ours) <= 1e-9 * std::max(1.0, std::fabs(e));
}

// Compares one field of the current record; returns "" or a description.
std::string compareField(Handle h, int field, const std::string& expected, bool cp1252) {
    char type = 0;
    fieldType(h, field, &type);
    std::string raw;
    getString(h, field, &raw);
    if (type == 'C') {
        return test::renderText(test::rstripBlanks(raw), cp1252) == expected ? "" : "text " + raw;
    }
    if (type == 'V' || type == 'Q') return test::sameVarField(raw, expected, cp1252) ? "" : "var " + raw;
    if (type == 'N' || type == 'F' || type == 'I' || type == 'B' || type == 'Y') {
        double d = 0;
        getDouble(h, field, &d);
        if (expected == "\\N") return raw.find_first_not_of(' ') == std::string::npos ? "" : "blank";
        return sameNumber(expected, d) ? "" : "number " + std::to_string(d);
    }
    if (type == 'L') {
        bool b = false;
        getLogical(h, field, &b);
        if (expected == "\\N") return (raw == "F" && !b) ? "" : "logical";
        return expected == (b ? "T" : "F") ? "" : "logical " + raw;
    }
    if (type == 'D') {
        std::string d;
        getDate(h, field, &d);
        return test::renderDate(d) == expected ? "" : "date " + d;
    }
    if (type == 'T') return test::renderDateTime(raw) == expected ? "" : "datetime";
    if (type == 'M' || type == 'G' || type == 'P' || type == 'W') {
        std::string m;
        if (getMemo(h, field, &m) != kOk) return "memo read failed " + lastErrorString();
        if (expected == "\\N") return m.empty() ? "" : "memo not empty";
        if (expected.rfind("hex:", 0) == 0) return "hex:" + test::hex(m) == expected ? "" : "memo bytes";
        return test::renderText(m, cp1252) == expected ? "" : "memo text";
    }
    return "unknown type";
}

void checkTable(const fs::path& dbf) {
    SCOPED_TRACE(dbf.string());
    fs::path csv = dbf;
    csv.replace_extension(".expected.csv");
    auto rows = test::readCsv(test::readFile(csv.string()));
    ASSERT_GE(rows.size(), 1u);
    Handle h = 0;
    ASSERT_EQ(openTable(dbf.string(), "", kTypeCdx, kOpenShared | kOpenReadOnly, &h), kOk)
        << lastErrorString();
    bool cp1252 = uint8_t(test::readFile(dbf.string())[29]) == 0x03;
    const auto& head = rows[0];
    int n = 0;
    fieldCount(h, &n);
    std::vector<int> column;  // csv column of field i+1
    for (int f = 1; f <= n; ++f) {
        std::string name;
        fieldName(h, f, &name);
        auto it = std::find(head.begin(), head.end(), name);
        ASSERT_NE(it, head.end()) << name;
        column.push_back(int(it - head.begin()));
    }
    uint32_t count = 0;
    recordCount(h, &count);
    ASSERT_EQ(count + 1, rows.size());
    for (uint32_t r = 1; r <= count; ++r) {
        ASSERT_EQ(gotoRecord(h, r), kOk) << lastErrorString();
        const auto& row = rows[r];
        bool del = false;
        isDeleted(h, &del);
        EXPECT_EQ(row[1], del ? "1" : "0") << "record " << r;
        for (int f = 1; f <= n; ++f) {
            std::string diff = compareField(h, f, row[size_t(column[size_t(f - 1)])], cp1252);
            EXPECT_EQ(diff, "") << "record " << r << " field " << head[size_t(column[size_t(f - 1)])]
                                << " expected " << row[size_t(column[size_t(f - 1)])].substr(0, 80);
        }
    }
    closeTable(h);
}

TEST(DbfCorpusTest, EveryTableReadsAsExpected) {
    auto tables = corpusTables();
    ASSERT_GE(tables.size(), 19u);
    for (const auto& t : tables) checkTable(t);
    shutdown();
}

}  // namespace
}  // namespace engine
