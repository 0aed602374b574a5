// The table engine's public API: handle-based calls over DBF tables with FPT
// memos and CDX indexes, one call per role the table driver needs. Every call
// returns a Status (status.h: a code from result_codes.h and a "file: detail"
// message); a failure is also kept as the process's last error (message cut
// to 600 characters) until the next call.
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

#include "engine/status.h"

namespace engine {

using Handle = uint32_t;

// Table types; they choose the extensions added to names without one.
constexpr int kTypeNtx = 1;  // .dbf, memo .dbt, index .ntx
constexpr int kTypeCdx = 2;  // .dbf, memo .fpt, index .cdx
constexpr int kTypeAdt = 3;  // not supported: open returns kNotSupported

// Open options (bit set).
constexpr int kOpenExclusive = 1;
constexpr int kOpenReadOnly = 2;
constexpr int kOpenShared = 4;

// Key types of seek.
constexpr int kKeyText = 2;    // key bytes as stored (character tags)
constexpr int kKeyDouble = 4;  // 8 bytes: a native double (numeric, date as Julian day)

// Index creation options (bit set).
constexpr int kIndexUnique = 1;
constexpr int kIndexCompound = 2;  // a tag in a multi-tag bag (always true for CDX)
constexpr int kIndexDescending = 8;

// ---- Tables ---------------------------------------------------------------

// Opens the table `path` (".dbf" added when the name has no extension; a
// relative name is looked up in the default folder, then along the search
// path). `alias` may be empty (the base name is used). `options` is
// kOpenShared or kOpenExclusive, plus kOpenReadOnly. Also opens the memo file
// and the structural index when the header announces them (a missing
// structural index is ignored). Results: kNotFound, kLocked (another process
// holds it exclusive, or shared while we want exclusive), kAccessDenied,
// kTooManyOpenFiles, kCorruptTable, kCorruptMemo, kNotSupported.
Status openTable(std::string_view path, std::string_view alias, int tableType, int options,
                 Handle* table);
// Flushes and closes the table with its memo and index files; the handle
// is invalid afterwards, even when the result is an error.
Status closeTable(Handle table);

// Creates (or replaces) a table from a field list "NAME,TYPE,LEN,DEC;..."
// ("NAME,TYPE;" for D, L, M, I, B, Y, T). Types C N F L D M I B Y T.
// Tables with only C N F L D M are written as 0x03 (0xF5 with memo fields,
// FPT with `memoBlockSize` bytes per block, 0 means 64); any of I B Y T
// makes a 0x30 table. Memos always go to an FPT file (DBT files are read,
// never written). The file is closed afterwards.
Status createTable(std::string_view path, std::string_view fieldList, int tableType,
                   uint16_t memoBlockSize);

Status fieldCount(Handle table, int* count);
Status fieldName(Handle table, int field, std::string* name);
Status fieldType(Handle table, int field, char* type);
Status fieldLength(Handle table, int field, int* length);
Status fieldDecimals(Handle table, int field, int* decimals);
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
// Re-reads the current record from disk (shared tables change under us).
Status refreshRecord(Handle table);
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
Status getJulian(Handle table, int field, int32_t* julianDay);   // D, T; 0 when blank
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
// D and T with the time of day (T: milliseconds since midnight; D: 0).
Status getDateTime(Handle table, int field, int32_t* julianDay, int32_t* millis);
// Y exactly: the value in ten-thousandths.
Status getCurrency(Handle table, int field, int64_t* tenThousandths);

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
Status setCurrency(Handle table, int field, int64_t tenThousandths);  // Y
// Makes a nullable field NULL (its bytes blank); kTypeMismatch for a field
// that cannot hold NULL. Any other write clears the NULL.
Status setNull(Handle table, int field);

// One field of a record copy: the field written and the field read.
struct FieldPair {
    int to;
    int from;
};
// Copies fields of the current record of `from` into the current record of
// `to` as they are stored: per pair, the bytes (a memo's text goes into
// `to`'s memo file) and the NULL flag. Each pair must be of the same type,
// length and decimals, of type C N F D L M B Y or T (kTypeMismatch names the
// first that is not; nothing is written then). kAtEof on either phantom
// record. Otherwise as the writes above.
Status copyFields(Handle to, Handle from, const std::vector<FieldPair>& pairs);

// The record a block call (appendCopies, visitRecords) shows its caller:
// the fields as stored, and logical fields to set on it.
class BlockRecord {
public:
    // The bytes of `field` (1-based) as stored; false for a field out of
    // range or one holding NULL.
    virtual bool stored(int field, std::string_view* bytes) const = 0;
    virtual Status setLogical(int field, bool value) = 0;

protected:
    ~BlockRecord() = default;
};
using BlockVisit = std::function<Status(BlockRecord&)>;

// Appends to `to` a copy of each record of `from` from its current one on,
// as a skip forward walks them (its order, the DELETED setting), at most
// `limit` of them: the `pairs` as copyFields copies them, every other field
// blank; `visit`, when given, sees each new record once its fields are in.
// `from` moves past the last record copied (to its end once all are);
// `to` stands on the last new record. `*copied` counts the records made
// whole, also when the call fails part way (the record being made then may
// stay appended, not whole). kAtEof when `from` is already at its end.
Status appendCopies(Handle to, Handle from, const std::vector<FieldPair>& pairs, uint32_t limit,
                    const BlockVisit& visit, uint32_t* copied);

// Shows `visit` the records of `table` from its current one on, as a skip
// forward walks them, at most `limit`; a record the visit changes is
// written as any change is. The table moves past the last record visited
// (to its end once all are). `*visited` counts the records the visit
// finished with, also when the call fails part way. kAtEof when the table
// is already at its end.
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
// Opens another index bag; kIndexAlreadyOpen when it is open.
Status openIndex(Handle table, std::string_view bag);
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
Status found(Handle table, bool* isFound);
// Keys in the controlling order (records when natural order).
Status keyCount(Handle table, uint32_t* count);

// ---- Settings (process-wide) ---------------------------------------------------

Status setExact(bool on);
Status setDateFormat(std::string_view format);  // e.g. "DD/MM/YYYY"; stored for expressions
Status getDateFormat(std::string* format);
Status setEpoch(int year);
Status setDeleted(bool hideDeleted);          // true: navigation skips deleted records
Status setPath(std::string_view searchPath);  // folders separated by ';' or ','
Status setDefault(std::string_view folder);

// ---- Errors and shutdown ----------------------------------------------------------

// The last call's outcome: its code (kOk when it succeeded) and its message.
const Status& lastError();
// Closes every open table.
Status shutdown();

}  // namespace engine
