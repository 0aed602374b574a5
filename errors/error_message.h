// ERRORMESSAGE: the one-line description of an error object, as the error
// dialog and the report show it.
#pragma once

#include <string>

#include "runtime/value.h"

namespace errors {

// "Error ADSCDX/1001 Open error: C:\DATOS\DIARIO.DBF",
// "(Error DOS 32) ADSCDX/7008 Open error: ...", "Atención BASE/5300 Memory Low".
std::string ERRORMESSAGE(const runtime::ObjectPtr& oError);

}  // namespace errors
