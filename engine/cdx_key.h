// Index keys: which bytes a tag stores for a value of its key expression.
//   character  the text in the table's code page, blank-padded (or cut) to
//              the key length; sorts by byte value
//   numeric    8 bytes: the double big-endian, all bits inverted when
//              negative, else the sign bit set (byte order = numeric order)
//   date       the Julian day (fraction = time of day for T fields) as numeric
//   integer    a bare I field: 4 bytes, big-endian int32 with the sign bit flipped
//   logical    one byte, "T" or "F"
// A bare field of a nullable column gets one leading byte: 0x80 for a value,
// 0x00 (then zeros) for NULL, so NULLs sort first. Stripped trailing bytes of
// leaf entries are blanks for character keys and zeros for the others.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/cdx_page.h"
#include "engine/expr_value.h"
#include "engine/expression.h"
#include "engine/record_view.h"
#include "engine/status.h"

namespace engine {

struct CdxKeyFormat {
    char type = 'C';        // 'C', 'N', 'D', 'L', 'I'
    int length = 0;         // bytes per key, the null marker included
    bool nullable = false;  // one leading marker byte
    uint8_t pad() const { return type == 'C' ? kCdxBlank : 0x00; }
};

// The key format of `key`. The length of a character key comes from the
// expression text when it can (field widths, constant arguments), else from
// evaluating it on `sample`. kKeyTooLong beyond 240 bytes, kBadExpression
// when a character key would be empty.
Status cdxKeyFormatFor(const Expression& key, const RecordView& sample, CdxKeyFormat* format);

// The key bytes of `record` under `key`. Returns kBadExpression with *error
// set when the expression cannot be evaluated for this record.
Status cdxRecordKey(const Expression& key, const CdxKeyFormat& format, const RecordView& record,
                    std::string* out);

// The key bytes of a value (REQUIRES: value of the format's type).
std::string cdxValueKey(const CdxKeyFormat& format, const ExprValue& value);

// The 8 bytes of a numeric or date key.
std::string cdxNumberKey(double v);

}  // namespace engine
