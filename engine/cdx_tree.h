// The B+-tree of one CDX tag (or of a bag's tag directory): entries of
// (key bytes, record number) in ascending order of key bytes, then record
// number. Nodes are decoded once and kept in a cache; changed nodes are
// encoded and handed to the CdxFile on flush() (or when the cache is full).
//
// Every node read from the file is range-checked (cdx_page.h); a descent
// deeper than kCdxMaxDepth, or a sibling step that does not move forwards in
// key order, is reported as kCorruptIndex, so damaged files never loop.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/cdx_file.h"
#include "engine/cdx_page.h"
#include "engine/result_codes.h"

namespace engine {

constexpr int kCdxMaxDepth = 32;

// A position in a tree: the entry it stands on, and where that entry was
// when the position was taken (reused while the tree is unchanged).
struct CdxCursor {
    bool valid = false;   // false: before the first or after the last entry
    std::string key;
    uint32_t recno = 0;
    uint32_t leaf = 0;
    size_t index = 0;
    uint64_t version = 0;
};

class CdxTree {
public:
    // The tree whose header lies at `headerOffset` in `file`. REQUIRES: header
    // already parsed (its root and key length are taken from `header`).
    CdxTree(CdxFile* file, uint32_t headerOffset, const CdxHeader& header, uint8_t pad);
    CdxTree(const CdxTree&) = delete;
    CdxTree& operator=(const CdxTree&) = delete;

    const CdxHeader& header() const { return header_; }
    uint32_t headerOffset() const { return headerOffset_; }
    int keyLength() const { return header_.keyLength; }
    uint8_t pad() const { return pad_; }

    // Adds an entry. REQUIRES: key.size() == keyLength().
    Result insert(std::string_view key, uint32_t recno, std::string* error);
    // Removes an entry; *found tells whether it was there.
    Result erase(std::string_view key, uint32_t recno, bool* found, std::string* error);

    // Positions: first entry >= (key, recno) (or > with `after`).
    Result seek(std::string_view key, uint32_t recno, bool after, CdxCursor* c, std::string* error);
    Result first(CdxCursor* c, std::string* error);
    Result last(CdxCursor* c, std::string* error);
    // Steps to the next / previous entry; c->valid false past either end.
    Result next(CdxCursor* c, std::string* error);
    Result prev(CdxCursor* c, std::string* error);
    // Number of entries (walks the leaves once, then kept up to date).
    Result count(uint32_t* n, std::string* error);

    // Replaces the whole tree with `keys` (n * keyLength bytes) and `recnos`,
    // already sorted; the old pages go to the free list.
    Result build(const std::string& keys, const std::vector<uint32_t>& recnos, std::string* error);
    // Frees every page of the tree, leaving an empty root leaf.
    Result clear(std::string* error);
    // Frees every page of the tree, leaving no root (the tag is being dropped).
    Result releaseAll(std::string* error);
    // Sets the header fields other than the root (expressions, options).
    void setHeader(const CdxHeader& h);

    // Encodes changed nodes and the header into the file (no disk write yet).
    Result flush(std::string* error);
    // Forgets cached nodes (another process changed the file).
    void dropCache();

private:
    struct Cached {
        CdxNode node;
        bool dirty = false;
        int tailBytes = 0;     // leaves: stored key bytes
        uint32_t maxRecno = 0; // leaves: greatest record number (never lowered)
    };
    struct Step {
        uint32_t offset;
        size_t index;
    };

    Result load(uint32_t offset, Cached** out, std::string* error);
    Result newNode(bool leaf, Cached** out, uint32_t* offset, std::string* error);
    Result descend(std::string_view key, uint32_t recno, bool after, std::vector<Step>* path, std::string* error);
    Result splitLevel(std::vector<Step>& path, size_t level, std::string* error);
    Result splitNode(uint32_t offset, uint32_t parentOffset, uint32_t* rightOffset, std::string* error);
    Result growRoot(std::vector<Step>& path, std::string* error);
    size_t splitPoint(const Cached& c) const;
    Result fixMaxUpwards(std::vector<Step>& path, size_t level, std::string* error);
    Result removeNode(std::vector<Step>& path, size_t level, std::string* error);
    Result collapseRoot(std::string* error);
    Result mergeRight(std::vector<Step>& path, size_t level, std::string* error);
    Result collectPages(uint32_t offset, int depth, std::vector<uint32_t>* pages, std::string* error);
    Result settle(uint32_t leaf, size_t index, CdxCursor* c, std::string* error);
    Result stepLeft(uint32_t leaf, CdxCursor* c, std::string* error);
    Result edge(CdxCursor* c, bool lastEdge, std::string* error);
    bool fits(const Cached& c) const;
    void recomputeLeaf(Cached* c) const;
    void trimCache(std::string* error);
    Result writeLevel(std::vector<CdxNode>& nodes, std::vector<uint32_t>* offsets, std::string* error);
    int compareEntry(const CdxNode& n, size_t i, std::string_view key, uint32_t recno) const;
    void setCursor(CdxCursor* c, uint32_t leaf, const CdxNode& n, size_t i) const;
    Result corrupt(std::string* error, const std::string& what);

    CdxFile* file_;
    uint32_t headerOffset_;
    CdxHeader header_;
    uint8_t pad_;
    bool headerDirty_ = false;
    int64_t count_ = -1;
    uint64_t version_ = 1;
    std::unordered_map<uint32_t, Cached> cache_;
    // Cached nodes by page number (offset / 512), so that a lookup is an
    // array access; nullptr where the page is not cached. Kept in step with
    // cache_ by remember() and forget().
    std::vector<Cached*> byPage_;
    void remember(uint32_t offset, Cached* c) {
        size_t i = offset / kCdxPageSize;
        if (i >= byPage_.size()) byPage_.resize(i + 1 + i / 4, nullptr);
        byPage_[i] = c;
    }
    void forget(uint32_t offset) {
        size_t i = offset / kCdxPageSize;
        if (i < byPage_.size()) byPage_[i] = nullptr;
    }
    void forgetRecent() { byPage_.assign(byPage_.size(), nullptr); }
};

}  // namespace engine
