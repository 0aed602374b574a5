// Table: fields copied from another table's current record as they are
// stored. A refill copies the same fields for every record, so the checks
// and the byte ranges are worked out once per pair list and source table:
// fields that follow each other in both records go over in one memcpy.
#include <cstring>

#include "engine/dbf_field.h"
#include "engine/table.h"

namespace engine {
namespace {

// Field types whose stored bytes mean the same in any table (V and Q carry
// a length elsewhere in the record, I may move an autoincrement counter).
bool copiesAsBytes(char type) {
    return std::string_view("CNFDLMBYT").find(type) != std::string_view::npos;
}

}  // namespace

// Checks `pairs` against both layouts and plans the copy; the plan is left
// empty (and not kept) on a failure.
Status Table::planCopy(const Table& from, const std::vector<std::pair<int, int>>& pairs) {
    CopyPlan plan;
    for (auto [to, src] : pairs) {
        if (to < 0 || to >= fieldCount() || src < 0 || src >= from.fieldCount())
            return fail(kFieldNotFound, "no such field to copy");
        const FieldDesc& t = rec_.user(to);
        const FieldDesc& f = from.rec_.user(src);
        if (t.type != f.type || t.length != f.length || t.decimals != f.decimals ||
            !copiesAsBytes(t.type))
            return fail(kTypeMismatch,
                        "field " + t.name + " is not stored as " + from.path_ + "'s " + f.name);
        if (rec_.nullable(to) || from.rec_.nullable(src)) plan.nullables.emplace_back(to, src);
        if (isMemoType(t.type)) {
            plan.memos.emplace_back(to, src);
            continue;
        }
        auto& runs = plan.runs;
        if (!runs.empty() && runs.back()[0] + runs.back()[2] == t.offset &&
            runs.back()[1] + runs.back()[2] == f.offset)
            runs.back()[2] += t.length;
        else
            runs.push_back({t.offset, f.offset, t.length});
    }
    plan.fromSerial = from.serial_;
    plan.pairs = pairs;
    copyPlan_ = std::move(plan);
    return Status();
}

Status Table::copyFields(Table& from, const std::vector<std::pair<int, int>>& pairs) {
    if (copyPlan_.fromSerial != from.serial_ || copyPlan_.pairs != pairs) {
        copyPlan_ = CopyPlan();
        if (Status r = planCopy(from, pairs); !r.ok()) return r;
    }
    const CopyPlan& plan = copyPlan_;
    for (auto [to, src] : plan.nullables)
        if (!rec_.nullable(to) && from.rec_.isNull(src))
            return fail(kTypeMismatch, "field " + rec_.user(to).name + " cannot hold NULL");
    if (from.eof_) return from.fail(kAtEof, "no current record (end of file)");
    if (Status r = beginChange(); !r.ok()) return r;
    for (const auto& [toOffset, fromOffset, bytes] : plan.runs)
        std::memcpy(rec_.data() + toOffset, from.rec_.data() + fromOffset, bytes);
    std::string text;
    for (auto [to, src] : plan.memos) {
        if (Status r = from.memo(src, &text); !r.ok()) return r;
        if (Status r = setText(to, text); !r.ok()) return r;
    }
    for (auto [to, src] : plan.nullables)
        if (rec_.nullable(to)) rec_.setNull(to, from.rec_.nullable(src) && from.rec_.isNull(src));
    return Status();
}

}  // namespace engine
