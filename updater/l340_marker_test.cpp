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
#include "runtime/settings.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/record_copy.h"
#include "tables/workarea.h"
#include "updater/area_folder_testutil.h"
#include "updater/journal_marking.h"
#include "updater/l340_marker.h"
#include "updater/l340_rule.h"

namespace updater {
namespace {

// The row as the rule reads it through the fields' values.
class ValueRow : public L340Row {
public:
    bool hasL340() override { return true; }
    std::string_view contra() override { return text = tables::FIELDGET(2).textOr(); }
    bool facturaZero() override { return tables::FIELDGET(3).numOr() == 0; }
    bool nfactickZero() override { return tables::FIELDGET(4).numOr() == 0; }
    bool documentoEmpty() override { return runtime::EMPTY(tables::FIELDGET(5)); }
    std::string_view serie() override { return text = tables::FIELDGET(6).textOr(); }

private:
    std::string text;
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
        EXPECT_EQ(storeRows(file, rows, 0), rows[0].size() + 1);
        return file;
    }

    // Writes each of `rows`, less its first `skip` bytes, over the start of
    // the table's records, after their deletion flag; returns the size of
    // the table's records.
    static size_t storeRows(const std::string& file, const std::vector<std::string>& rows,
                            size_t skip) {
        std::fstream f(file + ".dbf", std::ios::in | std::ios::out | std::ios::binary);
        unsigned char head[12];
        f.read(reinterpret_cast<char*>(head), sizeof head);
        size_t headerBytes = head[8] | head[9] << 8, recordBytes = head[10] | head[11] << 8;
        for (size_t i = 0; i < rows.size(); ++i) {
            f.seekp(static_cast<std::streamoff>(headerBytes + i * recordBytes + 1));
            f.write(rows[i].data() + skip, static_cast<std::streamsize>(rows[i].size() - skip));
        }
        return recordBytes;
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

// A field the rule cannot read from its bytes (a date) sends the pass
// record by record, through the fields' values.
TEST_F(L340MarkerTest, DateDocumentRowsAreMarkedAsTheirValuesSay) {
    std::vector<std::string> rows = rowsWith({"20240131", "        "});
    marksAsTheValuesSay(journal({"DOCUMENTO", 'D', 8, 0}, rows), rows.size());
}

// A refill's two ways of copying, a block at a time and record by record,
// both marking by the rule: the same table, memo and index bytes, with the
// deleted records of the backup hidden or not.
TEST_F(L340MarkerTest, BlockCopiesLeaveTheFilesOfRecordByRecordCopies) {
    const std::string backup = (dir_ / "Backup").string();
    std::vector<tables::FieldInfo> fields = {{"CONTRA", 'C', 14, 0},  {"FACTURA", 'N', 10, 0},
                                             {"NFACTICK", 'N', 8, 2}, {"DOCUMENTO", 'C', 8, 0},
                                             {"SERIE", 'C', 2, 0},    {"NOTAS", 'M', 10, 0}};
    std::vector<std::string> rows = rowsWith({"DOC1    ", "        "});
    ASSERT_TRUE(tables::DBCREATE(backup, fields));
    tables::DBUSEAREA(true, std::nullopt, backup, "Backup", false, false);
    ASSERT_FALSE(tables::NETERR());
    for (size_t i = 0; i < rows.size(); ++i) {
        tables::DBAPPEND();
        if (i % 3 == 0) tables::FIELDPUT(6, runtime::Value("nota " + std::to_string(i)));
        if (i % 5 == 0) tables::DBDELETE();
    }
    tables::DBCLOSEAREA();
    // The rows without their L340 byte, ahead of the memo pointer.
    EXPECT_EQ(storeRows(backup, rows, 1), rows[0].size() + 10);
    fields.push_back({"L340", 'L', 1, 0});
    const std::string blank = (dir_ / "Blank").string();
    ASSERT_TRUE(tables::DBCREATE(blank, fields));
    tables::DBUSEAREA(true, std::nullopt, blank, "Blank", false, false);
    tables::ORDCREATE("", "CONTRA", "CONTRA+SERIE");
    tables::ORDCREATE("", "FACTURA", "STR(FACTURA,10)+DOCUMENTO");
    tables::DBCLOSEAREA();

    // Copies the backup into a fresh copy of Blank named `name`; returns the
    // rows marked.
    auto refill = [&](const std::string& name, bool blocks) {
        std::string target = (dir_ / name).string();
        for (const char* ext : {".dbf", ".fpt", ".cdx"})
            std::filesystem::copy_file(blank + ext, target + ext);
        tables::DBUSEAREA(true, std::nullopt, backup, "Backup", false, false);
        tables::DBGOTOP();
        const int from = tables::SELECT();
        tables::DBUSEAREA(true, std::nullopt, target, "Target", false, false);
        tables::PositionCopy copy("Backup");
        L340Marker marker;
        EXPECT_TRUE(marker.readsStored());
        long marked = 0;
        auto atEnd = [from] {
            tables::AreaSwitch sw(from);
            return tables::EOF_();
        };
        while (!atEnd()) {
            if (blocks) {
                long n = copy.appendCopies(7, [&](tables::BlockRow& row) {
                    if (marker.apply(row)) ++marked;
                });
                EXPECT_GT(n, 0);
                if (n <= 0) break;
                continue;
            }
            tables::DBAPPEND();
            copy.copy();
            if (marker.apply()) ++marked;
            tables::AreaSwitch sw(from);
            tables::DBSKIP();
        }
        tables::DBCLOSEALL();
        return marked;
    };
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (path.ends_with(".dbf") && b.size() > 4) b.replace(1, 3, 3, '\0');  // date of update
        return b;
    };
    for (const char* hide : {"ON", "OFF"}) {
        runtime::Value was = runtime::SET(runtime::Set::Deleted, runtime::Value(hide));
        std::string one = std::string("One") + hide, block = std::string("Block") + hide;
        long byRecord = refill(one, false);
        long byBlock = refill(block, true);
        runtime::SET(runtime::Set::Deleted, was);
        EXPECT_GT(byRecord, 0);
        EXPECT_EQ(byBlock, byRecord) << "SET DELETED " << hide;
        for (const char* ext : {".dbf", ".fpt", ".cdx"})
            EXPECT_TRUE(bytes((dir_ / one).string() + ext) == bytes((dir_ / block).string() + ext))
                << ext << " with SET DELETED " << hide;
    }
}

}  // namespace
}  // namespace updater
