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
#include "engine/status.h"

namespace engine {

constexpr int kCdxMaxDepth = 32;

// A position in a tree: the entry it stands on, and where that entry was
// when the position was taken (reused while the tree is unchanged).
struct CdxCursor {
    bool valid = false;  // false: before the first or after the last entry
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
    Status insert(std::string_view key, uint32_t recno);
    // Removes an entry; *found tells whether it was there.
    Status erase(std::string_view key, uint32_t recno, bool* found);

    // Positions: first entry >= (key, recno) (or > with `after`).
    Status seek(std::string_view key, uint32_t recno, bool after, CdxCursor* c);
    Status first(CdxCursor* c);
    Status last(CdxCursor* c);
    // Steps to the next / previous entry; c->valid false past either end.
    Status next(CdxCursor* c);
    Status prev(CdxCursor* c);
    // Number of entries (walks the leaves once, then kept up to date).
    Status count(uint32_t* n);

    // Replaces the whole tree with `keys` (n * keyLength bytes) and `recnos`,
    // already sorted; the old pages go to the free list.
    Status build(const std::string& keys, const std::vector<uint32_t>& recnos);
    // The same from entries in place: entry order[i] (keys + order[i] *
    // keyLength, recnos[order[i]]) is the i-th of the `n` entries in key order.
    Status build(const char* keys, const uint32_t* recnos, const uint32_t* order, size_t n);
    // Frees every page of the tree, leaving an empty root leaf.
    Status clear();
    // Frees every page of the tree, leaving no root (the tag is being dropped).
    Status releaseAll();
    // Sets the header fields other than the root (expressions, options).
    void setHeader(const CdxHeader& h);

    // Encodes changed nodes and the header into the file (no disk write yet).
    Status flush();
    // Forgets cached nodes (another process changed the file).
    void dropCache();

private:
    struct Cached {
        CdxNode node;
        bool dirty = false;
        int tailBytes = 0;      // leaves: stored key bytes
        uint32_t maxRecno = 0;  // leaves: greatest record number (never lowered)
    };
    struct Step {
        uint32_t offset;
        size_t index;
    };

    Status load(uint32_t offset, Cached** out);
    Status newNode(bool leaf, Cached** out, uint32_t* offset);
    Status descend(std::string_view key, uint32_t recno, bool after, std::vector<Step>* path);
    Status splitLevel(std::vector<Step>& path, size_t level);
    Status splitNode(uint32_t offset, uint32_t parentOffset, uint32_t* rightOffset);
    Status growRoot(std::vector<Step>& path);
    size_t splitPoint(const Cached& c) const;
    Status fixMaxUpwards(std::vector<Step>& path, size_t level);
    Status removeNode(std::vector<Step>& path, size_t level);
    Status collapseRoot();
    Status mergeRight(std::vector<Step>& path, size_t level);
    Status collectPages(uint32_t offset, int depth, std::vector<uint32_t>* pages);
    Status settle(uint32_t leaf, size_t index, CdxCursor* c);
    Status stepLeft(uint32_t leaf, CdxCursor* c);
    Status edge(CdxCursor* c, bool lastEdge);
    bool fits(const Cached& c) const;
    void recomputeLeaf(Cached* c) const;
    Status trimCache();
    Status writeLevel(std::vector<CdxNode>& nodes, std::vector<uint32_t>* offsets);
    int compareEntry(const CdxNode& n, size_t i, std::string_view key, uint32_t recno) const;
    void setCursor(CdxCursor* c, uint32_t leaf, const CdxNode& n, size_t i) const;
    Status corrupt(const std::string& what) const;

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
