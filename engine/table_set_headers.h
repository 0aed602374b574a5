// The headers of one table's files read together from their bytes, before
// anything opens the table: the table header with its field descriptors,
// the memo file's header, and the index file's compound header, tag
// directory and tag headers. Nothing here opens, locks or writes a file; the
// caller hands each file's bytes in through a FileBytes (a whole file held
// in memory, or a reader over a file it opened for reading).
//
// Every length, offset and count is checked against the size of the file
// it concerns, with the rules the engine's open applies to the same bytes
// (the byte layouts are in dbf_header.h, fpt_file.h and cdx_page.h): a set
// these checks refuse, the open refuses too, so a caller can decide what to
// do with a table's files before it moves or opens any of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cdx_page.h"
#include "engine/dbf_header.h"
#include "engine/fpt_file.h"
#include "engine/status.h"
#include "os/file.h"

namespace engine {

// One file as the header readers see it.
struct FileBytes {
    std::string name;        // names the file in messages ("name: detail")
    uint64_t sizeBytes = 0;  // the file's size
    // Reads up to `n` bytes at `offset` into *out (fewer only at the end of
    // the file). A failure is handed up unchanged.
    std::function<Status(uint64_t offset, size_t n, std::string* out)> read;
};

// A file held whole in memory. REQUIRES: `bytes` outlives the result.
FileBytes fileBytesOf(std::string name, std::string_view bytes);
// A file the caller opened (for reading, shared or not) and took the size
// of; only the bytes the checks need are read. A failed read is kIoError.
// REQUIRES: `file` outlives the result.
FileBytes fileBytesOf(std::string name, os::File& file, uint64_t sizeBytes);

// One tag of the index file, as its directory entry and header give it.
struct TagHeaderInfo {
    std::string name;           // as in the directory, trailing blanks cut
    uint32_t headerOffset = 0;  // its 1024-byte header; the root lies within the file
    CdxHeader header;           // key length, options, order, expressions, root
    // Empty when the key and FOR expressions compile against the table's
    // fields and agree with the stored key length; else why not. Such a tag
    // opens for reading but refuses every change (an append, a replace).
    std::string exprError;
};

struct TableSetHeaders {
    DbfHeader table;
    uint64_t dataEndBytes = 0;  // header length + record count x record length
    uint64_t tableFileBytes = 0;
    MemoKind memoKind = MemoKind::None;  // the memo file the table needs; None: memo not read
    FptHeader memo;                      // block size and next free block (DBT too)
    bool indexRead = false;              // an index file was given and read
    std::vector<TagHeaderInfo> tags;     // in creation (header offset) order, one per name

    // Records stored past the header's count (whole records between the
    // counted data and the end of the file).
    uint64_t uncountedRecords() const;
};

// Reads and checks the headers of `table`, its memo file `memo` and its
// index file `index` (nullptr: no such file). The memo file is read only
// when the table's header asks for one (memo fields, or a version byte that
// promises one), as an FPT or a DBT as the version byte says; the index
// file is read whenever it is given, as the engine opens a structural index
// whenever it exists.
// Results, the message naming the file concerned:
//   kCorruptTable, kNotSupported  the table header or its descriptors;
//   kCorruptMemo   the memo header (block size 0, next free block inside the
//                  header, file too short), or a table that needs a memo file
//                  and has none;
//   kCorruptIndex  the file's size, the free-page list head, the compound
//                  header (not a tag directory), the directory
//                  (a page outside the file or damaged, leaves out of order
//                  or cyclic, more than kCdxMaxTags tags), a tag header
//                  outside the file or damaged (key length over 240, an
//                  expression pool out of range) or a root outside the file;
//   a read failure of a FileBytes, unchanged.
// On failure *out holds what was read before the fault.
Status readTableSetHeaders(const FileBytes& table, const FileBytes* memo, const FileBytes* index,
                           TableSetHeaders* out);

}  // namespace engine
