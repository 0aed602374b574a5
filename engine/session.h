// What the engine keeps for the whole process, and the calls that reach a
// table by its name: the settings every table reads (EXACT, DELETED, the
// expressions' date format and epoch), table names resolved against the
// default folder and the search path, a table opened or created.
//
// Threading: one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/open_options.h"
#include "engine/status.h"

namespace engine {

class Table;

// ---- Settings ----------------------------------------------------------------------

Status setExact(bool on);
Status setDateFormat(std::string_view format);  // e.g. "DD/MM/YYYY"; stored for expressions
Status setEpoch(int year);                      // kInvalidArgument outside 0..9999
Status setDeleted(bool hideDeleted);            // true: navigation skips deleted records
Status setPath(std::string_view searchPath);    // folders separated by ';' or ','
Status setDefault(std::string_view folder);

// ---- Tables by name -----------------------------------------------------------------

// `name` with `ext` added when it has no extension; a relative name is
// looked up in the default folder, then along the search path (the default
// folder's name when it is found nowhere).
std::string resolveName(std::string_view name, const char* ext);

// Opens the table `path` (".dbf" added when the name has no extension,
// resolved as above). `alias` may be empty (the base name is used).
// `options` is kOpenShared or kOpenExclusive, plus kOpenReadOnly. Also opens
// the memo file and the structural index when the header announces them (a
// missing structural index is ignored). Results: kNotFound, kLocked (another
// process holds it exclusive, or shared while we want exclusive),
// kAccessDenied, kTooManyOpenFiles, kCorruptTable, kCorruptMemo,
// kNotSupported (table type 3), kInvalidArgument.
Status openTable(std::string_view path, std::string_view alias, int tableType, int options,
                 std::unique_ptr<Table>* table);

// Creates (or replaces) a table from a field list "NAME,TYPE,LEN,DEC;..."
// ("NAME,TYPE;" for D, L, M, I, B, Y, T). Types C N F L D M I B Y T.
// Tables with only C N F L D M are written as 0x03 (0xF5 with memo fields,
// FPT with `memoBlockSize` bytes per block, 0 means 64); any of I B Y T
// makes a 0x30 table. Memos always go to an FPT file (DBT files are read,
// never written). The file is closed afterwards.
Status createTable(std::string_view path, std::string_view fieldList, int tableType,
                   uint16_t memoBlockSize);

}  // namespace engine
