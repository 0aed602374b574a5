// The working-date dialog's date field: a date shown with the picture
// "99-99-9999" and the text typed there read back.
#pragma once

#include <string>
#include <string_view>

#include "runtime/value.h"

namespace toolkit {

// "dd-mm-yyyy"; blanks in the digits' places for the empty date.
std::string dateFieldText(runtime::Date d);
// The date the text names, day-month-year with a four-digit year; the empty
// date for text that names no valid date (a 31 April, letters, blanks).
runtime::Date dateFromField(std::string_view text);

}  // namespace toolkit
