// Key formats and key bytes of index tags (see cdx_key.h).
#include "engine/cdx_key.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/cdx_page.h"

namespace engine {

namespace {

// The 8 bytes of a numeric or date key at `out`.
void putNumberKey(double v, char* out) {
    if (v == 0) v = 0;  // -0.0 sorts with 0.0
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits = (bits >> 63) ? ~bits : bits | (uint64_t(1) << 63);
    if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap64(bits);
    std::memcpy(out, &bits, sizeof bits);  // most significant byte first
}

// The 4 bytes of a bare I field's key at `out`.
void putIntKey(double v, char* out) {
    double t = std::trunc(v);
    int32_t i = t >= 2147483647.0    ? INT32_MAX
                : t <= -2147483648.0 ? INT32_MIN
                                     : static_cast<int32_t>(t);
    uint32_t u = static_cast<uint32_t>(i) ^ 0x80000000u;
    for (int b = 0; b < 4; ++b) out[b] = static_cast<char>(u >> (24 - 8 * b));
}

// Replaces *out with the key of a number, date or logical under `f`
// (the null marker included), reusing its memory.
void scalarKeyInto(const CdxKeyFormat& f, double number, bool logical, std::string* out) {
    out->resize(static_cast<size_t>(f.length));
    char* p = out->data();
    if (f.nullable) *p++ = '\x80';
    switch (f.type) {
        case 'I':
            putIntKey(number, p);
            break;
        case 'L':
            *p = logical ? 'T' : 'F';
            break;
        default:
            putNumberKey(number, p);
            break;
    }
}

// Cuts or blank-pads the text in *out to the body of a character key, and
// puts the null marker before it when the format has one.
void fitTextKey(const CdxKeyFormat& f, std::string* out) {
    out->resize(static_cast<size_t>(f.length - (f.nullable ? 1 : 0)), ' ');
    if (f.nullable) out->insert(out->begin(), '\x80');
}

// Replaces *out with the key of `v` under `f`.
void valueKeyInto(const CdxKeyFormat& f, const ExprValue& v, std::string* out) {
    if (f.type != 'C') {
        scalarKeyInto(f, v.number, v.logical, out);
    } else {
        out->assign(v.text, 0, static_cast<size_t>(f.length));
        fitTextKey(f, out);
    }
}

}  // namespace

std::string cdxNumberKey(double v) {
    std::string out(8, '\0');
    putNumberKey(v, out.data());
    return out;
}

std::string cdxValueKey(const CdxKeyFormat& f, const ExprValue& v) {
    std::string key;
    valueKeyInto(f, v, &key);
    return key;
}

Status cdxKeyFormatFor(const Expression& key, const RecordView& sample, CdxKeyFormat* f) {
    int field = key.bareField();
    f->nullable = field >= 0 && (sample.field(field).flags & 0x02) != 0;
    int extra = f->nullable ? 1 : 0;
    switch (key.type()) {
        case ExprType::Numeric:
            f->type = field >= 0 && key.bareFieldType() == 'I' ? 'I' : 'N';
            f->length = (f->type == 'I' ? 4 : 8) + extra;
            return Status();
        case ExprType::Date:
            f->type = 'D';
            f->length = 8 + extra;
            return Status();
        case ExprType::Logical:
            f->type = 'L';
            f->length = 1 + extra;
            return Status();
        case ExprType::Character:
            break;
    }
    f->type = 'C';
    int length = key.staticLength();
    if (length < 0) {
        ExprValue v;
        if (Status s = key.evaluate(sample, &v); !s.ok())
            return Status(kBadExpression, "key expression " + key.source() + ": " + s.message());
        length = static_cast<int>(std::min<size_t>(v.text.size(), 100000));
    }
    if (length == 0) {
        return Status(kBadExpression, "key expression " + key.source() + " gives an empty text");
    }
    f->length = length + extra;
    if (f->length > kCdxMaxKeyLength) {
        return Status(kKeyTooLong, "key of " + key.source() + " is " + std::to_string(f->length) +
                                       " bytes long (at most 240)");
    }
    return Status();
}

Status cdxRecordKey(const Expression& key, const CdxKeyFormat& f, const RecordView& record,
                    std::string* out) {
    int field = key.bareField();
    if (f.nullable && field >= 0 && record.isNull(field)) {
        out->assign(static_cast<size_t>(f.length), '\0');
        return Status();
    }
    if (field >= 0 && f.type != 'C') {
        // A bare field: its value as the evaluator reads it, without it.
        switch (key.type()) {
            case ExprType::Numeric:
                scalarKeyInto(f, record.number(field), false, out);
                return Status();
            case ExprType::Date:
                scalarKeyInto(f,
                              key.bareFieldType() == 'T' ? record.dateTime(field)
                                                         : double(record.julianDay(field)),
                              false, out);
                return Status();
            case ExprType::Logical:
                scalarKeyInto(f, 0, record.logical(field), out);
                return Status();
            case ExprType::Character:
                break;  // a character key has format 'C'
        }
    }
    if (f.type == 'C' && key.textInto(record, out)) {
        fitTextKey(f, out);
        return Status();
    }
    ExprValue v;
    if (Status s = key.evaluate(record, &v); !s.ok()) {
        return Status(kBadExpression, "key " + key.source() + " of record " +
                                          std::to_string(record.recordNumber()) + ": " +
                                          s.message());
    }
    valueKeyInto(f, v, out);
    return Status();
}

}  // namespace engine
