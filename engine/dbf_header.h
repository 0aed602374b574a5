// The DBF table header: parsing with every count and length checked, and
// encoding for the writer. Byte layout (integers little-endian):
//
//   Table header, 32 bytes
//   OFFSET SIZE DESCRIPTION
//        0    1 file type: 0x03 plain, 0x83 with DBT memo, 0xF5 with FPT memo,
//               0x30 / 0x31 / 0x32 the newer format (memo flagged in byte 28)
//        1    3 date of last update: year-1900, month, day
//        4    4 record count
//        8    2 header length = file offset of record 1
//       10    2 record length, the 1-byte deletion flag included
//       12   16 reserved, zero
//       28    1 table flags: 0x01 structural CDX, 0x02 memo file, 0x04 container
//       29    1 code page mark (0x03 = Windows-1252)
//       30    2 reserved, zero
//
//   Field descriptor, 32 bytes each, from offset 32
//        0   11 name, ASCII, NUL padded
//       11    1 type letter
//       12    4 offset of the field in the record (recomputed, not trusted)
//       16    1 length
//       17    1 decimals (for C fields of other writers: high byte of length)
//       18    1 flags: 0x01 system, 0x02 nullable, 0x04 binary
//       19    4 autoincrement next value
//       23    1 autoincrement step
//       24    8 reserved
//
//   0x0D ends the descriptors; the newer format then has a 263-byte
//   container back-link. Records start at the header length; a 0x1A follows
//   the last one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/record_view.h"
#include "engine/status.h"

namespace engine {

constexpr uint32_t kDbfHeaderBytes = 32;
constexpr uint32_t kDbfDescriptorBytes = 32;
constexpr uint32_t kDbfBacklinkBytes = 263;
// The longest header the 16-bit header length can state; a reader that
// reads this much from offset 0 has every header whole.
constexpr uint32_t kDbfMaxHeaderBytes = 0xFFFF;
constexpr uint32_t kDbfRecordCountOffset = 4;
constexpr uint32_t kDbfHeaderLengthOffset = 8;
constexpr uint32_t kDbfRecordLengthOffset = 10;
constexpr uint32_t kDbfFlagsOffset = 28;
constexpr uint32_t kDbfCodePageOffset = 29;
constexpr uint8_t kDbfFlagCdx = 0x01;
constexpr uint8_t kDbfFlagMemo = 0x02;
constexpr uint8_t kFieldSystem = 0x01;
constexpr uint8_t kFieldNullable = 0x02;
constexpr uint8_t kFieldBinary = 0x04;
constexpr uint8_t kFieldAutoIncrement = 0x0C;
constexpr uint32_t kDbfAutoNextOffset = 19;  // in a descriptor: next value (4), step (1)
constexpr uint8_t kDbfEof = 0x1A;
constexpr int kMaxFields = 255;
constexpr uint32_t kMaxRecordBytes = 65500;

enum class MemoKind { None, Fpt, Dbt };

struct DbfHeader {
    uint8_t version = 0x03;
    uint8_t year = 0, month = 0, day = 0;  // last update, year since 1900
    uint32_t recordCount = 0;
    uint16_t headerBytes = 0;
    uint16_t recordBytes = 0;
    uint8_t flags = 0;
    uint8_t codePage = 0x03;
    std::vector<FieldDesc> fields;  // every descriptor, system ones included
    std::vector<uint8_t> extra;     // bytes between 0x0D and headerBytes (back-link)
    int nullFlagsField = -1;        // index in fields of _NullFlags, -1 none
    struct AutoIncrement {
        int field = 0;     // index in fields (an I field with flags 0x0C)
        int32_t next = 0;  // the value the next appended record gets
        uint8_t step = 1;
    };
    std::vector<AutoIncrement> autoIncrements;

    // True for the 0x30/0x31/0x32 family (4-byte binary memo pointers).
    bool isVisual() const { return version == 0x30 || version == 0x31 || version == 0x32; }
    bool hasMemoFields() const;
    MemoKind memoKind() const;
};

// Parses the header from `bytes` (at least the first headerBytes bytes of the
// file, or the whole file when shorter) of a file of `fileBytes` bytes.
// Checks: known version, header and record lengths, descriptor lengths and
// types, the sum of field lengths equal to the record length, the record
// count within the file (a file longer than the count is fine). On failure
// returns kCorruptTable/kNotSupported and a text in *why.
Status parseDbfHeader(std::string_view bytes, uint64_t fileBytes, DbfHeader* header);

// The whole header as stored: 32 bytes, descriptors, 0x0D, extra bytes.
// REQUIRES: header.headerBytes matches the layout (see layoutDbfHeader).
std::string encodeDbfHeader(const DbfHeader& header);

// The record-count and date bytes (offsets 1..7) alone, for cheap updates.
std::string encodeDbfCountBytes(const DbfHeader& header);

// Builds a header for a new table from a field list text
// "NAME,TYPE,LEN,DEC;...", choosing the version as engine.h describes.
Status buildDbfHeader(std::string_view fieldList, bool memoAsDbt, DbfHeader* header);

// Sets today's date in the header (local time).
void stampDbfDate(DbfHeader* header);

}  // namespace engine
