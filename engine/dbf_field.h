// Encoding and decoding of one field's bytes inside a record buffer, for
// every field type (storage rules per type):
//
//   TYPE LEN    STORED AS                                  BLANK READS AS
//   C    1-254  text, space padded                         spaces
//   N F  1-20   ASCII number right-aligned, '.' decimals   0
//   L    1      T t Y y = true, F f N n = false            false (space, '?')
//   D    8      ASCII YYYYMMDD                             empty date
//   M G  10     memo block number, ASCII right-aligned     no memo (spaces, 0)
//   M G  4      memo block number, uint32 LE (newer tables)no memo (0)
//   I    4      int32 LE                                   0
//   B    8      IEEE double LE                             0
//   Y    8      int64 LE = value x 10000                   0
//   T    8      int32 LE Julian day, int32 LE ms of day    empty (day 0)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/record_view.h"
#include "engine/status.h"

namespace engine {

// "YYYYMMDD" -> Julian day; 0 for blank or malformed text.
int32_t julianFromText(std::string_view yyyymmdd);
// Julian day -> "YYYYMMDD"; "" for 0.
std::string textFromJulian(int32_t julian);

// True when the field type holds a number (getDouble/setDouble).
inline bool isNumericType(char t) {
    return t == 'N' || t == 'F' || t == 'I' || t == 'B' || t == 'Y';
}
inline bool isMemoType(char t) {
    return t == 'M' || t == 'G' || t == 'P' || t == 'W';
}
// True for the field types whose stored bytes mean the same in any table of
// the same field length and decimals, so that a copy may take them as bytes:
// C N F D L M B Y T. V and Q carry a length elsewhere in the record, I may
// move an autoincrement counter: those go over as values.
inline bool copiesAsBytes(char t) {
    return std::string_view("CNFDLMBYT").find(t) != std::string_view::npos;
}

// Field values from the field's bytes at `p` (the field's own offset).
double readNumber(const uint8_t* p, const FieldDesc& f);
bool readLogical(const uint8_t* p, const FieldDesc& f);
int32_t readJulian(const uint8_t* p, const FieldDesc& f);  // D, T
int32_t readMillis(const uint8_t* p, const FieldDesc& f);  // T: ms since midnight
// Memo block number, 0 when the field holds none (blank or malformed).
uint32_t readMemoBlock(const uint8_t* p, const FieldDesc& f);

// Writers. writeNumber fails with kValueTooWide (field unchanged) when the
// value does not fit the width; N/F round to the field's decimals.
Status writeNumber(uint8_t* p, const FieldDesc& f, double value);
void writeLogical(uint8_t* p, const FieldDesc& f, bool value);
void writeJulian(uint8_t* p, const FieldDesc& f, int32_t julian);  // 0 = blank
// D: the day alone; T: the day and the milliseconds since midnight (day 0
// and no milliseconds = blank). REQUIRES: 0 <= millis < 86400000.
void writeDateTime(uint8_t* p, const FieldDesc& f, int32_t julian, int32_t millis);
// Currency as stored: the value in ten-thousandths.
int64_t readCurrency(const uint8_t* p, const FieldDesc& f);
void writeCurrency(uint8_t* p, const FieldDesc& f, int64_t tenThousandths);
void writeMemoBlock(uint8_t* p, const FieldDesc& f, uint32_t block);
// Text into a C field: truncated or space padded to the width.
void writeText(uint8_t* p, const FieldDesc& f, std::string_view text);
// Text into a V or Q field. A value shorter than the field is followed by
// zero bytes and its length in the field's last byte, and the result is
// true: the caller sets the field's length bit in the null flags. A value
// as long as the field (or longer, cut) fills it and the result is false.
// Without a length bit (`canMarkLength` false) the value is blank padded.
bool writeVarText(uint8_t* p, const FieldDesc& f, std::string_view text, bool canMarkLength);
// The blank value of the field.
void writeBlank(uint8_t* p, const FieldDesc& f);
// Parses a number written as text ("  -12.50"); false when it is not one.
bool parseNumberText(std::string_view text, double* value);

}  // namespace engine
