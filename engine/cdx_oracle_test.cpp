// Checks the CDX files we write with an independent reader: the Perl
// XBase::Index module (tools/oracle/cdx_dump_xbase.pl) lists the tags and
// walks every tag from its root through the interior nodes, and must see
// exactly the entries our own walk gives. The bag holds tags of every key
// type, a descending, a unique and a FOR tag, and enough keys for several
// tree levels, built in bulk and then changed key by key.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "engine/cdx_bag.h"
#include "engine/cdx_testutil.h"

namespace engine {
namespace {

using test::MemTable;
using test::TempDir;

std::vector<std::string> runLines(const std::string& command, const std::string& outFile) {
    std::vector<std::string> out;
    if (std::system((command + " > \"" + outFile + "\"").c_str()) != 0)
        return {"<command failed: " + command + ">"};
    std::ifstream in(outFile);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

bool oracleAvailable() {
#ifdef _WIN32
    return false;
#else
    return std::system("perl -MXBase::Index -e 1 >/dev/null 2>&1") == 0;
#endif
}

TEST(CdxOracleTest, IndependentReaderSeesWhatWeWrote) {
    if (!oracleAvailable())
        GTEST_SKIP() << "perl with XBase::Index (libdbd-xbase-perl) is not available here; "
                        "the independent CDX reader is not run";
    TempDir dir;
    MemTable table({"NAME,C,20", "QTY,N,10,2", "BORN,D,8", "OK,L,1", "ID,I,4"});
    std::mt19937 rng(99);
    auto name = [&] {
        std::string s;
        for (int i = 0, n = 3 + static_cast<int>(rng() % 12); i < n; ++i)
            s += static_cast<char>('A' + rng() % 26);
        return s;
    };
    auto add = [&] {
        return table.append(
            {name(), std::to_string(static_cast<int>(rng() % 20000) - 10000) + ".25",
             std::to_string(1950 + rng() % 70) + "0" + std::to_string(1 + rng() % 9) + "15",
             rng() % 3 ? "T" : "F", std::to_string(static_cast<int>(rng() % 100000) - 50000)});
    };
    for (int i = 0; i < 4000; ++i) add();
    std::string path = dir.file("oracle.cdx"), error;
    std::unique_ptr<CdxBag> bag;
    ASSERT_EQ(CdxBag::create(path, true, false, &bag), kOk);
    struct TagDef {
        const char* tag;
        const char* key;
        const char* forExpr;
        bool unique, descending;
    };
    const TagDef tagDefs[] = {
        {"NAME", "UPPER(name)", "", false, false},
        {"QTY", "qty", "", false, false},
        {"BORN", "born", "", false, false},
        {"OK", "ok", "", false, false},
        {"ID", "id", "", false, false},
        {"DNAME", "name", "", false, true},
        {"UQTY", "qty", "", true, false},
        {"FOK", "DTOS(born)+name", "ok", false, false},
        {"MIX", "STR(qty,10,2)+UPPER(LEFT(name,5))", "", false, true},
    };
    for (const TagDef& s : tagDefs) {
        CdxTag* tag;
        ASSERT_EQ(bag->createTag(s.tag, s.key, s.forExpr, s.unique, s.descending, table.schema(),
                                 table, nullptr, &tag),
                  kOk);
    }
    // Key-by-key changes after the bulk build: appends and moved keys.
    auto entry = [&](CdxTag& t, uint32_t r, std::string* key) {
        ExprValue in;
        bool admitted = !t.filter || (t.filter->evaluate(table.record(r), &in).ok() && in.logical);
        EXPECT_EQ(cdxRecordKey(*t.key, t.format, table.record(r), key), kOk);
        return admitted;
    };
    for (int i = 0; i < 1500; ++i) {
        bool append = i % 3 != 0;
        uint32_t r = append ? add() : 1 + static_cast<uint32_t>(rng() % table.recordCount());
        std::vector<std::string> oldKeys(bag->tags().size());
        std::vector<bool> wasIn(bag->tags().size(), false);
        for (size_t t = 0; t < bag->tags().size() && !append; ++t)
            wasIn[t] = entry(*bag->tags()[t], r, &oldKeys[t]);
        if (!append) table.set(r, 0, name());
        for (size_t t = 0; t < bag->tags().size(); ++t) {
            CdxTag& tag = *bag->tags()[t];
            std::string key;
            bool nowIn = entry(tag, r, &key);
            bool found = false;
            if (wasIn[t]) {
                ASSERT_EQ(tag.tree->erase(oldKeys[t], r, &found), kOk);
            }
            CdxCursor c;
            ASSERT_EQ(tag.tree->seek(key, 0, false, &c), kOk);
            if (nowIn && !(tag.unique() && c.valid && c.key == key)) {
                ASSERT_EQ(tag.tree->insert(key, r), kOk);
            }
        }
    }
    ASSERT_EQ(bag->flush(), kOk);
    std::string script = std::string(TESTDATA_DIR) + "/../tools/oracle/cdx_dump_xbase.pl";
    std::vector<std::string> tagLines =
        runLines("perl \"" + script + "\" tags \"" + path + "\"", dir.file("tags.txt"));
    ASSERT_EQ(tagLines.size(), bag->tags().size()) << (tagLines.empty() ? "" : tagLines[0]);
    for (const std::string& line : tagLines) {
        std::string tagName = line.substr(0, line.find('\t'));
        SCOPED_TRACE(tagName);
        CdxTag* tag = bag->find(tagName);
        ASSERT_NE(tag, nullptr);
        const CdxHeader& h = tag->tree->header();
        EXPECT_NE(line.find("\tkeylen=" + std::to_string(h.keyLength) + "\t"), std::string::npos)
            << line;
        EXPECT_NE(line.find("\tkey=" + h.keyExpr + "\tfor=" + h.forExpr), std::string::npos)
            << line;
        EXPECT_NE(line.find(h.descending ? "sortorder=1" : "sortorder=0"), std::string::npos)
            << line;
        std::vector<std::string> mine;
        CdxCursor c;
        ASSERT_EQ(tag->tree->first(&c), kOk);
        while (c.valid) {
            mine.push_back(std::to_string(c.recno) + "\t" + test::toHex(c.key));
            ASSERT_EQ(tag->tree->next(&c), kOk);
        }
        ASSERT_GT(mine.size(), 100u);
        std::vector<std::string> theirs = runLines(
            "perl \"" + script + "\" walk \"" + path + "\" " + tagName, dir.file("walk.txt"));
        std::string pad = test::toHex(std::string(1, static_cast<char>(tag->tree->pad())));
        for (std::string& l : theirs)
            while (l.size() - l.find('\t') - 1 < 2u * h.keyLength) l += pad;
        EXPECT_EQ(theirs, mine);
    }
}

}  // namespace
}  // namespace engine
