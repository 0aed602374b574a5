// Key formats and key bytes of index tags (see cdx_key.h).
#include "engine/cdx_key.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/cdx_page.h"

namespace engine {

std::string cdxNumberKey(double v) {
    if (v == 0) v = 0;  // -0.0 sorts with 0.0
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits = (bits >> 63) ? ~bits : bits | (uint64_t(1) << 63);
    std::string out(8, '\0');
    for (int i = 0; i < 8; ++i)
        out[static_cast<size_t>(i)] = static_cast<char>(bits >> (56 - 8 * i));
    return out;
}

namespace {

std::string intKey(double v) {
    double t = std::trunc(v);
    int32_t i = t >= 2147483647.0    ? INT32_MAX
                : t <= -2147483648.0 ? INT32_MIN
                                     : static_cast<int32_t>(t);
    uint32_t u = static_cast<uint32_t>(i) ^ 0x80000000u;
    std::string out(4, '\0');
    for (int b = 0; b < 4; ++b) out[static_cast<size_t>(b)] = static_cast<char>(u >> (24 - 8 * b));
    return out;
}

}  // namespace

std::string cdxValueKey(const CdxKeyFormat& f, const ExprValue& v) {
    std::string key;
    size_t body = static_cast<size_t>(f.length - (f.nullable ? 1 : 0));
    switch (f.type) {
        case 'C':
            key = v.text.substr(0, body);
            key.resize(body, ' ');
            break;
        case 'I':
            key = intKey(v.number);
            break;
        case 'L':
            key = v.logical ? "T" : "F";
            break;
        default:
            key = cdxNumberKey(v.number);
            break;
    }
    return f.nullable ? "\x80" + key : key;
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
        ExprValue v;
        switch (key.type()) {
            case ExprType::Numeric:
                v = ExprValue::ofNumber(record.number(field));
                break;
            case ExprType::Date:
                v = ExprValue::ofDate(key.bareFieldType() == 'T' ? record.dateTime(field)
                                                                 : record.julianDay(field));
                break;
            case ExprType::Logical:
                v = ExprValue::ofLogical(record.logical(field));
                break;
            case ExprType::Character:
                v = ExprValue::ofText(record.text(field));
                break;
        }
        *out = cdxValueKey(f, v);
        return Status();
    }
    if (f.type == 'C' && key.textInto(record, out)) {
        // As cdxValueKey: cut or blank-padded to the key's body.
        out->resize(static_cast<size_t>(f.length - (f.nullable ? 1 : 0)), ' ');
        if (f.nullable) out->insert(out->begin(), '\x80');
        return Status();
    }
    ExprValue v;
    if (Status s = key.evaluate(record, &v); !s.ok()) {
        return Status(kBadExpression, "key " + key.source() + " of record " +
                                          std::to_string(record.recordNumber()) + ": " +
                                          s.message());
    }
    *out = cdxValueKey(f, v);
    return Status();
}

}  // namespace engine
