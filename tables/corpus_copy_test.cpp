// Every corpus table copied record by record through the work areas
// (RECCOPY, as the update run's refill does, and __DBAPP) into an empty
// table of the same layout, and every corpus table through the header
// repair. The copies must hold the same bytes (T with its time of day, Y and
// B to the last bit, I and autoincrement values, NULL flags), and the
// independent reader (dbfread) must read them as it read the originals.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "runtime/settings.h"
#include "tables/dbcmd.h"
#include "tables/fieldlist.h"
#include "tables/maintenance.h"
#include "tables/record_copy.h"
#include "tables/tables_testutil.h"
#include "tables/workarea.h"

namespace tables::testing {
namespace {

namespace fs = std::filesystem;

uint32_t le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
    return v;
}

struct Field {
    std::string name;
    char type;
    size_t offset, length;
    uint8_t flags;
    int varBit = -1;   // V, Q: bit of the length mark in the null flags
    int nullBit = -1;  // nullable: its bit in the null flags
};

// The table layout as stored, read straight from the header bytes.
struct Layout {
    uint8_t version = 0;
    uint32_t count = 0, headerLen = 0, recordLen = 0;
    std::vector<Field> fields;
    const Field* nullFlags = nullptr;

    explicit Layout(const std::string& b) {
        version = static_cast<uint8_t>(b[0]);
        count = le(b, 4, 4);
        headerLen = le(b, 8, 2);
        recordLen = le(b, 10, 2);
        int bit = 0;
        bool visual = version == 0x30 || version == 0x31 || version == 0x32;
        size_t narrow = 1, wide = 1;
        for (size_t p = 32; p + 32 <= headerLen && b[p] != '\x0D'; p += 32) {
            Field f{b.substr(p, 11).c_str(),
                    b[p + 11],
                    0,
                    static_cast<unsigned char>(b[p + 16]),
                    visual ? static_cast<uint8_t>(b[p + 18]) : uint8_t(0),
                    -1,
                    -1};
            if (!(f.flags & 0x01) && (f.type == 'V' || f.type == 'Q')) f.varBit = bit++;
            if (!(f.flags & 0x01) && (f.flags & 0x02)) f.nullBit = bit++;
            narrow += f.length;
            wide +=
                f.type == 'C' ? f.length + 256u * static_cast<unsigned char>(b[p + 17]) : f.length;
            fields.push_back(f);
        }
        // Character fields longer than 255 keep the high byte of their length
        // in the decimals byte (when that makes the record length add up).
        size_t offset = 1;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (narrow != recordLen && wide == recordLen && fields[i].type == 'C')
                fields[i].length += 256u * static_cast<unsigned char>(b[32 + 32 * i + 17]);
            fields[i].offset = offset;
            offset += fields[i].length;
        }
        for (const Field& f : fields)
            if (f.type == '0') nullFlags = &f;
    }
    std::string record(const std::string& b, uint32_t recno) const {
        return b.substr(headerLen + size_t(recno - 1) * recordLen, recordLen);
    }
    bool flag(const std::string& rec, int bit) const {
        if (bit < 0 || !nullFlags) return false;
        return (static_cast<unsigned char>(rec[nullFlags->offset + size_t(bit / 8)]) >> (bit % 8)) &
               1;
    }
    bool varMarked(const std::string& rec, const Field& f) const { return flag(rec, f.varBit); }
    bool isNull(const std::string& rec, const Field& f) const { return flag(rec, f.nullBit); }
    // A V or Q value: up to its length byte when marked, else the whole field.
    std::string varValue(const std::string& rec, const Field& f) const {
        std::string raw = rec.substr(f.offset, f.length);
        if (!varMarked(rec, f)) return raw;
        return raw.substr(0,
                          std::min<size_t>(static_cast<unsigned char>(raw.back()), raw.size() - 1));
    }
};

bool isMemo(char t) {
    return t == 'M' || t == 'G' || t == 'P' || t == 'W';
}

const char* kPython = "/usr/bin/python3";

class CorpusCopyTest : public TablesTest {
protected:
    bool haveDbfread() {
#ifdef _WIN32
        return false;
#else
        return std::system((std::string(kPython) + " -c 'import dbfread' 2>/dev/null").c_str()) ==
               0;
#endif
    }
    // The independent reader's CSV of `dbf` (see tools/oracle).
    std::vector<std::vector<std::string>> dbfread(const std::string& dbf) {
        std::string script =
            (fs::path(TESTDATA_DIR).parent_path() / "tools" / "oracle" / "dbf_expected_dbfread.py")
                .string();
        std::string csv = dbf + ".csv";
        std::string cmd = std::string(kPython) + " '" + script + "' '" + dbf + "' '" + csv + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return readCsv(csv);
    }
    // Copies the table, memo and index files of a corpus table into `folder`
    // as <name>.dbf/.fpt/.cdx; returns the path without extension.
    std::string copyIn(const CorpusTable& t, const fs::path& folder, const std::string& name) {
        fs::create_directories(folder);
        std::string base = corpusBase(t), to = (folder / name).string();
        for (const char* ext : {".dbf", ".fpt", ".cdx"})
            if (std::string from = withExtension(base, ext); !from.empty())
                putFile(to + ext, fileBytes(from));
        return to;
    }
    // An empty table of the corpus table's layout: its header with a count
    // of 0, and an empty memo file with the same block size.
    std::string emptyTwin(const CorpusTable& t, const std::string& name) {
        std::string source = fileBytes(withExtension(corpusBase(t), ".dbf"));
        Layout layout(source);
        std::string header = source.substr(0, layout.headerLen);
        for (int i = 4; i < 8; ++i) header[static_cast<size_t>(i)] = 0;
        header[28] = static_cast<char>(header[28] & ~0x01);  // no index here
        std::string to = path(name);
        putFile(to + ".dbf", header + "\x1A");
        if (std::string memo = withExtension(corpusBase(t), ".fpt"); !memo.empty()) {
            std::string fpt = fileBytes(memo).substr(0, 512);
            uint32_t blockSize = le(std::string{fpt[7], fpt[6]}, 0, 2);
            uint32_t first = (512 + blockSize - 1) / blockSize;
            for (int i = 0; i < 4; ++i)
                fpt[static_cast<size_t>(i)] = static_cast<char>(first >> (8 * (3 - i)));
            putFile(to + ".fpt", fpt.substr(0, 8) + std::string(512 - 8, '\0'));
        }
        return to;
    }
    template <class Copy>
    void copyEach(Copy copy);
    // Record by record: the same bytes, memos compared by the reader.
    void expectSameRecords(const CorpusTable& t, const std::string& copyDbf) {
        std::string source = fileBytes(withExtension(corpusBase(t), ".dbf")),
                    copy = fileBytes(copyDbf);
        Layout a(source), b(copy);
        ASSERT_EQ(b.count, a.count);
        ASSERT_EQ(b.recordLen, a.recordLen);
        for (uint32_t r = 1; r <= a.count; ++r) {
            std::string ra = a.record(source, r), rb = b.record(copy, r);
            EXPECT_EQ(rb[0], ra[0]) << "delete flag of record " << r;
            for (const Field& f : a.fields) {
                // Memos are compared by the reader; what a NULL field's bytes
                // hold means nothing (the null flags are compared whole).
                if (isMemo(f.type) || a.isNull(ra, f)) continue;
                if (f.varBit >= 0) {
                    EXPECT_EQ(b.varValue(rb, f), a.varValue(ra, f))
                        << "record " << r << " field " << f.name;
                    continue;
                }
                EXPECT_EQ(rb.substr(f.offset, f.length), ra.substr(f.offset, f.length))
                    << "record " << r << " field " << f.name << " (" << f.type << ")";
            }
        }
        // Autoincrement fields: the next value stays above every copied one.
        for (size_t i = 0; i < a.fields.size(); ++i) {
            if ((a.fields[i].flags & 0x0C) != 0x0C || a.fields[i].type != 'I') continue;
            uint32_t next = le(copy, 32 + 32 * i + 19, 4),
                     step = static_cast<unsigned char>(copy[32 + 32 * i + 23]);
            for (uint32_t r = 1; r <= a.count; ++r)
                EXPECT_GT(static_cast<int32_t>(next),
                          static_cast<int32_t>(le(b.record(copy, r), a.fields[i].offset, 4)))
                    << a.fields[i].name << " step " << step;
        }
        if (!haveDbfread()) return;
        auto want = readCsv(corpusBase(t) + ".expected.csv"), got = dbfread(copyDbf);
        ASSERT_EQ(got.size(), want.size());
        for (size_t r = 1; r < want.size(); ++r)
            for (size_t c = 0; c < want[r].size() && c < got[r].size(); ++c) {
                const Field* f = c >= 2 && c - 2 < a.fields.size() ? &a.fields[c - 2] : nullptr;
                if (f && f->varBit >= 0)
                    continue;  // compared above (other writers pad with blanks)
                if (f && a.isNull(a.record(source, uint32_t(r)), *f))
                    continue;  // the reader ignores NULL
                // Another writer's empty memo item and no memo at all both read as empty.
                if (f && isMemo(f->type) && got[r][c] == "\\N" &&
                    (want[r][c] == "hex:" || want[r][c].empty()))
                    continue;
                EXPECT_EQ(got[r][c], want[r][c]) << "row " << r << " column " << want[0][c];
            }
    }
};

// Every corpus table, in turn, is copied by `copy` (given the source's path
// without extension) into the empty twin opened as the current area.
template <class Copy>
void CorpusCopyTest::copyEach(Copy copy) {
    runtime::SET(runtime::Set::Deleted, runtime::Value(false));
    for (const CorpusTable& t : corpusTables()) {
        SCOPED_TRACE(t.name);
        std::string source = copyIn(t, dir_ / "src", "SOURCE");
        std::string target = emptyTwin(t, "TARGET");
        use("TARGET");
        copy(source);
        DBCLOSEALL();
        EXPECT_TRUE(recorder_->errors.empty()) << recorder_->errors[0].description;
        expectSameRecords(t, target + ".dbf");
    }
}

// RECCOPY from the original into a blank appended record, as the refill does.
TEST_F(CorpusCopyTest, RecCopyKeepsEveryFieldOfEveryCorpusTable) {
    copyEach([](const std::string& source) {
        int target = SELECT();
        DBUSEAREA(true, std::nullopt, source, "SOURCE", false, true);
        ASSERT_TRUE(USED());
        DBSELECTAREA(target);
        for (inAlias("SOURCE", [] { DBGOTOP(); }); !inAlias("SOURCE", [] { return EOF_(); });
             inAlias("SOURCE", [] { DBSKIP(); })) {
            DBAPPEND();
            RECCOPY("SOURCE");
            if (inAlias("SOURCE", [] { return DELETED(); })) DBDELETE();
        }
    });
}

// __DBAPP by field name; the deleted ones are marked afterwards.
TEST_F(CorpusCopyTest, AppendFromKeepsEveryFieldOfEveryCorpusTable) {
    copyEach([](const std::string& source) {
        Layout layout(fileBytes(source + ".dbf"));
        __DBAPP(source);
        ASSERT_FALSE(NETERR());
        std::string original = fileBytes(source + ".dbf");
        for (uint32_t r = 1; r <= layout.count; ++r)
            if (layout.record(original, r)[0] == '*') {
                DBGOTO(r);
                DBDELETE();
            }
    });
}

// A copy by field name as the rebuild of a table by name does it: a block of
// records at a time where the fields are stored alike, value by value
// otherwise; the deleted ones are marked afterwards.
TEST_F(CorpusCopyTest, CopyByNameKeepsEveryFieldOfEveryCorpusTable) {
    copyEach([](const std::string& source) {
        Layout layout(fileBytes(source + ".dbf"));
        int target = SELECT();
        DBUSEAREA(true, std::nullopt, source, "SOURCE", false, true);
        ASSERT_TRUE(USED());
        DBSELECTAREA(target);
        PositionCopy copy("SOURCE", CopyBy::Name);
        inAlias("SOURCE", [] { DBGOTOP(); });
        while (!inAlias("SOURCE", [] { return EOF_(); })) {
            if (copy.appendCopies(7, {}) >= 0) continue;
            DBAPPEND();
            copy.copy();
            inAlias("SOURCE", [] { DBSKIP(); });
        }
        inAlias("SOURCE", [] { DBCLOSEAREA(); });
        DBSELECTAREA(target);
        std::string original = fileBytes(source + ".dbf");
        for (uint32_t r = 1; r <= layout.count; ++r)
            if (layout.record(original, r)[0] == '*') {
                DBGOTO(r);
                DBDELETE();
            }
    });
}

// The header repair on every corpus table: records, field flags and the
// autoincrement counters of the newer versions stay; the reader reads the
// same records.
TEST_F(CorpusCopyTest, IntegrityCheckKeepsEveryCorpusTable) {
    int n = 0;
    for (const CorpusTable& t : corpusTables()) {
        SCOPED_TRACE(t.name);
        fs::path folder = dir_ / ("t" + std::to_string(n++));
        std::string base = copyIn(t, folder, "TABLE");
        std::string before = fileBytes(base + ".dbf");
        EXPECT_TRUE(CHECKINTEGRITYDATA(folder.string(), true));
        std::string after = fileBytes(base + ".dbf");
        Layout layout(before);
        ASSERT_GE(after.size(), layout.headerLen + size_t(layout.count) * layout.recordLen);
        bool visual = layout.version >= 0x30 && layout.version <= 0x32;
        for (size_t i = 0; i < layout.headerLen; ++i) {
            size_t inDescriptor = i >= 32 && i < 32 + 32 * layout.fields.size() ? (i - 32) % 32 : 0;
            bool cleared =
                inDescriptor >= 24 || (!visual && (inDescriptor == 18 || inDescriptor == 19));
            if (cleared)
                EXPECT_EQ(after[i], 0) << "header byte " << i;
            else
                EXPECT_EQ(after[i], before[i]) << "header byte " << i;
        }
        size_t records = size_t(layout.count) * layout.recordLen;
        EXPECT_EQ(after.substr(layout.headerLen, records),
                  before.substr(layout.headerLen, records));
        DBUSEAREA(true, std::nullopt, base, "TABLE", false, true);
        ASSERT_TRUE(USED());
        EXPECT_EQ(RECCOUNT(), layout.count);
        DBCLOSEAREA();
        if (haveDbfread()) {
            EXPECT_EQ(dbfread(base + ".dbf"), readCsv(corpusBase(t) + ".expected.csv"));
        }
    }
    EXPECT_TRUE(recorder_->errors.empty());
}

}  // namespace
}  // namespace tables::testing
