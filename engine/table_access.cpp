// Field reads and writes by 1-based number, and the order, lock and index
// calls with their refusal texts, over one open Table.
#include "engine/table_access.h"

#include "engine/dbf_field.h"
#include "engine/open_options.h"
#include "engine/table.h"

namespace engine {
namespace access_detail {

Status badField(int field) {
    return Status(kFieldNotFound, "no field number " + std::to_string(field));
}

Status mismatch(const Table& t, int field, const char* want) {
    const FieldDesc& f = t.layout().user[size_t(field - 1)];
    return Status(kTypeMismatch,
                  t.path() + ": field " + f.name + " (type " + f.type + ") is not " + want);
}

}  // namespace access_detail

using access_detail::badField;
using access_detail::fieldOk;
using access_detail::mismatch;

namespace {

Status orderInfo(Table& t, int order, OrderInfo* info) {
    if (Status r = t.refreshOrders(); !r.ok()) return r;
    Status r = t.indexes().orderInfo(order, info);
    if (!r.ok()) return Status(r.code(), t.path() + ": no order " + std::to_string(order));
    return Status();
}

}  // namespace

// ---- Fields ------------------------------------------------------------------------

Status fieldNumber(const Table& t, std::string_view name, int* field) {
    int i = t.layout().find(name);
    *field = i + 1;
    if (i < 0) return Status(kFieldNotFound, "no field named " + std::string(name));
    return Status();
}

Status getJulian(const Table& t, int field, int32_t* julianDay) {
    if (!fieldOk(t, field)) return badField(field);
    char type = t.record().user(field - 1).type;
    if (type != 'D' && type != 'T') return mismatch(t, field, "a date");
    *julianDay = t.record().julianDay(field - 1);
    return Status();
}

Status getMemoLength(Table& t, int field, uint32_t* length) {
    *length = 0;
    if (!fieldOk(t, field)) return badField(field);
    if (!isMemoType(t.record().user(field - 1).type)) return mismatch(t, field, "a memo");
    Status r = t.memoLength(field - 1, length);
    if (r == kAtEof) return Status(kAtEof, t.path() + ": memo read at end of file");
    return r;
}

Status getMemo(Table& t, int field, std::string* value) {
    value->clear();
    if (!fieldOk(t, field)) return badField(field);
    if (!isMemoType(t.record().user(field - 1).type)) return mismatch(t, field, "a memo");
    Status r = t.memo(field - 1, value);
    if (r == kAtEof) return Status(kAtEof, t.path() + ": memo read at end of file");
    return r;
}

Status getDateTime(const Table& t, int field, int32_t* julianDay, int32_t* millis) {
    if (!fieldOk(t, field)) return badField(field);
    const FieldDesc& f = t.record().user(field - 1);
    if (f.type != 'D' && f.type != 'T') return mismatch(t, field, "a date");
    const uint8_t* p = t.record().data() + f.offset;
    *julianDay = readJulian(p, f);
    *millis = f.type == 'T' ? readMillis(p, f) : 0;
    if (*millis < 0 || *millis >= 86400000) *millis = 0;  // not a time another writer could mean
    return Status();
}

Status getCurrency(const Table& t, int field, int64_t* tenThousandths) {
    if (!fieldOk(t, field)) return badField(field);
    const FieldDesc& f = t.record().user(field - 1);
    if (f.type != 'Y') return mismatch(t, field, "currency");
    *tenThousandths = readCurrency(t.record().data() + f.offset, f);
    return Status();
}

Status setDateTime(Table& t, int field, int32_t julianDay, int32_t millis) {
    if (!fieldOk(t, field)) return badField(field);
    return t.setDateTime(field - 1, julianDay, millis);
}

Status setCurrency(Table& t, int field, int64_t tenThousandths) {
    if (!fieldOk(t, field)) return badField(field);
    return t.setCurrency(field - 1, tenThousandths);
}

Status setNull(Table& t, int field) {
    if (!fieldOk(t, field)) return badField(field);
    return t.setNull(field - 1);
}

Status setJulian(Table& t, int field, int32_t julianDay) {
    if (!fieldOk(t, field)) return badField(field);
    return t.setJulian(field - 1, julianDay);
}

// ---- Locks, orders, indexes -----------------------------------------------------------

Status unlockRecord(Table& t, uint32_t recno) {
    Status r = t.unlockRecord(recno);
    if (r == kRecordNotLocked)
        return Status(r.code(), t.path() + ": record " + std::to_string(recno) + " was not locked");
    return r;
}

Status lockedRecords(const Table& t, uint32_t* out, uint16_t capacity, uint16_t* count) {
    *count = 0;
    const auto& locks = t.lockedRecords();
    for (uint32_t recno : locks) {
        if (*count == capacity) break;
        out[(*count)++] = recno;
    }
    if (locks.size() > *count) return Status(kMoreLocks, t.path() + ": more locks to list");
    return Status();
}

Status unlockTable(Table& t) {
    Status r = t.unlockTable();
    if (r == kTableNotLocked) return Status(r.code(), t.path() + ": table was not locked");
    return r;
}

Status createIndex(Table& t, std::string_view bag, std::string_view tag, std::string_view keyExpr,
                   std::string_view forExpr, int options, const IndexBuildProgress& progress,
                   int* order) {
    *order = 0;
    return t.createIndex(bag, tag, keyExpr, forExpr, (options & kIndexUnique) != 0,
                         (options & kIndexDescending) != 0, progress, order);
}

Status orderCount(Table& t, int* count) {
    *count = 0;
    if (Status r = t.refreshOrders(); !r.ok()) return r;
    *count = t.indexes().orderCount();
    return Status();
}

Status setOrderByName(Table& t, std::string_view tag) {
    if (Status r = t.refreshOrders(); !r.ok()) return r;
    int order = t.indexes().findOrder(tag);
    if (order == 0) return Status(kNoOrder, t.path() + ": no order named " + std::string(tag));
    return t.setOrder(order);
}

Status orderName(Table& t, int order, std::string* tag) {
    tag->clear();
    if (order == 0) return Status();
    OrderInfo info;
    if (Status r = orderInfo(t, order, &info); !r.ok()) return r;
    *tag = info.tag;
    return Status();
}

Status orderKey(Table& t, int order, std::string* keyExpr) {
    keyExpr->clear();
    if (order == 0) return Status();
    OrderInfo info;
    if (Status r = orderInfo(t, order, &info); !r.ok()) return r;
    *keyExpr = info.keyExpr;
    return Status();
}

Status seek(Table& t, std::string_view key, int keyType, bool soft, bool last, bool* isFound) {
    *isFound = false;
    if (keyType != kKeyText && keyType != kKeyDouble)
        return Status(kInvalidArgument, "seek: unknown key type");
    return t.seek(key, keyType, soft, last, isFound);
}

}  // namespace engine
