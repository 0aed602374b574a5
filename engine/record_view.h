// The read-only view of one record that key and FOR expressions evaluate
// against. The table implements it over its record buffer; the index code and
// the expression evaluator see nothing else of the table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// One column of a table as its header describes it.
struct FieldDesc {
    std::string name;     // upper case, at most 10 characters, no padding
    char type = 'C';      // 'C','N','F','L','D','M','I','B','Y','T','G','P','V','Q','0'
    uint16_t length = 0;  // bytes in the record
    uint8_t decimals = 0;
    uint32_t offset = 0;  // byte offset in the record, after the deletion flag
    uint8_t flags = 0;    // descriptor flag byte (system, nullable, binary)
};

class RecordView {
public:
    virtual ~RecordView() = default;

    virtual int fieldCount() const = 0;
    // REQUIRES: 0 <= i < fieldCount().
    virtual const FieldDesc& field(int i) const = 0;
    // Index of the field named `name` (any case, also "ALIAS->NAME" of the
    // table's own alias); -1 when there is none. System fields are not found.
    virtual int findField(std::string_view name) const = 0;

    // Typed values of field i of the current record. Blank values read as the
    // xBase rules say: spaces for text, 0 for numbers, false, the empty date.
    virtual std::string text(int i) const = 0;  // C, M (memo contents), and the raw bytes of others
    virtual double number(int i) const = 0;     // N, F, I, B, Y
    virtual int32_t julianDay(int i) const = 0;  // D and the date part of T; 0 = empty date
    virtual bool logical(int i) const = 0;       // L

    // D and T as a Julian day with the time of day as its fraction (T only);
    // 0 = empty. The default suits tables whose views only know whole days.
    virtual double dateTime(int i) const { return julianDay(i); }
    // True when field i holds NULL (nullable fields of VFP tables).
    virtual bool isNull(int i) const {
        (void)i;
        return false;
    }

    // The bytes of field i as stored in the record, for views that hold
    // them; empty otherwise (callers then use the typed reads above).
    virtual std::string_view stored(int i) const {
        (void)i;
        return {};
    }

    virtual bool deleted() const = 0;
    virtual uint32_t recordNumber() const = 0;
};

}  // namespace engine
