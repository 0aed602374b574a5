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

#include "engine/index_set.h"
#include "engine/status.h"

namespace engine {

class Table;

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

}  // namespace engine
