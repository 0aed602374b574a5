// Bulk building and clearing of a CDX tag's B+-tree (see cdx_tree.h): leaves
// are filled left to right from sorted entries, then each interior level is
// built over the one below, so a build writes every page exactly once.
#include "engine/cdx_tree.h"

#include <algorithm>
#include <unordered_set>

#include "engine/busy.h"

namespace engine {

Status CdxTree::collectPages(uint32_t offset, int depth, std::vector<uint32_t>* pages) {
    if (depth >= kCdxMaxDepth)
        return corrupt("tree deeper than " + std::to_string(kCdxMaxDepth) + " levels");
    busyStep();
    Cached* c;
    Status r = load(offset, &c);
    if (!r.ok()) return r;
    pages->push_back(offset);
    if (c->node.leaf) return Status();
    std::vector<uint32_t> children = c->node.children;
    for (uint32_t child : children)
        if (r = collectPages(child, depth + 1, pages); !r.ok()) return r;
    return Status();
}

Status CdxTree::releaseAll() {
    if (header_.root == 0) return Status();
    std::vector<uint32_t> pages;
    Status r = collectPages(header_.root, 0, &pages);
    if (!r.ok()) return r;
    std::unordered_set<uint32_t> seen(pages.begin(), pages.end());
    if (seen.size() != pages.size()) return corrupt("a node is reached twice in the tree");
    forgetRecent();
    cache_.clear();
    for (uint32_t p : pages) {
        busyStep();
        if (r = file_->release(p); !r.ok()) return r;
    }
    header_.root = 0;
    headerDirty_ = true;
    count_ = -1;
    ++version_;
    return Status();
}

Status CdxTree::clear() {
    return build(std::string(), std::vector<uint32_t>());
}

Status CdxTree::writeLevel(std::vector<CdxNode>& nodes, std::vector<uint32_t>* offsets) {
    offsets->resize(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        busyStep();
        Status r = file_->allocate(&(*offsets)[i]);
        if (!r.ok()) return r;
    }
    uint8_t page[kCdxPageSize];
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i].left = i > 0 ? (*offsets)[i - 1] : kCdxNone;
        nodes[i].right = i + 1 < nodes.size() ? (*offsets)[i + 1] : kCdxNone;
        nodes[i].root = nodes.size() == 1;
        busyStep();
        encodeCdxNode(nodes[i], keyLength(), pad_, page);
        Status r = file_->writePage((*offsets)[i], page);
        if (!r.ok()) return r;
    }
    return Status();
}

Status CdxTree::build(const std::string& keys, const std::vector<uint32_t>& recnos) {
    return build(keys.data(), recnos.data(), nullptr, recnos.size());
}

Status CdxTree::build(const char* keys, const uint32_t* recnos, const uint32_t* order, size_t n) {
    // Free the old pages first (each once; a page reached twice means damage).
    Status r = releaseAll();
    if (!r.ok()) return r;

    size_t kl = static_cast<size_t>(keyLength());
    std::vector<CdxNode> level(1);
    int tail = 0;
    uint32_t maxRec = 0;
    for (size_t i = 0; i < n; ++i) {
        busyStep();
        size_t at = order ? order[i] : i;
        // Sorted keys are read in key order from lists in record order: ask
        // for a key and its record number some entries ahead, so that their
        // cache misses overlap.
        if (order && i + 16 < n) {
            const char* ahead = keys + size_t(order[i + 16]) * kl;
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + kl - 1);  // a long key's end, for its trailing blanks
            __builtin_prefetch(recnos + order[i + 16]);
        }
        std::string_view key(keys + at * kl, kl);
        uint32_t recno = recnos[at];
        CdxNode* cur = &level.back();
        std::string_view prev =
            cur->count() ? cur->key(cur->count() - 1, keyLength()) : std::string_view();
        int cost = cdxTailBytes(prev, key, pad_);
        uint32_t m = std::max(maxRec, recno);
        size_t need = (cur->count() + 1) * static_cast<size_t>(cdxLeafEntryBytes(m, keyLength())) +
                      static_cast<size_t>(tail + cost);
        if (cur->count() > 0 && need > static_cast<size_t>(kCdxLeafArea)) {
            // Sized like the leaf just filled, so that a leaf's lists are
            // not grown entry by entry.
            size_t expect = cur->count() + cur->count() / 8 + 1;
            level.emplace_back();
            cur = &level.back();
            cur->keys.reserve(expect * kl);
            cur->recnos.reserve(expect);
            cost = cdxTailBytes(std::string_view(), key, pad_);
            tail = 0;
            m = recno;
        }
        cur->keys.append(key);
        cur->recnos.push_back(recno);
        tail += cost;
        maxRec = m;
    }
    std::vector<uint32_t> offsets;
    if (r = writeLevel(level, &offsets); !r.ok()) return r;
    size_t cap = static_cast<size_t>(cdxInteriorCapacity(keyLength()));
    for (int depth = 0; level.size() > 1; ++depth) {
        if (depth >= kCdxMaxDepth) return corrupt("tree would be too deep");
        std::vector<CdxNode> upper;
        for (size_t i = 0; i < level.size(); ++i) {
            busyStep();
            if (i % cap == 0) {
                upper.emplace_back();
                upper.back().leaf = false;
            }
            const CdxNode& child = level[i];
            upper.back().keys.append(child.key(child.count() - 1, keyLength()));
            upper.back().recnos.push_back(child.recnos.back());
            upper.back().children.push_back(offsets[i]);
        }
        level.swap(upper);
        // The level below goes node by node: a large tag's leaves are tens
        // of thousands of small blocks to free.
        while (!upper.empty()) {
            busyStep();
            upper.pop_back();
        }
        if (r = writeLevel(level, &offsets); !r.ok()) return r;
    }
    header_.root = offsets[0];
    headerDirty_ = true;
    count_ = static_cast<int64_t>(n);
    ++version_;
    forgetRecent();
    return Status();
}

}  // namespace engine
