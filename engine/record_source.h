// What a bulk build of index tags reads: the table's records one by one
// (RecordSource), and how far it has come (IndexBuildProgress).
#pragma once

#include <cstdint>
#include <functional>

#include "engine/record_view.h"
#include "engine/status.h"

namespace engine {

// Hands the table's records to a bulk build (createTag, rebuildAll).
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // Records in the table, deleted ones included.
    virtual uint32_t recordCount() const = 0;
    // Reads record `recordNumber` (1-based) and points *view at it; the view
    // stays valid until the next call. REQUIRES: 1 <= recordNumber <= count.
    virtual Status readRecord(uint32_t recordNumber, const RecordView** view) = 0;
};

// Called during a bulk build with the records read so far and the total;
// its result is ignored. Called at most about 100 times per build, and
// always once at the end with done == total.
using IndexBuildProgress = std::function<void(uint32_t done, uint32_t total)>;

}  // namespace engine
