// Printable forms of runtime values for the error report.
#include "errors/value_text.h"

#include "errors/error_report.h"
#include "runtime/codepage.h"
#include "runtime/dates.h"
#include "runtime/strings.h"

namespace errors {

using runtime::Type;
using runtime::Value;

std::string asText(const Value& v) {
    switch (v.type()) {
        case Type::kText:
        case Type::kMemo:
            return v.text();
        case Type::kNumber:
            return runtime::ALLTRIM(runtime::STR(v.numberInfo()));
        case Type::kLogical:
            return v.logical() ? ".t." : ".f.";
        case Type::kDate:
            return runtime::DTOC(v.date());
        case Type::kDateTime:
            return runtime::TTOC(v.dateTime());
        case Type::kBlock:
            return "{|| ... }";
        case Type::kArray:
            return "{ ... }";
        case Type::kObject:
            return "Object";
        case Type::kNil:
            return "";
    }
    return "";
}

std::string CGETINFO(const Value& v) {
    if (v.isText()) return "\"" + v.text() + "\"";
    if (v.isObject()) return "Clase: " + (v.object() ? v.object()->className() : std::string());
    if (v.isArray()) return "Longitud: " + inPlaces(static_cast<int64_t>(v.array()->size()), 4);
    return asText(v);
}

}  // namespace errors
