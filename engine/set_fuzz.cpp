// libFuzzer target: a table, its memo file and its index file read together
// from arbitrary bytes, as a caller does before it moves or opens any of
// them (readTableSetHeaders). The input is framed:
//
//   OFFSET SIZE DESCRIPTION
//        0    1 flags: 0x01 a memo file is given, 0x02 an index file is given
//        1    4 table length T, little-endian
//        5    4 memo length M, little-endian
//        9    T the table's bytes (cut to what is there)
//      9+T    M the memo's bytes (cut to what is there)
//    9+T+M    - the index's bytes: the rest
//
// What must hold, beyond no crash and no read out of bounds:
// - a refusal has one of the readers' codes and a message naming the file;
// - what is accepted lies within the given bytes: the header and the
//   counted records within the table, a memo with a block size, every tag
//   header and root within the index, at most kCdxMaxTags tags, one per name;
// - the headers accept exactly the sets that the engine opens (shared, read
//   only) from the same bytes written as files: that open reads the same
//   headers, and a damaged tree only makes its index stale.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "engine/byte_order.h"
#include "engine/cdx_bag.h"
#include "engine/engine.h"
#include "engine/table_set_headers.h"

namespace {

using namespace engine;

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "set_fuzz: %s: %s\n", what, detail.c_str());
    __builtin_trap();
}

void checkRefusal(const Status& s) {
    Result c = s.code();
    if (c != kCorruptTable && c != kNotSupported && c != kCorruptMemo && c != kCorruptIndex)
        fail("refused with an unexpected code", std::to_string(c) + " " + s.message());
    const std::string& m = s.message();
    if (m.rfind("T.dbf: ", 0) != 0 && m.rfind("T.memo: ", 0) != 0 && m.rfind("T.cdx: ", 0) != 0)
        fail("refusal without the file's name", m);
}

void checkAccepted(const TableSetHeaders& h, uint64_t memoBytes, bool memoGiven,
                   uint64_t indexBytes) {
    const DbfHeader& t = h.table;
    if (t.headerBytes > h.tableFileBytes || h.dataEndBytes > h.tableFileBytes)
        fail("table header or records beyond the table", std::to_string(h.dataEndBytes));
    for (const FieldDesc& f : t.fields)
        if (uint32_t(f.offset) + f.length > t.recordBytes) fail("field beyond the record", f.name);
    if (h.memoKind != MemoKind::None) {
        if (!memoGiven) fail("memo needed but accepted without one", "");
        if (h.memo.blockSize == 0) fail("memo block size 0 accepted", "");
        if (h.memoKind == MemoKind::Fpt &&
            (memoBytes < 8 || uint64_t(h.memo.nextFree) * h.memo.blockSize < kFptHeaderBytes))
            fail("memo header accepted inside the header", std::to_string(h.memo.nextFree));
    }
    if (h.tags.size() > kCdxMaxTags) fail("too many tags", std::to_string(h.tags.size()));
    std::set<std::string> names;
    for (const TagHeaderInfo& tag : h.tags) {
        if (!names.insert(cdxUpperTagName(tag.name)).second) fail("tag name twice", tag.name);
        if (tag.headerOffset % kCdxPageSize != 0 || tag.headerOffset < kCdxHeaderSize ||
            tag.headerOffset + uint64_t(kCdxHeaderSize) > indexBytes)
            fail("tag header outside the index", std::to_string(tag.headerOffset));
        if (tag.header.root % kCdxPageSize != 0 || tag.header.root >= indexBytes)
            fail("tag root outside the index", std::to_string(tag.header.root));
        if (tag.header.keyLength == 0 || tag.header.keyLength > kCdxMaxKeyLength)
            fail("key length out of range", std::to_string(tag.header.keyLength));
    }
}

void writeFile(const std::filesystem::path& p, std::string_view bytes) {
    FILE* f = std::fopen(p.c_str(), "wb");
    if (!f) fail("cannot write", p.string());
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// Opens the same bytes through the engine; true when the open succeeds.
bool engineOpens(std::string_view table, const std::string_view* memo, bool dbt,
                 const std::string_view* index) {
    static const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("set_fuzz_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    writeFile(dir / "T.dbf", table);
    if (memo) writeFile(dir / (dbt ? "T.dbt" : "T.fpt"), *memo);
    if (index) writeFile(dir / "T.cdx", *index);
    Handle h = 0;
    Status r = openTable((dir / "T.dbf").string(), "T", kTypeCdx, kOpenShared | kOpenReadOnly, &h);
    if (!r.ok()) return false;
    (void)closeTable(h);  // read only: nothing to write, so nothing to lose
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    std::string_view in(reinterpret_cast<const char*>(data), size);
    uint8_t flags = data[0];
    std::string_view rest = in.substr(9);
    std::string_view table = rest.substr(0, getU32le(data + 1));
    rest.remove_prefix(table.size());
    std::string_view memo = rest.substr(0, getU32le(data + 5));
    rest.remove_prefix(memo.size());
    std::string_view index = rest;

    FileBytes tableFile = fileBytesOf("T.dbf", table);
    FileBytes memoFile = fileBytesOf("T.memo", memo);
    FileBytes indexFile = fileBytesOf("T.cdx", index);
    bool memoGiven = flags & 1, indexGiven = flags & 2;
    TableSetHeaders h;
    Status r = readTableSetHeaders(tableFile, memoGiven ? &memoFile : nullptr,
                                   indexGiven ? &indexFile : nullptr, &h);
    if (r.ok())
        checkAccepted(h, memo.size(), memoGiven, index.size());
    else
        checkRefusal(r);

    bool opens = engineOpens(table, memoGiven ? &memo : nullptr, h.memoKind == MemoKind::Dbt,
                             indexGiven ? &index : nullptr);
    if (opens && !r.ok()) fail("the engine opens a set the headers refuse", r.message());
    if (!opens && r.ok())
        fail("the headers accept a set the engine refuses", lastError().message());
    return 0;
}
