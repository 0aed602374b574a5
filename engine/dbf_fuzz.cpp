// libFuzzer target: DBF header parsing and decoding of every field of every
// record the header admits, over arbitrary bytes taken as a whole file.
// What must hold: a refusal says kCorruptTable or kNotSupported; an accepted
// header, its fields and its counted records lie within the bytes; a parsed
// header encodes to one that parses the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/dbf_field.h"
#include "engine/dbf_header.h"
#include "engine/dbf_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    engine::DbfHeader h;
    if (engine::Status r = engine::parseDbfHeader(bytes, size, &h); !r.ok()) {
        if (r.code() != engine::kCorruptTable && r.code() != engine::kNotSupported)
            __builtin_trap();  // a refusal without the table's codes
        return 0;
    }
    if (h.headerBytes > size) __builtin_trap();
    for (const engine::FieldDesc& f : h.fields)
        if (uint32_t(f.offset) + f.length > h.recordBytes) __builtin_trap();
    engine::TableLayout layout;
    layout.build(h, "T");
    engine::DbfRecord rec(&layout, nullptr);
    uint32_t shown = h.recordCount < 64 ? h.recordCount : 64;
    for (uint32_t r = 0; r < shown; ++r) {
        size_t off = h.headerBytes + size_t(r) * h.recordBytes;
        if (off + h.recordBytes > size) __builtin_trap();  // the header check failed
        for (size_t i = 0; i < h.recordBytes; ++i) rec.data()[i] = data[off + i];
        for (int f = 0; f < rec.fieldCount(); ++f) {
            const engine::FieldDesc& fd = rec.field(f);
            if (engine::isMemoType(fd.type)) {
                (void)engine::readMemoBlock(rec.data() + fd.offset, fd);
                continue;
            }
            (void)rec.text(f);
            (void)rec.number(f);
            (void)rec.julianDay(f);
            (void)rec.logical(f);
            (void)rec.dateTime(f);
            (void)rec.isNull(f);
            (void)engine::textFromJulian(rec.julianDay(f));
        }
    }
    // Re-encoding a parsed header must give a header that parses the same.
    std::string again = engine::encodeDbfHeader(h);
    engine::DbfHeader h2;
    std::string file = again + std::string(size_t(h.recordCount) * h.recordBytes, ' ');
    if (engine::parseDbfHeader(file, file.size(), &h2) == engine::kOk &&
        h2.fields.size() != h.fields.size())
        __builtin_trap();
    return 0;
}
