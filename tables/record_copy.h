// Record copies from another work area into the current one, field by field
// position or by field name, planned once for a pair of tables: fields
// stored alike in both (same type, length and decimals) are copied as their
// bytes in one driver call, the others as values, converted by the field
// they go into.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/value.h"
#include "tables/rdd.h"

namespace tables {

// How the fields of the two tables are paired.
enum class CopyBy {
    Position,  // field i into field i
    Name,      // each field into the field of the same name (others stay blank)
};

class PositionCopy {
public:
    // Plans copies from the area of `fromAlias` into the current area. An
    // unknown alias raises "Alias does not exist" and plans nothing.
    explicit PositionCopy(std::string_view fromAlias, CopyBy by = CopyBy::Position);

    const std::vector<FieldInfo>& source() const { return source_; }
    const std::vector<FieldInfo>& target() const { return target_; }
    // Positions in the target (0-based) whose fields differ from the fields
    // they are copied from, so that their values are converted; by
    // position, the same positions in the source.
    const std::vector<size_t>& byValue() const { return byValue_; }

    // The values at the byValue() positions of the source's current record.
    std::vector<runtime::Value> readValues() const;
    // Writes the target's current record: the alike fields from the source's
    // current record, then `values` (from readValues) into the byValue()
    // positions. A value the field does not take raises "Data type error",
    // as FIELDPUT does. Nothing is written on the target's phantom record.
    void write(const std::vector<runtime::Value>& values) const;
    // readValues() then write().
    void copy() const { write(readValues()); }

    // Appends to the target copies of the source's records from its current
    // one on, at most `limit`, every field going over as copy() would take
    // it, `visit` seeing each new record; the source moves past them. The
    // records appended (a failure raises the driver's error), or -1 with
    // nothing done when that cannot be done in one go: fields that go as
    // values, a filter or relations on the source, a shared table, another
    // driver. Copy record by record then.
    long appendCopies(long limit, const RowVisit& visit) const;

private:
    int fromArea_ = 0;
    int toArea_ = 0;
    std::vector<FieldInfo> source_, target_;
    std::vector<std::pair<int, int>> alike_;  // (target field, source field), 1-based
    std::vector<size_t> byValue_;
    std::vector<size_t> valueFrom_;  // the source position of each byValue_ entry
};

}  // namespace tables
