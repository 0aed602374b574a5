// A consistency checker for CDX bags, used by tests and after fuzzing: it
// reads every page as stored (after a flush) and verifies the tag directory,
// every tag tree (node kinds per level, sibling links, key order within and
// across nodes, interior entries equal to their child's greatest entry, key
// counts) and the free list, and that every page of the file belongs to
// exactly one of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/cdx_bag.h"
#include "engine/status.h"

namespace engine {

struct CdxCheckOptions {
    // Strict: also require every interior entry to equal its child's greatest
    // entry and every page of the file to be used or free. Files of other
    // writers may legitimately leave orphan pages behind, so opening a bag
    // checks without these two rules.
    bool strict = true;
    // When not 0, every record number must lie in [1, maxRecno].
    uint32_t maxRecno = 0;
};

// Flushes `bag` (nothing is written when nothing changed), then checks it.
// kOk, or kCorruptIndex with *error naming the first fault found.
// keyCounts, when given, receives the number of keys of each tag.
Status cdxCheckBag(CdxBag& bag, const CdxCheckOptions& options = {},
                   std::vector<uint64_t>* keyCounts = nullptr);

}  // namespace engine
