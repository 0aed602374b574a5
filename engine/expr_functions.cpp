// Functions callable from key and FOR expressions (see expr_functions.h).
#include "engine/expr_functions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/expr_text.h"
#include "runtime/codepage.h"
#include "runtime/dates.h"

namespace engine {

namespace {

using Args = std::vector<ExprValue>;

// ---- helpers ----------------------------------------------------------------

int constInt(const ExprNode& n, int fallback) {
    if (!n.constant || n.type != ExprType::Numeric || n.kind != ExprNode::Kind::Literal)
        return fallback;
    double v = n.value.number;
    if (!(v > -1e6 && v < 1e6)) return fallback;
    return static_cast<int>(v);
}

int argLength(const ExprNode* node, size_t i) {
    return i < node->args.size() ? node->args[i]->length : -1;
}

// Clamps a count taken from an expression into [0, kMaxExprText].
long clampCount(double v) {
    if (!(v > 0)) return 0;
    if (v > static_cast<double>(kMaxExprText)) return static_cast<long>(kMaxExprText) + 1;
    return static_cast<long>(v);
}

bool tooLong(size_t n, std::string* error) {
    if (n <= kMaxExprText) return false;
    *error = "text result longer than " + std::to_string(kMaxExprText) + " bytes";
    return true;
}

}  // namespace

std::string exprNumberText(double v, int width, int decimals) {
    if (width < 1) width = 10;
    if (decimals < 0) decimals = 0;
    if (decimals > 15) decimals = 15;
    if (width > 255) width = 255;
    char buf[400];
    if (!std::isfinite(v) || std::fabs(v) >= 1e300)
        return std::string(static_cast<size_t>(width), '*');
    snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string s = buf;
    if (s == "-0" || s.find_first_not_of("-0.") == std::string::npos) {
        if (s[0] == '-') s.erase(0, 1);  // no negative zero
    }
    if (s.size() > static_cast<size_t>(width)) return std::string(static_cast<size_t>(width), '*');
    return std::string(static_cast<size_t>(width) - s.size(), ' ') + s;
}

namespace {

// The day number of a date value; 0 (the empty date) for any number that is
// not a day, such as the infinity a date minus a huge number gives.
int32_t dayOf(const ExprValue& v);

std::string asText(const ExprValue& v) {
    switch (v.type) {
        case ExprType::Character:
            return v.text;
        case ExprType::Numeric:
            return runtime::LTRIM(
                exprNumberText(v.number, 20, v.number == std::floor(v.number) ? 0 : 2));
        case ExprType::Date:
            return dateToText(dayOf(v), exprSettings().dateFormat);
        case ExprType::Logical:
            return v.logical ? "T" : "F";
    }
    return "";
}

double parseVal(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    std::string digits;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) digits += s[i++];
    bool dot = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c == '.' && !dot) {
            dot = true;
            digits += c;
        } else
            break;
    }
    return std::strtod(digits.c_str(), nullptr);
}

// ---- inference ----------------------------------------------------------------

void inferSameText(ExprNode* n) {
    n->type = ExprType::Character;
    n->length = argLength(n, 0);
}
void inferNumber(ExprNode* n) {
    n->type = ExprType::Numeric;
}
void inferDate(ExprNode* n) {
    n->type = ExprType::Date;
}
void inferLogical(ExprNode* n) {
    n->type = ExprType::Logical;
}

void inferLeftRight(ExprNode* n) {
    n->type = ExprType::Character;
    int count = constInt(*n->args[1], -1);
    int len = argLength(n, 0);
    n->length = count < 0 ? len : len < 0 ? count : std::min(count, len);
}

void inferSubstr(ExprNode* n) {
    n->type = ExprType::Character;
    int len = argLength(n, 0);
    int start = constInt(*n->args[1], -1);
    int count = n->args.size() > 2 ? constInt(*n->args[2], -1) : -1;
    int rest = len >= 0 && start >= 1 ? std::max(0, len - start + 1) : len;
    n->length = count < 0 ? rest : rest < 0 ? count : std::min(count, rest);
}

void inferPad(ExprNode* n) {
    n->type = ExprType::Character;
    n->length = constInt(*n->args[1], -1);
}

void inferStr(ExprNode* n) {
    n->type = ExprType::Character;
    int width = n->args.size() > 1 ? constInt(*n->args[1], -1) : n->args[0]->length;
    n->length = width > 0 ? width : 10;
}

void inferFixed8(ExprNode* n) {
    n->type = ExprType::Character;
    n->length = 8;
}

void inferDtoc(ExprNode* n) {
    n->type = ExprType::Character;
    n->length = static_cast<int>(dateToText(0, exprSettings().dateFormat).size());
}

void inferIif(ExprNode* n) {
    n->type = n->args[1]->type;
    int a = n->args[1]->length, b = n->args[2]->length;
    n->length = a < 0 || b < 0 ? -1 : std::max(a, b);
}

void inferSpace(ExprNode* n) {
    n->type = ExprType::Character;
    n->length = constInt(*n->args[0], -1);
}

void inferReplicate(ExprNode* n) {
    n->type = ExprType::Character;
    int count = constInt(*n->args[1], -1);
    int len = argLength(n, 0);
    n->length = count < 0 || len < 0 ? -1 : count * len;
}

void inferChr(ExprNode* n) {
    n->type = ExprType::Character;
    n->length = 1;
}
void inferFirstType(ExprNode* n) {
    n->type = n->args[0]->type;
    n->length = argLength(n, 0);
}

// ---- evaluation -----------------------------------------------------------------

#define EVAL(name) \
    bool name(const ExprNode& n, Args& a, const RecordView& r, ExprValue* out, std::string* error)
#define UNUSED_EVAL_ARGS \
    (void)n;             \
    (void)a;             \
    (void)r;             \
    (void)out;           \
    (void)error

EVAL(evUpper) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofText(exprUpper(a[0].text));
    return true;
}
EVAL(evLower) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofText(exprLower(a[0].text));
    return true;
}
EVAL(evRtrim) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofText(runtime::RTRIM(a[0].text));
    return true;
}
EVAL(evLtrim) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofText(runtime::LTRIM(a[0].text));
    return true;
}
EVAL(evAlltrim) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofText(runtime::ALLTRIM(a[0].text));
    return true;
}

EVAL(evLeft) {
    UNUSED_EVAL_ARGS;
    long count = clampCount(a[1].number);
    *out = ExprValue::ofText(a[0].text.substr(0, static_cast<size_t>(count)));
    return true;
}

EVAL(evRight) {
    UNUSED_EVAL_ARGS;
    size_t count = static_cast<size_t>(clampCount(a[1].number));
    const std::string& s = a[0].text;
    *out = ExprValue::ofText(count >= s.size() ? s : s.substr(s.size() - count));
    return true;
}

EVAL(evSubstr) {
    UNUSED_EVAL_ARGS;
    const std::string& s = a[0].text;
    double startValue = a[1].number;
    long len = static_cast<long>(s.size());
    long start = !(startValue > -1e9 && startValue < 1e9) ? len + 1 : static_cast<long>(startValue);
    if (start < 0) start = std::max(1L, len + start + 1);  // negative start counts from the end
    if (start == 0) start = 1;
    long count = a.size() > 2 ? clampCount(a[2].number) : len;
    if (start > len) {
        *out = ExprValue::ofText("");
        return true;
    }
    *out = ExprValue::ofText(s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count)));
    return true;
}

bool pad(Args& a, int where, ExprValue* out, std::string* error) {
    std::string s = asText(a[0]);
    long width = clampCount(a[1].number);
    if (tooLong(static_cast<size_t>(width), error)) return false;
    char fill = a.size() > 2 && !a[2].text.empty() ? a[2].text[0] : ' ';
    size_t w = static_cast<size_t>(width);
    if (s.size() >= w) {
        *out = ExprValue::ofText(where == 0   ? s.substr(0, w)
                                 : where == 1 ? s.substr(s.size() - w)
                                              : s.substr((s.size() - w) / 2, w));
        return true;
    }
    size_t gap = w - s.size();
    size_t left = where == 0 ? 0 : where == 1 ? gap : gap / 2;
    *out = ExprValue::ofText(std::string(left, fill) + s + std::string(gap - left, fill));
    return true;
}

EVAL(evPadr) {
    UNUSED_EVAL_ARGS;
    return pad(a, 0, out, error);
}
EVAL(evPadl) {
    UNUSED_EVAL_ARGS;
    return pad(a, 1, out, error);
}
EVAL(evPadc) {
    UNUSED_EVAL_ARGS;
    return pad(a, 2, out, error);
}

void strWidth(const ExprNode& n, const Args& a, int* width, int* decimals) {
    *width = n.args[0]->length > 0 ? n.args[0]->length : 10;
    *decimals = a.size() > 1 ? 0 : std::max(0, n.args[0]->decimals);
    if (a.size() > 1) *width = static_cast<int>(std::min<long>(clampCount(a[1].number), 255));
    if (a.size() > 2) *decimals = static_cast<int>(std::min<long>(clampCount(a[2].number), 15));
}

EVAL(evStr) {
    UNUSED_EVAL_ARGS;
    int width, decimals;
    strWidth(n, a, &width, &decimals);
    *out = ExprValue::ofText(width == 0 ? "" : exprNumberText(a[0].number, width, decimals));
    return true;
}

EVAL(evStrzero) {
    UNUSED_EVAL_ARGS;
    int width, decimals;
    strWidth(n, a, &width, &decimals);
    std::string s = width == 0 ? "" : exprNumberText(a[0].number, width, decimals);
    bool negative = s.find('-') != std::string::npos;
    for (char& c : s)
        if (c == ' ' || c == '-') c = '0';
    if (negative && !s.empty() && s[0] != '*') s[0] = '-';
    *out = ExprValue::ofText(s);
    return true;
}

EVAL(evVal) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofNumber(parseVal(a[0].text));
    return true;
}
EVAL(evLen) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofNumber(static_cast<double>(a[0].text.size()));
    return true;
}

int32_t dayOf(const ExprValue& v) {
    return v.number > 0 && v.number < 1e8 ? static_cast<int32_t>(std::floor(v.number)) : 0;
}

EVAL(evDtos) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofText(dateToDtos(dayOf(a[0])));
    return true;
}
EVAL(evDtoc) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofText(dateToText(dayOf(a[0]), exprSettings().dateFormat));
    return true;
}
EVAL(evStod) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofDate(dateFromDtos(a[0].text));
    return true;
}

EVAL(evCtod) {
    UNUSED_EVAL_ARGS;
    const ExprSettings& s = exprSettings();
    *out = ExprValue::ofDate(dateFromText(a[0].text, s.dateFormat, s.epoch));
    return true;
}

bool datePart(const Args& a, int part, ExprValue* out) {
    int32_t j = dayOf(a[0]);
    int y = 0, m = 0, d = 0;
    if (j > 0) runtime::ymdFromJulian(j, &y, &m, &d);
    *out = ExprValue::ofNumber(part == 0 ? y : part == 1 ? m : d);
    return true;
}

EVAL(evYear) {
    UNUSED_EVAL_ARGS;
    return datePart(a, 0, out);
}
EVAL(evMonth) {
    UNUSED_EVAL_ARGS;
    return datePart(a, 1, out);
}
EVAL(evDay) {
    UNUSED_EVAL_ARGS;
    return datePart(a, 2, out);
}

EVAL(evEmpty) {
    UNUSED_EVAL_ARGS;
    const ExprValue& v = a[0];
    bool empty = v.type == ExprType::Character ? runtime::emptyText(v.text)
                 : v.type == ExprType::Logical ? !v.logical
                                               : v.number == 0;
    *out = ExprValue::ofLogical(empty);
    return true;
}

EVAL(evDeleted) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofLogical(r.deleted());
    return true;
}
EVAL(evRecno) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofNumber(r.recordNumber());
    return true;
}

EVAL(evSpace) {
    UNUSED_EVAL_ARGS;
    long count = clampCount(a[0].number);
    if (tooLong(static_cast<size_t>(count), error)) return false;
    *out = ExprValue::ofText(std::string(static_cast<size_t>(count), ' '));
    return true;
}

EVAL(evReplicate) {
    UNUSED_EVAL_ARGS;
    long count = clampCount(a[1].number);
    size_t total = static_cast<size_t>(count) * a[0].text.size();
    if (count > 0 && tooLong(total, error)) return false;
    std::string s;
    s.reserve(total);
    for (long i = 0; i < count; ++i) s += a[0].text;
    *out = ExprValue::ofText(std::move(s));
    return true;
}

EVAL(evIif) {
    UNUSED_EVAL_ARGS;
    *out = a[0].logical ? a[1] : a[2];
    return true;
}
EVAL(evAbs) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofNumber(std::fabs(a[0].number));
    return true;
}
EVAL(evInt) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofNumber(std::trunc(a[0].number));
    return true;
}

EVAL(evRound) {
    UNUSED_EVAL_ARGS;
    double places = std::max(-15.0, std::min(15.0, std::trunc(a[1].number)));
    double scale = std::pow(10.0, places);
    double v = a[0].number * scale;
    *out = ExprValue::ofNumber((v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)) / scale);
    return true;
}

bool pick(Args& a, bool wantMax, ExprValue* out, std::string* error) {
    if (a[0].type != a[1].type) {
        *error = "MAX/MIN of two different types";
        return false;
    }
    bool firstBigger = a[0].type == ExprType::Character
                           ? exprCompareText(a[0].text, a[1].text, true, true) > 0
                       : a[0].type == ExprType::Logical ? a[0].logical && !a[1].logical
                                                        : a[0].number > a[1].number;
    *out = firstBigger == wantMax ? a[0] : a[1];
    return true;
}

EVAL(evMax) {
    UNUSED_EVAL_ARGS;
    return pick(a, true, out, error);
}
EVAL(evMin) {
    UNUSED_EVAL_ARGS;
    return pick(a, false, out, error);
}

EVAL(evChr) {
    UNUSED_EVAL_ARGS;
    double v = std::fmod(std::trunc(a[0].number), 256.0);
    if (!(v == v)) v = 0;
    if (v < 0) v += 256;
    *out = ExprValue::ofText(std::string(1, static_cast<char>(static_cast<unsigned char>(v))));
    return true;
}

EVAL(evAsc) {
    UNUSED_EVAL_ARGS;
    *out = ExprValue::ofNumber(a[0].text.empty() ? 0 : static_cast<unsigned char>(a[0].text[0]));
    return true;
}

EVAL(evAt) {
    UNUSED_EVAL_ARGS;
    size_t p = a[0].text.empty() ? std::string::npos : a[1].text.find(a[0].text);
    *out = ExprValue::ofNumber(p == std::string::npos ? 0 : static_cast<double>(p + 1));
    return true;
}

const FunctionDef kFunctions[] = {
    {"UPPER", "C", inferSameText, evUpper},   {"LOWER", "C", inferSameText, evLower},
    {"TRIM", "C", inferSameText, evRtrim},    {"RTRIM", "C", inferSameText, evRtrim},
    {"LTRIM", "C", inferSameText, evLtrim},   {"ALLTRIM", "C", inferSameText, evAlltrim},
    {"LEFT", "CN", inferLeftRight, evLeft},   {"RIGHT", "CN", inferLeftRight, evRight},
    {"SUBSTR", "CNn", inferSubstr, evSubstr}, {"PADR", "*Nc", inferPad, evPadr},
    {"PADL", "*Nc", inferPad, evPadl},        {"PADC", "*Nc", inferPad, evPadc},
    {"STR", "Nnn", inferStr, evStr},          {"STRZERO", "Nnn", inferStr, evStrzero},
    {"VAL", "C", inferNumber, evVal},         {"LEN", "C", inferNumber, evLen},
    {"DTOS", "D", inferFixed8, evDtos},       {"DTOC", "D", inferDtoc, evDtoc},
    {"CTOD", "C", inferDate, evCtod},         {"STOD", "C", inferDate, evStod},
    {"YEAR", "D", inferNumber, evYear},       {"MONTH", "D", inferNumber, evMonth},
    {"DAY", "D", inferNumber, evDay},         {"IIF", "L**", inferIif, evIif},
    {"IF", "L**", inferIif, evIif},           {"EMPTY", "*", inferLogical, evEmpty},
    {"DELETED", "", inferLogical, evDeleted}, {"RECNO", "", inferNumber, evRecno},
    {"SPACE", "N", inferSpace, evSpace},      {"REPLICATE", "CN", inferReplicate, evReplicate},
    {"ABS", "N", inferNumber, evAbs},         {"INT", "N", inferNumber, evInt},
    {"ROUND", "NN", inferNumber, evRound},    {"MAX", "**", inferFirstType, evMax},
    {"MIN", "**", inferFirstType, evMin},     {"CHR", "N", inferChr, evChr},
    {"ASC", "C", inferNumber, evAsc},         {"AT", "CC", inferNumber, evAt},
};

#undef EVAL
#undef UNUSED_EVAL_ARGS

}  // namespace

const FunctionDef* findFunction(std::string_view name) {
    for (const FunctionDef& f : kFunctions)
        if (name == f.name) return &f;
    if (name.size() < 4) return nullptr;
    for (const FunctionDef& f : kFunctions)
        if (std::string_view(f.name).substr(0, name.size()) == name) return &f;
    return nullptr;
}

}  // namespace engine
