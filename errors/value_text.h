// Printable forms of runtime values used by the error report and dialog.
#pragma once

#include <string>

#include "runtime/value.h"

namespace errors {

// The value "as text": a date in the current date format, a logical as
// ".t." or ".f.", a number trimmed, a code block as "{|| ... }", an array as
// "{ ... }", an object as "Object", text unchanged, nothing as "".
std::string asText(const runtime::Value& v);

// CGETINFO(xValue): text in double quotes, an object as "Clase: " + class
// name, an array as "Longitud: " + length in 4 places, anything else as text.
std::string CGETINFO(const runtime::Value& v);

}  // namespace errors
