// Field and value fits between an old layout and a new one.
#include "updater/field_fit.h"

#include <cmath>
#include <cstdio>

namespace updater {
namespace {

enum class Kind { Text, Number, Logical, Date, Other };

Kind kindOf(char type) {
    switch (type) {
        case 'C':
        case 'V':
        case 'Q':
        case 'M':
        case 'G':
        case 'P':
        case 'W':
            return Kind::Text;
        case 'N':
        case 'F':
        case 'I':
        case 'B':
        case 'Y':
            return Kind::Number;
        case 'L':
            return Kind::Logical;
        case 'D':
        case 'T':
            return Kind::Date;
        default:
            return Kind::Other;
    }
}

bool isMemo(char type) {
    return type == 'M' || type == 'G' || type == 'P' || type == 'W';
}
bool isDecimal(char type) {
    return type == 'N' || type == 'F';
}

// Digits before the point a numeric field holds, its sign included.
int integerWidth(const tables::FieldInfo& f) {
    return f.decimals > 0 ? f.length - f.decimals - 1 : f.length;
}

FieldFit numberFit(const tables::FieldInfo& from, const tables::FieldInfo& to) {
    if (to.type == 'B') return FieldFit::Whole;
    if (!isDecimal(from.type)) return from.type == to.type ? FieldFit::Whole : FieldFit::PerValue;
    if (isDecimal(to.type))
        return to.decimals >= from.decimals && integerWidth(to) >= integerWidth(from)
                   ? FieldFit::Whole
                   : FieldFit::PerValue;
    // I holds nine digits and a sign; Y fourteen digits and four decimals.
    if (to.type == 'I')
        return from.decimals == 0 && from.length <= 10 ? FieldFit::Whole : FieldFit::PerValue;
    if (to.type == 'Y')
        return from.decimals <= 4 && integerWidth(from) <= 15 ? FieldFit::Whole
                                                              : FieldFit::PerValue;
    return FieldFit::PerValue;
}

bool textFits(const std::string& text, int length) {
    size_t end = text.find_last_not_of(' ');
    size_t used = end == std::string::npos ? 0 : end + 1;
    return used <= static_cast<size_t>(length);
}

// A number written as the engine writes it into an N or F field: rounded
// to the field's decimals, right-aligned in its width.
bool decimalFits(double v, const tables::FieldInfo& to) {
    if (!std::isfinite(v)) return false;
    double scaled = v * std::pow(10.0, to.decimals);
    if (std::fabs(scaled - std::round(scaled)) >= 1e-6 * std::max(1.0, std::fabs(scaled)))
        return false;
    char text[400];
    int n = std::snprintf(text, sizeof text, "%.*f", to.decimals, v);
    return n > 0 && n <= to.length;
}

bool numberFits(double v, const tables::FieldInfo& to) {
    switch (to.type) {
        case 'N':
        case 'F':
            return decimalFits(v, to);
        case 'I':
            return v == std::nearbyint(v) && v >= -2147483648.0 && v <= 2147483647.0;
        case 'Y': {
            double scaled = v * 10000.0;
            return std::fabs(scaled - std::nearbyint(scaled)) < 1e-6 && std::fabs(scaled) < 9.2e18;
        }
        default:
            return std::isfinite(v);
    }
}

}  // namespace

FieldFit fieldFit(const tables::FieldInfo& from, const tables::FieldInfo& to) {
    Kind kind = kindOf(from.type);
    if (kind != kindOf(to.type) || kind == Kind::Other)
        return from.type == to.type ? FieldFit::Whole : FieldFit::Never;
    switch (kind) {
        case Kind::Text:
            if (isMemo(to.type)) return FieldFit::Whole;
            return isMemo(from.type) || from.length > to.length ? FieldFit::PerValue
                                                                : FieldFit::Whole;
        case Kind::Number:
            return numberFit(from, to);
        case Kind::Date:
            return from.type == 'T' && to.type == 'D' ? FieldFit::PerValue : FieldFit::Whole;
        default:
            return FieldFit::Whole;
    }
}

bool valueFits(const runtime::Value& value, const tables::FieldInfo& to) {
    if (value.isNil()) return true;
    switch (kindOf(to.type)) {
        case Kind::Text:
            return value.isText() && (isMemo(to.type) || textFits(value.text(), to.length));
        case Kind::Number:
            return value.isNumber() && numberFits(value.num(), to);
        case Kind::Logical:
            return value.isLogical();
        case Kind::Date:
            if (value.isDateTime()) return to.type == 'T' || value.dateTime().millis == 0;
            return value.isDate();
        default:
            return false;
    }
}

std::string fieldText(const tables::FieldInfo& f) {
    std::string text = f.name + " " + f.type + "(" + std::to_string(f.length);
    if (f.decimals) text += "," + std::to_string(f.decimals);
    return text + ")";
}

}  // namespace updater
