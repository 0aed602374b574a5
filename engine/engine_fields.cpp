// The public API's field reads and writes on the current record.
#include <algorithm>

#include "engine/dbf_field.h"
#include "engine/engine.h"
#include "engine/engine_state.h"

namespace engine {
namespace {

Status mismatch(Table* t, int field, const char* want) {
    const FieldDesc& f = t->layout().user[size_t(field - 1)];
    return setError(kTypeMismatch,
                    t->path() + ": field " + f.name + " (type " + f.type + ") is not " + want);
}

}  // namespace

Status getString(Handle h, int field, std::string* value) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    const DbfRecord& r = t->record();
    const FieldDesc& f = r.user(field - 1);
    if (isMemoType(f.type)) {
        Status res = t->memo(field - 1, value);
        return res == kAtEof ? Status() : report(res);
    }
    if (f.type == 'L') {
        value->assign(1, r.logical(field - 1) ? 'T' : 'F');
        return Status();
    }
    if (f.type == 'C') {
        value->assign(r.raw(field - 1));  // keeps the caller's buffer
        return Status();
    }
    *value = r.text(field - 1);
    return Status();
}

Status getStored(Handle h, int field, std::string_view* bytes, bool* null) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    *bytes = t->record().raw(field - 1);
    *null = t->record().isNull(field - 1);
    return Status();
}

double storedNumber(std::string_view bytes) {
    FieldDesc f;
    f.type = 'N';
    f.length = static_cast<uint16_t>(std::min<size_t>(bytes.size(), 0xFFFF));
    return readNumber(reinterpret_cast<const uint8_t*>(bytes.data()), f);
}

Status getDouble(Handle h, int field, double* value) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    if (!isNumericType(t->record().user(field - 1).type)) return mismatch(t, field, "numeric");
    *value = t->record().number(field - 1);
    return Status();
}

Status getLogical(Handle h, int field, bool* value) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    if (t->record().user(field - 1).type != 'L') return mismatch(t, field, "logical");
    *value = t->record().logical(field - 1);
    if (t->eof()) return setError(kAtEof, t->path() + ": logical read at end of file");
    return Status();
}

Status getJulian(Handle h, int field, int32_t* julianDay) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    char type = t->record().user(field - 1).type;
    if (type != 'D' && type != 'T') return mismatch(t, field, "a date");
    *julianDay = t->record().julianDay(field - 1);
    return Status();
}

Status getDate(Handle h, int field, std::string* yyyymmdd) {
    Table* t = findTable(h);
    if (t && fieldOk(t, field) && t->record().user(field - 1).type == 'D') {
        begin();
        std::string_view raw = t->record().raw(field - 1);
        if (julianFromText(raw) != 0)
            yyyymmdd->assign(raw);  // stored form is the answer
        else
            yyyymmdd->clear();
        return Status();
    }
    int32_t j = 0;
    Status r = getJulian(h, field, &j);
    *yyyymmdd = r.ok() ? textFromJulian(j) : std::string();
    return r;
}

Status getMemoLength(Handle h, int field, uint32_t* length) {
    TABLE_OR_FAIL(h, t);
    *length = 0;
    if (!fieldOk(t, field)) return badField(field);
    if (!isMemoType(t->record().user(field - 1).type)) return mismatch(t, field, "a memo");
    Status r = t->memoLength(field - 1, length);
    if (r == kAtEof) return setError(kAtEof, t->path() + ": memo read at end of file");
    return report(r);
}

Status getMemo(Handle h, int field, std::string* value) {
    TABLE_OR_FAIL(h, t);
    value->clear();
    if (!fieldOk(t, field)) return badField(field);
    if (!isMemoType(t->record().user(field - 1).type)) return mismatch(t, field, "a memo");
    Status r = t->memo(field - 1, value);
    if (r == kAtEof) return setError(kAtEof, t->path() + ": memo read at end of file");
    return report(r);
}

Status isNull(Handle h, int field, bool* null) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    *null = t->record().isNull(field - 1);
    return Status();
}

Status getDateTime(Handle h, int field, int32_t* julianDay, int32_t* millis) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    const FieldDesc& f = t->record().user(field - 1);
    if (f.type != 'D' && f.type != 'T') return mismatch(t, field, "a date");
    const uint8_t* p = t->record().data() + f.offset;
    *julianDay = readJulian(p, f);
    *millis = f.type == 'T' ? readMillis(p, f) : 0;
    if (*millis < 0 || *millis >= 86400000) *millis = 0;  // not a time another writer could mean
    return Status();
}

Status getCurrency(Handle h, int field, int64_t* tenThousandths) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    const FieldDesc& f = t->record().user(field - 1);
    if (f.type != 'Y') return mismatch(t, field, "currency");
    *tenThousandths = readCurrency(t->record().data() + f.offset, f);
    return Status();
}

Status setString(Handle h, int field, std::string_view value) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    return report(t->setText(field - 1, value));
}

Status setDouble(Handle h, int field, double value) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    return report(t->setNumber(field - 1, value));
}

Status setLogical(Handle h, int field, bool value) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    return report(t->setLogical(field - 1, value));
}

Status setDateTime(Handle h, int field, int32_t julianDay, int32_t millis) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    return report(t->setDateTime(field - 1, julianDay, millis));
}

Status setCurrency(Handle h, int field, int64_t tenThousandths) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    return report(t->setCurrency(field - 1, tenThousandths));
}

Status setNull(Handle h, int field) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    return report(t->setNull(field - 1));
}

Status setJulian(Handle h, int field, int32_t julianDay) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    return report(t->setJulian(field - 1, julianDay));
}

Status setDate(Handle h, int field, std::string_view yyyymmdd) {
    Table* t = findTable(h);
    if (t && fieldOk(t, field) && t->record().user(field - 1).type == 'D' &&
        julianFromText(yyyymmdd) != 0) {
        begin();
        return report(t->setText(field - 1, yyyymmdd));  // already the stored form
    }
    std::string_view v = yyyymmdd;
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    int32_t j = julianFromText(v);
    if (j == 0 && !v.empty()) {
        begin();
        return setError(kTypeMismatch, "not a date: " + std::string(yyyymmdd));
    }
    return setJulian(h, field, j);
}

namespace {

std::vector<std::pair<int, int>> zeroBased(const std::vector<FieldPair>& pairs) {
    std::vector<std::pair<int, int>> pairs0;
    pairs0.reserve(pairs.size());
    for (const FieldPair& p : pairs) pairs0.emplace_back(p.to - 1, p.from - 1);
    return pairs0;
}

}  // namespace

Status copyFields(Handle to, Handle from, const std::vector<FieldPair>& pairs) {
    TABLE_OR_FAIL(to, t);
    Table* f = findTable(from);
    if (!f) return setError(kInvalidHandle, "invalid table handle " + std::to_string(from));
    return report(t->copyFields(*f, zeroBased(pairs)));
}

Status appendCopies(Handle to, Handle from, const std::vector<FieldPair>& pairs, uint32_t limit,
                    const BlockVisit& visit, uint32_t* copied) {
    *copied = 0;
    TABLE_OR_FAIL(to, t);
    Table* f = findTable(from);
    if (!f) return setError(kInvalidHandle, "invalid table handle " + std::to_string(from));
    return report(t->appendCopies(*f, zeroBased(pairs), limit, visit, copied));
}

Status visitRecords(Handle table, uint32_t limit, const BlockVisit& visit, uint32_t* visited) {
    *visited = 0;
    TABLE_OR_FAIL(table, t);
    return report(t->visitRecords(limit, visit, visited));
}

}  // namespace engine
