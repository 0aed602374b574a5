// Private pieces of IndexSet shared by its implementation files.
#pragma once

#include <string>
#include <vector>

#include "engine/cdx_bag.h"
#include "engine/index_set.h"

namespace engine {

struct IndexSet::Order {
    CdxBag* bag;
    CdxTag* tag;
};

// The keys a record had before a change: per order, whether the record was
// in the tag and its key there.
struct IndexSet::PendingWrite {
    uint32_t recno = 0;
    std::vector<std::string> keys;
    std::vector<char> in;
    std::vector<uint64_t> serials;  // CdxTag::serial of each order then
};

}  // namespace engine
