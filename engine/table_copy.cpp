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
    if (from.eof_) return from.fail(kAtEof, "no current record (end of file)");
    return copyPlanned(from, from.rec_.data());
}

Status Table::copyPlanned(Table& from, const uint8_t* src) {
    CopyPlan& plan = copyPlan_;
    for (auto [to, src1] : plan.nullables)
        if (!rec_.nullable(to) && from.rec_.isNull(src1))
            return fail(kTypeMismatch, "field " + rec_.user(to).name + " cannot hold NULL");
    if (Status r = beginChange(); !r.ok()) return r;
    for (const auto& [toOffset, fromOffset, bytes] : plan.runs)
        std::memcpy(rec_.data() + toOffset, src + fromOffset, bytes);
    std::string& text = plan.memoText;
    for (auto [to, field] : plan.memos) {
        // No memo there: the new field points nowhere either, as writing an
        // empty text would leave it, without a look at either memo file.
        const FieldDesc& f = from.rec_.user(field);
        uint32_t block = readMemoBlock(src + f.offset, f);
        if (block == 0) {
            const FieldDesc& t = rec_.user(to);
            writeMemoBlock(rec_.data() + t.offset, t, 0);
            continue;
        }
        if (Status r = from.rec_.memoTextOf(src, field, &text); !r.ok()) return from.memoFail(r);
        if (Status r = setText(to, text); !r.ok()) return r;
    }
    for (auto [to, src1] : plan.nullables)
        if (rec_.nullable(to)) rec_.setNull(to, from.rec_.nullable(src1) && from.rec_.isNull(src1));
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
    if (!from.shared_ && from.indexes_->currentOrder() == 0 && copyPlan_.nullables.empty())
        return appendCopiesInOrder(from, limit, visit, copied);
    while (*copied < limit) {
        busyStep();
        if (Status r = append(); !r.ok()) return r;
        if (Status r = copyPlanned(from, from.rec_.data()); !r.ok()) return r;
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

// The source's records are read where it keeps them and only the record it
// is to stand on at the end is made current: the steps are those of a skip
// forward in natural order (the DELETED setting hides the same records),
// without a copy of each record into the current one.
Status Table::appendCopiesInOrder(Table& from, uint32_t limit, const BlockVisit& visit,
                                  uint32_t* copied) {
    if (Status r = from.commit(); !r.ok()) return r;
    const bool hideDeleted = tableSettings().hideDeleted;
    const uint8_t* src = from.rec_.data();
    uint32_t at = from.rec_.recordNumber();
    from.bof_ = from.found_ = false;
    // A failure leaves the source on the record being copied, as a copy
    // record by record leaves it; the first failure is the one reported.
    auto standing = [&from, &at](Status failure) {
        (void)from.moveTo(at);
        return failure;
    };
    while (*copied < limit) {
        busyStep();
        if (Status r = append(); !r.ok()) return standing(r);
        if (Status r = copyPlanned(from, src); !r.ok()) return standing(r);
        if (visit)
            if (Status r = visit(*this); !r.ok()) return standing(r);
        ++*copied;
        do {
            if (at >= from.count_) return from.moveTo(0);  // the end of the records
            if (Status r = from.recordBytes(++at, &src); !r.ok()) {
                from.setPhantom();
                return r;
            }
        } while (hideDeleted && src[0] == '*');
    }
    return from.moveTo(at);
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
