// The table commands of the current work area: navigation, fields, records,
// locks, emptying and packing, appending from another table file, and index
// orders. Every command honours the controlling order and SET DELETED.
//
// Commands that need a table raise "Workarea not in use" (35/2001, subsystem
// "DBCMD", the command's name as operation) when the current area is free,
// unless a line below says what they answer instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"
#include "tables/rdd.h"

namespace tables {

// ---- Navigation ---------------------------------------------------------------
// Without a table: nothing happens (no error). A filter (DBSETFILTER) hides
// the records for which it is not true; after every move the areas related
// to this one (DBSETRELATION) follow.
void DBGOTOP();
void DBGOBOTTOM();
void DBGOTO(uint32_t nRecord);  // any record, deleted or not; beyond the last: end of file
void DBSKIP(int64_t nRecords = 1);
// A pass over many records in one driver call: shows `visit` the records
// from the current one on, as DBSKIP walks them, at most `limit`, and moves
// past them. The records visited, or -1 with nothing done when the area
// cannot be walked that way (a filter or relations on it, a shared table,
// another driver): walk it with DBSKIP then.
long visitRecords(long limit, const RowVisit& visit);
bool EOF_();  // EOF(): true without a table (EOF is a C macro, hence the underscore)
bool BOF();
bool FOUND();
uint32_t RECNO();     // one past the last at end of file; 0 without a table
uint32_t RECCOUNT();  // deleted records included; 0 without a table
uint32_t LASTREC();
// DBSEEK(xKey, [lSoftSeek], [lLast]): soft seek defaults to SET SOFTSEEK.
// Returns whether the key was found. Without a controlling order: false.
bool DBSEEK(const runtime::Value& key, std::optional<bool> lSoftSeek = std::nullopt,
            std::optional<bool> lLast = std::nullopt);

// ---- Fields ---------------------------------------------------------------------
int FCOUNT();                         // 0 without a table
int FIELDPOS(std::string_view name);  // any case, trailing blanks ignored; 0 when none
std::string FIELDNAME(int nPos);      // "" out of range
// Nothing (NIL) for position 0, beyond FCOUNT() or without a table.
runtime::Value FIELDGET(int nPos);
// Writes and returns the value. Position 0, beyond FCOUNT(), the phantom
// record or no table: nothing written, NIL returned, no error. A value of
// the wrong type raises "Data type error" (33/1020) and writes nothing.
runtime::Value FIELDPUT(int nPos, const runtime::Value& value);
// DBSTRUCT(): {name, type, length, decimals} per field; empty without a table.
runtime::Value DBSTRUCT();

// ---- Records --------------------------------------------------------------------
// DBAPPEND([lReleaseLocks = true]): clears NETERR, releases the area's locks
// when asked, appends a blank record and makes it current. When the table or
// its end is locked by another user, NETERR is set and nothing is appended.
void DBAPPEND(bool lReleaseLocks = true);
void DBDELETE();
void DBRECALL();
bool DELETED();  // false without a table
void DBCOMMIT();
void DBCOMMITALL();
// __DBZAP(): removes every record, empties the indexes, goes top (end of
// file). On a shared table: "Exclusive required" (37/1023).
void __DBZAP();
// __DBPACK(): removes deleted records, goes top. Shared: 37/1023; read-only:
// fails without an error.
void __DBPACK();

// ---- Locks (never wait) -----------------------------------------------------------
// Without a table each raises 35/2001 and returns false. Exclusive tables:
// every request succeeds.
bool RLOCK();  // releases the area's locks, then locks the current record
bool FLOCK();  // locks the whole table
void DBUNLOCK();
void DBUNLOCKALL();
// DBRLOCK([nRecord]): locks one more record without releasing the others.
bool DBRLOCK(std::optional<uint32_t> nRecord = std::nullopt);
// DBRLOCKLIST(): the record numbers this area has locked, ascending.
std::vector<uint32_t> DBRLOCKLIST();

// ---- Append from another table file ----------------------------------------------
// __DBAPP(cFile, aFields, bFor, bWhile, nNext, nRecord, lRest, cDriver):
// appends the visible records of cFile (opened read-only in a temporary
// area "__TMPAREA") to the current area, copying same-named fields (all
// when aFields is empty; "ALIAS->NAME" counts as NAME). bWhile is
// evaluated before each record (false stops); bFor chooses records.
// No table: 35/2001 "DBAPP"; no file name: 1/2019 "DBAPP". A source that
// cannot be opened appends nothing (NETERR tells).
void __DBAPP(std::string_view cFile, const std::vector<std::string>& aFields = {},
             const runtime::Block& bFor = {}, const runtime::Block& bWhile = {},
             std::optional<int> nNext = std::nullopt,
             std::optional<uint32_t> nRecord = std::nullopt, bool lRest = false,
             std::optional<std::string_view> cDriver = std::nullopt);

// ---- Index orders -----------------------------------------------------------------
// DBSETORDER(nOrder | cTag | "n"): makes it the controlling order (0:
// natural). An unknown order keeps the previous one. No table: nothing.
void DBSETORDER(const runtime::Value& order);
// ORDSETFOCUS([xOrder]): like DBSETORDER; returns the previous order's tag
// name ("" for natural order or no table).
std::string ORDSETFOCUS(const runtime::Value& order = {});
int INDEXORD();                        // 0 without a table or in natural order
std::string INDEXKEY(int nOrder = 0);  // key text of that order (0: controlling); "" none
std::string ORDNAME(int nOrder = 0);   // tag name of that order (0: controlling)
int ORDCOUNT();                        // orders open in the area
// ORDKEYCOUNT(): keys of the controlling order (records in natural order).
uint32_t ORDKEYCOUNT();
void ORDLISTADD(std::string_view cBag);
void ORDLISTCLEAR();
void ORDLISTREBUILD();
void DBSETINDEX(std::string_view cBag);  // = ORDLISTADD
void DBCLEARINDEX();                     // = ORDLISTCLEAR
void DBREINDEX();                        // = ORDLISTREBUILD
// ORDCONDSET(cFor, bFor, lAll, bWhile, bEval, nInterval, nStart, nNext,
// nRecord, lRest, lDescend): conditions for the next ORDCREATE.
void ORDCONDSET(std::optional<std::string_view> cFor = std::nullopt,
                const runtime::Block& bFor = {}, bool lAll = false,
                const runtime::Block& bWhile = {}, const runtime::Block& bEval = {},
                int nInterval = 0, uint32_t nStart = 0, int nNext = 0, uint32_t nRecord = 0,
                bool lRest = false, bool lDescend = false);
// ORDCREATE(cBag, cTag, cKey, bKey, lUnique): creates the order and makes
// it controlling. No bag: the structural compound index. Neither bag nor
// tag, or no key text: 1/1006 "ORDCREATE". Unique defaults to SET UNIQUE.
void ORDCREATE(std::string_view cBag, std::string_view cTag, std::string_view cKey,
               const runtime::Block& bKey = {}, std::optional<bool> lUnique = std::nullopt);
// DBCREATEINDEX(cFile, cKey, bKey, lUnique, cTag) = ORDCREATE(cFile, cTag, cKey, bKey, lUnique).
void DBCREATEINDEX(std::string_view cFile, std::string_view cKey, const runtime::Block& bKey = {},
                   std::optional<bool> lUnique = std::nullopt, std::string_view cTag = {});

// ---- Filters and relations ---------------------------------------------------------
// DBSETFILTER(bCondition, [cCondition]): records for which the block is not
// true are skipped by navigation in the current area.
void DBSETFILTER(const runtime::Block& bCondition, std::string_view cCondition = {});
void DBCLEARFILTER();
std::string DBFILTER();  // the filter's text; "" when none
// DBSETRELATION(xChild, bKey, [cKey]): the child area (alias or number)
// follows the current area: it seeks bKey's value (goes to that record
// number in natural order; to its end when the parent is at its end).
// An unknown alias raises 15/1002.
void DBSETRELATION(const runtime::Value& child, const runtime::Block& bKey,
                   std::string_view cKey = {});
void DBCLEARRELATION();
std::string DBRELATION(int nRelation = 1);  // key text of that relation; "" none
int DBRSELECT(int nRelation = 1);           // child area of that relation; 0 none

// ---- Information -------------------------------------------------------------------------
// DBFIELDINFO(nInfo, nField): 1 name, 2 type letter, 3 length, 4 decimals.
runtime::Value DBFIELDINFO(int nInfo, int nField);
// DBORDERINFO(nInfo, [cBag], [xOrder]): 1 FOR condition (""), 2 key text,
// 3 position in the order (record number here), 4 record number, 5 name,
// 6 number, 7 bag name, 8 bag extension, 9 order count, 26 key count.
runtime::Value DBORDERINFO(int nInfo, const runtime::Value& cBag = {},
                           const runtime::Value& xOrder = {});
// DBRECORDINFO(nInfo, [nRecord]): 1 deleted, 2 locked, 3 record size,
// 4 record number. Another record is visited and left again.
runtime::Value DBRECORDINFO(int nInfo, const runtime::Value& nRecord = {});

}  // namespace tables
