// Private pieces of IndexSet shared by its implementation files.
#pragma once

#include <string>
#include <vector>

#include "engine/cdx_bag.h"
#include "engine/index_set.h"
#include "engine/key_worker.h"

namespace engine {

// Where a record stands in a tag, as noteKeys() tells it. kKeyUnknown: the
// tag appeared (another process created it) after the record's keys were
// noted; where the record stood in it is not known.
constexpr char kKeyOut = 0, kKeyIn = 1, kKeySkip = 2, kKeyUnknown = 3;

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

// Keys of appended records kept aside (IndexSet::beginBulk): per order, the
// key bytes one after the other and their record numbers, in append order.
struct IndexSet::Bulk {
    std::vector<std::string> keys;
    std::vector<std::vector<uint32_t>> recnos;
    size_t bytes = 0;    // memory the kept keys take
    size_t entries = 0;  // keys kept, over every order
    // Whether the first append has decided about a worker yet, and the
    // table's record the worker copies (checked to be a record of bytes
    // once, not at every append).
    bool workerDecided = false;
    const RecordView* workerRecord = nullptr;
    std::vector<size_t> keptHere;  // orders whose keys this thread keeps beside the worker
    // Computes the keys on a second thread (key_worker.h), when every tag's
    // key allows it. Last, so that it stops before the keys it fills go.
    std::unique_ptr<KeyWorker> worker;
};

}  // namespace engine
