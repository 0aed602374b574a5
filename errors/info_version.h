// The product-version list kept for the report, and INFOVERSION, the report's
// version section built from it.
#pragma once

#include <optional>
#include <string>

#include "runtime/value.h"

namespace errors {

// AKWVERSION([aNew]): the product-version list, an array of {name, value}
// pairs; with an argument, stores it. Returns the stored list (nothing until
// one is stored).
runtime::Value AKWVERSION(std::optional<runtime::Value> aNew = std::nullopt);

// The version section: an empty line, "Información sobre la versión.", its
// underline, " Name: value" per entry of AKWVERSION() (name with its first
// letter upper case and the rest lower case), an empty line; each line ended
// by CR LF. A list that is not an array counts as empty.
std::string INFOVERSION();

}  // namespace errors
