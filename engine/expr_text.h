// Text and date rules of the expression evaluator: case conversion and
// comparison under the process code page, trimming, and conversions between
// Julian day numbers, calendar dates and their texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// Case conversion under the runtime's code page.
std::string exprUpper(std::string_view s);
void exprAppendUpper(std::string_view s, std::string* out);  // exprUpper(s) added to *out
std::string exprLower(std::string_view s);

// Three-way text comparison as the relational operators do it (<0, 0, >0).
// `exactOp` is true for ==; otherwise `exactSetting` decides whether a left
// side that begins with the right side compares equal.
int exprCompareText(std::string_view a, std::string_view b, bool exactOp, bool exactSetting);

// "YYYYMMDD", or 8 blanks for the empty date (0).
std::string dateToDtos(int32_t julian);
// Julian day of "YYYYMMDD"; 0 for blanks or anything invalid.
int32_t dateFromDtos(std::string_view s);
// Date as text under `format` (DD, MM, YY/YYYY placeholders); blanks of the
// same width for the empty date.
std::string dateToText(int32_t julian, std::string_view format);
// Parses text under `format`; two-digit years fall in [epoch, epoch + 99].
// 0 for an empty or invalid date.
int32_t dateFromText(std::string_view s, std::string_view format, int epoch);

}  // namespace engine
