// STR, VAL, TRANSFORM, CVALTOCHAR and the padding helpers.
#include "runtime/strings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "runtime/codepage.h"
#include "runtime/dates.h"
#include "runtime/settings.h"

namespace runtime {
namespace {

int clampDecimals(int d) {
    return d < 0 ? 0 : (d > 15 ? 15 : d);
}

// Rounds to `decimals` places, half away from zero. The small tolerance
// makes 1.005 round to 1.01 as a person reading the decimal text expects,
// not to 1.00 as its binary value would.
double roundHalfAway(double x, int decimals) {
    const double p = std::pow(10.0, decimals);
    const double scaled = std::fabs(x) * p;
    double whole = std::floor(scaled);
    if (scaled - whole >= 0.5 - 1e-9) whole += 1;
    const double r = whole / p;
    return x < 0 ? -r : r;
}

// The number with exactly `decimals` decimals and no padding; "" for a
// value that is not finite.
std::string fixedText(double x, int decimals) {
    if (!std::isfinite(x)) return "";
    double r = roundHalfAway(x, decimals);
    if (!std::isfinite(r)) r = x;  // too large for the scaling: already whole
    if (r == 0) r = 0;             // no "-0"
    // Up to 309 integer digits, a point and 15 decimals.
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", clampDecimals(decimals), r);
    return buf;
}

bool isIntegral(double x) {
    return std::isfinite(x) && x == std::floor(x);
}

constexpr int kDefaultIntWidth = 10;

struct Picture {
    std::string functions;  // letters after "@", upper-cased
    std::string mask;       // the template
};

Picture splitPicture(std::string_view pic) {
    Picture p;
    if (!pic.empty() && pic[0] == '@') {
        size_t sp = pic.find(' ');
        std::string_view f = pic.substr(1, sp == std::string_view::npos ? pic.size() - 1 : sp - 1);
        p.functions = UPPER(f);
        if (sp != std::string_view::npos) p.mask = std::string(pic.substr(sp + 1));
    } else {
        p.mask = std::string(pic);
    }
    return p;
}

bool isDigitPlace(char c) {
    return c == '9' || c == '#';
}

// Fills a numeric template. Digit places and commas left of the decimal
// point take the integer digits from the right; places right of it take the
// decimals. Returns false when the integer digits (and sign) do not fit.
bool fillNumberMask(const std::string& mask, double x, std::string& out) {
    const size_t point = mask.find('.');
    const size_t intEnd = point == std::string::npos ? mask.size() : point;
    int decimals = 0;
    for (size_t i = intEnd; i < mask.size(); ++i) decimals += isDigitPlace(mask[i]) ? 1 : 0;
    std::string digits = fixedText(std::fabs(x), decimals);
    if (digits.empty()) return false;
    const bool negative = roundHalfAway(x, decimals) < 0;
    std::string intDigits = digits.substr(0, digits.find('.'));
    std::string fracDigits = decimals > 0 ? digits.substr(digits.find('.') + 1) : "";
    out = mask;
    size_t fi = 0;
    for (size_t i = intEnd; i < mask.size(); ++i) {
        if (isDigitPlace(mask[i])) out[i] = fi < fracDigits.size() ? fracDigits[fi++] : '0';
    }
    // Integer part, right to left.
    int left = static_cast<int>(intDigits.size());
    bool signDone = !negative;
    for (size_t k = intEnd; k-- > 0;) {
        const char c = mask[k];
        if (isDigitPlace(c)) {
            if (left > 0) {
                out[k] = intDigits[static_cast<size_t>(--left)];
            } else if (!signDone) {
                out[k] = '-';
                signDone = true;
            } else {
                out[k] = ' ';
            }
        } else if (c == ',') {
            out[k] = left > 0 ? ',' : ' ';
        }
    }
    return left == 0 && signDone;
}

std::string numberOverflow(const std::string& mask) {
    std::string out = mask;
    for (auto& c : out) {
        if (isDigitPlace(c)) c = '*';
    }
    return out;
}

std::string transformNumber(const Number& n, const Picture& p) {
    if (p.functions.find('Z') != std::string::npos && n.value == 0) {
        return std::string(p.mask.empty() ? STR(n).size() : p.mask.size(), ' ');
    }
    if (p.mask.empty()) return STR(n);
    std::string out;
    if (!fillNumberMask(p.mask, n.value, out)) return numberOverflow(p.mask);
    if (p.functions.find('B') != std::string::npos) {
        const std::string trimmed = ALLTRIM(out);
        out = trimmed + std::string(out.size() - trimmed.size(), ' ');
    }
    return out;
}

std::string transformText(const std::string& s, const Picture& p) {
    const bool allUpper = p.functions.find('!') != std::string::npos;
    if (p.mask.empty()) return allUpper ? UPPER(s) : s;
    std::string out;
    size_t si = 0;
    for (char c : p.mask) {
        const char u = static_cast<char>(upperByte(static_cast<unsigned char>(c)));
        const bool place = u == '!' || u == 'X' || u == '9' || u == '#' || u == 'A' || u == 'N' ||
                           u == 'L' || u == 'Y';
        if (!place) {
            out.push_back(c);
            continue;
        }
        char v = si < s.size() ? s[si] : ' ';
        ++si;
        if (u == '!' || allUpper) v = static_cast<char>(upperByte(static_cast<unsigned char>(v)));
        out.push_back(v);
    }
    return out;
}

}  // namespace

std::string STR(double n, std::optional<int> width, std::optional<int> decimals) {
    return STR(Number{n, -1, -1}, width, decimals);
}

std::string STR(const Number& n, std::optional<int> width, std::optional<int> decimals) {
    int dec = 0;
    int w = 0;
    if (width) {
        w = *width;
        dec = decimals ? clampDecimals(*decimals) : 0;
    } else {
        if (n.decimals >= 0) {
            dec = clampDecimals(n.decimals);
        } else {
            dec = isIntegral(n.value) ? 0 : clampDecimals(decimalsSetting());
        }
        w = n.width >= 0 ? n.width : kDefaultIntWidth + (dec > 0 ? dec + 1 : 0);
    }
    if (w <= 0) return "";
    std::string s = fixedText(n.value, dec);
    if (s.empty() || static_cast<int>(s.size()) > w)
        return std::string(static_cast<size_t>(w), '*');
    return std::string(static_cast<size_t>(w) - s.size(), ' ') + s;
}

Number VAL(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string num;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) num.push_back(text[i++]);
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') num.push_back(text[i++]);
    int decimals = 0;
    if (i < text.size() && text[i] == '.') {
        num.push_back(text[i++]);
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            num.push_back(text[i++]);
            ++decimals;
        }
    }
    const double v = num.empty() ? 0.0 : std::strtod(num.c_str(), nullptr);
    return Number{v, -1, decimals};
}

std::string TRANSFORM(const Value& v, std::string_view picture) {
    const Picture p = splitPicture(picture);
    switch (v.type()) {
        case Type::kNumber:
            return transformNumber(v.numberInfo(), p);
        case Type::kText:
        case Type::kMemo:
            return transformText(v.text(), p);
        case Type::kLogical: {
            const bool yn = UPPER(p.mask).find('Y') != std::string::npos;
            return v.logical() ? (yn ? "Y" : "T") : (yn ? "N" : "F");
        }
        case Type::kDate:
            return DTOC(v.date());
        case Type::kDateTime:
            return TTOC(v.dateTime());
        default:
            return CVALTOCHAR(v);
    }
}

std::string CVALTOCHAR(const Value& v) {
    switch (v.type()) {
        case Type::kNil:
            return "NIL";
        case Type::kText:
        case Type::kMemo:
            return v.text();
        case Type::kNumber:
            return ALLTRIM(STR(v.numberInfo()));
        case Type::kLogical:
            return v.logical() ? ".T." : ".F.";
        case Type::kDate:
            return DTOC(v.date());
        case Type::kDateTime:
            return TTOC(v.dateTime());
        case Type::kArray:
            return "{ Array }";
        case Type::kBlock:
            return "{|| ... }";
        case Type::kObject:
            return "Object";
    }
    return "";
}

std::string PADR(std::string_view s, int width, char fill) {
    if (width <= 0) return "";
    const size_t w = static_cast<size_t>(width);
    if (s.size() >= w) return std::string(s.substr(0, w));
    return std::string(s) + std::string(w - s.size(), fill);
}

std::string PADL(std::string_view s, int width, char fill) {
    if (width <= 0) return "";
    const size_t w = static_cast<size_t>(width);
    if (s.size() >= w) return std::string(s.substr(0, w));
    return std::string(w - s.size(), fill) + std::string(s);
}

std::string PADC(std::string_view s, int width, char fill) {
    if (width <= 0) return "";
    const size_t w = static_cast<size_t>(width);
    if (s.size() >= w) return std::string(s.substr(0, w));
    const size_t left = (w - s.size()) / 2;
    return std::string(left, fill) + std::string(s) + std::string(w - s.size() - left, fill);
}

std::string REPLICATE(std::string_view s, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out.append(s);
    return out;
}

std::string SPACE(int count) {
    return count > 0 ? std::string(static_cast<size_t>(count), ' ') : "";
}

std::string SUBSTR(std::string_view s, int start, std::optional<int> count) {
    const int len = static_cast<int>(s.size());
    int from = start > 0 ? start - 1 : (start < 0 ? len + start : 0);
    if (from < 0) from = 0;
    if (from >= len) return "";
    int n = count ? *count : len - from;
    if (n <= 0) return "";
    if (n > len - from) n = len - from;
    return std::string(s.substr(static_cast<size_t>(from), static_cast<size_t>(n)));
}

std::string LEFT(std::string_view s, int count) {
    return SUBSTR(s, 1, count < 0 ? 0 : count);
}

std::string RIGHT(std::string_view s, int count) {
    if (count <= 0) return "";
    const size_t n = static_cast<size_t>(count) > s.size() ? s.size() : static_cast<size_t>(count);
    return std::string(s.substr(s.size() - n));
}

}  // namespace runtime
