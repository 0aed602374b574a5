// Text conversions of values: STR, VAL, TRANSFORM with pictures, padding and
// the display forms used by message boxes and logs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace runtime {

// STR(n [, nWidth [, nDecimals]]): the number right-aligned in nWidth
// characters with nDecimals decimals, rounded half away from zero. Without
// a width, the number's own width and decimals (Number::width/decimals);
// when those are not fixed: 10 characters for the integer part, and for a
// number with a fraction SET DECIMALS decimals after a point. With a width
// but no decimals: 0 decimals. A result too wide for its width gives that
// many "*".
std::string STR(double n, std::optional<int> width = std::nullopt,
                std::optional<int> decimals = std::nullopt);
std::string STR(const Number& n, std::optional<int> width = std::nullopt,
                std::optional<int> decimals = std::nullopt);

// VAL(c): leading blanks skipped, an optional sign, digits, an optional
// point and digits; reading stops at the first other byte. 0 for text
// without a number. The result keeps the number of decimals read.
Number VAL(std::string_view text);

// TRANSFORM(x, cPicture): the value formatted by a picture.
//  Numbers: "9" and "#" are digit places, "." the decimal point, "," a
//   thousands separator (a blank when no digit stands left of it); other
//   characters are copied. A value that does not fit fills every digit
//   place with "*". Negative numbers put "-" before the first digit.
//   TRANSFORM(1234567, "9,999,999") is "1,234,567", of 42 is "       42".
//  Texts: "!" upper-cases the byte, "9", "#", "X", "A", "N", "L", "Y" copy
//   it, other characters are copied as literals; the function "@!"
//   upper-cases everything.
//  Logicals: "Y" gives Y/N, anything else T/F.
//  Dates: DTOC. Empty picture: numbers as STR, others as CVALTOCHAR.
std::string TRANSFORM(const Value& v, std::string_view picture);

// CVALTOCHAR(x): the display form: text unchanged, numbers as STR without
// leading blanks, dates as DTOC, logicals ".T." / ".F.", nothing as "NIL",
// arrays "{ Array }", blocks "{|| ... }", objects "Object".
std::string CVALTOCHAR(const Value& v);

std::string PADR(std::string_view s, int width, char fill = ' ');  // cut or pad right
std::string PADL(std::string_view s, int width, char fill = ' ');  // cut right, pad left
std::string PADC(std::string_view s, int width, char fill = ' ');
std::string REPLICATE(std::string_view s, int count);  // "" for count <= 0
std::string SPACE(int count);
std::string SUBSTR(std::string_view s, int start, std::optional<int> count = std::nullopt);
std::string LEFT(std::string_view s, int count);
std::string RIGHT(std::string_view s, int count);

}  // namespace runtime
