// DBF header parsing, validation and encoding (layout in dbf_header.h).
#include "engine/dbf_header.h"

#include <cctype>
#include <cstdlib>
#include <ctime>

#include "engine/byte_order.h"

namespace engine {
namespace {

bool knownVersion(uint8_t v) {
    switch (v) {
        case 0x03:
        case 0x30:
        case 0x31:
        case 0x32:
        case 0x43:
        case 0x63:
        case 0x83:
        case 0x8B:
        case 0xCB:
        case 0xF5:
        case 0xFB:
            return true;
        default:
            return false;
    }
}

// Length rules per type; `visual` allows the 4-byte memo pointers.
bool lengthFits(char type, uint32_t len, bool visual) {
    switch (type) {
        case 'C':
            return len >= 1 && len <= 65535;
        case 'N':
        case 'F':
            return len >= 1 && len <= 32;
        case 'L':
            return len == 1;
        case 'D':
            return len == 8;
        case 'M':
        case 'G':
        case 'P':
            return len == 10 || (visual && len == 4);
        case 'W':
            return len == 4;
        case 'I':
            return len == 4;
        case 'B':
        case 'Y':
        case 'T':
            return len == 8;
        case 'V':
        case 'Q':
            return len >= 1 && len <= 254;
        case '0':
            return len >= 1 && len <= 32;
        default:
            return false;
    }
}

Status corrupt(std::string text) {
    return Status(kCorruptTable, std::move(text));
}

// Reads one 32-byte descriptor; computes nothing from its offset word.
Status parseDescriptor(const uint8_t* d, bool visual, FieldDesc* f) {
    std::string name;
    for (int i = 0; i < 11 && d[i] != 0; ++i) name += char(std::toupper(d[i]));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.empty()) return corrupt("field descriptor without a name");
    if (name.size() > 10) name.resize(10);
    f->name = name;
    f->type = char(std::toupper(d[11]));
    f->length = d[16];
    f->decimals = d[17];
    f->flags = visual ? d[18] : 0;
    if (f->type == '0' || (f->flags & kFieldSystem)) f->flags |= kFieldSystem;
    return Status();
}

}  // namespace

bool DbfHeader::hasMemoFields() const {
    for (const FieldDesc& f : fields)
        if (f.type == 'M' || f.type == 'G' || f.type == 'P' || f.type == 'W') return true;
    return false;
}

MemoKind DbfHeader::memoKind() const {
    if (version == 0x83 || version == 0x8B || version == 0xCB) return MemoKind::Dbt;
    if (version == 0xF5 || version == 0xFB) return MemoKind::Fpt;
    if (isVisual() && ((flags & kDbfFlagMemo) || hasMemoFields())) return MemoKind::Fpt;
    return hasMemoFields() ? MemoKind::Fpt : MemoKind::None;
}

// Descriptors end at a 0x0D, or where a whole descriptor no longer fits
// before the header length (some writers leave out the terminator).
static Status parseDescriptors(std::string_view bytes, DbfHeader* h) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    uint32_t pos = kDbfHeaderBytes;
    while (pos + kDbfDescriptorBytes <= h->headerBytes && p[pos] != 0x0D) {
        if (h->fields.size() >= size_t(kMaxFields) + 1) return corrupt("too many fields");
        FieldDesc f;
        if (Status r = parseDescriptor(p + pos, h->isVisual(), &f); !r.ok()) return r;
        if (h->isVisual() && f.type == 'I' &&
            (f.flags & kFieldAutoIncrement) == kFieldAutoIncrement) {
            DbfHeader::AutoIncrement a;
            a.field = int(h->fields.size());
            a.next = int32_t(getU32le(p + pos + kDbfAutoNextOffset));
            uint8_t step = p[pos + kDbfAutoNextOffset + 4];
            a.step = step == 0 ? 1 : step;
            h->autoIncrements.push_back(a);
        }
        h->fields.push_back(f);
        pos += kDbfDescriptorBytes;
    }
    if (h->fields.empty()) return corrupt("table has no fields");
    uint32_t extraStart = pos < h->headerBytes ? pos + 1 : h->headerBytes;
    h->extra.assign(p + extraStart, p + h->headerBytes);
    return Status();
}

// Lengths and offsets; a C field whose decimals byte is the high byte of
// its length is honoured only when that makes the record length add up.
static Status layoutFields(DbfHeader* h) {
    uint32_t sum = 1;
    for (const FieldDesc& f : h->fields) sum += f.length;
    bool wideC = false;
    if (sum != h->recordBytes) {
        uint32_t wide = 1;
        for (const FieldDesc& f : h->fields)
            wide += f.type == 'C' ? f.length + 256u * f.decimals : f.length;
        wideC = wide == h->recordBytes;
    }
    uint32_t offset = 1;
    for (size_t i = 0; i < h->fields.size(); ++i) {
        FieldDesc& f = h->fields[i];
        if (wideC && f.type == 'C') {
            f.length = uint16_t(f.length + 256u * f.decimals);
            f.decimals = 0;
        }
        if (!lengthFits(f.type, f.length, h->isVisual()) && !(f.type == 'C' && f.length > 0))
            return corrupt("field " + f.name + " has an impossible length " +
                           std::to_string(f.length) + " for type " + f.type);
        f.offset = offset;
        offset += f.length;
        if (f.type == '0' && (f.flags & kFieldSystem)) h->nullFlagsField = int(i);
    }
    if (offset > h->recordBytes)
        return corrupt("fields are longer than the record length " +
                       std::to_string(h->recordBytes));
    return Status();
}

Status parseDbfHeader(std::string_view bytes, uint64_t fileBytes, DbfHeader* h) {
    *h = DbfHeader();
    if (bytes.size() < kDbfHeaderBytes || fileBytes < kDbfHeaderBytes)
        return corrupt("file shorter than a table header");
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    h->version = p[0];
    if (!knownVersion(h->version)) return corrupt("not a table (unknown file type byte)");
    h->year = p[1];
    h->month = p[2];
    h->day = p[3];
    h->recordCount = getU32le(p + kDbfRecordCountOffset);
    h->headerBytes = getU16le(p + kDbfHeaderLengthOffset);
    h->recordBytes = getU16le(p + kDbfRecordLengthOffset);
    h->flags = p[kDbfFlagsOffset];
    h->codePage = p[kDbfCodePageOffset];
    if (h->headerBytes < kDbfHeaderBytes + kDbfDescriptorBytes + 1)
        return corrupt("header length too small");
    if (h->headerBytes > fileBytes || h->headerBytes > bytes.size())
        return corrupt("header length beyond end of file");
    if (h->recordBytes < 2 || h->recordBytes > kMaxRecordBytes)
        return corrupt("impossible record length " + std::to_string(h->recordBytes));
    if (Status r = parseDescriptors(bytes, h); !r.ok()) return r;
    if (Status r = layoutFields(h); !r.ok()) return r;
    uint64_t need = uint64_t(h->headerBytes) + uint64_t(h->recordCount) * h->recordBytes;
    if (need > fileBytes)
        return corrupt("record count " + std::to_string(h->recordCount) + " beyond end of file");
    return Status();
}

std::string encodeDbfHeader(const DbfHeader& h) {
    std::string out(h.headerBytes, '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    p[0] = h.version;
    p[1] = h.year;
    p[2] = h.month;
    p[3] = h.day;
    putU32le(p + kDbfRecordCountOffset, h.recordCount);
    putU16le(p + kDbfHeaderLengthOffset, h.headerBytes);
    putU16le(p + kDbfRecordLengthOffset, h.recordBytes);
    p[kDbfFlagsOffset] = h.flags;
    p[kDbfCodePageOffset] = h.codePage;
    uint32_t pos = kDbfHeaderBytes;
    for (const FieldDesc& f : h.fields) {
        uint8_t* d = p + pos;
        for (size_t i = 0; i < f.name.size() && i < 10; ++i) d[i] = uint8_t(f.name[i]);
        d[11] = uint8_t(f.type);
        putU32le(d + 12, f.offset);
        d[16] = uint8_t(f.length & 0xFF);
        d[17] = f.type == 'C' ? uint8_t(f.length >> 8) : f.decimals;
        d[18] = f.flags;
        pos += kDbfDescriptorBytes;
    }
    for (const DbfHeader::AutoIncrement& a : h.autoIncrements) {
        uint8_t* d = p + kDbfHeaderBytes + kDbfDescriptorBytes * uint32_t(a.field);
        putU32le(d + kDbfAutoNextOffset, uint32_t(a.next));
        d[kDbfAutoNextOffset + 4] = a.step;
    }
    if (pos < h.headerBytes) p[pos++] = 0x0D;
    for (size_t i = 0; i < h.extra.size() && pos < h.headerBytes; ++i) p[pos++] = h.extra[i];
    return out;
}

std::string encodeDbfCountBytes(const DbfHeader& h) {
    std::string out(7, '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    p[0] = h.year;
    p[1] = h.month;
    p[2] = h.day;
    putU32le(p + 3, h.recordCount);
    return out;
}

void stampDbfDate(DbfHeader* h) {
    std::time_t now = std::time(nullptr);
    std::tm* t = std::localtime(&now);
    if (!t) return;
    h->year = uint8_t(t->tm_year);  // years since 1900
    h->month = uint8_t(t->tm_mon + 1);
    h->day = uint8_t(t->tm_mday);
}

}  // namespace engine
