// Positioning and stepping in a CDX tag's B+-tree (see cdx_tree.h).
#include "engine/cdx_tree.h"

#include <cstring>

namespace engine {

void CdxTree::setCursor(CdxCursor* c, uint32_t leaf, const CdxNode& n, size_t i) const {
    c->valid = true;
    c->key.assign(n.key(i, keyLength()));
    c->recno = n.recnos[i];
    c->leaf = leaf;
    c->index = i;
    c->version = version_;
}

// Stands on entry `index` of `leaf`, or, when that is past the leaf's end, on
// the first entry of the next non-empty leaf. Each step right must move
// forwards in key order, which stops cyclic sibling chains.
Status CdxTree::settle(uint32_t leaf, size_t index, CdxCursor* c) {
    Cached* n;
    Status r = load(leaf, &n);
    if (!r.ok()) return r;
    if (index < n->node.count()) {
        setCursor(c, leaf, n->node, index);
        return Status();
    }
    std::string lastKey;
    uint32_t lastRec = 0;
    bool haveLast = n->node.count() > 0;
    if (haveLast) {
        lastKey.assign(n->node.key(n->node.count() - 1, keyLength()));
        lastRec = n->node.recnos.back();
    }
    uint64_t limit = file_->sizeBytes() / kCdxPageSize + 1;
    for (uint64_t steps = 0; steps < limit; ++steps) {
        uint32_t next = n->node.right;
        if (next == kCdxNone) {
            c->valid = false;
            return Status();
        }
        if (r = load(next, &n); !r.ok()) return r;
        if (!n->node.leaf)
            return corrupt("leaf sibling " + std::to_string(next) + " is not a leaf");
        if (n->node.count() == 0) continue;
        if (haveLast && compareEntry(n->node, 0, lastKey, lastRec) <= 0)
            return corrupt("leaf " + std::to_string(next) + " out of key order (cyclic siblings?)");
        setCursor(c, next, n->node, 0);
        return Status();
    }
    return corrupt("leaf sibling chain longer than the file");
}

// Stands on the last entry before leaf `leaf` (its left siblings).
Status CdxTree::stepLeft(uint32_t leaf, CdxCursor* c) {
    Cached* n;
    Status r = load(leaf, &n);
    if (!r.ok()) return r;
    std::string firstKey;
    uint32_t firstRec = 0;
    bool haveFirst = n->node.count() > 0;
    if (haveFirst) {
        firstKey.assign(n->node.key(0, keyLength()));
        firstRec = n->node.recnos[0];
    }
    uint64_t limit = file_->sizeBytes() / kCdxPageSize + 1;
    for (uint64_t steps = 0; steps < limit; ++steps) {
        uint32_t prev = n->node.left;
        if (prev == kCdxNone) {
            c->valid = false;
            return Status();
        }
        if (r = load(prev, &n); !r.ok()) return r;
        if (!n->node.leaf)
            return corrupt("leaf sibling " + std::to_string(prev) + " is not a leaf");
        size_t cnt = n->node.count();
        if (cnt == 0) continue;
        if (haveFirst && compareEntry(n->node, cnt - 1, firstKey, firstRec) >= 0)
            return corrupt("leaf " + std::to_string(prev) + " out of key order (cyclic siblings?)");
        setCursor(c, prev, n->node, cnt - 1);
        return Status();
    }
    return corrupt("leaf sibling chain longer than the file");
}

Status CdxTree::seek(std::string_view key, uint32_t recno, bool after, CdxCursor* c) {
    if (Status s = trimCache(); !s.ok()) return s;
    std::vector<Step> path;
    Status r = descend(key, recno, after, &path);
    if (!r.ok()) return r;
    return settle(path.back().offset, path.back().index, c);
}

Status CdxTree::edge(CdxCursor* c, bool lastEdge) {
    if (Status s = trimCache(); !s.ok()) return s;
    uint32_t offset = header_.root;
    for (int depth = 0; depth < kCdxMaxDepth; ++depth) {
        Cached* n;
        Status r = load(offset, &n);
        if (!r.ok()) return r;
        size_t cnt = n->node.count();
        if (n->node.leaf) {
            if (cnt == 0) {
                // Only an empty root is expected; tolerate empty leaves by walking on.
                if (lastEdge) return stepLeft(offset, c);
                return settle(offset, 0, c);
            }
            setCursor(c, offset, n->node, lastEdge ? cnt - 1 : 0);
            return Status();
        }
        offset = n->node.children[lastEdge ? cnt - 1 : 0];
    }
    return corrupt("tree deeper than " + std::to_string(kCdxMaxDepth) + " levels (cyclic nodes?)");
}

Status CdxTree::first(CdxCursor* c) {
    return edge(c, false);
}
Status CdxTree::last(CdxCursor* c) {
    return edge(c, true);
}

Status CdxTree::next(CdxCursor* c) {
    if (!c->valid) return Status();
    if (c->version != version_ || cache_.find(c->leaf) == cache_.end()) {
        std::string key = c->key;
        return seek(key, c->recno, true, c);
    }
    return settle(c->leaf, c->index + 1, c);
}

Status CdxTree::prev(CdxCursor* c) {
    if (!c->valid) return Status();
    if (c->version != version_ || cache_.find(c->leaf) == cache_.end()) {
        std::string key = c->key;
        uint32_t recno = c->recno;
        Status r = seek(key, recno, false, c);
        if (!r.ok()) return r;
        if (!c->valid) return last(c);
    }
    if (c->index > 0) {
        Cached* n;
        Status r = load(c->leaf, &n);
        if (!r.ok()) return r;
        setCursor(c, c->leaf, n->node, c->index - 1);
        return Status();
    }
    return stepLeft(c->leaf, c);
}

Status CdxTree::count(uint32_t* n) {
    if (count_ >= 0) {
        *n = static_cast<uint32_t>(count_);
        return Status();
    }
    CdxCursor c;
    Status r = first(&c);
    uint64_t total = 0;
    while (r.ok() && c.valid) {
        Cached* leaf;
        if (r = load(c.leaf, &leaf); !r.ok()) return r;
        total += leaf->node.count();
        r = settle(c.leaf, leaf->node.count(), &c);
    }
    if (!r.ok()) return r;
    count_ = static_cast<int64_t>(total);
    *n = static_cast<uint32_t>(total);
    return Status();
}

}  // namespace engine
