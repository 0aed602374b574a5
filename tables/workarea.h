// Work areas: numbered slots that each hold one open table under an alias,
// exactly one of them current. Opening (DBUSEAREA), closing, selecting, and
// evaluating an expression or reading/writing a field inside another area
// by naming its alias.
//
// Errors go to the process-wide error handler as runtime error objects
// (runtime/error.h); the soft failures of an open only set NETERR.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "runtime/neterr.h"
#include "runtime/value.h"
#include "tables/rdd.h"

namespace tables {

using runtime::NERRORCODE;
using runtime::NETERR;

constexpr int kMaxAreas = 255;

// DBUSEAREA(lNewArea, cDriver, cFile, cAlias, lShared, lReadOnly, cCodePage)
// Opens cFile (".dbf" added by the driver when it has no extension) in the
// lowest free area (lNewArea true) or in the current area after closing its
// table. Clears NETERR first.
//   - no file name: "Argument error" (1/1005, "DBUSEAREA");
//   - an alias starting with a digit or a single letter A..M other than L:
//     18/1011 "DBUSEAREA"; an alias in use: 18/1011 with the alias as the
//     operation (nothing is opened);
//   - an unregistered driver: 1/1015 "DBUSEAREA";
//   - lShared defaults to NOT SET EXCLUSIVE, lReadOnly to false, cAlias to
//     the file's base name, cDriver to the default driver; cCodePage is ignored.
// A failed open leaves the area free and current and sets NETERR (the open
// errors themselves go through the error handler, which keeps silent about
// missing files and sharing conflicts and records NERRORCODE).
void DBUSEAREA(bool lNewArea = false, std::optional<std::string_view> cDriver = std::nullopt,
               std::optional<std::string_view> cFile = std::nullopt,
               std::optional<std::string_view> cAlias = std::nullopt,
               std::optional<bool> lShared = std::nullopt,
               std::optional<bool> lReadOnly = std::nullopt,
               std::optional<std::string_view> cCodePage = std::nullopt);

// DBCREATE(cFile, aStruct, cDriver): creates a table; each entry of
// aStruct is {name, type letter, length, decimals}. Returns whether the
// table was created (the driver reports its own failures).
bool DBCREATE(std::string_view cFile, const std::vector<FieldInfo>& aStruct,
              std::optional<std::string_view> cDriver = std::nullopt);

void DBCLOSEAREA();  // closes the current area's table; nothing when free
void DBCLOSEALL();   // closes every area; area 1 becomes current
// Empties every work area without raising: each table is closed by its
// driver's destructor, which writes a close failure to the trace log only.
// For program end, when an error has already ended the run and a second
// error dialog would help no one.
void dropAllAreas();
bool USED();  // the current area holds a table

// SELECT([cAlias]): the area number of that alias (0 when none), or of the
// current area without an argument.
int SELECT(std::optional<std::string_view> cAlias = std::nullopt);
// ALIAS([nArea]): the alias of the area (default current); "" when free.
std::string ALIAS(std::optional<int> nArea = std::nullopt);
// DBSELECTAREA(nArea | cAlias): makes that area current. A number outside
// 1..255 is ignored; an alias that names no open area raises "Alias does not
// exist" (15/1002) and leaves the current area as it was. 0 picks the lowest
// free area.
void DBSELECTAREA(const runtime::Value& area);
// RDDNAME(): the driver name of the current area's table as the driver
// reports it ("ADSCDX"); "" when free.
std::string RDDNAME();

// ---- Aliased access -----------------------------------------------------------

// The area number of an open alias; raises "Alias does not exist" (15/1002,
// subsystem "DBCMD", the alias as operation) and returns 0 when none.
int areaOfAlias(std::string_view alias);

// Runs fn() with the area `area` current and makes the previous area current
// again afterwards (also when fn throws).
class AreaSwitch {
public:
    explicit AreaSwitch(int area);
    ~AreaSwitch();
    AreaSwitch(const AreaSwitch&) = delete;
    AreaSwitch& operator=(const AreaSwitch&) = delete;

private:
    int previous_;
};

// alias->( fn() ): evaluates fn inside the aliased area and returns its
// result. An unknown alias raises 15/1002 and returns a value-initialised
// result without calling fn.
template <class Fn>
auto inAlias(std::string_view alias, Fn&& fn) -> decltype(fn()) {
    using R = decltype(fn());
    int area = areaOfAlias(alias);
    if (area == 0) {
        if constexpr (std::is_void_v<R>)
            return;
        else
            return R{};
    }
    AreaSwitch sw(area);
    return std::forward<Fn>(fn)();
}

// A field of the current area by name (any case, "ALIAS->NAME" accepted).
// An unknown name raises "Variable does not exist" (14/1003, "BASE") and
// reads nothing / writes nothing. fieldAssign returns the value written.
runtime::Value fieldValue(std::string_view name);
runtime::Value fieldAssign(std::string_view name, const runtime::Value& value);

// alias->field and alias->field := value.
runtime::Value aliasField(std::string_view alias, std::string_view field);
runtime::Value aliasAssign(std::string_view alias, std::string_view field,
                           const runtime::Value& value);

// ---- For the rest of the table layer and the error log ----------------------

// The driver of the current area's table, nullptr when the area is free.
AreaDriver* currentTable();
// The driver of area n (1..255), nullptr when free or out of range.
AreaDriver* tableInArea(int area);
// The pending ORDCONDSET conditions of the current area (reset after use).
OrderCondition& pendingOrderCondition();

// A relation from an area into a child area: after the parent moves, the
// child seeks the key (or goes to the record number in natural order).
struct Relation {
    int childArea = 0;
    runtime::Block key;
    std::string keyText;
};

// What the table commands keep per area beside the driver: the filter, the
// relations, and the beginning-of-file mark a filtered skip leaves.
struct AreaExtras {
    runtime::Block filter;
    std::string filterText;
    std::vector<Relation> relations;
    bool filteredBof = false;
};
AreaExtras& areaExtras(int area);  // REQUIRES: 1 <= area <= kMaxAreas
AreaExtras& currentExtras();

}  // namespace tables
