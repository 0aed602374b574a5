// The CDX bag checker (see cdx_check.h).
#include "engine/cdx_check.h"

#include <cstring>
#include <set>
#include <vector>

#include "engine/busy.h"

namespace engine {

namespace {

struct Expect {
    uint32_t offset;
    std::string maxKey;  // empty: no expectation (the root)
    uint32_t maxRecno;
};

class TreeChecker {
public:
    TreeChecker(CdxFile& file, std::set<uint32_t>& used, const CdxCheckOptions& options)
        : file_(file), used_(used), options_(options) {}

    Status check(const std::string& what, uint32_t root, int keyLength, uint8_t pad,
                 uint64_t* keys) {
        what_ = what;
        kl_ = static_cast<size_t>(keyLength);
        std::vector<Expect> level = {{root, std::string(), 0}};
        *keys = 0;
        for (int depth = 0; !level.empty(); ++depth) {
            if (depth >= kCdxMaxDepth)
                return bad("deeper than " + std::to_string(kCdxMaxDepth) + " levels");
            std::vector<Expect> below;
            bool leafLevel = false;
            std::string lastKey;
            uint32_t lastRec = 0;
            bool haveLast = false;
            CdxNode n;  // decoded page after page into the same buffers
            for (size_t i = 0; i < level.size(); ++i) {
                const Expect& e = level[i];
                busyStep();
                if (!used_.insert(e.offset).second)
                    return bad("page " + std::to_string(e.offset) + " used twice");
                uint8_t page[kCdxPageSize];
                if (Status s = file_.readPage(e.offset, page); !s.ok()) return s;
                if (Status s = decodeCdxNode(page, e.offset, keyLength, pad, file_.sizeBytes(), &n);
                    !s.ok())
                    return bad(s.message());
                if (i == 0) leafLevel = n.leaf;
                if (n.leaf != leafLevel) return bad("leaves at different depths");
                if (n.root != (depth == 0))
                    return bad("root flag wrong at " + std::to_string(e.offset));
                uint32_t wantLeft = i > 0 ? level[i - 1].offset : kCdxNone;
                uint32_t wantRight = i + 1 < level.size() ? level[i + 1].offset : kCdxNone;
                if (n.left != wantLeft || n.right != wantRight)
                    return bad("sibling links wrong at " + std::to_string(e.offset));
                if (n.count() == 0 && depth > 0)
                    return bad("empty node at " + std::to_string(e.offset));
                for (size_t k = 0; k < n.count(); ++k) {
                    std::string_view key = n.key(k, keyLength);
                    std::string_view last = k > 0 ? n.key(k - 1, keyLength) : lastKey;
                    if (haveLast && (key < last || (key == last && n.recnos[k] <= lastRec)))
                        return bad("keys out of order at " + std::to_string(e.offset));
                    lastRec = n.recnos[k];
                    if (n.leaf && options_.maxRecno != 0 &&
                        (lastRec == 0 || lastRec > options_.maxRecno))
                        return bad("record " + std::to_string(lastRec) + " beyond the table's " +
                                   std::to_string(options_.maxRecno));
                    haveLast = true;
                    if (!n.leaf) below.push_back({n.children[k], std::string(key), n.recnos[k]});
                }
                // The next node's first key is compared with this node's last.
                if (n.count() > 0) lastKey.assign(n.key(n.count() - 1, keyLength));
                if (options_.strict && !e.maxKey.empty() &&
                    (n.count() == 0 || std::string(n.key(n.count() - 1, keyLength)) != e.maxKey ||
                     n.recnos.back() != e.maxRecno))
                    return bad("parent entry differs from the greatest key of " +
                               std::to_string(e.offset));
                if (n.leaf) *keys += n.count();
            }
            if (leafLevel) break;
            level.swap(below);
        }
        return Status();
    }

private:
    Status bad(const std::string& what) const {
        return Status::error(kCorruptIndex, file_.path(), what_ + ": " + what);
    }

    CdxFile& file_;
    std::set<uint32_t>& used_;
    const CdxCheckOptions& options_;
    std::string what_;
    size_t kl_ = 0;
};

Status checkFreeList(CdxFile& file, std::set<uint32_t>& used) {
    uint32_t p = file.freeListHead();
    std::set<uint32_t> seen;
    while (p != 0 && p != kCdxNone) {
        if (p % kCdxPageSize != 0 || p < kCdxHeaderSize || p >= file.sizeBytes() || used.count(p) ||
            !seen.insert(p).second) {
            return Status(kCorruptIndex,
                          file.path() + ": free list broken at " + std::to_string(p));
        }
        busyStep();
        uint8_t page[kCdxPageSize];
        Status r = file.readPage(p, page);
        if (!r.ok()) return r;
        p = getU32le(page);
    }
    used.insert(seen.begin(), seen.end());
    return Status();
}

}  // namespace

Status cdxCheckBag(CdxBag& bag, const CdxCheckOptions& options, std::vector<uint64_t>* keyCounts) {
    Status r = bag.flush();
    if (!r.ok()) return r;
    CdxFile& file = bag.file();
    std::set<uint32_t> used = {0, kCdxPageSize};
    CdxCheckOptions directoryOptions = options;
    directoryOptions.maxRecno = 0;  // directory entries hold tag header offsets
    TreeChecker directoryChecker(file, used, directoryOptions);
    TreeChecker checker(file, used, options);
    uint64_t keys = 0;
    if (r = directoryChecker.check("tag directory", bag.directory().header().root,
                                   kCdxTagNameLength, kCdxBlank, &keys);
        !r.ok())
        return r;
    if (keys != bag.tags().size()) {
        return Status(kCorruptIndex, file.path() + ": directory lists " + std::to_string(keys) +
                                         " tags, " + std::to_string(bag.tags().size()) + " open");
    }
    for (const auto& t : bag.tags()) {
        uint32_t h = t->tree->headerOffset();
        if (!used.insert(h).second || !used.insert(h + kCdxPageSize).second) {
            return Status(kCorruptIndex,
                          file.path() + ": tag header of " + t->name + " overlaps another page");
        }
        if (r = checker.check("tag " + t->name, t->tree->header().root, t->tree->keyLength(),
                              t->tree->pad(), &keys);
            !r.ok())
            return r;
        if (keyCounts) keyCounts->push_back(keys);
        uint32_t counted = 0;
        if (!options.strict) continue;
        if (r = t->tree->count(&counted); !r.ok()) return r;
        if (counted != keys) {
            return Status(kCorruptIndex, file.path() + ": tag " + t->name + " counts " +
                                             std::to_string(counted) + " keys, holds " +
                                             std::to_string(keys));
        }
    }
    if (r = checkFreeList(file, used); !r.ok()) return r;
    if (!options.strict) return Status();
    for (uint64_t p = 0; p < file.sizeBytes(); p += kCdxPageSize) {
        if (!used.count(static_cast<uint32_t>(p))) {
            return Status(kCorruptIndex, file.path() + ": page " + std::to_string(p) +
                                             " is neither used nor free");
        }
    }
    return Status();
}

}  // namespace engine
