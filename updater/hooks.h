// The product hooks: the routines that the shared window toolkit and
// application framework call by name and that every product supplies. The
// updater's versions mostly answer constants or nothing; together they make
// the index files compound ".CDX" files and keep the toolkit's variants for
// the family's other products out of the way.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"
#include "tables/fieldlist.h"

namespace updater {

// ---- Hooks with a value -------------------------------------------------------------

// INDEXEXT(): the index file extension, ".CDX".
std::string INDEXEXT();
// __PRODUCT(): the product name the toolkit compares with other products' names.
std::string __PRODUCT();
// APPMAINEXENAME(): the file name of the product's main program.
std::string APPMAINEXENAME();

// RECCOPY(cAlias): the table layer's record copy (tables/fieldlist.h) is the
// product's hook: the current record of the work area cAlias into the
// current record of the selected area, field by field in position order
// (extra source values are dropped, extra target fields keep their values).
// The selected area stays selected. An alias that names no open area raises
// "Alias does not exist" and copies nothing. Returns true.
using tables::RECCOPY;

// TI_COMPARE(xLeft, xRight): the report tree's comparison.
//  - xLeft text: xRight, when not text, becomes text (numbers with STR, so
//    12 gives "        12"); true when both, upper-cased and trimmed, are
//    exactly equal.
//  - xLeft number: xRight, when text, is read with VAL; true when equal.
//  - otherwise: xLeft == xRight.
// Values that cannot be compared give false.
bool TI_COMPARE(const runtime::Value& xLeft, const runtime::Value& xRight);

// NLENNUMTICKETS([nKind]): 9 for kind 0 (the default) or 1, else 0.
int NLENNUMTICKETS(std::optional<int> nKind = std::nullopt);

// ---- Hooks that do nothing and return nothing ---------------------------------------
// With nothing returned the framework finds no index orders (AINDEXCHAIN),
// adds no product fields to its configuration table (KW_ACONFIG) and closes
// no product windows (WL_AWLIST). The others' results are not used.

runtime::Value AINDEXCHAIN();
runtime::Value DICTREINDEX(const runtime::Value& cFolder = {}, const runtime::Value& lFlag = {});
runtime::Value KW_ACONFIG();
runtime::Value KW_USERCONFIG(const runtime::Value& cAlias = {});
runtime::Value LSWLOGO(const runtime::Value& lFlag = {});
runtime::Value WL_AWLIST();
runtime::Value CCODEMPRESA();
runtime::Value CNOMEMPRESA();
runtime::Value _STPUPR();
runtime::Value PTS2EUROS(const runtime::Value& nAmount = {});

// ---- Reaching the hooks by name -------------------------------------------------------

// The hook of that name (any case, e.g. "__PRODUCT", "RecCopy") as a code
// block taking the hook's positional arguments; an empty block for a name
// that is not one of the hooks above. (OWND, the main window, is not a
// value of the runtime; the layers below reach it through
// startup::mainWindow() once installProductHooks has run.)
runtime::Block productHook(std::string_view name);

// Hands the hooks to the layers below that call them: the product name and
// the main window to the start-up layer, the index extension to the table
// layer. The entry routine calls it first, before ARRANQUE.
void installProductHooks();

}  // namespace updater
