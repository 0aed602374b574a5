// The calls on one open Table that the table driver, the read-only
// TableReader and the handle API (engine.h) share: field reads and writes by
// 1-based field number with their type checks, and the order, lock and
// index calls that say more than Table's own members (refusal texts, option
// bits, orders other processes changed). Each does what its namesake in
// engine.h documents, on the table itself; those engine.h does not have are
// described here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/dbf_field.h"
#include "engine/index_set.h"
#include "engine/status.h"
#include "engine/table.h"

namespace engine {

// ---- Fields (1-based; kFieldNotFound for a number out of range) --------------

Status fieldNumber(const Table& t, std::string_view name, int* field);
Status getString(Table& t, int field, std::string* value);
Status getDouble(const Table& t, int field, double* value);
Status getLogical(const Table& t, int field, bool* value);
Status getDate(const Table& t, int field, std::string* yyyymmdd);
// D, T: the Julian day; 0 when blank.
Status getJulian(const Table& t, int field, int32_t* julianDay);
Status getMemoLength(Table& t, int field, uint32_t* length);
Status getMemo(Table& t, int field, std::string* value);
Status isNull(const Table& t, int field, bool* null);
Status getStored(const Table& t, int field, std::string_view* bytes, bool* null);
Status getDateTime(const Table& t, int field, int32_t* julianDay, int32_t* millis);
// Y exactly: the value in ten-thousandths.
Status getCurrency(const Table& t, int field, int64_t* tenThousandths);

Status setString(Table& t, int field, std::string_view value);
Status setDouble(Table& t, int field, double value);
Status setLogical(Table& t, int field, bool value);
Status setDate(Table& t, int field, std::string_view yyyymmdd);
Status setJulian(Table& t, int field, int32_t julianDay);
Status setDateTime(Table& t, int field, int32_t julianDay, int32_t millis);
Status setCurrency(Table& t, int field, int64_t tenThousandths);  // Y
// Makes a nullable field NULL (its bytes blank); kTypeMismatch for a field
// that cannot hold NULL. Any other write clears the NULL.
Status setNull(Table& t, int field);

// ---- Locks, orders, indexes -----------------------------------------------------

Status unlockRecord(Table& t, uint32_t recordNumber);
Status lockedRecords(const Table& t, uint32_t* out, uint16_t capacity, uint16_t* count);
Status unlockTable(Table& t);
Status createIndex(Table& t, std::string_view bag, std::string_view tag, std::string_view keyExpr,
                   std::string_view forExpr, int options, const IndexBuildProgress& progress,
                   int* order);
Status orderCount(Table& t, int* count);
Status setOrderByName(Table& t, std::string_view tag);
Status orderName(Table& t, int order, std::string* tag);
Status orderKey(Table& t, int order, std::string* keyExpr);
Status seek(Table& t, std::string_view key, int keyType, bool soft, bool last, bool* found);

// ---- The field calls a pass over many records makes, inline ----------------------

namespace access_detail {
inline bool fieldOk(const Table& t, int field) {
    return field >= 1 && field <= t.fieldCount();
}
Status badField(int field);
Status mismatch(const Table& t, int field, const char* want);
}  // namespace access_detail

inline Status getString(Table& t, int field, std::string* value) {
    if (!access_detail::fieldOk(t, field)) return access_detail::badField(field);
    const DbfRecord& r = t.record();
    const FieldDesc& f = r.user(field - 1);
    if (isMemoType(f.type)) {
        Status res = t.memo(field - 1, value);
        return res == kAtEof ? Status() : res;
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

inline Status getStored(const Table& t, int field, std::string_view* bytes, bool* null) {
    if (!access_detail::fieldOk(t, field)) return access_detail::badField(field);
    *bytes = t.record().raw(field - 1);
    *null = t.record().isNull(field - 1);
    return Status();
}

inline Status getDouble(const Table& t, int field, double* value) {
    if (!access_detail::fieldOk(t, field)) return access_detail::badField(field);
    if (!isNumericType(t.record().user(field - 1).type))
        return access_detail::mismatch(t, field, "numeric");
    *value = t.record().number(field - 1);
    return Status();
}

inline Status getLogical(const Table& t, int field, bool* value) {
    if (!access_detail::fieldOk(t, field)) return access_detail::badField(field);
    if (t.record().user(field - 1).type != 'L') return access_detail::mismatch(t, field, "logical");
    *value = t.record().logical(field - 1);
    if (t.eof()) return Status(kAtEof, t.path() + ": logical read at end of file");
    return Status();
}

inline Status getDate(const Table& t, int field, std::string* yyyymmdd) {
    if (access_detail::fieldOk(t, field) && t.record().user(field - 1).type == 'D') {
        std::string_view raw = t.record().raw(field - 1);
        if (julianFromText(raw) != 0)
            yyyymmdd->assign(raw);  // stored form is the answer
        else
            yyyymmdd->clear();
        return Status();
    }
    int32_t j = 0;
    Status r = getJulian(t, field, &j);
    *yyyymmdd = r.ok() ? textFromJulian(j) : std::string();
    return r;
}

inline Status isNull(const Table& t, int field, bool* null) {
    if (!access_detail::fieldOk(t, field)) return access_detail::badField(field);
    *null = t.record().isNull(field - 1);
    return Status();
}

inline Status setString(Table& t, int field, std::string_view value) {
    if (!access_detail::fieldOk(t, field)) return access_detail::badField(field);
    return t.setText(field - 1, value);
}

inline Status setDouble(Table& t, int field, double value) {
    if (!access_detail::fieldOk(t, field)) return access_detail::badField(field);
    return t.setNumber(field - 1, value);
}

inline Status setLogical(Table& t, int field, bool value) {
    if (!access_detail::fieldOk(t, field)) return access_detail::badField(field);
    return t.setLogical(field - 1, value);
}

inline Status setDate(Table& t, int field, std::string_view yyyymmdd) {
    if (access_detail::fieldOk(t, field) && t.record().user(field - 1).type == 'D' &&
        julianFromText(yyyymmdd) != 0)
        return t.setText(field - 1, yyyymmdd);  // already the stored form
    std::string_view v = yyyymmdd;
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    int32_t j = julianFromText(v);
    if (j == 0 && !v.empty()) return Status(kTypeMismatch, "not a date: " + std::string(yyyymmdd));
    return setJulian(t, field, j);
}

}  // namespace engine
