// The engine's handle API, for tests, benchmarks and fuzzers: handle-based
// calls over DBF tables with FPT memos and CDX indexes, each the call of
// table_access.h or of Table on the table the handle names. (The table
// driver owns its Table and calls it directly.) Every call returns a Status
// (status.h: a code from result_codes.h and a "file: detail" message); a
// failure is also kept as the process's last error (message cut to 600
// characters) until the next call.
//
// Threading: one thread. Handles are process-wide small integers; 0 is never a
// valid handle. Field numbers are 1-based and count only user fields (the
// hidden system field of null flags is not listed).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/open_options.h"
#include "engine/session.h"
#include "engine/status.h"

namespace engine {

class Table;

using Handle = uint32_t;

// ---- Tables ---------------------------------------------------------------

// Opens the table `path` as session.h's openTable does and hands out its
// handle.
Status openTable(std::string_view path, std::string_view alias, int tableType, int options,
                 Handle* table);
// Flushes and closes the table with its memo and index files; the handle
// is invalid afterwards, even when the result is an error.
Status closeTable(Handle table);

Status fieldCount(Handle table, int* count);
Status fieldName(Handle table, int field, std::string* name);
Status fieldType(Handle table, int field, char* type);
Status fieldLength(Handle table, int field, int* length);
// 1-based position of the named field (case ignored, trailing blanks
// ignored); kFieldNotFound when there is none.
Status fieldNumber(Handle table, std::string_view name, int* field);

// ---- Navigation (controlling order, DELETED setting honoured) -------------

Status goTop(Handle table);
Status goBottom(Handle table);
// Moves `count` visible records (negative: backwards). Past the last: the
// phantom record, atEof() true, result kAtEof. Before the first: atBof()
// true, positioned on the first visible record, result kOk.
Status skip(Handle table, int64_t count);
// Any record by number, deleted or not; a number above the count goes to the
// phantom record (atEof true, recordNumber = count + 1).
Status gotoRecord(Handle table, uint32_t recordNumber);
Status atBof(Handle table, bool* bof);
Status atEof(Handle table, bool* eof);
// Records in the table, deleted ones included. Shared: re-read from disk.
Status recordCount(Handle table, uint32_t* count);
Status recordNumber(Handle table, uint32_t* recordNumber);

// ---- Field values of the current record ------------------------------------
// Read on the phantom record: blank values (getLogical/getMemo return
// kAtEof with false / empty text). Blank reads: number 0, logical false,
// date "".

// Text of any field: C as stored (trailing blanks kept), M the memo text,
// N/F the digits as stored, D "YYYYMMDD", L "T"/"F"; others their raw bytes.
Status getString(Handle table, int field, std::string* value);
Status getDouble(Handle table, int field, double* value);        // N F I B Y
Status getLogical(Handle table, int field, bool* value);         // L
Status getDate(Handle table, int field, std::string* yyyymmdd);  // D, date of T; "" when blank
Status getMemoLength(Handle table, int field, uint32_t* length);
Status getMemo(Handle table, int field, std::string* value);
Status isNull(Handle table, int field, bool* null);
// The bytes of `field` in the current record as stored (C N F D L: their
// text; other types their binary form; a memo its block number), read
// without conversion, and whether the field holds NULL. *bytes stays valid
// until the next call that moves or changes the table's record.
Status getStored(Handle table, int field, std::string_view* bytes, bool* null);
// The number the stored text of an N or F field holds, as getDouble reads it
// (0 for a blank or overflowed field).
double storedNumber(std::string_view bytes);
// storedNumber(bytes) == 0, answered from the digits of a usual stored
// number ("  -0.00", "   12.50") without making the number.
bool storedNumberIsZero(std::string_view bytes);
// D and T with the time of day (T: milliseconds since midnight; D: 0).
Status getDateTime(Handle table, int field, int32_t* julianDay, int32_t* millis);

// Writes into the current record (kAtEof on the phantom record, kReadOnly,
// kTypeMismatch for an unsuitable field type). In a shared table the record
// should be locked by the caller; writing does not lock it.
// C M V Q; N F D parse the text (N F: a number or blanks exactly as wide as
// the field are stored as they are).
Status setString(Handle table, int field, std::string_view value);
Status setDouble(Handle table, int field, double value);             // N F I B Y
Status setLogical(Handle table, int field, bool value);              // L
Status setDate(Handle table, int field, std::string_view yyyymmdd);  // D T; "" blanks it
Status setJulian(Handle table, int field, int32_t julianDay);        // D T; 0 blanks it
// D T; D keeps the day only. kInvalidArgument for millis outside 0..86399999.
Status setDateTime(Handle table, int field, int32_t julianDay, int32_t millis);

// One field of a record copy: the field written and the field read.
struct FieldPair {
    int to;
    int from;
};
// Table::copyFields between the current records of two open tables.
Status copyFields(Handle to, Handle from, const std::vector<FieldPair>& pairs);

// What a block call shows its caller: the table on the record just made or
// reached (the same alias as table.h's).
using BlockVisit = std::function<Status(Table&)>;

// Table::appendCopies and Table::visitRecords on open tables.
Status appendCopies(Handle to, Handle from, const std::vector<FieldPair>& pairs, uint32_t limit,
                    const BlockVisit& visit, uint32_t* copied);
Status visitRecords(Handle table, uint32_t limit, const BlockVisit& visit, uint32_t* visited);

// ---- Records ----------------------------------------------------------------

// Appends a blank record and makes it current. Shared: takes the append lock
// for the moment of the append (kLocked when another holds it or the table).
Status append(Handle table);
Status deleteRecord(Handle table);
Status recall(Handle table);
Status isDeleted(Handle table, bool* deleted);
// Writes pending records, the header count and the indexes to disk.
Status flush(Handle table);
// Empties the table, its memo file and every tag of its open indexes.
// kExclusiveRequired when shared, kReadOnly when read-only.
Status zap(Handle table);
// Removes deleted records, rewrites memos, rebuilds open indexes.
Status pack(Handle table);

// ---- Locks (shared tables; on exclusive ones every lock succeeds) ----------

Status lockRecord(Handle table, uint32_t recordNumber);
// kOk, or kRecordNotLocked when it was not locked (both success).
Status unlockRecord(Handle table, uint32_t recordNumber);
// The lowest `capacity` record numbers this process locks in the table, in
// ascending order, in out[0..*count). Returns kMoreLocks when there are more
// than returned: unlock those and ask again.
Status lockedRecords(Handle table, uint32_t* out, uint16_t capacity, uint16_t* count);
Status lockTable(Handle table);
// Releases the table lock and every record lock; kOk or kTableNotLocked.
Status unlockTable(Handle table);

// ---- Indexes ------------------------------------------------------------------

using IndexProgress = std::function<void(uint32_t done, uint32_t total)>;

// Creates tag `tag` over `keyExpr` (FOR condition `forExpr` when not empty)
// in `bag` (empty: the structural bag, created when missing) and makes it the
// controlling order; *order receives its order number. kBadExpression,
// kKeyTooLong, kExclusiveRequired... on failure.
Status createIndex(Handle table, std::string_view bag, std::string_view tag,
                   std::string_view keyExpr, std::string_view forExpr, int options,
                   const IndexProgress& progress, int* order);
// Closes every bag, the structural one too; natural order afterwards.
Status closeIndexes(Handle table);
Status orderCount(Handle table, int* count);
// 0 = natural order. Unknown number/name: kNoOrder, previous order kept.
Status setOrder(Handle table, int order);
Status setOrderByName(Handle table, std::string_view tag);
Status currentOrder(Handle table, int* order);
Status orderName(Handle table, int order, std::string* tag);     // "" for order 0
Status orderKey(Handle table, int order, std::string* keyExpr);  // "" for order 0
// Seeks `key` in the controlling order: kKeyText bytes (compared over their
// length), or kKeyDouble 8 bytes of a double. `last`: the last match.
// Not found: eof, or with `soft` the next higher key. kNoOrder without order.
Status seek(Handle table, std::string_view key, int keyType, bool soft, bool last, bool* found);
// Keys in the controlling order (records when natural order).
Status keyCount(Handle table, uint32_t* count);

// ---- Errors and shutdown ----------------------------------------------------------

// The last call's outcome: its code (kOk when it succeeded) and its message.
const Status& lastError();
// Closes every open table.
Status shutdown();

}  // namespace engine
