// The marking pass over a real table: rows read from their stored bytes are
// marked exactly as the rule marks them over the fields' values, whatever
// form the stored numbers and texts take.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "os/process.h"
#include "runtime/codepage.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/workarea.h"
#include "updater/area_folder_testutil.h"
#include "updater/l340_rule.h"
#include "updater/record_steps.h"

namespace updater {
namespace {

// The row as the rule reads it through the fields' values.
class ValueRow : public L340Row {
public:
    bool hasL340() override { return true; }
    std::string contra() override { return tables::FIELDGET(2).textOr(); }
    double factura() override { return tables::FIELDGET(3).numOr(); }
    double nfactick() override { return tables::FIELDGET(4).numOr(); }
    bool documentoEmpty() override { return runtime::EMPTY(tables::FIELDGET(5)); }
    std::string serie() override { return tables::FIELDGET(6).textOr(); }
};

class L340MarkerTest : public testing::AreaFolderTest {
protected:
    L340MarkerTest() : AreaFolderTest("l340_marker") {}

    // A journal whose records hold `rows` as stored bytes (after the
    // deletion flag), with DOCUMENTO of `documento`.
    std::string journal(const tables::FieldInfo& documento, const std::vector<std::string>& rows) {
        std::string file = (dir_ / "Diario").string();
        std::vector<tables::FieldInfo> fields = {{"L340", 'L', 1, 0},
                                                 {"CONTRA", 'C', 14, 0},
                                                 {"FACTURA", 'N', 10, 0},
                                                 {"NFACTICK", 'N', 8, 2},
                                                 documento,
                                                 {"SERIE", 'C', 2, 0}};
        EXPECT_TRUE(tables::DBCREATE(file, fields));
        tables::DBUSEAREA(true, std::nullopt, file, "Diario", false, false);
        EXPECT_FALSE(tables::NETERR());
        for (size_t i = 0; i < rows.size(); ++i) tables::DBAPPEND();
        tables::DBCLOSEAREA();
        std::fstream f(file + ".dbf", std::ios::in | std::ios::out | std::ios::binary);
        unsigned char head[12];
        f.read(reinterpret_cast<char*>(head), sizeof head);
        size_t headerBytes = head[8] | head[9] << 8, recordBytes = head[10] | head[11] << 8;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].size() + 1, recordBytes) << rows[i];
            f.seekp(static_cast<std::streamoff>(headerBytes + i * recordBytes + 1));
            f.write(rows[i].data(), static_cast<std::streamsize>(rows[i].size()));
        }
        return file;
    }

    // Marks the journal and checks every row against the rule over values.
    void marksAsTheValuesSay(const std::string& file, size_t rows) {
        tables::DBUSEAREA(true, std::nullopt, file, "Diario", false, false);
        ASSERT_FALSE(tables::NETERR());
        std::vector<bool> expected;
        for (tables::DBGOTOP(); !tables::EOF_(); tables::DBSKIP()) {
            ValueRow row;
            expected.push_back(L340Holds(row));
        }
        ASSERT_EQ(expected.size(), rows);
        long wanted = static_cast<long>(std::count(expected.begin(), expected.end(), true));
        EXPECT_GT(wanted, 0);
        EXPECT_LT(wanted, static_cast<long>(rows));
        EXPECT_EQ(markPass(), wanted);
        tables::DBCLOSEAREA();
        tables::DBUSEAREA(true, std::nullopt, file, "Diario", false, false);
        size_t n = 0;
        for (tables::DBGOTOP(); !tables::EOF_(); tables::DBSKIP(), ++n)
            EXPECT_EQ(tables::FIELDGET(1).logical(), expected[n]) << "record " << n + 1;
        tables::DBCLOSEAREA();
    }
};

// Every combination of the stored forms below, in record order.
std::vector<std::string> rowsWith(const std::vector<std::string>& documentos) {
    const char* contras[] = {"4300001       ", "              ", "REGULARIZACION", "  REGULARIZACI",
                             "Regularizacion"};
    const char* facturas[] = {"        12", "         0", "          ", "**********", "     -0   "};
    const char* tickets[] = {"    0.00", "    1.50", "        ", "   -.000"};
    const char* series[] = {"A ", " Z", "AB", "  ", "X "};
    std::vector<std::string> rows;
    for (const char* c : contras)
        for (const char* f : facturas)
            for (const char* t : tickets)
                for (const std::string& d : documentos)
                    for (const char* s : series)
                        rows.push_back(std::string("F") + c + f + t + d + s);
    return rows;
}

TEST_F(L340MarkerTest, TextDocumentRowsAreMarkedAsTheirValuesSay) {
    std::vector<std::string> rows = rowsWith({"DOC1    ", "        ", "\t       "});
    marksAsTheValuesSay(journal({"DOCUMENTO", 'C', 8, 0}, rows), rows.size());
}

TEST_F(L340MarkerTest, NumberDocumentRowsAreMarkedAsTheirValuesSay) {
    std::vector<std::string> rows = rowsWith({"    17", "     0", "      ", "******"});
    marksAsTheValuesSay(journal({"DOCUMENTO", 'N', 6, 0}, rows), rows.size());
}

}  // namespace
}  // namespace updater
