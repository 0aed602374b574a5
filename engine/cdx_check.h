// A consistency checker for CDX bags, used by tests and after fuzzing: it
// reads every page as stored (after a flush) and verifies the tag directory,
// every tag tree (node kinds per level, sibling links, key order within and
// across nodes, interior entries equal to their child's greatest entry, key
// counts) and the free list, and that every page of the file belongs to
// exactly one of them.
#pragma once

#include <cstdint>
#include <string>

#include "engine/cdx_bag.h"
#include "engine/result_codes.h"

namespace engine {

// Flushes `bag`, then checks it. kOk, or kCorruptIndex with *error naming
// the first fault found.
Result cdxCheckBag(CdxBag& bag, std::string* error);

}  // namespace engine
