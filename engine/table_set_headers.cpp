// Reading a table's, its memo's and its index's headers from their bytes
// (see table_set_headers.h).
#include "engine/table_set_headers.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "engine/byte_order.h"
#include "engine/cdx_bag.h"
#include "engine/cdx_file.h"
#include "engine/cdx_tree.h"
#include "engine/dbf_record.h"

namespace engine {

namespace {

// Reads `n` bytes at `offset` of `file`; a short read (the file ends first)
// leaves *out shorter.
Status readBytes(const FileBytes& file, uint64_t offset, size_t n, std::string* out) {
    out->clear();
    if (offset >= file.sizeBytes) return Status();
    n = size_t(std::min<uint64_t>(n, file.sizeBytes - offset));
    if (Status r = file.read(offset, n, out); !r.ok()) return r;
    if (out->size() > n) out->resize(n);
    return Status();
}

// A page of the index, zero-filled past what the file gives (as the
// engine's page reader does). kCorruptIndex when it lies outside the file.
Status readPage(const FileBytes& index, uint32_t offset, uint8_t* page) {
    if (offset % kCdxPageSize != 0 || offset + uint64_t(kCdxPageSize) > index.sizeBytes)
        return Status::error(kCorruptIndex, index.name,
                             "page " + std::to_string(offset) + " outside the file");
    std::string bytes;
    if (Status r = readBytes(index, offset, kCdxPageSize, &bytes); !r.ok()) return r;
    std::memset(page, 0, kCdxPageSize);
    std::memcpy(page, bytes.data(), bytes.size());
    return Status();
}

Status readNode(const FileBytes& index, uint32_t offset, CdxNode* node) {
    uint8_t page[kCdxPageSize];
    if (Status r = readPage(index, offset, page); !r.ok()) return r;
    if (Status r = decodeCdxNode(page, offset, kCdxTagNameLength, kCdxBlank, index.sizeBytes, node);
        !r.ok())
        return Status::error(kCorruptIndex, index.name, r.message());
    return Status();
}

// Entry i of `n` against a key and record number: the directory's order.
int compareEntry(const CdxNode& n, size_t i, std::string_view key, uint32_t recno) {
    int c = n.key(i, kCdxTagNameLength).compare(key);
    if (c != 0) return c;
    return n.recnos[i] < recno ? -1 : n.recnos[i] > recno ? 1 : 0;
}

// The directory's entries in order, walked as the engine's cursor walks a
// tree: down the first children to a leaf, then along the right siblings,
// each non-empty leaf starting after the last entry seen.
Status readDirectory(const FileBytes& index, uint32_t root,
                     std::vector<std::pair<std::string, uint32_t>>* entries) {
    CdxNode n;
    uint32_t offset = root;
    for (int depth = 0;; ++depth) {
        if (depth == kCdxMaxDepth)
            return Status::error(kCorruptIndex, index.name,
                                 "tag directory deeper than " + std::to_string(kCdxMaxDepth) +
                                     " levels (cyclic nodes?)");
        if (Status r = readNode(index, offset, &n); !r.ok()) return r;
        if (n.leaf) break;
        offset = n.children[0];  // decoding refuses an interior node without keys
    }
    std::string lastKey;
    uint32_t lastRecno = 0;
    uint64_t steps = index.sizeBytes / kCdxPageSize + 1;
    while (true) {
        if (n.count() > 0 && !entries->empty() && compareEntry(n, 0, lastKey, lastRecno) <= 0)
            return Status::error(
                kCorruptIndex, index.name,
                "leaf " + std::to_string(offset) + " out of key order (cyclic siblings?)");
        for (size_t i = 0; i < n.count(); ++i) {
            if (entries->size() >= kCdxMaxTags)
                return Status::error(kCorruptIndex, index.name,
                                     "more than " + std::to_string(kCdxMaxTags) + " tags");
            entries->emplace_back(cdxTrimTagName(n.key(i, kCdxTagNameLength)), n.recnos[i]);
            lastKey.assign(n.key(i, kCdxTagNameLength));
            lastRecno = n.recnos[i];
        }
        if (n.right == kCdxNone) return Status();
        if (steps-- == 0)
            return Status::error(kCorruptIndex, index.name,
                                 "leaf sibling chain longer than the file");
        offset = n.right;
        if (Status r = readNode(index, offset, &n); !r.ok()) return r;
        if (!n.leaf)
            return Status::error(kCorruptIndex, index.name,
                                 "leaf sibling " + std::to_string(offset) + " is not a leaf");
    }
}

Status readTagHeader(const FileBytes& index, uint32_t offset, CdxHeader* header) {
    if (Status s = checkCdxTagHeaderPlace(offset, index.sizeBytes); !s.ok())
        return Status::error(s.code(), index.name, s.message());
    uint8_t head[kCdxHeaderSize];
    if (Status r = readPage(index, offset, head); !r.ok()) return r;
    if (Status r = readPage(index, offset + kCdxPageSize, head + kCdxPageSize); !r.ok()) return r;
    if (Status s = parseCdxTagHeader(head, offset, index.sizeBytes, header); !s.ok())
        return Status::error(s.code(), index.name, s.message());
    return Status();
}

Status readTable(const FileBytes& table, TableSetHeaders* out) {
    out->tableFileBytes = table.sizeBytes;
    std::string head;
    if (Status r = readBytes(table, 0, kDbfMaxHeaderBytes, &head); !r.ok()) return r;
    if (Status r = parseDbfHeader(head, table.sizeBytes, &out->table); !r.ok())
        return Status::error(r.code(), table.name, r.message());
    out->dataEndBytes = uint64_t(out->table.headerBytes) +
                        uint64_t(out->table.recordCount) * out->table.recordBytes;
    return Status();
}

Status readMemo(const FileBytes& table, const FileBytes* memo, TableSetHeaders* out) {
    out->memoKind = out->table.memoKind();
    if (out->memoKind == MemoKind::None) return Status();
    if (!memo) return Status::error(kCorruptMemo, table.name, "its memo file is missing");
    std::string head;
    if (Status r = readBytes(*memo, 0, kFptHeaderBytes, &head); !r.ok()) return r;
    if (Status r =
            parseMemoHeader(head, memo->sizeBytes, out->memoKind == MemoKind::Dbt, &out->memo);
        !r.ok())
        return Status::error(kCorruptMemo, memo->name, r.message());
    return Status();
}

Status readIndex(const FileBytes& index, TableSetHeaders* out) {
    out->indexRead = true;
    if (Status r = checkCdxFileSize(index.sizeBytes); !r.ok())
        return Status::error(r.code(), index.name, r.message());
    uint8_t head[kCdxHeaderSize];
    if (Status r = readPage(index, 0, head); !r.ok()) return r;
    if (Status r = readPage(index, kCdxPageSize, head + kCdxPageSize); !r.ok()) return r;
    uint32_t freeHead = 0, counter = 0;
    if (Status r = parseCdxFileHead(head, index.sizeBytes, &freeHead, &counter); !r.ok())
        return Status::error(r.code(), index.name, r.message());
    CdxHeader directory;
    if (Status r = parseCdxDirectoryHeader(head, &directory); !r.ok())
        return Status::error(r.code(), index.name, r.message());
    std::vector<std::pair<std::string, uint32_t>> entries;
    if (Status r = readDirectory(index, directory.root, &entries); !r.ok()) return r;
    TableLayout layout;
    layout.build(out->table, "T");
    DbfRecord schema(&layout, nullptr);
    std::set<std::string> names;
    for (const auto& [name, offset] : entries) {
        TagHeaderInfo tag;
        tag.name = name;
        tag.headerOffset = offset;
        if (Status r = readTagHeader(index, offset, &tag.header); !r.ok()) return r;
        // A later entry whose upper-cased name is already taken is dropped, as
        // the bag's open drops it.
        if (names.count(cdxUpperTagName(name))) continue;
        names.insert(name);
        CdxTag compiled;
        compiled.name = name;
        cdxPrepareStoredTag(compiled, tag.header, schema);
        tag.exprError = compiled.exprError;
        out->tags.push_back(std::move(tag));
    }
    std::sort(out->tags.begin(), out->tags.end(), [](const auto& a, const auto& b) {
        return a.headerOffset != b.headerOffset ? a.headerOffset < b.headerOffset : a.name < b.name;
    });
    return Status();
}

}  // namespace

FileBytes fileBytesOf(std::string name, std::string_view bytes) {
    FileBytes f;
    f.name = std::move(name);
    f.sizeBytes = bytes.size();
    f.read = [bytes](uint64_t offset, size_t n, std::string* out) {
        out->assign(bytes.substr(size_t(std::min<uint64_t>(offset, bytes.size())), n));
        return Status();
    };
    return f;
}

FileBytes fileBytesOf(std::string name, os::File& file, uint64_t sizeBytes) {
    FileBytes f;
    f.name = std::move(name);
    f.sizeBytes = sizeBytes;
    f.read = [&file](uint64_t offset, size_t n, std::string* out) {
        out->resize(n);
        auto got = file.read(offset, out->data(), n);
        if (!got.ok()) return Status::ioError(got.status());
        out->resize(got.value());
        return Status();
    };
    return f;
}

uint64_t TableSetHeaders::uncountedRecords() const {
    if (table.recordBytes == 0 || tableFileBytes <= dataEndBytes) return 0;
    return (tableFileBytes - dataEndBytes) / table.recordBytes;
}

Status readTableSetHeaders(const FileBytes& table, const FileBytes* memo, const FileBytes* index,
                           TableSetHeaders* out) {
    *out = TableSetHeaders();
    if (Status r = readTable(table, out); !r.ok()) return r;
    if (Status r = readMemo(table, memo, out); !r.ok()) return r;
    if (index) return readIndex(*index, out);
    return Status();
}

}  // namespace engine
