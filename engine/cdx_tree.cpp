// Insert, erase, split and cache of a CDX tag's B+-tree (see cdx_tree.h).
// Navigation and bulk building are in cdx_tree_nav.cpp and cdx_tree_build.cpp.
#include "engine/cdx_tree.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {
// Decoded nodes kept per tree (about 1-2 KB each). Past this, changed nodes
// are handed to the file and half of the cache is dropped.
constexpr size_t kMaxCachedNodes = 65536;
}  // namespace

CdxTree::CdxTree(CdxFile* file, uint32_t headerOffset, const CdxHeader& header, uint8_t pad)
    : file_(file), headerOffset_(headerOffset), header_(header), pad_(pad) {}

Status CdxTree::corrupt(const std::string& what) const {
    return Status(kCorruptIndex, file_->path() + ": " + what);
}

void CdxTree::setHeader(const CdxHeader& h) {
    uint32_t root = header_.root;
    header_ = h;
    header_.root = root;
    headerDirty_ = true;
}

int CdxTree::compareEntry(const CdxNode& n, size_t i, std::string_view key, uint32_t recno) const {
    int c = std::memcmp(n.keys.data() + i * static_cast<size_t>(keyLength()), key.data(),
                        static_cast<size_t>(keyLength()));
    if (c != 0) return c;
    return n.recnos[i] < recno ? -1 : n.recnos[i] > recno ? 1 : 0;
}

void CdxTree::recomputeLeaf(Cached* c) const {
    c->tailBytes = 0;
    c->maxRecno = 0;
    std::string_view prev;
    for (size_t i = 0; i < c->node.count(); ++i) {
        std::string_view k = c->node.key(i, keyLength());
        c->tailBytes += cdxTailBytes(prev, k, pad_);
        c->maxRecno = std::max(c->maxRecno, c->node.recnos[i]);
        prev = k;
    }
}

bool CdxTree::fits(const Cached& c) const {
    if (!c.node.leaf)
        return c.node.count() <= static_cast<size_t>(cdxInteriorCapacity(keyLength()));
    size_t e = static_cast<size_t>(cdxLeafEntryBytes(c.maxRecno, keyLength()));
    return c.node.count() * e + static_cast<size_t>(c.tailBytes) <=
           static_cast<size_t>(kCdxLeafArea);
}

Status CdxTree::load(uint32_t offset, Cached** out) {
    size_t pageNo = offset / kCdxPageSize;
    if (pageNo < byPage_.size() && byPage_[pageNo]) {
        *out = byPage_[pageNo];
        return Status();
    }
    auto it = cache_.find(offset);
    if (it != cache_.end()) {
        *out = &it->second;
        remember(offset, *out);
        return Status();
    }
    if (offset < kCdxHeaderSize)
        return corrupt("node pointer " + std::to_string(offset) + " inside the header");
    uint8_t page[kCdxPageSize];
    Status r = file_->readPage(offset, page);
    if (!r.ok()) return r;
    Cached c;
    if (Status s = decodeCdxNode(page, offset, keyLength(), pad_, file_->sizeBytes(), &c.node);
        !s.ok())
        return corrupt(s.message());
    if (c.node.leaf) recomputeLeaf(&c);
    *out = &cache_.emplace(offset, std::move(c)).first->second;
    remember(offset, *out);
    return Status();
}

Status CdxTree::newNode(bool leaf, Cached** out, uint32_t* offset) {
    Status r = file_->allocate(offset);
    if (!r.ok()) return r;
    Cached c;
    c.node.leaf = leaf;
    c.dirty = true;
    *out = &cache_.insert_or_assign(*offset, std::move(c)).first->second;
    remember(*offset, *out);
    return Status();
}

Status CdxTree::trimCache() {
    if (cache_.size() <= kMaxCachedNodes) return Status();
    // Changed nodes go to the file before any is dropped; a failed write
    // keeps them all cached and is the caller's failure.
    if (Status s = flush(); !s.ok()) return s;
    for (auto it = cache_.begin(); it != cache_.end() && cache_.size() > kMaxCachedNodes / 2;) {
        if (it->first == header_.root) {
            ++it;
        } else {
            forget(it->first);
            it = cache_.erase(it);
        }
    }
    return Status();
}

void CdxTree::dropCache() {
    forgetRecent();
    cache_.clear();
    count_ = -1;
    ++version_;
}

Status CdxTree::flush() {
    uint8_t page[kCdxPageSize];
    for (auto& [offset, c] : cache_) {
        if (!c.dirty) continue;
        encodeCdxNode(c.node, keyLength(), pad_, page);
        Status r = file_->writePage(offset, page);
        if (!r.ok()) return r;
        c.dirty = false;
    }
    if (headerDirty_) {
        uint8_t head[kCdxHeaderSize];
        writeCdxHeader(header_, head);
        Status r = file_->writePage(headerOffset_, head);
        if (r.ok()) r = file_->writePage(headerOffset_ + kCdxPageSize, head + kCdxPageSize);
        if (!r.ok()) return r;
        headerDirty_ = false;
    }
    return Status();
}

Status CdxTree::descend(std::string_view key, uint32_t recno, bool after, std::vector<Step>* path) {
    path->clear();
    uint32_t offset = header_.root;
    for (int depth = 0; depth < kCdxMaxDepth; ++depth) {
        Cached* c;
        Status r = load(offset, &c);
        if (!r.ok()) return r;
        const CdxNode& n = c->node;
        size_t lo = 0, hi = n.count();
        while (lo < hi) {
            size_t mid = (lo + hi) / 2;
            int cmp = compareEntry(n, mid, key, recno);
            if (after ? cmp <= 0 : cmp < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (n.leaf) {
            path->push_back({offset, lo});
            return Status();
        }
        size_t idx = lo == n.count() ? n.count() - 1 : lo;
        path->push_back({offset, idx});
        offset = n.children[idx];
    }
    return corrupt("tree deeper than " + std::to_string(kCdxMaxDepth) + " levels (cyclic nodes?)");
}

Status CdxTree::fixMaxUpwards(std::vector<Step>& path, size_t level) {
    size_t kl = static_cast<size_t>(keyLength());
    for (size_t l = level; l > 0; --l) {
        Cached *child, *parent;
        Status r = load(path[l].offset, &child);
        if (r.ok()) r = load(path[l - 1].offset, &parent);
        if (!r.ok()) return r;
        size_t n = child->node.count(), idx = path[l - 1].index;
        if (n == 0 || idx >= parent->node.count()) return Status();
        std::memcpy(&parent->node.keys[idx * kl], child->node.keys.data() + (n - 1) * kl, kl);
        parent->node.recnos[idx] = child->node.recnos[n - 1];
        parent->dirty = true;
        if (idx + 1 != parent->node.count()) return Status();
    }
    return Status();
}

Status CdxTree::insert(std::string_view key, uint32_t recno) {
    if (Status s = trimCache(); !s.ok()) return s;
    std::vector<Step> path;
    Status r = descend(key, recno, false, &path);
    if (!r.ok()) return r;
    Cached* leaf = &cache_.at(path.back().offset);
    CdxNode& n = leaf->node;
    size_t i = path.back().index, cnt = n.count(), kl = static_cast<size_t>(keyLength());
    std::string_view prev = i > 0 ? n.key(i - 1, keyLength()) : std::string_view();
    int delta = cdxTailBytes(prev, key, pad_);
    if (i < cnt) {
        std::string_view next = n.key(i, keyLength());
        delta += cdxTailBytes(key, next, pad_) - cdxTailBytes(prev, next, pad_);
    }
    n.keys.insert(i * kl, key.data(), kl);
    n.recnos.insert(n.recnos.begin() + static_cast<std::ptrdiff_t>(i), recno);
    leaf->tailBytes += delta;
    leaf->maxRecno = std::max(leaf->maxRecno, recno);
    leaf->dirty = true;
    ++version_;
    if (count_ >= 0) ++count_;
    if (i == cnt) {
        r = fixMaxUpwards(path, path.size() - 1);
        if (!r.ok()) return r;
    }
    return splitLevel(path, path.size() - 1);
}

size_t CdxTree::splitPoint(const Cached& c) const {
    const CdxNode& n = c.node;
    size_t cnt = n.count();
    bool rightmost = n.right == kCdxNone;
    if (!n.leaf) {
        size_t cap = static_cast<size_t>(cdxInteriorCapacity(keyLength()));
        size_t k = rightmost ? cnt - 1 : cnt / 2;
        return std::max<size_t>(1, std::min(k, cap));
    }
    // Bytes of the left part [0,k) and the right part [k,cnt) for each k.
    size_t e = static_cast<size_t>(cdxLeafEntryBytes(c.maxRecno, keyLength()));
    std::vector<size_t> tail(cnt), full(cnt);
    for (size_t i = 0; i < cnt; ++i) {
        std::string_view k = n.key(i, keyLength());
        full[i] = static_cast<size_t>(cdxTailBytes(std::string_view(), k, pad_));
        tail[i] = i == 0 ? full[i]
                         : static_cast<size_t>(cdxTailBytes(n.key(i - 1, keyLength()), k, pad_));
    }
    std::vector<size_t> left(cnt + 1, 0);
    for (size_t i = 0; i < cnt; ++i) left[i + 1] = left[i] + e + tail[i];
    auto rightBytes = [&](size_t k) { return left[cnt] - left[k] - tail[k] + full[k]; };
    const size_t area = static_cast<size_t>(kCdxLeafArea);
    size_t best = 0, bestLeftOnly = 1;
    for (size_t k = 1; k < cnt; ++k) {
        if (left[k] > area) break;
        bestLeftOnly = k;
        if (rightBytes(k) > area) continue;
        size_t target = rightmost ? cnt - 1 : cnt / 2;
        if (best == 0 || (k > target ? k - target : target - k) <
                             (best > target ? best - target : target - best))
            best = k;
    }
    return best != 0 ? best : bestLeftOnly;
}

Status CdxTree::growRoot(std::vector<Step>& path) {
    Cached* oldRoot;
    Status r = load(header_.root, &oldRoot);
    if (!r.ok()) return r;
    Cached* root;
    uint32_t rootOffset;
    uint32_t oldOffset = header_.root;
    r = newNode(false, &root, &rootOffset);
    if (!r.ok()) return r;
    oldRoot = &cache_.at(oldOffset);
    size_t n = oldRoot->node.count(), kl = static_cast<size_t>(keyLength());
    root->node.root = true;
    root->node.keys.assign(oldRoot->node.keys, (n - 1) * kl, kl);
    root->node.recnos.push_back(oldRoot->node.recnos[n - 1]);
    root->node.children.push_back(oldOffset);
    oldRoot->node.root = false;
    oldRoot->dirty = true;
    header_.root = rootOffset;
    headerDirty_ = true;
    path.insert(path.begin(), Step{rootOffset, 0});
    return Status();
}

// Splits `offset` at its split point; the new right node follows it in the
// parent `parentOffset`.
Status CdxTree::splitNode(uint32_t offset, uint32_t parentOffset, uint32_t* rightOffset) {
    Cached* right;
    Status r = newNode(cache_.at(offset).node.leaf, &right, rightOffset);
    if (!r.ok()) return r;
    Cached* c = &cache_.at(offset);
    CdxNode& n = c->node;
    size_t k = splitPoint(*c), kl = static_cast<size_t>(keyLength());
    CdxNode& rn = right->node;
    rn.keys.assign(n.keys, k * kl, std::string::npos);
    rn.recnos.assign(n.recnos.begin() + static_cast<std::ptrdiff_t>(k), n.recnos.end());
    n.keys.resize(k * kl);
    n.recnos.resize(k);
    if (!n.leaf) {
        rn.children.assign(n.children.begin() + static_cast<std::ptrdiff_t>(k), n.children.end());
        n.children.resize(k);
    }
    rn.left = offset;
    rn.right = n.right;
    if (n.right != kCdxNone) {
        Cached* sibling;
        r = load(n.right, &sibling);
        if (!r.ok()) return r;
        sibling->node.left = *rightOffset;
        sibling->dirty = true;
    }
    n.right = *rightOffset;
    if (n.leaf) {
        recomputeLeaf(c);
        recomputeLeaf(right);
    }
    c->dirty = right->dirty = true;
    // The parent: the left part's new greatest entry, then the right part's.
    Cached* parent;
    r = load(parentOffset, &parent);
    if (!r.ok()) return r;
    CdxNode& p = parent->node;
    auto it = std::find(p.children.begin(), p.children.end(), offset);
    if (it == p.children.end()) return corrupt("node missing from its parent");
    size_t idx = static_cast<size_t>(it - p.children.begin());
    std::string rightMax = p.keys.substr(idx * kl, kl);
    uint32_t rightMaxRec = p.recnos[idx];
    p.keys.replace(idx * kl, kl, n.keys, (k - 1) * kl, kl);
    p.recnos[idx] = n.recnos[k - 1];
    p.keys.insert((idx + 1) * kl, rightMax);
    p.recnos.insert(p.recnos.begin() + static_cast<std::ptrdiff_t>(idx + 1), rightMaxRec);
    p.children.insert(p.children.begin() + static_cast<std::ptrdiff_t>(idx + 1), *rightOffset);
    parent->dirty = true;
    return Status();
}

Status CdxTree::splitLevel(std::vector<Step>& path, size_t level) {
    for (;;) {
        std::vector<uint32_t> todo = {path[level].offset};
        bool splitAny = false;
        while (!todo.empty()) {
            uint32_t offset = todo.back();
            todo.pop_back();
            if (fits(cache_.at(offset))) continue;
            if (cache_.at(offset).node.count() < 2)
                return corrupt("a single key does not fit a node");
            if (offset == header_.root) {
                Status r = growRoot(path);
                if (!r.ok()) return r;
                ++level;
            }
            uint32_t rightOffset;
            Status r = splitNode(offset, path[level - 1].offset, &rightOffset);
            if (!r.ok()) return r;
            todo.push_back(offset);
            todo.push_back(rightOffset);
            splitAny = true;
        }
        if (!splitAny || level == 0) return Status();
        --level;
    }
}

Status CdxTree::erase(std::string_view key, uint32_t recno, bool* found) {
    if (Status s = trimCache(); !s.ok()) return s;
    *found = false;
    std::vector<Step> path;
    Status r = descend(key, recno, false, &path);
    if (!r.ok()) return r;
    Cached* leaf = &cache_.at(path.back().offset);
    CdxNode& n = leaf->node;
    size_t i = path.back().index, kl = static_cast<size_t>(keyLength());
    if (i >= n.count() || compareEntry(n, i, key, recno) != 0) return Status();
    *found = true;
    std::string_view prev = i > 0 ? n.key(i - 1, keyLength()) : std::string_view();
    int delta = -cdxTailBytes(prev, key, pad_);
    if (i + 1 < n.count()) {
        std::string_view next = n.key(i + 1, keyLength());
        delta += cdxTailBytes(prev, next, pad_) - cdxTailBytes(key, next, pad_);
    }
    n.keys.erase(i * kl, kl);
    n.recnos.erase(n.recnos.begin() + static_cast<std::ptrdiff_t>(i));
    leaf->tailBytes += delta;
    leaf->dirty = true;
    ++version_;
    if (count_ > 0) --count_;
    size_t level = path.size() - 1, remaining = n.count();  // `n` dies with removeNode
    if (remaining == 0 && level > 0)
        r = removeNode(path, level);
    else if (i == remaining && remaining > 0)
        r = fixMaxUpwards(path, level);
    if (r.ok() && remaining > 0 && level > 0) r = mergeRight(path, level);
    if (!r.ok()) return r;
    return collapseRoot();
}

Status CdxTree::removeNode(std::vector<Step>& path, size_t level) {
    uint32_t offset = path[level].offset;
    Cached* c;
    Status r = load(offset, &c);
    if (!r.ok()) return r;
    uint32_t left = c->node.left, right = c->node.right;
    Cached* sibling;
    if (left != kCdxNone) {
        if (r = load(left, &sibling); !r.ok()) return r;
        sibling->node.right = right;
        sibling->dirty = true;
    }
    if (right != kCdxNone) {
        if (r = load(right, &sibling); !r.ok()) return r;
        sibling->node.left = left;
        sibling->dirty = true;
    }
    forget(offset);
    cache_.erase(offset);
    if (r = file_->release(offset); !r.ok()) return r;
    Cached* parent;
    if (r = load(path[level - 1].offset, &parent); !r.ok()) return r;
    CdxNode& p = parent->node;
    auto it = std::find(p.children.begin(), p.children.end(), offset);
    if (it == p.children.end()) return corrupt("node missing from its parent");
    size_t idx = static_cast<size_t>(it - p.children.begin()),
           kl = static_cast<size_t>(keyLength());
    p.keys.erase(idx * kl, kl);
    p.recnos.erase(p.recnos.begin() + static_cast<std::ptrdiff_t>(idx));
    p.children.erase(it);
    parent->dirty = true;
    if (p.count() == 0) {
        if (level - 1 > 0) return removeNode(path, level - 1);
        p.leaf = true;  // the root lost its last child: an empty tree
        recomputeLeaf(parent);
        return Status();
    }
    if (idx == p.count()) return fixMaxUpwards(path, level - 1);
    return Status();
}

// A leaf that fell below a quarter of its page takes in its right sibling
// (same parent) when both fit in one page; the sibling's page is freed.
Status CdxTree::mergeRight(std::vector<Step>& path, size_t level) {
    Cached *left, *parent, *right;
    Status r = load(path[level].offset, &left);
    if (r.ok()) r = load(path[level - 1].offset, &parent);
    if (!r.ok()) return r;
    size_t e = static_cast<size_t>(cdxLeafEntryBytes(left->maxRecno, keyLength()));
    if (!left->node.leaf ||
        left->node.count() * e + static_cast<size_t>(left->tailBytes) >= kCdxLeafArea / 4)
        return Status();
    CdxNode& p = parent->node;
    size_t idx = path[level - 1].index, kl = static_cast<size_t>(keyLength());
    if (idx + 1 >= p.count() || p.children[idx] != path[level].offset ||
        p.children[idx + 1] != left->node.right)
        return Status();
    uint32_t rightOffset = left->node.right;
    if (r = load(rightOffset, &right); !r.ok()) return r;
    Cached merged = *left;
    merged.node.keys += right->node.keys;
    merged.node.recnos.insert(merged.node.recnos.end(), right->node.recnos.begin(),
                              right->node.recnos.end());
    recomputeLeaf(&merged);
    if (!fits(merged)) return Status();
    left->node.keys.swap(merged.node.keys);
    left->node.recnos.swap(merged.node.recnos);
    left->tailBytes = merged.tailBytes;
    left->maxRecno = merged.maxRecno;
    left->node.right = right->node.right;
    left->dirty = true;
    if (left->node.right != kCdxNone) {
        Cached* next;
        if (r = load(left->node.right, &next); !r.ok()) return r;
        next->node.left = path[level].offset;
        next->dirty = true;
    }
    // The parent: this leaf now ends where its sibling ended.
    p.keys.replace(idx * kl, kl, p.keys, (idx + 1) * kl, kl);
    p.recnos[idx] = p.recnos[idx + 1];
    p.keys.erase((idx + 1) * kl, kl);
    p.recnos.erase(p.recnos.begin() + static_cast<std::ptrdiff_t>(idx + 1));
    p.children.erase(p.children.begin() + static_cast<std::ptrdiff_t>(idx + 1));
    parent->dirty = true;
    forget(rightOffset);
    cache_.erase(rightOffset);
    ++version_;
    return file_->release(rightOffset);
}

Status CdxTree::collapseRoot() {
    for (int guard = 0; guard < kCdxMaxDepth; ++guard) {
        Cached* root;
        Status r = load(header_.root, &root);
        if (!r.ok()) return r;
        if (root->node.leaf || root->node.count() != 1) return Status();
        uint32_t old = header_.root, child = root->node.children[0];
        Cached* c;
        if (r = load(child, &c); !r.ok()) return r;
        c->node.root = true;
        c->node.left = c->node.right = kCdxNone;
        c->dirty = true;
        forget(old);
        cache_.erase(old);
        if (r = file_->release(old); !r.ok()) return r;
        header_.root = child;
        headerDirty_ = true;
    }
    return Status();
}

}  // namespace engine
