// Table: fields copied from another table's current record as they are
// stored. A refill copies the same fields for every record, so the checks
// and the byte ranges are worked out once per pair list and source table:
// fields that follow each other in both records go over in one memcpy.
#include <cstring>

#include "engine/busy.h"
#include "engine/dbf_field.h"
#include "engine/table.h"

namespace engine {
// Checks `pairs` against both layouts and plans the copy; the plan is left
// empty (and not kept) on a failure.
Status Table::planCopy(const Table& from, const std::vector<std::pair<int, int>>& pairs) {
    CopyPlan plan;
    for (auto [to1, src1] : pairs) {
        const int to = to1 - 1, src = src1 - 1;
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

// The plan of the last copy serves while the pairs and the source stay.
Status Table::keepCopyPlan(const Table& from, const std::vector<std::pair<int, int>>& pairs) {
    if (copyPlan_.fromSerial == from.serial_ && copyPlan_.pairs == pairs) return Status();
    copyPlan_ = CopyPlan();
    return planCopy(from, pairs);
}

Status Table::copyFields(Table& from, const std::vector<std::pair<int, int>>& pairs) {
    if (Status r = keepCopyPlan(from, pairs); !r.ok()) return r;
    return copyPlanned(from);
}

// The copy of the kept plan.
Status Table::copyPlanned(Table& from) {
    CopyPlan& plan = copyPlan_;
    for (auto [to, src] : plan.nullables)
        if (!rec_.nullable(to) && from.rec_.isNull(src))
            return fail(kTypeMismatch, "field " + rec_.user(to).name + " cannot hold NULL");
    if (from.eof_) return from.fail(kAtEof, "no current record (end of file)");
    if (Status r = beginChange(); !r.ok()) return r;
    for (const auto& [toOffset, fromOffset, bytes] : plan.runs)
        std::memcpy(rec_.data() + toOffset, from.rec_.data() + fromOffset, bytes);
    std::string& text = plan.memoText;
    for (auto [to, src] : plan.memos) {
        // No memo there: the new field points nowhere either, as writing an
        // empty text would leave it, without a look at either memo file.
        const FieldDesc& f = from.rec_.user(src);
        if (readMemoBlock(from.rec_.data() + f.offset, f) == 0) {
            const FieldDesc& t = rec_.user(to);
            writeMemoBlock(rec_.data() + t.offset, t, 0);
            continue;
        }
        if (Status r = from.memo(src, &text); !r.ok()) return r;
        if (Status r = setText(to, text); !r.ok()) return r;
    }
    for (auto [to, src] : plan.nullables)
        if (rec_.nullable(to)) rec_.setNull(to, from.rec_.nullable(src) && from.rec_.isNull(src));
    return Status();
}

// One call for what a refill does record after record: append, copy the
// fields, let the caller look at the new record, step the source forward.
// The per-record work stays that of append, copyFields and skip, so the
// buffering, the index keys and the durability order are theirs.
Status Table::appendCopies(Table& from, const std::vector<std::pair<int, int>>& pairs,
                           uint32_t limit, const BlockVisit& visit, uint32_t* copied) {
    *copied = 0;
    if (&from == this) return fail(kInvalidArgument, "a table cannot be copied into itself");
    if (from.eof_) return from.fail(kAtEof, "no current record (end of file)");
    // Pairs stored differently are refused before anything is appended.
    if (Status r = keepCopyPlan(from, pairs); !r.ok()) return r;
    while (*copied < limit) {
        busyStep();
        if (Status r = append(); !r.ok()) return r;
        if (Status r = copyPlanned(from); !r.ok()) return r;
        if (visit)
            if (Status r = visit(*this); !r.ok()) return r;
        ++*copied;
        // A step that fails also leaves the source at its end: the failure
        // is told apart from the end of the records first.
        Status r = from.skip(1);
        if (!r.ok() && r != kAtEof) return r;
        if (from.eof_) break;
    }
    return Status();
}

// A pass over records in place (a journal's marking): the visit's changes
// go through the same writes as any change, the steps through skip.
Status Table::visitRecords(uint32_t limit, const BlockVisit& visit, uint32_t* visited) {
    *visited = 0;
    if (eof_) return fail(kAtEof, "no current record (end of file)");
    while (*visited < limit) {
        busyStep();
        if (visit)
            if (Status r = visit(*this); !r.ok()) return r;
        ++*visited;
        Status r = skip(1);
        if (!r.ok() && r != kAtEof) return r;  // not the end: a failed step
        if (eof_) break;
    }
    return Status();
}

}  // namespace engine
