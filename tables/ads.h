// The "ADS" table driver: every table operation goes to the table engine
// (an engine::Table each area owns), and the engine's failures become
// runtime errors or silent failures. Also the driver's own functions callable by the
// program (ADSSETSERVERTYPE, ADSSETFILETYPE, ADSGETLASTERROR, ADSKEYCOUNT).
//
// Table types: 1 NTX, 2 CDX (the default), 3 ADT. The type names the driver
// as the runtime sees it ("ADSNTX", "ADSCDX", "ADSADT") and chooses the
// extensions added to names without one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace tables {

constexpr int kAdsNtx = 1;
constexpr int kAdsCdx = 2;
constexpr int kAdsAdt = 3;

// "ADS RDD 1.12"
std::string adsVersion();
// "ADSNTX" / "ADSCDX" / "ADSADT" for the given type (default: the current one).
std::string adsDriverName(std::optional<int> tableType = std::nullopt);

// ADSSETSERVERTYPE([n]): passes n to the engine and returns its result;
// without an argument calls nothing and returns 999999. 1 = local engine.
int ADSSETSERVERTYPE(std::optional<int> n = std::nullopt);

// ADSSETFILETYPE([n]): sets the default table type when n is 1, 2 or 3.
// Returns the previous type.
int ADSSETFILETYPE(std::optional<int> n = std::nullopt);

// ADSGETLASTERROR([&cText]): the code of the driver's last table call (0
// when it succeeded); stores its error text (at most 600 characters) in
// *cText when given.
int ADSGETLASTERROR(std::string* cText = nullptr);

// The system error code the error handler records (OsCode) for an engine
// code: a file handle refused (4), a file in use or locked (5), a file not
// found (2), access denied (5); nothing for the other codes.
std::optional<int> osCodeForEngineCode(int engineCode);

// ADSKEYCOUNT([xOrder], [cBag], [nOption = 2]): keys of the order given by
// number or name, else of the controlling order (records in natural order).
// No table: "Workarea not in use" (35/2001); xOrder neither number, text nor
// nothing: "Argument error" (1/1014). Both return 0.
uint32_t ADSKEYCOUNT(const runtime::Value& xOrder = {}, const runtime::Value& cBag = {},
                     const runtime::Value& nOption = {});

// Engine shutdown at program end: closes every work area first.
void ADSSHUTDOWN();

}  // namespace tables
