// The process-wide code page ("ESWIN") and the text rules that depend on it:
// case conversion, trimming, emptiness, searching and the comparison of the
// relational operators under the exact-comparison setting.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace runtime {

// Selects the code page by name and returns the name of the one selected
// before. Known pages: "EN" (the start-up page: only ASCII letters have case
// partners, comparison is by byte value) and "ESWIN" (Spanish alphabets of 33
// letters each in Windows-1252). An unknown name leaves the page unchanged.
// Called with no name, only returns the current page's name.
std::string HB_SETCODEPAGE(std::optional<std::string_view> name = std::nullopt);

// Letters outside the page's alphabets (for instance "c cedilla" or "a grave"
// under ESWIN) keep their byte: their case is not changed and they sort by
// byte value. Index keys written by other programs rely on this.
std::string UPPER(std::string_view s);
void appendUpper(std::string_view s, std::string* out);  // UPPER(s) added to *out
std::string LOWER(std::string_view s);
unsigned char upperByte(unsigned char c);  // UPPER of one byte

// Removes trailing blanks (space only), then leading space, tab, LF and CR.
std::string ALLTRIM(std::string_view s);
std::string RTRIM(std::string_view s);  // trailing spaces only (also TRIM)
std::string TRIM(std::string_view s);
std::string LTRIM(std::string_view s);  // leading space, tab, LF, CR
// The same three rules on a view of the text, without a copy.
std::string_view trimTrailingSpaces(std::string_view s);  // RTRIM
std::string_view trimLeadingWhite(std::string_view s);    // LTRIM
std::string_view allTrimmed(std::string_view s);          // ALLTRIM

// EMPTY(x): text with no byte other than space/tab/LF/CR; number 0; false;
// the empty date; an array without elements; nothing. Code blocks and
// objects are never empty.
bool EMPTY(const Value& v);
bool emptyText(std::string_view s);

// 1-based position of the last occurrence of needle in haystack; 0 when
// there is none or needle is empty.
int RAT(std::string_view needle, std::string_view haystack);
// 1-based position of the first occurrence; 0 when none or needle empty.
int AT(std::string_view needle, std::string_view haystack);

// Replaces nDelete bytes at 1-based position nStart by insert. A start
// before 1 counts as 1, one past the end appends; nDelete is clipped.
std::string STUFF(std::string_view s, int nStart, int nDelete, std::string_view insert);

// Compares two bytes as the comparison algorithm does: <0, 0, >0.
int compareBytes(unsigned char a, unsigned char b);

// The relational operators of the language.
enum class CompareOp {
    Equal,         // =   (prefix rule when exact comparison is off)
    ExactEqual,    // ==  (always exact, trailing blanks count)
    NotEqual,      // !=, <>, # (the negation of =)
    Less,          // <
    LessEqual,     // <=
    Greater,       // >
    GreaterEqual,  // >=
};

// Three-way text comparison: <0 when a sorts before b, 0 equal, >0 after.
// exactOp is true for the operator ==; otherwise the SET EXACT setting
// decides. With exact off and not ==: an empty right side equals anything,
// and a left side that begins with the right side equals it.
int compareText(std::string_view a, std::string_view b, bool exactOp);
// The same with the exact setting given instead of read from the settings.
int compareTextWith(std::string_view a, std::string_view b, bool exactOp, bool exactSetting);

// Applies a relational operator to two texts under the current settings.
bool textRelation(std::string_view a, CompareOp op, std::string_view b);

// Applies a relational operator to two values. Texts (and memos) compare as
// above, numbers as doubles, dates by day (the empty date first), logicals
// false before true. Nothing equals nothing; nothing against another type
// is unequal for =, ==, != and has no order. Returns nothing when the
// operator is not defined for the two types (the caller raises its error).
std::optional<bool> compareValues(const Value& a, CompareOp op, const Value& b);

}  // namespace runtime
