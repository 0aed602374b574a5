// Reading a refilled table back and comparing it with its backup.
#include "updater/refill_check.h"

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/dbf_field.h"
#include "engine/dbf_record.h"
#include "engine/table.h"
#include "os/path_parts.h"
#include "runtime/value.h"

namespace updater {
namespace {

// How one pair of fields is compared.
enum class Compare { Bytes, Text, Memo, Number, Date, DateTime, Logical, Mark };

struct FieldPair {
    int from = 0, to = 0;
    Compare how = Compare::Bytes;
    // Bytes: the run of bytes compared at once, from the field's offset in
    // each record (fields stored alike and side by side in both layouts
    // make one run).
    uint32_t fromOffset = 0, toOffset = 0, length = 0;
};

// Joins pairs compared as bytes that follow each other in both records.
std::vector<FieldPair> joinRuns(const std::vector<FieldPair>& pairs, const engine::Table& from,
                                const engine::Table& to) {
    std::vector<FieldPair> joined;
    for (FieldPair p : pairs) {
        if (p.how == Compare::Bytes) {
            const engine::FieldDesc& a = from.layout().user[size_t(p.from)];
            const engine::FieldDesc& b = to.layout().user[size_t(p.to)];
            p.fromOffset = a.offset;
            p.toOffset = b.offset;
            p.length = a.length;
            if (!joined.empty()) {
                FieldPair& last = joined.back();
                if (last.how == Compare::Bytes && last.fromOffset + last.length == p.fromOffset &&
                    last.toOffset + last.length == p.toOffset) {
                    last.length += p.length;
                    continue;
                }
            }
        }
        joined.push_back(p);
    }
    return joined;
}

bool numeric(char t) {
    return t == 'N' || t == 'F' || t == 'I' || t == 'B' || t == 'Y';
}

Compare howToCompare(const engine::FieldDesc& a, const engine::FieldDesc& b) {
    if (runtime::sameName(b.name, "L340") && b.type == 'L') return Compare::Mark;
    if (engine::isMemoType(a.type) || engine::isMemoType(b.type)) return Compare::Memo;
    if (a.type == b.type && a.length == b.length && a.decimals == b.decimals) return Compare::Bytes;
    if (numeric(a.type) && numeric(b.type)) return Compare::Number;
    if (a.type == 'D' && b.type == 'D') return Compare::Date;
    if (a.type == 'T' || b.type == 'T') return Compare::DateTime;
    if (a.type == 'L' && b.type == 'L') return Compare::Logical;
    return Compare::Text;
}

std::vector<FieldPair> pairFields(const engine::Table& from, const engine::Table& to,
                                  FieldMatch match) {
    std::vector<FieldPair> pairs;
    const auto& a = from.layout().user;
    const auto& b = to.layout().user;
    if (match == FieldMatch::ByPosition) {
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            pairs.push_back({int(i), int(i), howToCompare(a[i], b[i])});
        return pairs;
    }
    for (size_t j = 0; j < b.size(); ++j)
        for (size_t i = 0; i < a.size(); ++i)
            if (runtime::sameName(a[i].name, b[j].name))
                pairs.push_back({int(i), int(j), howToCompare(a[i], b[j])});
    return pairs;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

// The memo texts of the record pair being compared; kept from record to
// record so that their space is allocated once.
struct MemoTexts {
    std::string from, to;
};

// Whether field pair `p` holds the same value in both records; a memo that
// cannot be read is reported through `failure`.
bool sameValue(const engine::DbfRecord& a, const engine::DbfRecord& b, const FieldPair& p,
               MemoTexts& memos, std::string* failure) {
    switch (p.how) {
        case Compare::Bytes:
            return std::memcmp(a.data() + p.fromOffset, b.data() + p.toOffset, p.length) == 0;
        case Compare::Memo: {
            std::string& x = memos.from;
            std::string& y = memos.to;
            engine::Status ra = a.memoText(p.from, &x);
            engine::Status rb = b.memoText(p.to, &y);
            if (!ra.ok() || !rb.ok()) {
                *failure = !ra.ok() ? ra.message() : rb.message();
                return false;
            }
            return trimRight(x) == trimRight(y);
        }
        case Compare::Number:
            return a.number(p.from) == b.number(p.to);
        case Compare::Date:
            return a.julianDay(p.from) == b.julianDay(p.to);
        case Compare::DateTime:
            return a.dateTime(p.from) == b.dateTime(p.to);
        case Compare::Logical:
            return a.logical(p.from) == b.logical(p.to);
        case Compare::Mark:
            // Marking sets L340 and never clears it.
            return !a.logical(p.from) || b.logical(p.to);
        case Compare::Text:
            return trimRight(a.text(p.from)) == trimRight(b.text(p.to));
    }
    return false;
}

// The field of the refilled record where a pair first differs (within a
// run of bytes, the field that holds the first differing byte).
const engine::FieldDesc& differingField(const engine::DbfRecord& b, const FieldPair& p,
                                        const engine::DbfRecord& a) {
    if (p.how != Compare::Bytes) return b.field(p.to);
    uint32_t at = 0;
    while (at < p.length && a.data()[p.fromOffset + at] == b.data()[p.toOffset + at]) ++at;
    for (int i = 0; i < b.fieldCount(); ++i) {
        const engine::FieldDesc& f = b.field(i);
        if (p.toOffset + at >= f.offset && p.toOffset + at < f.offset + f.length) return f;
    }
    return b.field(p.to);
}

RefillComparison failed(const engine::Status& s) {
    RefillComparison c;
    c.why = s.message();
    return c;
}

engine::Status openForReading(const std::string& path, std::unique_ptr<engine::Table>* table) {
    engine::OpenParams p;
    p.path = path;
    p.alias = std::string(os::stemOf(path));
    p.readOnly = true;
    return engine::Table::open(p, table);
}

// A table's reads hand out one of its own record buffers, the same one
// record after record: the view is cast to the record it is once per buffer,
// not once per record.
class RecordOf {
public:
    const engine::DbfRecord* operator()(const engine::RecordView* view) {
        if (view != view_) {
            view_ = view;
            record_ = dynamic_cast<const engine::DbfRecord*>(view);
        }
        return record_;
    }

private:
    const engine::RecordView* view_ = nullptr;
    const engine::DbfRecord* record_ = nullptr;
};

}  // namespace

RefillComparison compareWithBackup(const std::string& backup, const std::string& table,
                                   FieldMatch match,
                                   const std::function<void(uint32_t, uint32_t)>& progress) {
    std::unique_ptr<engine::Table> from, to;
    if (engine::Status s = openForReading(backup, &from); !s.ok()) return failed(s);
    if (engine::Status s = openForReading(table, &to); !s.ok()) return failed(s);
    std::vector<FieldPair> pairs = joinRuns(pairFields(*from, *to, match), *from, *to);
    std::string fromName(os::fileNameOf(backup)), toName(os::fileNameOf(table));
    RefillComparison c;
    uint32_t total = from->recordCount(), written = to->recordCount();
    uint32_t next = 0;  // records of the refilled table compared so far
    RecordOf fromRecord, toRecord;
    MemoTexts memos;
    std::string failure;
    for (uint32_t n = 1; n <= total; ++n) {
        if (progress && n % 256 == 0) progress(n, total);
        const engine::RecordView* view = nullptr;
        if (engine::Status s = from->readRecord(n, &view); !s.ok()) return failed(s);
        const engine::DbfRecord* a = fromRecord(view);
        if (!a) return failed(engine::Status(engine::kCorruptTable, "not a table record"));
        if (a->deleted()) continue;
        if (next == written) {
            c.why = toName + " no tiene el registro " + std::to_string(n) + " de " + fromName;
            return c;
        }
        // The backup's record stays in its own buffer while the other is read.
        if (engine::Status s = to->readRecord(++next, &view); !s.ok()) return failed(s);
        const engine::DbfRecord* b = toRecord(view);
        if (!b) return failed(engine::Status(engine::kCorruptTable, "not a table record"));
        if (b->deleted()) {
            c.why = "el registro " + std::to_string(next) + " de " + toName + " est\xE1 borrado";
            return c;
        }
        for (const FieldPair& p : pairs) {
            if (sameValue(*a, *b, p, memos, &failure)) continue;
            c.why = failure.empty()
                        ? "el campo " + differingField(*b, p, *a).name + " del registro " +
                              std::to_string(next) + " de " + toName + " no es el del registro " +
                              std::to_string(n) + " de " + fromName
                        : failure;
            return c;
        }
    }
    if (progress) progress(total, total);
    if (next != written) {
        c.why = toName + " tiene " + std::to_string(written) + " registros y " + fromName +
                " solo " + std::to_string(next) + " visibles";
        return c;
    }
    c.same = true;
    c.records = next;
    (void)from->close();
    (void)to->close();
    return c;
}

}  // namespace updater
