// Record copies by field position or name (see record_copy.h).
#include "tables/record_copy.h"

#include "engine/dbf_field.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"

namespace tables {
namespace {

// Fields whose stored bytes mean the same in both tables; the others go as
// values.
bool storedAlike(const FieldInfo& a, const FieldInfo& b) {
    return a.type == b.type && a.length == b.length && a.decimals == b.decimals &&
           engine::copiesAsBytes(a.type);
}

}  // namespace

PositionCopy::PositionCopy(std::string_view fromAlias, CopyBy by) {
    fromArea_ = areaOfAlias(fromAlias);
    toArea_ = SELECT();
    AreaDriver* from = tableInArea(fromArea_);
    AreaDriver* to = tableInArea(toArea_);
    if (!from || !to) return;
    source_ = from->fields();
    target_ = to->fields();
    auto pair = [this](size_t t, size_t f) {
        if (storedAlike(source_[f], target_[t])) {
            alike_.emplace_back(static_cast<int>(t) + 1, static_cast<int>(f) + 1);
        } else {
            byValue_.push_back(t);
            valueFrom_.push_back(f);
        }
    };
    if (by == CopyBy::Position) {
        for (size_t i = 0; i < source_.size() && i < target_.size(); ++i) pair(i, i);
        return;
    }
    for (size_t t = 0; t < target_.size(); ++t)
        for (size_t f = 0; f < source_.size(); ++f)
            if (runtime::sameName(source_[f].name, target_[t].name)) {
                pair(t, f);
                break;
            }
}

std::vector<runtime::Value> PositionCopy::readValues() const {
    std::vector<runtime::Value> values;
    if (byValue_.empty()) return values;  // all fields go as bytes
    AreaSwitch sw(fromArea_);
    values.reserve(byValue_.size());
    for (size_t i : valueFrom_) values.push_back(FIELDGET(static_cast<int>(i) + 1));
    return values;
}

void PositionCopy::write(const std::vector<runtime::Value>& values) const {
    AreaDriver* from = tableInArea(fromArea_);
    AreaDriver* to = tableInArea(toArea_);
    if (!from || !to || to->eof()) return;
    AreaSwitch sw(toArea_);
    // The driver copies the bytes; on the source's phantom record (blank
    // values) or between tables of different drivers the values go instead.
    if (!alike_.empty() && (from->eof() || !to->copyFieldsFrom(*from, alike_))) {
        for (const auto& [field, src] : alike_) {
            runtime::Value v = inAlias(ALIAS(fromArea_), [src = src] { return FIELDGET(src); });
            FIELDPUT(field, v);
        }
    }
    for (size_t k = 0; k < byValue_.size() && k < values.size(); ++k)
        FIELDPUT(static_cast<int>(byValue_[k]) + 1, values[k]);
}

long PositionCopy::appendCopies(long limit, const RowVisit& visit) const {
    AreaDriver* from = tableInArea(fromArea_);
    AreaDriver* to = tableInArea(toArea_);
    if (!from || !to || !byValue_.empty()) return -1;
    AreaExtras& source = areaExtras(fromArea_);
    if (source.filter || !source.relations.empty()) return -1;
    AreaSwitch sw(toArea_);
    long n = to->appendCopiesFrom(*from, alike_, limit, visit);
    if (n >= 0) {
        NETERR(false);
        source.filteredBof = false;
    }
    return n;
}

}  // namespace tables
